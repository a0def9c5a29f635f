#include "artwork.h"
#include "shapes.h"

namespace artgen {

namespace {

constexpr float kMaskEdge = 1.5f;
// The colour square under the mask is two points narrower than the mask, so a disc that
// filled the mask would show the square's flat sides. Inset by one percent, the disc stays
// inside the square for every spot from 200 points up (the default is 320).
constexpr float kDiscFraction = 0.99f;

} // namespace

Canvas spotMask() {
    // Shown at 620 points, so one image pixel per screen pixel on a 3x display.
    const int side = static_cast<int>(620 * kScale);
    Canvas canvas(side, side);
    canvas.fill(grey(0.0f));
    const float c = side * 0.5f;
    punchDisc(canvas, c, c, c * kDiscFraction, kMaskEdge);
    return canvas;
}

Canvas dotArray(int spacingPoints) {
    Canvas canvas(static_cast<int>(320 * kScale), static_cast<int>(480 * kScale));
    canvas.fill(grey(0.0f));
    const float pitch = spacingPoints * kScale;
    const float radius = pitch * 0.25f; // hole diameter is half the spacing
    const float cx = canvas.width * 0.5f;
    for (float cy = pitch * 0.5f; cy - radius < canvas.height; cy += pitch) {
        punchDisc(canvas, cx, cy, radius, kMaskEdge);
    }
    return canvas;
}

} // namespace artgen
