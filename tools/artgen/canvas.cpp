#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace artgen {

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Colour hsv(float hueDegrees, float saturation, float value) {
    float h = std::fmod(hueDegrees, 360.0f);
    if (h < 0.0f) {
        h += 360.0f;
    }
    auto channel = [&](float n) {
        const float k = std::fmod(n + h / 60.0f, 6.0f);
        const float ramp = clamp01(std::min(k, 4.0f - k));
        return value * (1.0f - saturation * ramp);
    };
    return {channel(5.0f), channel(3.0f), channel(1.0f)};
}

Colour spectrum(float t) {
    static constexpr float hues[] = {0.0f, 30.0f, 55.0f, 120.0f, 185.0f, 230.0f, 275.0f};
    constexpr int last = static_cast<int>(std::size(hues)) - 1;
    const float pos = clamp01(t) * last;
    const int k = std::min(static_cast<int>(pos), last - 1);
    return hsv(hues[k] + (hues[k + 1] - hues[k]) * (pos - k));
}

Canvas::Canvas(int w, int h)
    : width(w), height(h), px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0.0f) {
}

void Canvas::fill(Colour c, float alpha) {
    for (std::size_t i = 0; i < px.size(); i += 4) {
        px[i + 0] = c.r * alpha;
        px[i + 1] = c.g * alpha;
        px[i + 2] = c.b * alpha;
        px[i + 3] = alpha;
    }
}

void Canvas::fillRow(int y, Colour c) {
    for (int x = 0; x < width; ++x) {
        float* p = at(x, y);
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = 1.0f;
    }
}

void Canvas::blend(int x, int y, Colour c, float coverage) {
    if (!contains(x, y) || coverage <= 0.0f) {
        return;
    }
    const float k = std::min(coverage, 1.0f);
    float* p = at(x, y);
    p[0] = p[0] * (1.0f - k) + c.r * k;
    p[1] = p[1] * (1.0f - k) + c.g * k;
    p[2] = p[2] * (1.0f - k) + c.b * k;
    p[3] = p[3] * (1.0f - k) + k;
}

void Canvas::add(int x, int y, Colour c) {
    if (!contains(x, y)) {
        return;
    }
    float* p = at(x, y);
    p[0] += c.r;
    p[1] += c.g;
    p[2] += c.b;
}

void Canvas::punch(int x, int y, float coverage) {
    if (!contains(x, y) || coverage <= 0.0f) {
        return;
    }
    const float keep = 1.0f - std::min(coverage, 1.0f);
    float* p = at(x, y);
    for (int i = 0; i < 4; ++i) {
        p[i] *= keep;
    }
}

} // namespace artgen
