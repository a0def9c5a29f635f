#pragma once

// Points, sizes and rectangles in screen points, 32-bit floats, origin at the top left.

namespace nocturo {

struct Point {
    float x = 0.0f;
    float y = 0.0f;
    constexpr Point() = default;
    constexpr Point(float x_, float y_) : x(x_), y(y_) {}
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    float width = 0.0f;
    float height = 0.0f;
    constexpr Size() = default;
    constexpr Size(float w, float h) : width(w), height(h) {}
    constexpr bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    constexpr Rect() = default;
    constexpr Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}
    constexpr bool operator==(const Rect&) const = default;

    constexpr float minX() const { return origin.x; }
    constexpr float minY() const { return origin.y; }
    constexpr float maxX() const { return origin.x + size.width; }
    constexpr float maxY() const { return origin.y + size.height; }
    constexpr float width() const { return size.width; }
    constexpr float height() const { return size.height; }
    constexpr Point center() const {
        return {origin.x + size.width / 2.0f, origin.y + size.height / 2.0f};
    }
    constexpr bool isEmpty() const { return !(size.width > 0.0f) || !(size.height > 0.0f); }

    // The minimum edges are inside, the maximum edges are not; an empty rect holds no point.
    constexpr bool contains(Point p) const {
        return !isEmpty() && p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }

    constexpr Rect intersection(const Rect& o) const {
        float x0 = minX() > o.minX() ? minX() : o.minX();
        float y0 = minY() > o.minY() ? minY() : o.minY();
        float x1 = maxX() < o.maxX() ? maxX() : o.maxX();
        float y1 = maxY() < o.maxY() ? maxY() : o.maxY();
        if (x1 <= x0 || y1 <= y0)
            return {};
        return {x0, y0, x1 - x0, y1 - y0};
    }

    constexpr Rect translated(float dx, float dy) const {
        return {origin.x + dx, origin.y + dy, size.width, size.height};
    }
};

} // namespace nocturo
