#pragma once

#include "platform/render/Framebuffer.h"

#include <vector>

namespace nocturo {

// One frame of the screen as light: each pixel's sRGB value decoded to linear light (0 to 1),
// kept as running sums along each row so that the light a stretch of a row gives, from any
// fractional place to any other, costs two look-ups whatever its length.
class LinearFrame {
public:
    LinearFrame() = default;
    // Each block of `oversample` x `oversample` pixels of `frame` becomes one pixel, the mean of
    // their light (a block cut by the frame's edge counts its missing pixels as black): a screen
    // drawn finer than the photograph gives the light its fine pixels give, edges and all.
    explicit LinearFrame(const Framebuffer& frame, int oversample = 1);

    int width() const { return width_; }
    int height() const { return height_; }
    // Whether every pixel is black: such a frame adds nothing to a photograph.
    bool isDark() const { return dark_; }

    // The light of row `y` over [0, u) in pixels, channel c; u is held to the row.
    double rowSum(int y, double u, int c) const;
    // The same for the three channels at once, into out[0..2].
    void rowSums(int y, double u, double out[3]) const;
    // Linear light of pixel (x, y), channel c.
    float pixel(int x, int y, int c) const;

    // The linear value of an 8-bit sRGB code.
    static float decode(std::uint8_t code);
    // The 8-bit sRGB code nearest a linear value, held to 0 .. 1.
    static std::uint8_t encode(double linear);

private:
    int width_ = 0;
    int height_ = 0;
    bool dark_ = true;
    // Per row, (width + 1) running sums of each of the three channels.
    std::vector<double> sums_;
};

} // namespace nocturo
