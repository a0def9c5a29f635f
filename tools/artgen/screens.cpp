#include "artwork.h"
#include "glow.h"

#include <cmath>

namespace artgen {

namespace {

constexpr int kScreenWidth = static_cast<int>(320 * kScale);
constexpr int kScreenHeight = static_cast<int>(480 * kScale);

} // namespace

Canvas rainbow() {
    Canvas canvas(kScreenWidth, kScreenHeight);
    // One colour per row, red at the top through to violet at the bottom.
    for (int y = 0; y < canvas.height; ++y) {
        const float t = (y + 0.5f) / static_cast<float>(canvas.height);
        canvas.fillRow(y, spectrum(t));
    }
    return canvas;
}

Canvas launchScreen(const Fonts& fonts) {
    Canvas canvas(kScreenWidth, kScreenHeight);
    canvas.fill(grey(0.0f));
    Canvas light(kScreenWidth, kScreenHeight);
    const float w = static_cast<float>(canvas.width);
    const float h = static_cast<float>(canvas.height);

    // A warm stroke of light swept above the name, fading away toward its tail.
    const Path trail = bezierPath({0.10f * w, 0.43f * h}, {0.30f * w, 0.30f * h},
                                  {0.55f * w, 0.50f * h}, {0.86f * w, 0.33f * h});
    const Colour ember{0.95f, 0.18f, 0.05f};
    const Colour gold{1.0f, 0.72f, 0.25f};
    GlowStyle style;
    style.width = 14.0f;
    style.haloRadius = 22.0f;
    style.haloStrength = 0.55f;
    strokeGlow(light, trail, style, [&](float t) {
        return mix(ember, gold, t) * std::pow(smoothstep(0.0f, 0.9f, t), 1.3f);
    });
    GlowStyle head = style;
    head.width = 26.0f;
    head.haloRadius = 30.0f;
    strokeGlow(light, {trail.back()}, head, gold);

    exposeLight(canvas, light, 12.0f);

    fonts.bold.drawCentred(canvas, "Nocturo", 150.0f, 0.5f * w, 0.5f * h, grey(1.0f));
    fonts.regular.drawCentred(canvas, "light painting", 54.0f, 0.5f * w, 0.5f * h + 120.0f,
                              grey(0.78f));
    return canvas;
}

} // namespace artgen
