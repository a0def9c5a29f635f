#include "exposure/LinearFrame.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nocturo {

namespace {
const std::array<float, 256>& decodeTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            double v = i / 255.0;
            t[static_cast<std::size_t>(i)] =
                static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}
} // namespace

float LinearFrame::decode(std::uint8_t code) {
    return decodeTable()[code];
}

std::uint8_t LinearFrame::encode(double linear) {
    if (!(linear > 0.0))
        return 0;
    if (linear >= 1.0)
        return 255;
    double v = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(v * 255.0));
}

LinearFrame::LinearFrame(const Framebuffer& frame, int oversample) {
    const int k = std::max(1, oversample);
    const int w = std::max(0, frame.width), h = std::max(0, frame.height);
    width_ = (w + k - 1) / k;
    height_ = (h + k - 1) / k;
    const auto& table = decodeTable();
    const std::size_t stride = static_cast<std::size_t>(width_ + 1) * 3;
    sums_.assign(stride * static_cast<std::size_t>(height_), 0.0);
    std::vector<double> block(static_cast<std::size_t>(width_) * 3);
    const double share = 1.0 / (static_cast<double>(k) * k);
    for (int y = 0; y < height_; ++y) {
        std::fill(block.begin(), block.end(), 0.0);
        for (int fy = y * k; fy < std::min(h, (y + 1) * k); ++fy) {
            const std::uint8_t* p = frame.at(0, fy);
            for (int fx = 0; fx < w; ++fx, p += 4) {
                if (!(p[0] | p[1] | p[2]))
                    continue;
                dark_ = false;
                double* b = block.data() + static_cast<std::size_t>(fx / k) * 3;
                b[0] += table[p[0]];
                b[1] += table[p[1]];
                b[2] += table[p[2]];
            }
        }
        double* row = sums_.data() + stride * static_cast<std::size_t>(y);
        for (std::size_t i = 0; i < static_cast<std::size_t>(width_) * 3; ++i)
            row[i + 3] = row[i] + block[i] * share;
    }
}

double LinearFrame::rowSum(int y, double u, int c) const {
    if (y < 0 || y >= height_ || !(u > 0.0))
        return 0.0;
    const std::size_t stride = static_cast<std::size_t>(width_ + 1) * 3;
    const double* row = sums_.data() + stride * static_cast<std::size_t>(y);
    if (u >= width_)
        return row[static_cast<std::size_t>(width_) * 3 + static_cast<std::size_t>(c)];
    const auto i = static_cast<std::size_t>(u);
    const double below = row[i * 3 + static_cast<std::size_t>(c)];
    const double above = row[(i + 1) * 3 + static_cast<std::size_t>(c)];
    return below + (above - below) * (u - static_cast<double>(i));
}

void LinearFrame::rowSums(int y, double u, double out[3]) const {
    out[0] = out[1] = out[2] = 0.0;
    if (y < 0 || y >= height_ || !(u > 0.0))
        return;
    const std::size_t stride = static_cast<std::size_t>(width_ + 1) * 3;
    const double* row = sums_.data() + stride * static_cast<std::size_t>(y);
    if (u >= width_) {
        const double* end = row + static_cast<std::size_t>(width_) * 3;
        out[0] = end[0];
        out[1] = end[1];
        out[2] = end[2];
        return;
    }
    const auto i = static_cast<std::size_t>(u);
    const double t = u - static_cast<double>(i);
    const double* below = row + i * 3;
    for (int c = 0; c < 3; ++c)
        out[c] = below[c] + (below[c + 3] - below[c]) * t;
}

float LinearFrame::pixel(int x, int y, int c) const {
    if (x < 0 || x >= width_ || y < 0 || y >= height_)
        return 0.0f;
    const std::size_t stride = static_cast<std::size_t>(width_ + 1) * 3;
    const double* row = sums_.data() + stride * static_cast<std::size_t>(y);
    const auto i = static_cast<std::size_t>(x);
    return static_cast<float>(row[(i + 1) * 3 + static_cast<std::size_t>(c)] -
                              row[i * 3 + static_cast<std::size_t>(c)]);
}

} // namespace nocturo
