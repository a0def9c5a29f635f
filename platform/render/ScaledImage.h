#pragma once

#include "platform/render/PixelRect.h"

#include <cstdint>
#include <vector>

namespace nocturo {

// A picture resampled to the pixels it covers on the screen: premultiplied RGBA8 over `area`
// (target pixels), with each row cut into runs that are clear, opaque or partly covering, so
// that drawing skips the clear runs and copies the opaque ones.
struct ScaledImage {
    enum class RunKind : std::uint8_t { Clear, Opaque, Blend };
    struct Run {
        int start = 0; // from the row's first pixel
        int length = 0;
        RunKind kind = RunKind::Clear;
    };

    PixelRect area;
    std::vector<std::uint8_t> pixels;
    std::vector<std::vector<Run>> rows;

    const std::uint8_t* row(int y) const {
        return pixels.data() +
               static_cast<std::size_t>(y) * static_cast<std::size_t>(area.width()) * 4;
    }
    std::size_t byteSize() const { return pixels.size() + rows.size() * sizeof(Run) * 3; }
};

} // namespace nocturo
