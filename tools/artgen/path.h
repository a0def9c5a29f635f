#pragma once

#include <vector>

namespace artgen {

struct Point {
    float x = 0.0f;
    float y = 0.0f;
};

inline Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
inline Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
inline Point operator*(Point a, float k) {
    return {a.x * k, a.y * k};
}

// A polyline, sampled densely enough that straight segments look smooth.
using Path = std::vector<Point>;

// Angles in degrees, clockwise on screen (y grows downward); 0 points right.
Path arcPath(Point centre, float radius, float fromDegrees, float toDegrees, float step = 3.0f);
Path bezierPath(Point p0, Point p1, Point p2, Point p3, float step = 3.0f);
// Appends, dropping the first point of `more` when it repeats the last one.
void append(Path& path, const Path& more);
float pathLength(const Path& path);
// Parallel curve at a signed distance along the left-hand normal.
Path offsetPath(const Path& path, float distance);
// Points every `spacing` pixels of arc length, starting `start` pixels in.
Path pointsAlong(const Path& path, float spacing, float start = 0.0f);

} // namespace artgen
