#include "glow.h"

#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace artgen {

namespace {

struct Box {
    int x0, y0, x1, y1; // x1 and y1 exclusive

    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Box boxAround(const Canvas& canvas, Point a, Point b, float reach) {
    return {std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach))),
            std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach))),
            std::min(canvas.width, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)) + 1),
            std::min(canvas.height, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)) + 1)};
}

// For every pixel near a polyline: the distance to its nearest point and how far along
// the polyline (0..1) that point lies.
struct DistanceField {
    Box box{};
    std::vector<float> dist;
    std::vector<float> along;

    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y - box.y0) * (box.x1 - box.x0) + (x - box.x0);
    }
};

DistanceField distanceField(const Canvas& canvas, const Path& path, float reach) {
    DistanceField field;
    Point lo = path.front();
    Point hi = path.front();
    for (Point p : path) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
    field.box = boxAround(canvas, lo, hi, reach);
    if (field.box.empty()) {
        return field;
    }
    const std::size_t cells =
        static_cast<std::size_t>(field.box.x1 - field.box.x0) * (field.box.y1 - field.box.y0);
    field.dist.assign(cells, std::numeric_limits<float>::infinity());
    field.along.assign(cells, 0.0f);

    const float total = pathLength(path);
    float travelled = 0.0f;
    auto visit = [&](Point a, Point b) {
        const Point ab = b - a;
        const float len2 = ab.x * ab.x + ab.y * ab.y;
        const Box seg = boxAround(canvas, a, b, reach);
        for (int y = seg.y0; y < seg.y1; ++y) {
            for (int x = seg.x0; x < seg.x1; ++x) {
                const Point ap = Point{x + 0.5f, y + 0.5f} - a;
                const float u =
                    len2 > 0.0f ? std::clamp((ap.x * ab.x + ap.y * ab.y) / len2, 0.0f, 1.0f) : 0.0f;
                const Point q = ap - ab * u;
                const float d = std::hypot(q.x, q.y);
                const std::size_t i = field.index(x, y);
                if (d < field.dist[i]) {
                    field.dist[i] = d;
                    field.along[i] =
                        total > 0.0f ? (travelled + u * std::sqrt(len2)) / total : 0.0f;
                }
            }
        }
        travelled += std::sqrt(len2);
    };
    if (path.size() == 1) {
        visit(path[0], path[0]);
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
        visit(path[i - 1], path[i]);
    }
    return field;
}

// Light at signedDistance from the lit area's edge (positive inside it).
Colour shade(const GlowStyle& style, Colour c, float signedDistance) {
    const float core = edgeCoverage(signedDistance, 1.5f);
    const float h = std::max(0.0f, -signedDistance) / style.haloRadius;
    const float halo = style.haloStrength * std::exp(-h * h);
    // Bleach toward a white of the same brightness so faded parts of a trail stay faded.
    const Colour white = grey(std::max({c.r, c.g, c.b}));
    return (c * halo + mix(c, white, style.whiten) * core) * style.intensity;
}

float reachOf(const GlowStyle& style) {
    return style.width * 0.5f + 3.0f * style.haloRadius + 1.0f;
}

} // namespace

void strokeGlow(Canvas& canvas, const Path& path, const GlowStyle& style, const ColourRamp& ramp) {
    if (path.empty()) {
        return;
    }
    const float reach = reachOf(style);
    const DistanceField field = distanceField(canvas, path, reach);
    const Box& box = field.box;
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            const std::size_t i = field.index(x, y);
            if (field.dist[i] < reach) {
                canvas.add(x, y,
                           shade(style, ramp(field.along[i]), style.width * 0.5f - field.dist[i]));
            }
        }
    }
}

void strokeGlow(Canvas& canvas, const Path& path, const GlowStyle& style, Colour colour) {
    strokeGlow(canvas, path, style, [colour](float) { return colour; });
}

void shineShape(Canvas& canvas, const Path& outline, const GlowStyle& style, Colour colour) {
    if (outline.size() < 3) {
        return;
    }
    Path closed = outline;
    closed.push_back(outline.front());
    const float reach = reachOf(style);
    const DistanceField field = distanceField(canvas, closed, reach);
    const Box& box = field.box;
    std::vector<float> crossings;
    for (int y = box.y0; y < box.y1; ++y) {
        // Even-odd fill: the row is inside between successive crossings of the outline.
        const float yc = y + 0.5f;
        crossings.clear();
        for (std::size_t i = 1; i < closed.size(); ++i) {
            const Point a = closed[i - 1];
            const Point b = closed[i];
            if ((a.y <= yc) != (b.y <= yc)) {
                crossings.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        std::size_t next = 0;
        bool inside = false;
        for (int x = box.x0; x < box.x1; ++x) {
            while (next < crossings.size() && crossings[next] <= x + 0.5f) {
                inside = !inside;
                ++next;
            }
            const float d = field.dist[field.index(x, y)];
            if (inside || d < reach) {
                canvas.add(x, y, shade(style, colour, inside ? d : -d));
            }
        }
    }
}

void exposeLight(Canvas& scene, const Canvas& light, float step) {
    auto levels = [](float v, float unit) { return std::round(clamp01(v) * 255.0f / unit) * unit; };
    for (int y = 0; y < scene.height; ++y) {
        for (int x = 0; x < scene.width; ++x) {
            const float* l = light.at(x, y);
            float* p = scene.at(x, y);
            for (int c = 0; c < 3; ++c) {
                p[c] = (levels(p[c], 1.0f) + levels(l[c], step)) / 255.0f;
            }
        }
    }
}

} // namespace artgen
