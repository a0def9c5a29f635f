// The renderer, in four steps a frame:
//   [collect]   the visible views become a list of draw items in painting order
//   [occlusion] items hidden under later opaque items are dropped, backgrounds are cut
//               around them
//   [draw]      each item paints; a view under a transition paints through a snapshot
//   [status]    the status bar goes on top

#include "platform/render/Renderer.h"

#include "platform/Animation.h"
#include "platform/ScrollView.h"
#include "platform/render/Blend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace nocturo {

struct Renderer::Item {
    enum class Kind { Screen, Background, Content, Indicators, Transition };
    Item(Kind k, const View* v, Point a, PixelRect c, float o)
        : kind(k), view(v), at(a), clip(c), opacity(o) {}

    Kind kind = Kind::Background;
    const View* view = nullptr;
    Point at;       // the view's top left, in window points
    PixelRect clip; // what its superviews let it draw on
    float opacity = 1.0f;
    PixelRect bounds; // the pixels it may touch
    PixelRect opaque; // the pixels it covers with opaque paint
    const Animation* transition = nullptr;
    bool hidden = false;
    std::vector<PixelRect> pieces; // a background cut around what covers it
};

namespace {
constexpr std::size_t maxOccluders = 8;
constexpr std::size_t maxPieces = 24;

bool isFlip(const std::string& type) {
    return type == TransitionType::flipFromLeft || type == TransitionType::flipFromRight;
}

// `from` less `hole`, as up to four rects.
void subtract(const PixelRect& from, const PixelRect& hole, std::vector<PixelRect>& out) {
    PixelRect cut = from.intersection(hole);
    if (cut.isEmpty()) {
        out.push_back(from);
        return;
    }
    if (from.y0 < cut.y0)
        out.push_back({from.x0, from.y0, from.x1, cut.y0});
    if (cut.y1 < from.y1)
        out.push_back({from.x0, cut.y1, from.x1, from.y1});
    if (from.x0 < cut.x0)
        out.push_back({from.x0, cut.y0, cut.x0, cut.y1});
    if (cut.x1 < from.x1)
        out.push_back({cut.x1, cut.y0, from.x1, cut.y1});
}

void copyRows(Framebuffer& to, const Framebuffer& from, const PixelRect& area) {
    for (int y = area.y0; y < area.y1; ++y)
        std::memcpy(to.at(area.x0, y), from.at(area.x0, y),
                    static_cast<std::size_t>(area.width()) * 4);
}
} // namespace

Renderer::Renderer(ImageLibrary& images) : views_(images, cache_, regular_, bold_) {
    regular_.loadFile(images.resourceDir() + "/fonts/DejaVuSans.ttf");
    bold_.loadFile(images.resourceDir() + "/fonts/DejaVuSans-Bold.ttf");
}

Renderer::~Renderer() = default;

int Renderer::pixelWidth(const Window& window, float scale) {
    return std::max(0, static_cast<int>(std::ceil(window.frame().width() * scale - 0.001f)));
}

int Renderer::pixelHeight(const Window& window, float scale) {
    return std::max(0, static_cast<int>(std::ceil(window.frame().height() * scale - 0.001f)));
}

bool Renderer::render(Window& window, const Application& application, double time, float scale,
                      Framebuffer& target) {
    bool same = drawn_ && !window.needsDisplay() && &target == lastTarget_ && scale == lastScale_ &&
                target.width == pixelWidth(window, scale) &&
                target.height == pixelHeight(window, scale) && time >= time_ &&
                time < nextChange_ && application.isStatusBarHidden() == lastStatusBarHidden_ &&
                application.statusBarStyle() == lastStatusBarStyle_ && clockText_ == lastClockText_;
    if (same)
        return false;
    draw(window, application, time, scale, target);
    window.clearNeedsDisplay();
    return true;
}

void Renderer::draw(const Window& window, const Application& application, double time, float scale,
                    Framebuffer& target) {
    if (!(scale > 0.0f) || !std::isfinite(scale))
        scale = 1.0f;
    int w = pixelWidth(window, scale), h = pixelHeight(window, scale);
    if (target.width != w || target.height != h ||
        target.pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4)
        target.resize(w, h);

    time_ = time;
    nextChange_ = std::numeric_limits<double>::infinity();
    Painter painter(target, scale);
    // The screen under everything is black.
    ItemList items;
    Item screen{Item::Kind::Screen, &window, {0.0f, 0.0f}, painter.clip(), 1.0f};
    screen.bounds = screen.opaque = painter.clip();
    items.push_back(screen);
    collect(window, {0.0f, 0.0f}, painter.clip(), 1.0f, window.subviews(), true, painter, items);
    drawList(painter, items);
    drawStatusBar(painter, window, application);

    drawn_ = true;
    lastTarget_ = &target;
    lastScale_ = scale;
    lastStatusBarHidden_ = application.isStatusBarHidden();
    lastStatusBarStyle_ = application.statusBarStyle();
    lastClockText_ = clockText_;
    ++framesDrawn_;
}

