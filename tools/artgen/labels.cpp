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

} // namespace artgen
