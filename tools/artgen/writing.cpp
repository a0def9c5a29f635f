// Pictures to write with light: each a light shape on black, as tall as a pass's column.
#include "artwork.h"
#include "path.h"
#include "shapes.h"

#include <cmath>
#include <numbers>

namespace artgen {

namespace {

constexpr int kHeight = 128;
constexpr float kPi = std::numbers::pi_v<float>;

bool inside(const Path& outline, float x, float y) {
    bool in = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const Point a = outline[i], b = outline[j];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}

// The outline filled with `colour`, each pixel covered by the share of its 4 x 4 samples inside.
void fillOutline(Canvas& canvas, const Path& outline, Colour colour) {
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(outline, x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f);
            canvas.blend(x, y, colour, hits / 16.0f);
        }
    }
}

Canvas blackCanvas(int width) {
    Canvas canvas(width, kHeight);
    canvas.fill(grey(0.0f));
    return canvas;
}

} // namespace

Canvas writingStar() {
    Canvas canvas = blackCanvas(kHeight);
    const Point centre{kHeight / 2.0f, kHeight * 0.53f};
    Path outline;
    for (int i = 0; i < 10; ++i) {
        const float radius = (i % 2 == 0 ? 0.48f : 0.2f) * kHeight;
        const float angle = -kPi / 2.0f + i * kPi / 5.0f;
        outline.push_back(
            {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
    }
    fillOutline(canvas, outline, {1.0f, 0.84f, 0.3f});
    return canvas;
}

Canvas writingHeart() {
    Canvas canvas = blackCanvas(kHeight);
    // The classic heart curve, 32 units wide and about 29 tall.
    const float unit = kHeight * 0.92f / 32.0f;
    Path outline;
    for (int i = 0; i < 360; ++i) {
        const float t = i * 2.0f * kPi / 360.0f;
        const float x = 16.0f * std::pow(std::sin(t), 3.0f);
        const float y =
            13.0f * std::cos(t) - 5.0f * std::cos(2 * t) - 2.0f * std::cos(3 * t) - std::cos(4 * t);
        outline.push_back({kHeight / 2.0f + x * unit, kHeight * 0.46f - y * unit});
    }
    fillOutline(canvas, outline, {1.0f, 0.16f, 0.32f});
    return canvas;
}

Canvas writingArrow() {
    Canvas canvas = blackCanvas(2 * kHeight);
    const float h = kHeight, w = 2.0f * kHeight;
    const Path outline = {{0.04f * w, 0.38f * h}, {0.62f * w, 0.38f * h}, {0.62f * w, 0.1f * h},
                          {0.96f * w, 0.5f * h},  {0.62f * w, 0.9f * h},  {0.62f * w, 0.62f * h},
                          {0.04f * w, 0.62f * h}};
    fillOutline(canvas, outline, {0.25f, 0.85f, 1.0f});
    return canvas;
}

Canvas writingWave() {
    Canvas canvas = blackCanvas(3 * kHeight);
    const float h = kHeight, w = 3.0f * kHeight;
    const float amplitude = 0.3f * h, period = w / 2.0f, half = 0.12f * h;
    for (int x = 0; x < canvas.width; ++x) {
        const float px = x + 0.5f;
        const float phase = 2.0f * kPi * px / period;
        const float centre = 0.5f * h - amplitude * std::sin(phase);
        const float slope = amplitude * 2.0f * kPi / period * std::cos(phase);
        // The hue walks along the wave, from red at its start to violet at its end.
        const Colour colour = spectrum(px / w);
        for (int y = 0; y < canvas.height; ++y) {
            const float distance = std::abs(y + 0.5f - centre) / std::sqrt(1.0f + slope * slope);
            canvas.blend(x, y, colour, edgeCoverage(half - distance));
        }
    }
    return canvas;
}

} // namespace artgen
