#include "platform/render/ViewPainter.h"

#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/ScrollView.h"
#include "platform/render/Font.h"
#include "platform/render/ImageCache.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

namespace {
constexpr Color white = Color::whiteColor();

Color mix(Color a, Color b, float t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t, a.alpha + (b.alpha - a.alpha) * t};
}

Rect localBounds(const View& view) {
    return {0, 0, view.frame().width(), view.frame().height()};
}
} // namespace

ViewPainter::ViewPainter(ImageLibrary& images, ImageCache& cache, Font& regular, Font& bold)
    : images_(images), cache_(cache), regular_(regular), bold_(bold) {}

bool ViewPainter::hasContent(const View& view) {
    if (view.drawsContent())
        return true;
    if (auto* image = dynamic_cast<const ImageView*>(&view))
        return image->image() != nullptr;
    if (auto* label = dynamic_cast<const Label*>(&view))
        return !label->text().empty();
    return dynamic_cast<const Control*>(&view) != nullptr;
}

bool ViewPainter::contentIsOpaque(const View& view) {
    auto* image = dynamic_cast<const ImageView*>(&view);
    return image && cache_.isOpaque(image->image());
}

void ViewPainter::paintContent(Painter& painter, const View& view) {
    if (view.drawsContent()) {
        view.drawContent(painter);
        return;
    }
    if (auto* image = dynamic_cast<const ImageView*>(&view)) {
        paintImage(painter, image->image(), localBounds(view));
        return;
    }
    if (auto* label = dynamic_cast<const Label*>(&view)) {
        paintText(painter, label->text(), localBounds(view), label->fontSize(), label->isBold(),
                  label->textColor(), label->alignment());
        return;
    }
    auto* control = dynamic_cast<const Control*>(&view);
    if (!control)
        return;
    Painter::Scope scope(painter);
    if (!control->isEnabled())
        painter.multiplyOpacity(disabledOpacity);
    if (auto* segmented = dynamic_cast<const SegmentedControl*>(control))
        paintSegmentedControl(painter, *segmented);
    else if (auto* sw = dynamic_cast<const Switch*>(control))
        paintSwitch(painter, *sw);
    else if (auto* slider = dynamic_cast<const Slider*>(control))
        paintSlider(painter, *slider);
    else if (auto* button = dynamic_cast<const Button*>(control))
        paintButton(painter, *button);
}

void ViewPainter::paintImage(Painter& painter, const std::shared_ptr<const Image>& image,
                             Rect rect) {
    if (!image)
        return;
    Rect p = painter.toPixels(rect);
    ImageCache::Placement placement{p.minX(), p.minY(), p.width(), p.height(), painter.clip()};
    if (const ScaledImage* scaled = cache_.scaled(image, placement))
        painter.drawImage(*scaled);
}

void ViewPainter::paintText(Painter& painter, const std::string& text, Rect box, float size,
                            bool bold, Color color, TextAlignment alignment) {
    Font& font = bold ? bold_ : regular_;
    if (text.empty() || !font.isLoaded() || !(size > 0.0f))
        return;
    // Measured in the target's pixels, where the glyphs are placed.
    const float scale = painter.scale(), pixels = size * scale;
    std::u32string line = Font::decode(text);
    float width = font.measure(line, pixels) / scale;
    // Glyphs land on whole pixels, so text fitted to the box in points can come out a pixel
    // wider at some scales: that much is no reason to cut it short.
    if (width > box.width() + 1.0f / scale) {
        const std::u32string ellipsis = U"\u2026";
        float room = box.width() - font.measure(ellipsis, pixels) / scale;
        while (!line.empty() && font.measure(line, pixels) / scale > room)
            line.pop_back();
        while (!line.empty() && line.back() == U' ')
            line.pop_back();
        line += ellipsis;
        width = font.measure(line, pixels) / scale;
    }
    float ascent = font.ascent(pixels) / scale, descent = font.descent(pixels) / scale;
    float baseline = box.minY() + (box.height() - (ascent - descent)) / 2.0f + ascent;
    float x = box.minX();
    if (alignment == TextAlignment::Center)
        x = box.minX() + (box.width() - width) / 2.0f;
    else if (alignment == TextAlignment::Right)
        x = box.maxX() - width;
    painter.drawText(font, line, size, {x, baseline}, color);
}

float ViewPainter::fittingSize(const std::string& text, float width, bool bold, float size,
                               float smallest) {
    Font& font = bold ? bold_ : regular_;
    std::u32string line = Font::decode(text);
    // Measured at a size whose pixels do not depend on the screen's scale.
    const float reference = 64.0f;
    float natural = font.measure(line, reference) / reference;
    if (!(natural > 0.0f) || natural * size <= width)
        return size;
    return std::max(smallest, width / natural);
}

