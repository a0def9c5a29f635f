#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace artgen {

float edgeCoverage(float signedDistance, float edgeWidth) {
    return clamp01(signedDistance / edgeWidth + 0.5f);
}

namespace {

// Calls fn(x, y, distanceFromCentre) for every pixel within reach of the centre.
template <typename Fn> void forEachNear(Canvas& canvas, float cx, float cy, float reach, Fn fn) {
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - reach)));
    const int x1 = std::min(canvas.width, static_cast<int>(std::ceil(cx + reach)) + 1);
    const int y1 = std::min(canvas.height, static_cast<int>(std::ceil(cy + reach)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            fn(x, y, std::hypot(x + 0.5f - cx, y + 0.5f - cy));
        }
    }
}

} // namespace

void fillDisc(Canvas& canvas, float cx, float cy, float radius, Colour colour, float edgeWidth) {
    forEachNear(canvas, cx, cy, radius + edgeWidth, [&](int x, int y, float d) {
        canvas.blend(x, y, colour, edgeCoverage(radius - d, edgeWidth));
    });
}

void punchDisc(Canvas& canvas, float cx, float cy, float radius, float edgeWidth) {
    forEachNear(canvas, cx, cy, radius + edgeWidth, [&](int x, int y, float d) {
        canvas.punch(x, y, edgeCoverage(radius - d, edgeWidth));
    });
}

void strokeRing(Canvas& canvas, float cx, float cy, float radius, float lineWidth, Colour colour,
                float edgeWidth) {
    const float half = lineWidth * 0.5f;
    forEachNear(canvas, cx, cy, radius + half + edgeWidth, [&](int x, int y, float d) {
        canvas.blend(x, y, colour, edgeCoverage(half - std::abs(d - radius), edgeWidth));
    });
}

} // namespace artgen