// [collect] ------------------------------------------------------------------------------------

const Animation* Renderer::activeTransition(const View& view) const {
    const Animation* found = nullptr;
    for (const auto& [key, animation] : view.layer().animations())
        if (animation && !animation->type.empty())
            found = animation.get();
    return found;
}

void Renderer::collect(const View& view, Point at, const PixelRect& clip, float opacity,
                       const std::vector<View*>& children, bool transitions, Painter& painter,
                       ItemList& out) {
    opacity *= view.alpha();
    if (view.isHidden() || !(opacity > 0.0f) || clip.isEmpty())
        return;
    const Rect rect{at.x, at.y, view.frame().width(), view.frame().height()};
    const PixelRect touched = painter.enclosing(rect).intersection(clip);
    const PixelRect covered =
        opacity >= 1.0f ? painter.interior(rect).intersection(clip) : PixelRect{};

    if (transitions) {
        if (const Animation* animation = activeTransition(view)) {
            // Redrawn every frame until the transition is taken off.
            nextChange_ = time_;
            Item item{Item::Kind::Transition, &view, at, clip, opacity};
            item.transition = animation;
            bool flip = isFlip(animation->type);
            item.bounds = flip ? clip : touched;
            bool opaqueLayer = view.backgroundColor().alpha >= 1.0f;
            item.opaque = flip || opaqueLayer ? covered : PixelRect{};
            out.push_back(std::move(item));
            return;
        }
    }

    if (view.backgroundColor().alpha > 0.0f && !touched.isEmpty()) {
        Item item{Item::Kind::Background, &view, at, clip, opacity};
        item.bounds = touched;
        if (view.backgroundColor().alpha >= 1.0f)
            item.opaque = covered;
        out.push_back(std::move(item));
    }
    if (ViewPainter::hasContent(view) && !touched.isEmpty()) {
        Item item{Item::Kind::Content, &view, at, clip, opacity};
        item.bounds = touched;
        if (views_.contentIsOpaque(view))
            item.opaque = covered;
        out.push_back(std::move(item));
    }

    PixelRect childClip = view.clipsToBounds() ? touched : clip;
    Point origin{at.x - view.bounds().minX(), at.y - view.bounds().minY()};
    for (const View* child : children) {
        if (!child)
            continue;
        Point childAt{origin.x + child->frame().minX(), origin.y + child->frame().minY()};
        collect(*child, childAt, childClip, opacity, child->subviews(), true, painter, out);
    }

    if (auto* scroll = dynamic_cast<const ScrollView*>(&view)) {
        if (scroll->indicatorsVisible(time_)) {
            double ends = scroll->lastFlashTime() + ScrollView::indicatorFlashDuration;
            // Shown by a drag rather than a flash: no end is known, so every frame is drawn.
            nextChange_ = std::min(nextChange_, time_ < ends ? ends : time_);
            Item item{Item::Kind::Indicators, &view, at, touched, opacity};
            item.bounds = touched;
            out.push_back(std::move(item));
        }
    }
}

// [occlusion] and [draw] -----------------------------------------------------------------------

