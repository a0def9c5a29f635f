#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nocturo {

// Pixels in RGBA8, rows top to bottom.
struct Framebuffer {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    void resize(int w, int h) {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    }
    const std::uint8_t* at(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                static_cast<std::size_t>(x)) *
                                   4;
    }
    std::uint8_t* at(int x, int y) {
        return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                static_cast<std::size_t>(x)) *
                                   4;
    }
    std::size_t stride() const { return static_cast<std::size_t>(width) * 4; }
    bool isEmpty() const { return width <= 0 || height <= 0; }
};

} // namespace nocturo
