#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace nocturo {

// The user's own picture, from the bytes of a PNG or JPEG file: checked, decoded and scaled down
// for keeping. A file that is not such a picture, or that is too large, is refused with the words
// the screen shows; a picture's size is read from its header before anything is decoded, so an
// oversized one costs nothing.
class PictureReader {
public:
    static constexpr std::int64_t maxPixels = 64'000'000;
    // More columns than a pass of 30 s can show at 120 frames a second.
    static constexpr int defaultKeepWidth = 4096;

    struct Result {
        std::shared_ptr<const Image> picture; // null when refused
        std::string message;                  // why it was refused; empty when read
    };

    // The picture, scaled down (proportions kept) to at most `keepHeight` rows and `keepWidth`
    // columns, opaque: what is transparent shows as the black of the screen. `pixelLimit` is
    // for tests and fuzzing, which need not decode 64 megapixels to try the checks.
    static Result read(std::span<const std::uint8_t> bytes, int keepHeight,
                       int keepWidth = defaultKeepWidth, std::int64_t pixelLimit = maxPixels);
    // A kept picture as the bytes of a PNG file, for the application's own storage, from which
    // read() gives it back unchanged. Empty for a picture with no pixels.
    static std::vector<std::uint8_t> encode(const Image& picture);
};

} // namespace nocturo
