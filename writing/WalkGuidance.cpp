#include "writing/WalkGuidance.h"

#include <cmath>
#include <cstdio>

namespace nocturo {

namespace {
constexpr double metresPerInch = 0.0254;

bool positive(double v) {
    return std::isfinite(v) && v > 0.0;
}

std::string metres(double v) {
    char text[32];
    std::snprintf(text, sizeof text, v < 10.0 ? "%.2f m" : "%.1f m", v);
    return text;
}
} // namespace

WalkGuidance::WalkGuidance(double screenHeight, int pictureWidth, int pictureHeight,
                           double passLength)
    : screenHeight_(positive(screenHeight) ? screenHeight : typicalScreenHeight),
      passLength_(positive(passLength) ? passLength : 1.0) {
    if (pictureWidth > 0 && pictureHeight > 0) {
        distance_ = screenHeight_ * pictureWidth / pictureHeight;
        pace_ = distance_ / passLength_;
    }
}

double WalkGuidance::screenHeightFromDpi(double pixelHeight, double dotsPerInch) {
    if (!positive(pixelHeight) || !positive(dotsPerInch))
        return typicalScreenHeight;
    return pixelHeight / dotsPerInch * metresPerInch;
}

std::string WalkGuidance::words() const {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Walk %s in %.1f s (%.2f m/s) to keep the picture's proportions, "
                  "for a screen %.0f cm tall.",
                  metres(distance_).c_str(), passLength_, pace_, screenHeight_ * 100.0);
    return text;
}

std::string WalkGuidance::warning() const {
    if (!isTooFast())
        return {};
    char text[160];
    std::snprintf(text, sizeof text,
                  "That is faster than a walk while painting (over %.0f m/s): make the pass "
                  "longer, or accept a narrower picture.",
                  comfortablePace);
    return text;
}

} // namespace nocturo
