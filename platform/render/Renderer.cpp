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
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// For each f from 0 to 256, four 16-bit lanes of 256 - f and four of f: the weights of two
// pixels side by side mixed by f / 256.
struct alignas(16) MixWeights {
    std::uint16_t lanes[8];
};
constexpr std::array<MixWeights, 257> mixWeights = [] {
    std::array<MixWeights, 257> weights{};
    for (std::uint16_t f = 0; f <= 256; ++f)
        for (int k = 0; k < 4; ++k) {
            weights[f].lanes[k] = static_cast<std::uint16_t>(256 - f);
            weights[f].lanes[k + 4] = f;
        }
    return weights;
}();

// The bilinear mix of four pixels: `top` and `bottom` each point at two side by side, the left
// and the right one, by fx and fy in 1/256: each byte becomes a + (b - a) f / 256, rounded,
// across the top and bottom pairs first and then between them.
std::uint32_t bilinear(const std::uint8_t* top, const std::uint8_t* bottom, std::uint32_t fx,
                       std::uint32_t fy) {
#if defined(__SSE2__)
    // Each pair a byte a 16-bit lane, the left pixel's four under 256 - f and the right's under
    // f, so that one multiplication weighs both: no sum passes 255 * 256 + 128.
    auto weights = [](std::uint32_t f) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(mixWeights[f].lanes));
    };
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    auto across = [&](const std::uint8_t* pair) {
        const __m128i both =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair)), zero);
        const __m128i weighed = _mm_mullo_epi16(both, weights(fx));
        return _mm_add_epi16(weighed, _mm_srli_si128(weighed, 8));
    };
    // The top pair's mix in the low lanes, the bottom's in the high ones, then the two weighed
    // the same way by fy.
    const __m128i rows =
        _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(across(top), across(bottom)), half), 8);
    const __m128i weighed = _mm_mullo_epi16(rows, weights(fy));
    const __m128i down =
        _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(weighed, _mm_srli_si128(weighed, 8)), half), 8);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(down, down)));
#else
    // Two bytes a multiplication.
    auto lerp = [](std::uint32_t a, std::uint32_t b, std::uint32_t f) {
        const std::uint32_t g = 256u - f, even = 0x00ff00ffu, half = 0x00800080u;
        std::uint32_t lo = (((a & even) * g + (b & even) * f + half) >> 8) & even;
        std::uint32_t hi = ((((a >> 8) & even) * g + ((b >> 8) & even) * f + half) >> 8) & even;
        return lo | (hi << 8);
    };
    std::uint32_t p[4];
    std::memcpy(p, top, 8);
    std::memcpy(p + 2, bottom, 8);
    return lerp(lerp(p[0], p[1], fx), lerp(p[2], p[3], fx), fy);
#endif
}

// Values each given with its bucket, in order of bucket and, within one, in the order given (a
// counting sort); `bounds` gets where each of the `buckets` begins in the result, and an end.
template <typename Value>
std::vector<Value> byBucket(const std::vector<std::pair<std::size_t, Value>>& keyed,
                            std::size_t buckets, std::vector<std::size_t>& bounds) {
    bounds.assign(buckets + 1, 0);
    for (const auto& [bucket, value] : keyed)
        ++bounds[bucket + 1];
    for (std::size_t b = 0; b < buckets; ++b)
        bounds[b + 1] += bounds[b];
    std::vector<Value> sorted(keyed.size());
    std::vector<std::size_t> next(bounds.begin(), bounds.end() - 1);
    for (const auto& [bucket, value] : keyed)
        sorted[next[bucket]++] = value;
    return sorted;
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
    // Only the clock moved since the last frame: what a flip turns is still as it was.
    bool keepSnapshots = drawn_ && !window.needsDisplay() && &target == lastTarget_ &&
                         scale == lastScale_ && target.width == pixelWidth(window, scale) &&
                         target.height == pixelHeight(window, scale);
    drawFrame(window, application, time, scale, target, keepSnapshots);
    window.clearNeedsDisplay();
    return true;
}

void Renderer::draw(const Window& window, const Application& application, double time, float scale,
                    Framebuffer& target) {
    drawFrame(window, application, time, scale, target, false);
}

