#pragma once

#include "canvas.h"

#include <memory>
#include <string>

namespace artgen {

inline constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

// How a line of text sits vertically on the point it is centred on.
enum class VerticalCentre {
    CapHeight, // capital letters centred; descenders hang below, as for a label
    Ink,       // the drawn glyphs themselves centred, as for a symbol
};

// A TrueType font rendered with stb_truetype. Text is plain ASCII.
class Font {
public:
    // Reads kFontDir + fileName; throws with a readable message when it is missing.
    static Font load(const std::string& fileName);

    struct Box {
        float x0, y0, x1, y1;
    };
    // Ink bounds relative to the pen start on the baseline (y grows downward).
    Box measure(const std::string& text, float emPx) const;
    // Blends the text in colour, pen starting at (penX, baselineY).
    void draw(Canvas& canvas, const std::string& text, float emPx, float penX, float baselineY,
              Colour colour, float opacity = 1.0f) const;
    // Centres the ink horizontally on cx and vertically on cy as chosen.
    void drawCentred(Canvas& canvas, const std::string& text, float emPx, float cx, float cy,
                     Colour colour, VerticalCentre how = VerticalCentre::CapHeight,
                     float opacity = 1.0f) const;

private:
    struct Impl;
    std::shared_ptr<const Impl> impl_;
};

} // namespace artgen
