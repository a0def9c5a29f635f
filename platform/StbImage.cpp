// The picture decoder, PNG and JPEG only, in a file of its own so that it builds with flags of
// its own (see the root CMakeLists.txt).
//
// Every buffer the decoder takes starts zeroed. A damaged file can make it read memory it never
// wrote: a JPEG whose scan uses a Huffman table the file never defines has it decode from the
// table's unset entries, which as whatever the memory held can index past the table; as zeros
// they decode to nothing, the same way on every run.
#include <cstdlib>
#include <cstring>

namespace {

void* zeroedResize(void* block, std::size_t oldSize, std::size_t newSize) {
    void* grown = std::realloc(block, newSize);
    if (grown && newSize > oldSize)
        std::memset(static_cast<unsigned char*>(grown) + oldSize, 0, newSize - oldSize);
    return grown;
}

} // namespace

#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC_SIZED(block, oldSize, newSize) zeroedResize(block, oldSize, newSize)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO_WRITE
#include <stb/stb_image.h>
