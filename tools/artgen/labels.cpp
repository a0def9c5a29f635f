#include "artwork.h"
#include "shapes.h"

namespace artgen {

Canvas caption(const Fonts& fonts, const char* text) {
    Canvas canvas(static_cast<int>(320 * kScale), static_cast<int>(40 * kScale));
    canvas.fill(grey(0.1f));
    fonts.regular.drawCentred(canvas, text, 20.0f * kScale, canvas.width * 0.5f,
                              canvas.height * 0.5f, grey(1.0f));
    return canvas;
}

Canvas settingsIcon(const Fonts& fonts) {
    const int side = static_cast<int>(26 * kScale);
    Canvas canvas(side, side);
    const float c = side * 0.5f;
    const float line = 1.5f * kScale;
    strokeRing(canvas, c, c, c - line * 0.5f - 1.0f, line, grey(kDimInk));
    fonts.bold.drawCentred(canvas, "i", 16.0f * kScale, c, c, grey(kDimInk), VerticalCentre::Ink);
    return canvas;
}

// The start control of the timed light: a 60-point corner square, dark but for a small clock
// face where the settings control sits in the opposite corner, no brighter than 26 of 255.
Canvas timedLightIcon() {
    const int side = static_cast<int>(60 * kScale);
    Canvas canvas(side, side);
    const float cx = 17.0f * kScale, cy = 45.0f * kScale;
    const Colour dim = grey(0.1f);
    strokeRing(canvas, cx, cy, 8.0f * kScale, 1.0f * kScale, dim);
    fillDisc(canvas, cx, cy, 2.0f * kScale, dim);
    return canvas;
}

} // namespace artgen
