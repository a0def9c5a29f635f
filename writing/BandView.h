#pragma once

#include "platform/View.h"

#include <cstdint>
#include <vector>

namespace nocturo {

// The painting screen while a picture is written: black, but for a vertical band centred on the
// view, `bandWidth` points wide and as tall as the view, whose rows show the current column of
// the picture stretched (or shrunk) to the view's height.
class BandView : public View {
public:
    static constexpr float minBandWidth = 1.0f;
    static constexpr float maxBandWidth = 80.0f;
    static constexpr float defaultBandWidth = 8.0f;

    explicit BandView(Rect frame = {});
    const char* className() const override { return "BandView"; }

    float bandWidth() const { return bandWidth_; }
    // Held to 1 .. 80 points; a width that is not a number reads as the default.
    void setBandWidth(float points);
    // The column shown: opaque RGBA8, one pixel a row, from the top. Empty shows no band.
    const std::vector<std::uint8_t>& column() const { return column_; }
    void setColumn(std::vector<std::uint8_t> rgba);

    // Where the band lies, in the view's own points.
    Rect bandRect() const;

    bool drawsContent() const override { return !column_.empty(); }
    void drawContent(Painter& painter) const override;

private:
    float bandWidth_ = defaultBandWidth;
    std::vector<std::uint8_t> column_;
};

} // namespace nocturo