void Renderer::drawList(Painter& painter, ItemList& items) {
    std::vector<PixelRect> occluders;
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        Item& item = *it;
        item.hidden = std::any_of(occluders.begin(), occluders.end(),
                                  [&](const PixelRect& o) { return o.contains(item.bounds); });
        if (item.hidden)
            continue;
        if (item.kind == Item::Kind::Background || item.kind == Item::Kind::Screen) {
            item.pieces = {item.bounds};
            for (const PixelRect& o : occluders) {
                if (item.pieces.size() > maxPieces)
                    break;
                std::vector<PixelRect> next;
                for (const PixelRect& piece : item.pieces)
                    subtract(piece, o, next);
                item.pieces = std::move(next);
            }
        }
        if (!item.opaque.isEmpty()) {
            occluders.push_back(item.opaque);
            if (occluders.size() > maxOccluders) {
                std::sort(
                    occluders.begin(), occluders.end(),
                    [](const PixelRect& a, const PixelRect& b) { return a.area() > b.area(); });
                occluders.pop_back();
            }
        }
    }

    for (const Item& item : items) {
        if (item.hidden)
            continue;
        Painter::Scope scope(painter);
        painter.clipToPixels(item.clip);
        painter.setTranslation(item.at);
        painter.setOpacity(item.opacity);
        const Rect local{0, 0, item.view->frame().width(), item.view->frame().height()};
        switch (item.kind) {
        case Item::Kind::Screen:
            for (const PixelRect& piece : item.pieces)
                painter.fillPixels(piece, Color::blackColor());
            break;
        case Item::Kind::Background:
            for (const PixelRect& piece : item.pieces) {
                Painter::Scope part(painter);
                painter.clipToPixels(piece);
                painter.fillRect(local, item.view->backgroundColor());
            }
            break;
        case Item::Kind::Content:
            views_.paintContent(painter, *item.view);
            break;
        case Item::Kind::Indicators:
            if (auto* scroll = dynamic_cast<const ScrollView*>(item.view))
                views_.paintScrollIndicators(painter, *scroll);
            break;
        case Item::Kind::Transition:
            drawTransition(painter, item);
            break;
        }
    }
}

Framebuffer& Renderer::scratch(const Framebuffer& like) {
    if (scratchDepth_ >= scratch_.size())
        scratch_.push_back(std::make_unique<Framebuffer>());
    Framebuffer& fb = *scratch_[scratchDepth_];
    if (fb.width != like.width || fb.height != like.height)
        fb.resize(like.width, like.height);
    return fb;
}

// The view under a transition as it is drawn without one, with the given children.
void Renderer::drawLayer(Painter& painter, const Item& item, const std::vector<View*>& children) {
    ItemList items;
    collect(*item.view, item.at, item.clip, item.opacity / std::max(item.view->alpha(), 1e-6f),
            children, false, painter, items);
    drawList(painter, items);
}