// Outlined in the tint, with hairline separators; the chosen segment is filled with the tint
// and titled in white, the others titled in a light shade of the tint.
void ViewPainter::paintSegmentedControl(Painter& painter, const SegmentedControl& control) {
    const Rect bounds = localBounds(control);
    const Color tint = control.tintColor();
    const float radius = std::min(5.0f, bounds.height() / 2.0f), line = 1.0f;
    const int n = control.numberOfSegments();
    const int selected = control.selectedSegmentIndex();
    if (selected >= 0 && selected < n) {
        Rect seg = control.segmentRect(selected);
        if (n == 1) {
            painter.fillRoundedRect(seg, radius, tint);
        } else {
            // Round only the outer corners: a rounded fill, squared off on the inner side(s).
            Painter::Scope scope(painter);
            painter.clipTo(seg);
            Rect wide = seg;
            if (selected > 0)
                wide = {wide.minX() - radius * 2.0f, wide.minY(), wide.width() + radius * 2.0f,
                        wide.height()};
            if (selected < n - 1)
                wide.size.width += radius * 2.0f;
            painter.fillRoundedRect(wide, radius, tint);
        }
    }
    painter.strokeRoundedRect(bounds, radius, line, tint);
    for (int i = 1; i < n; ++i) {
        Rect seg = control.segmentRect(i);
        painter.fillRect({seg.minX() - line / 2.0f, bounds.minY(), line, bounds.height()}, tint);
    }
    const Color titleColor = mix(tint, white, 0.7f);
    for (int i = 0; i < n; ++i) {
        Rect seg = control.segmentRect(i);
        Rect box{seg.minX() + 2.0f, seg.minY(), seg.width() - 4.0f, seg.height()};
        bool chosen = i == selected;
        const std::string& title = control.segments()[static_cast<std::size_t>(i)];
        paintText(painter, title, box, fittingSize(title, box.width(), chosen, 13.0f, 9.0f), chosen,
                  chosen ? white : titleColor, TextAlignment::Center);
    }
}

// A rounded track, filled with the tint when on and dark when off, and a white knob at the
// end the switch is at.
void ViewPainter::paintSwitch(Painter& painter, const Switch& control) {
    const Rect b = localBounds(control);
    const float radius = b.height() / 2.0f;
    if (control.isOn()) {
        painter.fillRoundedRect(b, radius, control.tintColor());
    } else {
        painter.fillRoundedRect(b, radius, Color::grey(0.22f));
        painter.strokeRoundedRect(b, radius, 1.5f, Color::grey(0.34f));
    }
    const float knob = radius - 2.0f;
    const float cx = control.isOn() ? b.maxX() - radius : b.minX() + radius;
    painter.fillCircle({cx, b.center().y + 0.5f}, knob + 0.5f, {0, 0, 0, 0.25f});
    painter.fillCircle({cx, b.center().y}, knob, white);
    if (control.isHighlighted())
        painter.fillCircle({cx, b.center().y}, knob, {0, 0, 0, 0.1f});
}

// The track from the minimum to the knob in the tint, the rest in grey, and a round knob.
void ViewPainter::paintSlider(Painter& painter, const Slider& control) {
    const Rect track = control.trackRect();
    const Rect knob = control.knobRect();
    const float radius = track.height() / 2.0f;
    const float split = std::clamp(knob.center().x, track.minX(), track.maxX());
    {
        Painter::Scope scope(painter);
        painter.clipTo(
            {track.minX() - radius, track.minY(), split - track.minX() + radius, track.height()});
        painter.fillRoundedRect(track, radius, control.tintColor());
    }
    {
        Painter::Scope scope(painter);
        painter.clipTo({split, track.minY(), track.maxX() - split + radius, track.height()});
        painter.fillRoundedRect(track, radius, Color::grey(0.32f));
    }
    const float r = std::max(2.0f, std::min(knob.width(), knob.height()) / 2.0f - 4.0f);
    const Point c = knob.center();
    painter.fillCircle({c.x, c.y + 1.0f}, r + 0.5f, {0, 0, 0, 0.3f});
    painter.fillCircle(c, r, white);
    if (control.isHighlighted())
        painter.fillCircle(c, r, {0, 0, 0, 0.1f});
}

// Its picture scaled to its bounds; or, without one, its title in white on a rounded tint.
void ViewPainter::paintButton(Painter& painter, const Button& control) {
    const Rect b = localBounds(control);
    if (!control.imageName().empty()) {
        paintImage(painter, images_.imageNamed(control.imageName()), b);
        if (control.isHighlighted()) {
            Painter::Scope scope(painter);
            painter.multiplyOpacity(0.5f);
            paintImage(painter, images_.imageNamed(control.imageName()), b);
        }
        return;
    }
    const float radius = std::min(6.0f, b.height() / 2.0f);
    Color fill = control.tintColor();
    if (control.isHighlighted())
        fill = mix(fill, Color::blackColor(), 0.3f);
    painter.fillRoundedRect(b, radius, fill);
    paintText(painter, control.title(), {b.minX() + 4.0f, b.minY(), b.width() - 8.0f, b.height()},
              15.0f, true, white, TextAlignment::Center);
}

// Thin rounded bars along the right and bottom edges, their length the part of the content
// shown and their place where it is.
void ViewPainter::paintScrollIndicators(Painter& painter, const ScrollView& view) {
    const Rect b = localBounds(view);
    const Size content = view.contentSize();
    const Point offset = view.contentOffset();
    const float thickness = 3.0f, inset = 2.5f, shortest = 24.0f;
    const Color color{1.0f, 1.0f, 1.0f, 0.5f};
    if (content.height > b.height() && b.height() > 2.0f * inset) {
        float room = b.height() - 2.0f * inset;
        float length =
            std::clamp(room * b.height() / content.height, std::min(shortest, room), room);
        float range = content.height - b.height();
        float t = range > 0.0f ? std::clamp(offset.y / range, 0.0f, 1.0f) : 0.0f;
        painter.fillRoundedRect(
            {b.maxX() - inset - thickness, inset + t * (room - length), thickness, length},
            thickness / 2.0f, color);
    }
    if (content.width > b.width() && b.width() > 2.0f * inset) {
        float room = b.width() - 2.0f * inset;
        float length = std::clamp(room * b.width() / content.width, std::min(shortest, room), room);
        float range = content.width - b.width();
        float t = range > 0.0f ? std::clamp(offset.x / range, 0.0f, 1.0f) : 0.0f;
        painter.fillRoundedRect(
            {inset + t * (room - length), b.maxY() - inset - thickness, length, thickness},
            thickness / 2.0f, color);
    }
}

} // namespace nocturo
