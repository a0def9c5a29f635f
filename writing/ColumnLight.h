#pragma once

#include "platform/Color.h"
#include "platform/Image.h"

#include <array>
#include <cstdint>
#include <vector>

namespace nocturo {

// What lights a line of text as it is written: one colour (the spot's, or the colour the
// fantasy has walked to), or a colour for each height down the screen (the rainbow's, red at
// the top to violet at the bottom).
class ColumnLight {
public:
    using Rgb = std::array<std::uint8_t, 3>;

    // White.
    ColumnLight();
    explicit ColumnLight(Color color);
    // The colours down the middle column of `picture`; white when it has no pixels.
    static ColumnLight downPicture(const Image& picture);

    // The light at `fraction` of the height, 0 at the top and 1 at the bottom.
    Rgb at(float fraction) const;

private:
    std::vector<Rgb> rows_; // one entry for a single colour
};

} // namespace nocturo
