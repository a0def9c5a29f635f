#pragma once

#include "canvas.h"
#include "path.h"

#include <functional>

namespace artgen {

// How a moving light records on a long exposure: a bright, nearly white core with a
// coloured halo that falls off smoothly around it.
struct GlowStyle {
    float width = 24.0f;       // diameter of the bright core, px
    float haloRadius = 24.0f;  // halo falloff beyond the core, px
    float haloStrength = 0.6f; // halo brightness next to the core
    float whiten = 0.45f;      // how far the core bleaches toward white
    float intensity = 1.0f;
};

// Colour of the light at a fraction t (0..1) of the way along the trail. Returning a
// darker colour fades the trail there.
using ColourRamp = std::function<Colour(float t)>;

// Adds the glowing trail of the polyline to the canvas. A single point makes a round dot.
void strokeGlow(Canvas& canvas, const Path& path, const GlowStyle& style, const ColourRamp& ramp);
void strokeGlow(Canvas& canvas, const Path& path, const GlowStyle& style, Colour colour);
// A closed outline filled solid with light (as if scribbled over densely), with the same
// halo around its edge. The style's width is unused.
void shineShape(Canvas& canvas, const Path& outline, const GlowStyle& style, Colour colour);

// Adds a separately drawn light layer onto an opaque scene. The light is recorded in steps
// of `step` 8-bit levels: at 3x density the steps barely show, but they turn soft halos
// into flat runs that PNG stores several times smaller. The scene is snapped to 8-bit
// values first so the steps add without rounding noise.
void exposeLight(Canvas& scene, const Canvas& light, float step);

} // namespace artgen
