#include "exposure/PhotographView.h"

#include "platform/Window.h"
#include "platform/render/Painter.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

PhotographView::PhotographView(Rect frame) : View(frame) {
    setBackgroundColor(Color::blackColor());
}

void PhotographView::setPhotograph(Framebuffer photograph) {
    if (photograph.width == photograph_.width && photograph.height == photograph_.height &&
        photograph.pixels == photograph_.pixels)
        return;
    photograph_ = std::move(photograph);
    setNeedsDisplay();
}

// One finger draws: the first that goes down, until it lifts.
void PhotographView::touchesBegan(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (finger_ != 0 || touches.empty())
        return;
    finger_ = touches.front()->id;
    stroke_.assign(1, touches.front()->locationInView(this));
}

void PhotographView::touchesMoved(const std::vector<Touch*>& touches, const TouchEvent&) {
    for (const Touch* touch : touches)
        if (touch->id == finger_ && finger_ != 0 && stroke_.size() < maxStrokePoints)
            stroke_.push_back(touch->locationInView(this));
}

void PhotographView::touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) {
    for (const Touch* touch : touches) {
        if (touch->id != finger_ || finger_ == 0)
            continue;
        touchesMoved({const_cast<Touch*>(touch)}, event);
        finger_ = 0;
        std::vector<Point> path = std::move(stroke_);
        stroke_.clear();
        if (path.size() >= 2 && pathDrawn)
            pathDrawn(path);
    }
}

void PhotographView::touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent&) {
    for (const Touch* touch : touches)
        if (touch->id == finger_) {
            finger_ = 0;
            stroke_.clear();
        }
}

Rect PhotographView::pictureRect() const {
    const Rect b = bounds();
    if (photograph_.isEmpty() || !(b.width() > 0.0f) || !(b.height() > 0.0f))
        return {};
    const float fit = std::min(b.width() / static_cast<float>(photograph_.width),
                               b.height() / static_cast<float>(photograph_.height));
    const float w = photograph_.width * fit, h = photograph_.height * fit;
    return {b.minX() + (b.width() - w) / 2.0f, b.minY() + (b.height() - h) / 2.0f, w, h};
}

// Each target pixel takes the photograph pixel under its centre; the photograph's own pixels are
// about the view's, so nothing finer is needed.
void PhotographView::drawContent(Painter& painter) const {
    const Rect picture = pictureRect();
    const Rect pixels = painter.toPixels(picture);
    const PixelRect area = painter.enclosing(picture).intersection(painter.clip());
    if (area.isEmpty() || !(pixels.width() > 0.0f) || !(pixels.height() > 0.0f))
        return;
    Framebuffer& target = painter.target();
    const float alpha = std::clamp(painter.opacity(), 0.0f, 1.0f);
    const double perX = photograph_.width / static_cast<double>(pixels.width());
    const double perY = photograph_.height / static_cast<double>(pixels.height());
    for (int y = area.y0; y < area.y1; ++y) {
        const int sy = std::clamp(static_cast<int>((y + 0.5 - pixels.minY()) * perY), 0,
                                  photograph_.height - 1);
        std::uint8_t* out = target.at(area.x0, y);
        for (int x = area.x0; x < area.x1; ++x, out += 4) {
            const int sx = std::clamp(static_cast<int>((x + 0.5 - pixels.minX()) * perX), 0,
                                      photograph_.width - 1);
            const std::uint8_t* in = photograph_.at(sx, sy);
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(
                    std::lround(out[c] + (in[c] - out[c]) * static_cast<double>(alpha)));
        }
    }
}

} // namespace nocturo
