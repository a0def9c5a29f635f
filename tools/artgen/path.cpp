#include "path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

float length(Point p) {
    return std::hypot(p.x, p.y);
}

int stepsFor(float approxLength, float step) {
    return std::max(1, static_cast<int>(std::ceil(approxLength / step)));
}

} // namespace

Path arcPath(Point centre, float radius, float fromDegrees, float toDegrees, float step) {
    const float from = fromDegrees * std::numbers::pi_v<float> / 180.0f;
    const float to = toDegrees * std::numbers::pi_v<float> / 180.0f;
    const int n = stepsFor(std::abs(to - from) * radius, step);
    Path path;
    path.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const float a = from + (to - from) * static_cast<float>(i) / static_cast<float>(n);
        path.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    return path;
}

Path bezierPath(Point p0, Point p1, Point p2, Point p3, float step) {
    const int n = stepsFor(length(p1 - p0) + length(p2 - p1) + length(p3 - p2), step);
    Path path;
    path.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        const float u = 1.0f - t;
        path.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) +
                       p3 * (t * t * t));
    }
    return path;
}

void append(Path& path, const Path& more) {
    auto first = more.begin();
    if (!path.empty() && first != more.end() && length(*first - path.back()) < 1e-3f) {
        ++first;
    }
    path.insert(path.end(), first, more.end());
}

float pathLength(const Path& path) {
    float total = 0.0f;
    for (std::size_t i = 1; i < path.size(); ++i) {
        total += length(path[i] - path[i - 1]);
    }
    return total;
}

Path offsetPath(const Path& path, float distance) {
    Path out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const Point a = path[i == 0 ? 0 : i - 1];
        const Point b = path[std::min(i + 1, path.size() - 1)];
        const Point d = b - a;
        const float len = length(d);
        const Point normal = len > 0.0f ? Point{d.y / len, -d.x / len} : Point{};
        out.push_back(path[i] + normal * distance);
    }
    return out;
}

Path pointsAlong(const Path& path, float spacing, float start) {
    Path out;
    float travelled = 0.0f;
    float next = start;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const Point a = path[i - 1];
        const float seg = length(path[i] - a);
        while (seg > 0.0f && next <= travelled + seg) {
            out.push_back(a + (path[i] - a) * ((next - travelled) / seg));
            next += spacing;
        }
        travelled += seg;
    }
    return out;
}

} // namespace artgen
