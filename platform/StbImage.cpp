// The picture decoder, PNG and JPEG only, in a file of its own so that it builds with flags of
// its own (see the root CMakeLists.txt).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO_WRITE
#include <stb/stb_image.h>
