#include "frontends/desktop/Viewport.h"

#include "frontends/desktop/Options.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

Viewport::Viewport(int outputWidth, int outputHeight, float pixelsPerUnit, Size screenPoints)
    : points_(screenPoints), outputWidth_(std::max(0, outputWidth)),
      outputHeight_(std::max(0, outputHeight)),
      pixelsPerUnit_(pixelsPerUnit > 0.0f && std::isfinite(pixelsPerUnit) ? pixelsPerUnit : 1.0f) {
    if (!(points_.width > 0.0f) || !(points_.height > 0.0f) || outputWidth_ == 0 ||
        outputHeight_ == 0) {
        scale_ = 1.0f;
        return;
    }
    scale_ = std::min(static_cast<float>(outputWidth_) / points_.width,
                      static_cast<float>(outputHeight_) / points_.height);
    // The renderer's own rounding of a window's size in pixels, so that the frame fits.
    frameWidth_ =
        std::clamp(static_cast<int>(std::ceil(points_.width * scale_ - 0.001f)), 0, outputWidth_);
    frameHeight_ =
        std::clamp(static_cast<int>(std::ceil(points_.height * scale_ - 0.001f)), 0, outputHeight_);
    frameX_ = (outputWidth_ - frameWidth_) / 2;
    frameY_ = (outputHeight_ - frameHeight_) / 2;
}

Point Viewport::pointAt(float unitX, float unitY) const {
    // A mouse position names a whole unit; its centre is the place meant.
    float px = (unitX + 0.5f) * pixelsPerUnit_;
    float py = (unitY + 0.5f) * pixelsPerUnit_;
    return {(px - static_cast<float>(frameX_)) / scale_,
            (py - static_cast<float>(frameY_)) / scale_};
}

Point Viewport::pointAtFraction(float fx, float fy) const {
    float px = fx * static_cast<float>(outputWidth_);
    float py = fy * static_cast<float>(outputHeight_);
    return {(px - static_cast<float>(frameX_)) / scale_,
            (py - static_cast<float>(frameY_)) / scale_};
}

bool Viewport::contains(Point p) const {
    return !isEmpty() && Rect(0.0f, 0.0f, points_.width, points_.height).contains(p);
}

Point Viewport::clamp(Point p) const {
    // Just inside the maximum edges, which are not on the screen.
    float maxX = std::nextafter(points_.width, 0.0f);
    float maxY = std::nextafter(points_.height, 0.0f);
    auto hold = [](float v, float hi) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, hi); };
    return {hold(p.x, maxX), hold(p.y, maxY)};
}

int Viewport::windowExtent(float points, float scale) {
    double v = static_cast<double>(points) * static_cast<double>(scale);
    if (!std::isfinite(v) || v < 1.0)
        return 1;
    return static_cast<int>(std::lround(std::min(v, 1e6)));
}

float Viewport::fittingScale(Size screen, int usableWidth, int usableHeight) {
    // Room for a title bar and borders.
    constexpr float frameWidth = 16.0f, frameHeight = 48.0f;
    if (!(screen.width > 0.0f) || !(screen.height > 0.0f))
        return 1.0f;
    float fit = std::min((static_cast<float>(usableWidth) - frameWidth) / screen.width,
                         (static_cast<float>(usableHeight) - frameHeight) / screen.height);
    if (!std::isfinite(fit))
        return 1.0f;
    float quarters = std::floor(fit * 4.0f) / 4.0f;
    return std::clamp(quarters, minimumScale, maximumScale);
}

} // namespace nocturo