void Renderer::drawFrame(const Window& window, const Application& application, double time,
                         float scale, Framebuffer& target, bool keepSnapshots) {
    if (!keepSnapshots)
        for (Snapshot& snap : snapshots_)
            snap.valid = false;
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

    const float scale = painter.scale();
    const Rect local{0, 0, item.view->frame().width(), item.view->frame().height()};

    if (!isFlip(animation.type)) {
        Framebuffer& before = scratch(target);
        ++scratchDepth_;
        copyRows(before, target, area);
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
    Snapshot& snap = snapshot(painter, item, firstHalf);
    // Over an opaque view that covers the area whole, each row's black is written with it;
    // otherwise the view is blackened first, as its opacity and edges say.
    const bool ownBlack =
        painter.opacity() >= 1.0f && painter.interior(local).intersection(area) == area;
    if (!ownBlack)
        painter.fillRect(local, Color::blackColor());

    const Rect box = painter.toPixels(local);
    const PixelRect source = painter.enclosing(local).intersection(area);
    const double halfW = box.width() / 2.0, halfH = box.height() / 2.0;
    const double cx = box.minX() + halfW, cy = box.minY() + halfH;
    const double eye = 2.0 * box.width();
    const double angle = (firstHalf ? progress : progress - 1.0) * std::numbers::pi;
    const double turn = animation.type == TransitionType::flipFromLeft ? 1.0 : -1.0;
    const double sinA = std::sin(angle) * turn, cosA = std::cos(angle);
    static constexpr std::uint8_t black[4] = {0, 0, 0, 255};
    if (source.isEmpty() || cosA <= 1e-6) {
        if (ownBlack)
            for (int y = area.y0; y < area.y1; ++y)
                blend::fillSpan(target.at(area.x0, y), area.width(), black);
        return;
    }
    if (!(snap.stretchesOver == source))
        snap.findStretches(source);

    // A point u from the axis, across the view, goes to depth z = -u sinA and shows at
    // u cosA * eye / (eye - z). Each screen column is traced back to its u and the column's
    // height scale, then sampled bilinearly. u, and with it the height scale, only grows or
    // only shrinks across the screen, so on each row the columns the view reaches, and those
    // it covers whole, are one interval each.
    struct Column {
        int ya = 0, yb = 0; // rows the view reaches; none when the column misses it
        int fa = 0, fb = 0; // rows it covers whole, a pixel inside the exact edge: [fa, fb]
        int ua = 0;
        double s = 1.0, coverX = 0.0;
        double reachY = 0.0; // halfH s + 0.5: how far the view reaches from the middle row
    };
    // How a column the view reaches samples the snapshot: the row that screen row y reads,
    // (y + 0.5 - cy) / s + cy - 0.5, in fixed point with 32 bits of fraction, so that its whole
    // part grows in exact steps down the column and the screen row where it reaches a given
    // snapshot row is a division; and the pair of pixels side by side that it mixes.
    struct Sampler {
        std::int64_t row0 = 0, rowStep = 0; // the row at screen row 0, and its growth a row
        std::uint32_t pair = 0;             // the byte offset in a row of the pair's left pixel
        std::uint32_t fx256 = 0;            // the right one's weight, in 1/256
        int lastRow = 0;                    // the last screen row it covers whole
        const Snapshot::Stretch* entered = nullptr; // the stretch it samples now
        // In a mixing stretch, the snapshot rows its upper pair comes from, [rowFrom, rowTo],
        // and where their pairs are: row v's at pairs[2 (rowPairs + v)].
        int rowFrom = 0, rowTo = 0;
        std::int64_t rowPairs = 0;
    };
    constexpr double rowUnit = 4294967296.0;
    std::vector<Column> cols(static_cast<std::size_t>(area.width()));
    std::vector<Sampler> samplers(cols.size());
    int firstWhole = area.x1, lastWhole = area.x0 - 1;
    int firstReach = area.x1, lastReach = area.x0 - 1;
    for (int x = area.x0; x < area.x1; ++x) {
        Column& c = cols[static_cast<std::size_t>(x - area.x0)];
        double sx = x + 0.5 - cx;
        double den = eye * cosA - sx * sinA;
        double u = den > 0.0 ? sx * eye / den : 0.0;
        double depth = eye + u * sinA;
        if (!(den > 0.0 && std::fabs(u) <= halfW + 1.0 && depth > 0.0)) {
            c.ya = c.yb = area.y0;
            c.fa = area.y1;
            c.fb = area.y0 - 1;
            continue;
        }
        c.s = eye / depth;
        const double invS = depth / eye;
        firstReach = std::min(firstReach, x);
        lastReach = std::max(lastReach, x);
        double slope = cosA * eye * eye / (depth * depth); // screen pixels per u
        c.coverX = std::clamp((halfW - std::fabs(u)) * slope + 0.5, 0.0, 1.0);
        c.ya = std::max(area.y0, static_cast<int>(std::floor(cy - c.s * halfH)));
        c.yb = std::min(area.y1, static_cast<int>(std::ceil(cy + c.s * halfH)));
        c.fa = area.y1;
        c.fb = area.y0 - 1;
        c.reachY = halfH * c.s + 0.5;
        // A pair of pixels is read as one: a view a pixel wide has only edges.
        if (c.coverX >= 1.0 && snap.pixels.width >= 2) {
            c.fa = static_cast<int>(std::ceil(cy - c.s * halfH + 0.5)) + 1;
            c.fb = static_cast<int>(std::floor(cy + c.s * halfH - 0.5)) - 1;
            firstWhole = std::min(firstWhole, x);
            lastWhole = std::max(lastWhole, x);
        }
        double fu = cx + u - 0.5;
        int u0 = static_cast<int>(std::floor(fu));
        const double fx = fu - u0;
        c.ua = std::clamp(u0, source.x0, source.x1 - 1);
        const int ub = std::clamp(u0 + 1, source.x0, source.x1 - 1);
        Sampler& sampler = samplers[static_cast<std::size_t>(x - area.x0)];
        sampler.row0 = std::llround((cy - cy * invS + 0.5 * invS - 0.5) * rowUnit);
        sampler.rowStep = std::max<std::int64_t>(1, std::llround(invS * rowUnit));
        sampler.pair = static_cast<std::uint32_t>(c.ua) * 4;
        sampler.fx256 = static_cast<std::uint32_t>(fx * 256.0 + 0.5);
        // A pair clamped to one pixel at an edge of the snapshot reads it beside a neighbour
        // inside the framebuffer, with all the weight on it.
        if (c.ua == ub) {
            const bool left = c.ua + 1 < snap.pixels.width;
            sampler.pair = static_cast<std::uint32_t>(left ? c.ua : c.ua - 1) * 4;
            sampler.fx256 = left ? 0 : 256;
        }
    }
    auto column = [&](int x) -> const Column& {
        return cols[static_cast<std::size_t>(x - area.x0)];
    };
    // The interval of [from, to) where `inside` holds, from `anchor`, its column nearest the
    // eye, where a row crosses the view if it crosses it anywhere. Row by row the interval's
    // ends move a few columns at most, so they are followed from the row above's, `last`; the
    // first row that crosses the view finds them by halving.
    auto interval = [&](int from, int to, int anchor, std::pair<int, int>& last, auto inside) {
        if (from >= to || anchor < from || anchor >= to || !inside(anchor))
            return last = {from, from};
        auto [start, end] = last;
        if (start >= end) {
            int lo = from - 1, hi = anchor; // first inside in (lo, hi]
            while (hi - lo > 1) {
                int m = lo + (hi - lo) / 2;
                (inside(m) ? hi : lo) = m;
            }
            start = hi;
            lo = anchor;
            hi = to; // last inside in [lo, hi)
            while (hi - lo > 1) {
                int m = lo + (hi - lo) / 2;
                (inside(m) ? lo : hi) = m;
            }
            end = lo + 1;
        } else {
            while (start > from && inside(start - 1))
                --start;
            while (start < anchor && !inside(start))
                ++start;
            while (end < to && inside(end))
                ++end;
            while (end - 1 > anchor && !inside(end - 1))
                --end;
        }
        return last = {start, end};
    };
    // The height scale grows towards the edge that comes forward.
    const bool nearRight = sinA < 0.0;

    // Pixels the view covers whole go by columns. A column samples one pair of snapshot
    // columns, at rows that only grow down the screen, so a steady stretch down that pair is a
    // stretch of the column in one colour, the pair mixed across, and the row where the next
    // stretch starts follows from where this one ends. Each row is a copy of the line of those
    // colours, with the columns in a mixing stretch sampled over it; the pixels on the view's
    // edges are sampled the same way and laid over black by their coverage.
    const int first = source.y0, last = source.y1 - 1;
    const auto width = static_cast<std::size_t>(area.width());
    const std::uint8_t* const pixels = snap.pixels.pixels.data();
    // The snapshot row screen row y of a column samples, in 1/2^32 rows.
    auto rowAt = [](const Sampler& sampler, int y) { return sampler.row0 + y * sampler.rowStep; };
    // The weight of the row below in such a sampled row, in 1/256.
    auto rowBelow = [](std::int64_t row) {
        return static_cast<std::uint32_t>(((row & 0xffffffff) + (1 << 23)) >> 24);
    };
    auto wholeRow = [first, last](std::int64_t row) {
        return static_cast<int>(std::clamp<std::int64_t>(row >> 32, first, last));
    };
    const std::size_t stride = snap.pixels.stride();
    const Snapshot::Stretch* const stretches = snap.stretches.data();
    std::uint32_t blackColour;
    std::memcpy(&blackColour, black, 4);
    std::vector<std::uint32_t> line(width, blackColour);
    // The columns in a mixing stretch, sampled row by row from its pairs.
    std::vector<std::uint64_t> watched((width + 63) / 64, 0);
    // Each column enters the stretch its first whole row samples before the rows are drawn,
    // then waits for the row where it enters its next one, in a list for that row: `waiting[r]`
    // is the first column due at row area.y0 + r and `nextDue[i]` the one after column i. On
    // entering, a steady stretch's colour goes into the line and its column out of `watched`, a
    // mixing one's column into it; the line's entry for a mixing column is never read, so every
    // start writes its colour.
    constexpr std::uint32_t none = ~0u;
    std::vector<std::uint32_t> waiting(static_cast<std::size_t>(area.height()), none);
    std::vector<std::uint32_t> nextDue(width, none);
    auto await = [&](std::uint32_t i, int row) {
        const auto r = static_cast<std::size_t>(row - area.y0);
        nextDue[i] = waiting[r];
        waiting[r] = i;
    };
    // Column i enters the stretch that row `row` samples, and waits for the next one.
    auto enter = [&](std::uint32_t i, int row) {
        Sampler& sampler = samplers[i];
        // A row may step over short stretches.
        const int v = wholeRow(rowAt(sampler, row));
        const Snapshot::Stretch* stretch = sampler.entered;
        while (stretch->end <= v)
            ++stretch;
        sampler.entered = stretch;
        sampler.rowFrom = v;
        sampler.rowTo = std::min(stretch->end - 1, last);
        sampler.rowPairs = stretch->rowPairs;
        std::uint32_t colour = stretch->left;
        if (stretch->steady && stretch->right != colour) {
            const std::uint32_t pair[2] = {stretch->left, stretch->right};
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(pair);
            colour = bilinear(bytes, bytes, sampler.fx256, 0);
        }
        line[i] = colour;
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        watched[i / 64] = (watched[i / 64] & ~bit) | (stretch->steady ? 0 : bit);
        if (stretch->end > last)
            return;
        // The first row below that samples the stretch's end row: the sampled row grows by
        // rowStep a row.
        const std::int64_t toEnd = (std::int64_t{stretch->end} << 32) - sampler.row0;
        const std::int64_t next =
            std::max<std::int64_t>(row + 1, (toEnd + sampler.rowStep - 1) / sampler.rowStep);
        if (next <= sampler.lastRow)
            await(i, static_cast<int>(next));
    };
    for (std::size_t i = 0; i < width; ++i) {
        const Column& c = cols[i];
        Sampler& sampler = samplers[i];
        const int row = std::max(c.fa, area.y0);
        sampler.lastRow = std::min(c.fb, area.y1 - 1);
        if (row > sampler.lastRow)
            continue;
        sampler.entered = stretches + snap.columnStarts[static_cast<std::size_t>(c.ua - source.x0)];
        enter(static_cast<std::uint32_t>(i), row);
    }
    // Column i's pixel at row y, mixed from its four samples in the snapshot, whose first and
    // last rows stand in for those above and below it.
    auto mix = [&](std::size_t i, int y, std::uint8_t* out) {
        const Sampler& sampler = samplers[i];
        const std::int64_t row = rowAt(sampler, y);
        const std::uint8_t* top = pixels + static_cast<std::size_t>(wholeRow(row)) * stride;
        const std::uint8_t* bottom =
            pixels + static_cast<std::size_t>(wholeRow(row + (std::int64_t{1} << 32))) * stride;
        const std::uint32_t mixed =
            bilinear(top + sampler.pair, bottom + sampler.pair, sampler.fx256, rowBelow(row));
        std::memcpy(out, &mixed, 4);
    };

    // The same for a column mixing down a stretch, from the stretch's pairs: the rows it reads
    // lie in one cache line after another.
    const std::uint32_t* const pairs = snap.pairs.data();
    auto mixDown = [&](std::size_t i, int y, std::uint8_t* out) {
        const Sampler& sampler = samplers[i];
        const std::int64_t row = rowAt(sampler, y);
        const std::int64_t v = std::clamp<std::int64_t>(row >> 32, sampler.rowFrom, sampler.rowTo);
        const auto* top = reinterpret_cast<const std::uint8_t*>(
            pairs + 2 * static_cast<std::size_t>(sampler.rowPairs + v));
        const std::uint32_t mixed = bilinear(top, top + 8, sampler.fx256, rowBelow(row));
        std::memcpy(out, &mixed, 4);
    };

    // A pixel the view covers only in part: its coverage, over black.
    auto edgePixel = [&](int x, int y) {
        const Column& c = column(x);
        std::uint8_t* out = target.at(x, y);
        if (ownBlack)
            std::memcpy(out, black, 4);
        if (y < c.ya || y >= c.yb)
            return;
        // Down the column the view reaches halfH s from the middle, with no division.
        const double cover = c.coverX * std::clamp(c.reachY - std::fabs(y + 0.5 - cy), 0.0, 1.0);
        if (cover <= 0.0)
            return;
        const auto i = static_cast<std::size_t>(x - area.x0);
        std::uint8_t rgba[4];
        if (snap.pixels.width >= 2)
            mix(i, y, rgba);
        else
            std::memcpy(rgba, snap.pixels.at(c.ua, wholeRow(rowAt(samplers[i], y))), 4);
        rgba[3] = 255;
        // The snapshot already holds the view's opacity.
        blend::blendPixel(out, rgba, static_cast<std::uint32_t>(cover * 255.0 + 0.5));
    };
    std::pair<int, int> reached{0, 0}, covered{0, 0}; // the row above's intervals
    for (int y = area.y0; y < area.y1; ++y) {
        auto [reachA, reachB] = interval(firstReach, lastReach + 1,
                                         nearRight ? lastReach : firstReach, reached, [&](int x) {
                                             const Column& c = column(x);
                                             return y >= c.ya && y < c.yb;
                                         });
        if (reachA >= reachB)
            reachA = reachB = area.x1;
        auto [a, b] = interval(firstWhole, lastWhole + 1, nearRight ? lastWhole : firstWhole,
                               covered, [&](int x) {
                                   const Column& c = column(x);
                                   return y >= c.fa && y <= c.fb;
                               });
        if (a >= b)
            a = b = reachB;
        a = std::clamp(a, reachA, reachB);
        b = std::clamp(b, a, reachB);
        if (ownBlack) {
            blend::fillSpan(target.at(area.x0, y), reachA - area.x0, black);
            blend::fillSpan(target.at(reachB, y), area.x1 - reachB, black);
        }
        for (int x = reachA; x < a; ++x)
            edgePixel(x, y);
        for (int x = b; x < reachB; ++x)
            edgePixel(x, y);

        for (std::uint32_t i = waiting[static_cast<std::size_t>(y - area.y0)]; i != none;) {
            const std::uint32_t after = nextDue[i];
            enter(i, y);
            i = after;
        }
        if (a >= b)
            continue;
        const auto from = static_cast<std::size_t>(a - area.x0),
                   to = static_cast<std::size_t>(b - area.x0);
        std::uint8_t* row = target.at(area.x0, y);
        std::memcpy(row + from * 4, line.data() + from, (to - from) * 4);
        for (std::size_t word = from / 64; word <= (to - 1) / 64; ++word) {
            std::uint64_t bits = watched[word];
            if (word == from / 64)
                bits &= ~std::uint64_t{0} << (from % 64);
            if (word == (to - 1) / 64 && to % 64 != 0)
                bits &= ~(~std::uint64_t{0} << (to % 64));
            while (bits != 0) {
                const std::size_t i = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                bits &= bits - 1;
                mixDown(i, y, row + i * 4);
            }
        }
    }
}

// The view under a flip as it is drawn without one, before or after the change, kept while
// nothing on the screen changes; its stretches of one colour are found when first needed.
Renderer::Snapshot& Renderer::snapshot(Painter& painter, const Item& item, bool before) {
    Snapshot& snap = snapshots_[before ? 0 : 1];
    const Framebuffer& target = painter.target();
    const PixelRect area = item.bounds;
    const std::vector<View*>& children =
        before ? item.transition->fromSubviews : item.view->subviews();
    // The views a transition takes away are on no screen: their changes reach no window, but
    // their revisions still count them.
    std::uint64_t stamp = 14695981039346656037ull;
    auto mark = [&](auto& self, const View& view, const std::vector<View*>& below) -> void {
        for (std::uint64_t v :
             {static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&view)), view.revision()})
            stamp = (stamp ^ v) * 1099511628211ull;
        for (const View* child : below)
            if (child)
                self(self, *child, child->subviews());
    };
    mark(mark, *item.view, children);
    if (snap.valid && snap.stamp == stamp && snap.view == item.view && snap.area == area &&
        snap.pixels.width == target.width && snap.pixels.height == target.height &&
        snap.scale == painter.scale() && time_ >= snap.drawnAt && time_ < snap.goodUntil)
        return snap;
    if (snap.pixels.width != target.width || snap.pixels.height != target.height)
        snap.pixels.resize(target.width, target.height);
    copyRows(snap.pixels, target, area);
    // Whatever in the layer changes with time, such as scroll indicators that go out after a
    // flash, makes the snapshot good until that change only; shown by a drag, which gives no
    // end, they make it good for this frame only.
    const double changeBefore = nextChange_;
    nextChange_ = std::numeric_limits<double>::infinity();
    {
        Painter layer(snap.pixels, painter.scale());
        layer.clipToPixels(area);
        drawLayer(layer, item, children);
    }
    snap.valid = true;
    snap.drawnAt = time_;
    snap.goodUntil = nextChange_;
    nextChange_ = std::min(changeBefore, nextChange_);
    snap.view = item.view;
    snap.stamp = stamp;
    snap.area = area;
    snap.scale = painter.scale();

    snap.stretchesOver = {};
    return snap;
}

