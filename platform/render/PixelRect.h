#pragma once

#include <algorithm>
#include <cstdint>

namespace nocturo {

// A rectangle of whole pixels, [x0, x1) by [y0, y1).
struct PixelRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    constexpr PixelRect() = default;
    constexpr PixelRect(int left, int top, int right, int bottom)
        : x0(left), y0(top), x1(right), y1(bottom) {}
    constexpr bool operator==(const PixelRect&) const = default;

    constexpr int width() const { return x1 - x0; }
    constexpr int height() const { return y1 - y0; }
    constexpr bool isEmpty() const { return x1 <= x0 || y1 <= y0; }
    constexpr std::int64_t area() const {
        return isEmpty() ? 0 : std::int64_t{width()} * std::int64_t{height()};
    }
    constexpr PixelRect intersection(const PixelRect& o) const {
        PixelRect r{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
        return r.isEmpty() ? PixelRect{} : r;
    }
    // Whether every pixel of `o` is in this rect; an empty `o` is in every rect.
    constexpr bool contains(const PixelRect& o) const {
        return o.isEmpty() || (!isEmpty() && o.x0 >= x0 && o.y0 >= y0 && o.x1 <= x1 && o.y1 <= y1);
    }
    constexpr bool intersects(const PixelRect& o) const { return !intersection(o).isEmpty(); }
};

} // namespace nocturo
