#pragma once

#include "platform/render/PixelRect.h"

#include <cstdint>
#include <vector>

namespace nocturo {

// A picture resampled to the pixels it covers on the screen, over `area` (target pixels), as
// runs along each row: clear runs draw nothing, solid runs one premultiplied colour, and the
// rest premultiplied pixels of their own, opaque or partly covering. A picture that is mostly
// one colour (a mask above all) thus keeps pixels only along its edges.
struct ScaledImage {
    enum class RunKind : std::uint8_t { Clear, Solid, Opaque, Blend };
    struct Run {
        int start = 0; // from the row's first pixel
        int length = 0;
        RunKind kind = RunKind::Clear;
        std::uint8_t colour[4] = {0, 0, 0, 0}; // a solid run's, premultiplied
        std::uint32_t offset = 0;              // an opaque or blend run's first pixel in `pixels`
    };

    PixelRect area;
    std::vector<Run> runs;             // row after row
    std::vector<std::uint32_t> rowEnd; // each row's runs end here in `runs`
    std::vector<std::uint8_t> pixels;

    const Run* rowBegin(int y) const {
        return runs.data() + (y == 0 ? 0 : rowEnd[static_cast<std::size_t>(y) - 1]);
    }
    const Run* rowFinish(int y) const { return runs.data() + rowEnd[static_cast<std::size_t>(y)]; }
    std::size_t byteSize() const {
        return pixels.size() + runs.size() * sizeof(Run) + rowEnd.size() * 4 + sizeof(*this);
    }
};

} // namespace nocturo
