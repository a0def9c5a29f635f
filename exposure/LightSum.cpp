#include "exposure/LightSum.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

LightSum::LightSum(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      light_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3, 0.0f) {}

double LightSum::at(int x, int y, int c) const {
    if (x < 0 || x >= width_ || y < 0 || y >= height_ || c < 0 || c > 2)
        return 0.0;
    return light_[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)) *
                      3 +
                  static_cast<std::size_t>(c)];
}

// A sweep with any upward or downward part is cut into steps of at most half a pixel down or
// up, each swept sideways on whole rows: the rows stay whole while the light stays even.
void LightSum::addSweep(const LinearFrame& frame, double fromX, double fromY, double toX,
                        double toY, double seconds) {
    if (frame.isDark() || !(seconds > 0.0) || !std::isfinite(fromX + fromY + toX + toY))
        return;
    const double rise = toY - fromY;
    const int steps = std::max(1, static_cast<int>(std::ceil(std::abs(rise) * 2.0)));
    // A limit that keeps a wild path from costing without end.
    if (steps > 1 << 16)
        return;
    for (int i = 0; i < steps; ++i) {
        const double a = static_cast<double>(i) / steps;
        const double b = static_cast<double>(i + 1) / steps;
        const double y = fromY + rise * (a + b) / 2.0;
        addRowSweep(frame, fromX + (toX - fromX) * a, fromX + (toX - fromX) * b,
                    static_cast<int>(std::lround(y)), seconds / steps);
    }
}

// A photograph pixel centred at c sees frame position u = c - x as the frame's corner moves
// from x = a to x = b; it gets seconds / (b - a) times the frame row's light over [c - b, c - a].
// A move shorter than a pixel is widened to one about its middle, which keeps the sum of light.
void LightSum::addRowSweep(const LinearFrame& frame, double fromX, double toX, int top,
                           double seconds) {
    double a = std::min(fromX, toX);
    double b = std::max(fromX, toX);
    if (b - a < 1.0) {
        const double middle = (a + b) / 2.0;
        a = middle - 0.5;
        b = middle + 0.5;
    }
    const double weight = seconds / (b - a);
    const int x0 = std::max(0, static_cast<int>(std::floor(a)));
    const int x1 = std::min(width_, static_cast<int>(std::ceil(b + frame.width())) + 1);
    const int y0 = std::max(0, top);
    const int y1 = std::min(height_, top + frame.height());
    for (int y = y0; y < y1; ++y) {
        const int row = y - top;
        float* out =
            light_.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(x0)) *
                                3;
        for (int x = x0; x < x1; ++x, out += 3) {
            const double c = x + 0.5;
            double upTo[3], from[3];
            frame.rowSums(row, c - a, upTo);
            frame.rowSums(row, c - b, from);
            for (int k = 0; k < 3; ++k)
                out[k] += static_cast<float>((upTo[k] - from[k]) * weight);
        }
    }
}

Framebuffer LightSum::develop(double stops) const {
    if (!std::isfinite(stops))
        stops = 0.0;
    const double gain = std::exp2(std::clamp(stops, -30.0, 30.0)) / fullScaleSeconds;
    Framebuffer out;
    out.resize(width_, height_);
    const float* in = light_.data();
    std::uint8_t* p = out.pixels.data();
    for (std::size_t i = 0, n = static_cast<std::size_t>(width_) * height_; i < n; ++i) {
        for (int k = 0; k < 3; ++k)
            p[k] = LinearFrame::encode(in[k] * gain);
        p[3] = 255;
        in += 3;
        p += 4;
    }
    return out;
}

} // namespace nocturo