void Renderer::Snapshot::findStretches(const PixelRect& over) {
    stretchesOver = over;
    const auto width = static_cast<std::size_t>(over.width());
    // The stretches as they end, in one list in row order, each with its column.
    std::vector<std::pair<std::size_t, Stretch>> ended;
    ended.reserve(width * 8);
    // Row by row, each column's stretch so far and whether it is steady. Two blocks one above
    // the other share a row of pixels, so a stretch of blocks whose top and bottom pairs are
    // alike has one pair throughout.
    std::vector<Stretch> open(width);
    // Whether each column's open stretch is steady, as a lane of all ones or all zeros.
    std::vector<std::uint32_t> openSteady(width, 0);
    for (int y = over.y0; y < over.y1; ++y) {
        const std::uint8_t* top = pixels.at(over.x0, y);
        const std::uint8_t* bottom = pixels.at(over.x0, std::min(y + 1, over.y1 - 1));
        auto visit = [&](std::size_t x, bool steady, std::uint32_t p00, std::uint32_t p10) {
            if (y > over.y0 && steady == open[x].steady)
                return;
            if (y > over.y0) {
                open[x].end = y;
                ended.push_back({x, open[x]});
            }
            open[x] = {0, p00, p10, steady};
            openSteady[x] = steady ? ~0u : 0u;
        };
        std::size_t x = 0;
#if defined(__SSE2__)
        // Four blocks at a time while their right pixels lie inside the row; most rows start
        // no stretch in most columns.
        if (y > over.y0) {
            auto load = [](const void* p) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            };
            for (; x + 4 < width; x += 4) {
                const __m128i p00 = load(top + x * 4), p10 = load(top + x * 4 + 4);
                const __m128i steady =
                    _mm_and_si128(_mm_cmpeq_epi32(p00, load(bottom + x * 4)),
                                  _mm_cmpeq_epi32(p10, load(bottom + x * 4 + 4)));
                const int changed = _mm_movemask_ps(
                    _mm_castsi128_ps(_mm_xor_si128(steady, load(openSteady.data() + x))));
                if (changed == 0)
                    continue;
                std::uint32_t lanes[4], lefts[4], rights[4];
                _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), steady);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(lefts), p00);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rights), p10);
                for (std::size_t k = 0; k < 4; ++k)
                    if (changed & (1 << k))
                        visit(x + k, lanes[k] != 0, lefts[k], rights[k]);
            }
        }
