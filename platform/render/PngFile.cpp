#include "platform/render/PngFile.h"

#include <cstring>
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>

namespace nocturo {

bool writePng(const Framebuffer& framebuffer, const std::string& path) {
    if (framebuffer.isEmpty() ||
        framebuffer.pixels.size() <
            framebuffer.stride() * static_cast<std::size_t>(framebuffer.height))
        return false;
    return stbi_write_png(path.c_str(), framebuffer.width, framebuffer.height, 4,
                          framebuffer.pixels.data(), static_cast<int>(framebuffer.stride())) != 0;
}

std::optional<Framebuffer> readPng(const std::string& path) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data)
        return std::nullopt;
    Framebuffer fb;
    fb.resize(w, h);
    std::memcpy(fb.pixels.data(), data, fb.pixels.size());
    stbi_image_free(data);
    return fb;
}

} // namespace nocturo
