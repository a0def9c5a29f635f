#pragma once

#include "platform/Image.h"
#include "writing/ColumnLight.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace nocturo {

class Font;

// A picture to write with light, column by column: a picture with its own colours, or a line of
// text kept as coverage (how much of each pixel the glyphs cover) and lit only when a column is
// shown, since the light that colours it may change while a pass plays.
class WritingPicture {
public:
    // Rows of a line of text: enough for the glyphs' curves once a column is stretched to the
    // screen's height.
    static constexpr int defaultTextHeight = 96;

    // Empty: no columns.
    WritingPicture() = default;
    // The picture's colours laid on black, as the screen shows them.
    static WritingPicture fromImage(const Image& image);
    // `text` (UTF-8, one line) drawn with `font`, `height` rows from the ascent to the descent,
    // one column of the picture for each column of pixels of the glyphs; control characters
    // show as spaces. Empty text makes an empty picture.
    static WritingPicture fromText(Font& font, std::string_view text,
                                   int height = defaultTextHeight);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    bool isText() const { return isText_; }

    // Column `index` of the picture cut into `count` columns of equal width, each the average of
    // the picture's columns it spans, as opaque RGBA8 rows from the top; text is lit by `light`.
    // Empty when the index lies outside 0 .. count - 1.
    std::vector<std::uint8_t> column(int index, int count, const ColumnLight& light = {}) const;

private:
    int width_ = 0;
    int height_ = 0;
    bool isText_ = false;
    // RGB for a picture, one coverage byte for text; rows from the top.
    std::vector<std::uint8_t> pixels_;
};

} // namespace nocturo