// A fade dissolves the content before the change into the content after it. A flip turns the
// view about its vertical axis, in perspective, over black: the old content narrows to a line,
// then the new content widens from it; from the left, the view's left edge comes forward.
void Renderer::drawTransition(Painter& painter, const Item& item) {
    const Animation& animation = *item.transition;
    const double progress = std::clamp(animation.progress(time_), 0.0, 1.0);
    Framebuffer& target = painter.target();
    const PixelRect area = item.bounds;
    if (area.isEmpty())
        return;

    Framebuffer& before = scratch(target);
    ++scratchDepth_;
    copyRows(before, target, area);
    const float scale = painter.scale();
    const Rect local{0, 0, item.view->frame().width(), item.view->frame().height()};

    if (!isFlip(animation.type)) {
        Painter old(before, scale);
        old.clipToPixels(area);
        drawLayer(old, item, animation.fromSubviews);
        drawLayer(painter, item, item.view->subviews());
        auto t = static_cast<std::uint32_t>(std::lround(progress * 256.0));
        for (int y = area.y0; y < area.y1; ++y)
            blend::mixSpan(target.at(area.x0, y), before.at(area.x0, y), target.at(area.x0, y),
                           area.width(), t);
        --scratchDepth_;
        return;
    }

    const bool firstHalf = progress < 0.5;
    {
        Painter snap(before, scale);
        snap.clipToPixels(area);
        drawLayer(snap, item, firstHalf ? animation.fromSubviews : item.view->subviews());
    }
    painter.fillRect(local, Color::blackColor());

    const Rect box = painter.toPixels(local);
    const PixelRect source = painter.enclosing(local).intersection(area);
    const double halfW = box.width() / 2.0, halfH = box.height() / 2.0;
    const double cx = box.minX() + halfW, cy = box.minY() + halfH;
    const double eye = 2.0 * box.width();
    const double angle = (firstHalf ? progress : progress - 1.0) * std::numbers::pi;
    const double turn = animation.type == TransitionType::flipFromLeft ? 1.0 : -1.0;
    const double sinA = std::sin(angle) * turn, cosA = std::cos(angle);
    if (source.isEmpty() || cosA <= 1e-6)
        return --scratchDepth_, void();

    // A point u from the axis, across the view, goes to depth z = -u sinA and shows at
    // u cosA * eye / (eye - z). Each screen column is traced back to its u and the column's
    // height scale, then sampled bilinearly.
    for (int x = area.x0; x < area.x1; ++x) {
        double sx = x + 0.5 - cx;
        double den = eye * cosA - sx * sinA;
        if (den <= 0.0)
            continue;
        double u = sx * eye / den;
        if (std::fabs(u) > halfW + 1.0)
            continue;
        double depth = eye + u * sinA;
        if (depth <= 0.0)
            continue;
        double s = eye / depth;
        double slope = cosA * eye * eye / (depth * depth); // screen pixels per u
        double coverX = std::clamp((halfW - std::fabs(u)) * slope + 0.5, 0.0, 1.0);
        int ya = std::max(area.y0, static_cast<int>(std::floor(cy - s * halfH)));
        int yb = std::min(area.y1, static_cast<int>(std::ceil(cy + s * halfH)));
        double fu = cx + u - 0.5;
        int u0 = static_cast<int>(std::floor(fu));
        double fx = fu - u0;
        int ua = std::clamp(u0, source.x0, source.x1 - 1);
        int ub = std::clamp(u0 + 1, source.x0, source.x1 - 1);
        for (int y = ya; y < yb; ++y) {
            double sy = y + 0.5 - cy;
            double v = sy / s;
            double cover = coverX * std::clamp((halfH - std::fabs(v)) * s + 0.5, 0.0, 1.0);
            if (cover <= 0.0)
                continue;
            double fv = cy + v - 0.5;
            int v0 = static_cast<int>(std::floor(fv));
            double fy = fv - v0;
            int va = std::clamp(v0, source.y0, source.y1 - 1);
            int vb = std::clamp(v0 + 1, source.y0, source.y1 - 1);
            const std::uint8_t* p00 = before.at(ua, va);
            const std::uint8_t* p10 = before.at(ub, va);
            const std::uint8_t* p01 = before.at(ua, vb);
            const std::uint8_t* p11 = before.at(ub, vb);
            std::uint8_t rgba[4];
            for (int c = 0; c < 3; ++c) {
                double top = p00[c] + (p10[c] - p00[c]) * fx;
                double bottom = p01[c] + (p11[c] - p01[c]) * fx;
                rgba[c] = static_cast<std::uint8_t>(
                    std::clamp(top + (bottom - top) * fy, 0.0, 255.0) + 0.5);
            }
            rgba[3] = 255;
            // The snapshot already holds the view's opacity.
            auto a = static_cast<std::uint32_t>(cover * 255.0 + 0.5);
            blend::blendPixel(target.at(x, y), rgba, a);
        }
    }
    --scratchDepth_;
}

// [status] -------------------------------------------------------------------------------------

void Renderer::drawStatusBar(Painter& painter, const Window& window,
                             const Application& application) {
    if (application.isStatusBarHidden())
        return;
    const float width = window.frame().width();
    const Rect bar{0, 0, width, statusBarHeight};
    Color fill{0, 0, 0, 0.5f}, ink = Color::whiteColor();
    if (application.statusBarStyle() == StatusBarStyle::BlackOpaque) {
        fill = Color::blackColor();
    } else if (application.statusBarStyle() == StatusBarStyle::Default) {
        fill = Color::grey(0.82f);
        ink = Color::blackColor();
    }
    painter.fillRect(bar, fill);

    std::string clock = clockText_;
    if (clock.empty()) {
        double seconds = std::floor(time_);
        auto minutes = static_cast<long long>(std::floor(seconds / 60.0));
        long long day = 24 * 60;
        long long m = ((minutes % day) + day) % day;
        char text[8];
        std::snprintf(text, sizeof text, "%02lld:%02lld", m / 60, m % 60);
        clock = text;
        nextChange_ = std::min(nextChange_, static_cast<double>(minutes + 1) * 60.0);
    }
    views_.paintText(painter, clock, bar, 12.0f, true, ink, TextAlignment::Center);

    // A battery, full.
    const Rect body{width - 32.0f, 6.0f, 22.0f, 9.0f};
    painter.strokeRoundedRect(body, 2.0f, 1.0f, ink);
    painter.fillRoundedRect(
        {body.minX() + 2.0f, body.minY() + 2.0f, body.width() - 4.0f, body.height() - 4.0f}, 1.0f,
        ink);
    painter.fillRoundedRect({body.maxX() + 0.5f, body.minY() + 2.5f, 1.5f, 4.0f}, 0.75f, ink);
}

} // namespace nocturo
