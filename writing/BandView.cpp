#include "writing/BandView.h"

#include "platform/render/Painter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nocturo {

namespace {

using Rgb = std::array<float, 3>;

// The colour of target row `y` of a band whose rows run from `top` for `height` pixels, from a
// column of `rows` pixels: the rows it covers averaged where the column is taller, the two
// nearest mixed where it is shorter, so a short column (a line of text) stretches smoothly.
Rgb rowColour(const std::vector<std::uint8_t>& column, int rows, float top, float height, int y) {
    const double perPixel = rows / static_cast<double>(height);
    const double a = (y - top) * perPixel;
    const double b = a + perPixel;
    auto channel = [&](int row, int c) {
        return static_cast<float>(
            column[static_cast<std::size_t>(std::clamp(row, 0, rows - 1)) * 4 +
                   static_cast<std::size_t>(c)]);
    };
    Rgb out{};
    if (perPixel <= 1.0) {
        const double centre = (a + b) / 2.0 - 0.5;
        const int i = static_cast<int>(std::floor(centre));
        const auto t = static_cast<float>(centre - i);
        for (int c = 0; c < 3; ++c)
            out[static_cast<std::size_t>(c)] = channel(i, c) * (1.0f - t) + channel(i + 1, c) * t;
        return out;
    }
    const double from = std::clamp(a, 0.0, static_cast<double>(rows));
    const double to = std::clamp(b, 0.0, static_cast<double>(rows));
    double total = 0.0;
    for (int row = static_cast<int>(from); row < rows && row < to; ++row) {
        double w = std::min(to, row + 1.0) - std::max(from, static_cast<double>(row));
        total += w;
        for (int c = 0; c < 3; ++c)
            out[static_cast<std::size_t>(c)] += static_cast<float>(w) * channel(row, c);
    }
    if (total > 0.0)
        for (float& v : out)
            v = static_cast<float>(v / total);
    return out;
}

} // namespace

BandView::BandView(Rect frame) : View(frame) {
    setBackgroundColor(Color::blackColor());
}

void BandView::setBandWidth(float points) {
    float width =
        std::isnan(points) ? defaultBandWidth : std::clamp(points, minBandWidth, maxBandWidth);
    if (width == bandWidth_)
        return;
    bandWidth_ = width;
    setNeedsDisplay();
}

void BandView::setColumn(std::vector<std::uint8_t> rgba) {
    rgba.resize(rgba.size() / 4 * 4);
    if (rgba == column_)
        return;
    column_ = std::move(rgba);
    setNeedsDisplay();
}

Rect BandView::bandRect() const {
    const Rect b = bounds();
    return {b.minX() + (b.width() - bandWidth_) / 2.0f, b.minY(), bandWidth_, b.height()};
}

void BandView::drawContent(Painter& painter) const {
    const int rows = static_cast<int>(column_.size() / 4);
    const Rect band = bandRect();
    const Rect pixels = painter.toPixels(band);
    const PixelRect area = painter.enclosing(band).intersection(painter.clip());
    if (rows == 0 || area.isEmpty() || !(pixels.height() > 0.0f))
        return;
    const float scale = painter.scale();
    const float originY = painter.translation().y;
    // Rows of one colour are filled as one rect, so a picture's plain stretches cost a fill.
    auto fill = [&](int y0, int y1, const Rgb& c) {
        const float top = std::max(static_cast<float>(y0), pixels.minY());
        const float bottom = std::min(static_cast<float>(y1), pixels.maxY());
        painter.fillRect({band.minX(), top / scale - originY, band.width(), (bottom - top) / scale},
                         {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f});
    };
    int runStart = area.y0;
    Rgb run = rowColour(column_, rows, pixels.minY(), pixels.height(), area.y0);
    for (int y = area.y0 + 1; y < area.y1; ++y) {
        Rgb c = rowColour(column_, rows, pixels.minY(), pixels.height(), y);
        if (std::lround(c[0]) == std::lround(run[0]) && std::lround(c[1]) == std::lround(run[1]) &&
            std::lround(c[2]) == std::lround(run[2]))
            continue;
        fill(runStart, y, run);
        runStart = y;
        run = c;
    }
    fill(runStart, area.y1, run);
}

} // namespace nocturo