#endif
        for (; x < width; ++x) {
            const std::size_t right = std::min(x + 1, width - 1) * 4;
            std::uint32_t p00, p10, p01, p11;
            std::memcpy(&p00, top + x * 4, 4);
            std::memcpy(&p10, top + right, 4);
            std::memcpy(&p01, bottom + x * 4, 4);
            std::memcpy(&p11, bottom + right, 4);
            visit(x, ((p00 ^ p01) | (p10 ^ p11)) == 0, p00, p10);
        }
    }
    for (std::size_t x = 0; x < width; ++x) {
        open[x].end = over.y1;
        ended.push_back({x, open[x]});
    }
    // Column by column, each from the top down.
    std::vector<std::size_t> perColumn;
    const std::vector<Stretch> found = byBucket(ended, width, perColumn);
    // Short steady stretches join the mixing ones around them.
    stretches.clear();
    columnStarts.assign(width + 1, 0);
    for (std::size_t x = 0; x < width; ++x) {
        columnStarts[x] = stretches.size();
        int start = over.y0;
        for (std::size_t k = perColumn[x]; k < perColumn[x + 1]; ++k) {
            Stretch stretch = found[k];
            stretch.steady = stretch.steady && stretch.end - start >= shortestSteady;
            if (!stretch.steady && stretches.size() > columnStarts[x] && !stretches.back().steady)
                stretches.back().end = stretch.end;
            else
                stretches.push_back(stretch);
            start = stretch.end;
        }
    }
    columnStarts[width] = stretches.size();

    // The mixing stretches' pairs, each row's left pixel and the one beside it.
    pairs.clear();
    for (std::size_t x = 0; x < width; ++x) {
        const int column = over.x0 + static_cast<int>(x);
        const std::size_t right = x + 1 < width ? 4 : 0;
        int start = over.y0;
        for (std::size_t k = columnStarts[x]; k < columnStarts[x + 1]; ++k) {
            Stretch& stretch = stretches[k];
            if (!stretch.steady) {
                stretch.rowPairs = static_cast<std::int32_t>(pairs.size() / 2) - start;
                for (int y = start; y <= stretch.end; ++y) {
                    const std::uint8_t* const p = pixels.at(column, std::min(y, over.y1 - 1));
                    std::uint32_t pair[2];
                    std::memcpy(&pair[0], p, 4);
                    std::memcpy(&pair[1], p + right, 4);
                    pairs.insert(pairs.end(), pair, pair + 2);
                }
            }
            start = stretch.end;
        }
    }
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
