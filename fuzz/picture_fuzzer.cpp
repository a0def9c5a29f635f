// The user's picture reader: any bytes are either refused with words for the screen, or kept as
// an opaque picture no larger than asked, whose columns a pass can play.

#include "writing/PassTiming.h"
#include "writing/PictureReader.h"
#include "writing/WritingPicture.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace nocturo;

namespace {

constexpr int keepHeight = 96;
constexpr int keepWidth = 256;
// Small enough that a header claiming a large picture decodes quickly; the checks are the same.
constexpr std::int64_t pixelLimit = 4'000'000;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "picture fuzzer: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PictureReader::Result result =
        PictureReader::read({data, size}, keepHeight, keepWidth, pixelLimit);
    if (!result.picture) {
        if (result.message.empty())
            broken("a refused file has no message");
        return 0;
    }
    if (!result.message.empty())
        broken("a picture that was read has a message");
    const Image& image = *result.picture;
    if (image.width < 1 || image.width > keepWidth || image.height < 1 || image.height > keepHeight)
        broken("the kept picture has a size out of bounds");
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        broken("the kept picture's pixels do not fit its size");
    for (std::size_t i = 3; i < image.pixels.size(); i += 4)
        if (image.pixels[i] != 255)
            broken("the kept picture is not opaque");

    WritingPicture picture = WritingPicture::fromImage(image);
    PassTiming timing(picture.width(), 0.5);
    for (int i : {0, timing.columns() - 1})
        if (picture.column(i, timing.columns()).size() !=
            static_cast<std::size_t>(image.height) * 4)
            broken("a column does not hold one pixel a row");
    return 0;
}
