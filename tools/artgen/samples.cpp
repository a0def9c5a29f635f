#include "artwork.h"
#include "glow.h"
#include "shapes.h"
#ifdef NOCTURO_ARTGEN_SIMULATOR
#include "trails.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace artgen {

namespace {

constexpr int kSampleWidth = static_cast<int>(320 * kScale);
constexpr int kSampleHeight = static_cast<int>(400 * kScale);

// Small deterministic generator so the artwork is identical on every run.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / static_cast<float>(1u << 24);
    }
    float between(float lo, float hi) { return lo + (hi - lo) * next(); }

private:
    std::uint32_t state_;
};

struct Landscape {
    float horizon;   // fraction of the height where the ground starts
    float hillSize;  // height of the rolling hills, px
    float hillPhase; // shifts the hills sideways
    std::uint32_t seed;
};

// Step between recorded light levels; see exposeLight.
constexpr float kLightStep = 24.0f;

// The long exposure: a dark sky over black rolling hills, stars where no light covers
// them, and the recorded light on top.
Canvas photograph(const Landscape& land, const Canvas& light) {
    Canvas canvas(kSampleWidth, kSampleHeight);
    const float horizonY = land.horizon * canvas.height;
    // A flat sky: a gradient would cost more bytes than it adds behind the light.
    canvas.fill(Colour{0.02f, 0.03f, 0.083f});
    const Colour ground{0.008f, 0.009f, 0.016f};

    auto groundTop = [&](float x) {
        const float u = x / canvas.width * 2.0f * std::numbers::pi_v<float>;
        return horizonY - land.hillSize * (0.6f + 0.5f * std::sin(u * 0.7f + land.hillPhase) +
                                           0.25f * std::sin(u * 1.9f + 2.0f * land.hillPhase));
    };
    auto lit = [&](float x, float y) {
        const float* l = light.at(static_cast<int>(x), static_cast<int>(y));
        return std::max({l[0], l[1], l[2]}) > 0.02f;
    };
    Random random(land.seed);
    for (int i = 0; i < 60; ++i) {
        const float x = random.between(0.0f, static_cast<float>(canvas.width));
        const float y = random.between(0.0f, horizonY);
        const float r = random.between(0.8f, 2.2f);
        const float bright = random.between(0.25f, 0.8f);
        if (y < groundTop(x) - 8.0f && !lit(x, y)) {
            fillDisc(canvas, x, y, r, mix(grey(bright), Colour{0.7f, 0.8f, 1.0f}, 0.3f));
        }
    }
    for (int x = 0; x < canvas.width; ++x) {
        const float top = groundTop(x + 0.5f);
        for (int y = std::max(0, static_cast<int>(top) - 2); y < canvas.height; ++y) {
            canvas.blend(x, y, ground, clamp01(y + 1.0f - top));
        }
    }

    exposeLight(canvas, light, kLightStep);
    return canvas;
}

Canvas lightLayer() {
    return Canvas(kSampleWidth, kSampleHeight);
}

// Side view of a car, a stroke at a time; the wheels' upper halves double as the wheel arches.
std::vector<Path> carStrokes() {
    const float wheel = 62.0f;
    const Point rear{300.0f, 768.0f};
    const Point front{650.0f, 768.0f};
    const float sill = rear.y;
    return {
        {{rear.x - wheel, sill},
         {160.0f, sill},
         {152.0f, 700.0f},
         {185.0f, 660.0f},
         {340.0f, 648.0f},
         {420.0f, 570.0f},
         {585.0f, 565.0f},
         {675.0f, 648.0f},
         {790.0f, 668.0f},
         {812.0f, 705.0f},
         {805.0f, sill},
         {front.x + wheel, sill}},
        {{rear.x + wheel, sill}, {front.x - wheel, sill}},
        arcPath(rear, wheel, 180.0f, 540.0f),
        arcPath(front, wheel, 180.0f, 540.0f),
    };
}

// The dot strip sample's scene and the curve it is swept along.
const Landscape dotStripLand{0.88f, 28.0f, 5.2f, 31u};
Path dotStripSweep() {
    return bezierPath({-60.0f, 560.0f}, {320.0f, 260.0f}, {600.0f, 940.0f}, {1020.0f, 560.0f});
}

} // namespace

#ifndef NOCTURO_ARTGEN_SIMULATOR

Canvas staticSpotSample() {
    const Landscape land{0.84f, 40.0f, 0.4f, 7u};
    Canvas light = lightLayer();
    const Colour yellow{1.0f, 0.8f, 0.06f};
    GlowStyle style;
    style.width = 50.0f;
    style.haloRadius = 12.0f;
    style.haloStrength = 0.55f;
    style.whiten = 0.3f;

    // The arcade eater, mouth open to the right, chasing a row of dots.
    const Point centre{300.0f, 540.0f};
    const float radius = 200.0f;
    const float mouth = 38.0f;
    Path eater{centre};
    append(eater, arcPath(centre, radius, -mouth, mouth - 360.0f));
    shineShape(light, eater, style, yellow);
    punchDisc(light, centre.x + 25.0f, centre.y - 105.0f, 24.0f);
    for (float x : {600.0f, 740.0f, 880.0f}) {
        strokeGlow(light, {{x, centre.y}}, style, yellow);
    }
    return photograph(land, light);
}

Canvas colourSpotSample() {
    const Landscape land{0.72f, 20.0f, 2.1f, 11u};
    Canvas light = lightLayer();
    const std::vector<Path> strokes = carStrokes();

    GlowStyle style;
    style.width = 14.0f;
    style.haloRadius = 10.0f;
    style.haloStrength = 0.6f;
    style.whiten = 0.3f;
    // The light walks round the colour wheel as the photographer traces one stroke after
    // another, so the hue follows the total distance travelled.
    float total = 0.0f;
    for (const Path& stroke : strokes) {
        total += pathLength(stroke);
    }
    const float turns = 2.5f;
    float done = 0.0f;
    for (const Path& stroke : strokes) {
        const float length = pathLength(stroke);
        strokeGlow(light, stroke, style,
                   [&](float t) { return hsv((done + t * length) / total * turns * 360.0f); });
        done += length;
    }
    return photograph(land, light);
}

Canvas rainbowSample() {
    const Landscape land{0.86f, 36.0f, 4.0f, 23u};
    Canvas light = lightLayer();
    const Point centre{480.0f, 1260.0f};
    const float outer = 760.0f;
    const float band = 240.0f;
    const int bands = 7;
    const float haloRadius = 14.0f;
    for (int y = 0; y < light.height; ++y) {
        for (int x = 0; x < light.width; ++x) {
            const float dx = x + 0.5f - centre.x;
            const float dy = y + 0.5f - centre.y;
            const float depth = outer - std::hypot(dx, dy); // px inside the outer edge
            if (depth < -3.0f * haloRadius || depth > band + 3.0f * haloRadius) {
                continue;
            }
            // Flat stripes with smooth seams between neighbours.
            const float pos = std::clamp(depth, 0.0f, band) / band * bands - 0.5f;
            const int k = std::clamp(static_cast<int>(std::floor(pos)), 0, bands - 1);
            const int k1 = std::min(k + 1, bands - 1);
            const float seam = edgeCoverage((pos - std::floor(pos) - 0.5f) * band / bands, 1.5f);
            auto stripe = [&](int i) { return spectrum(i / (bands - 1.0f)); };
            const Colour c = mix(stripe(k), stripe(k1), pos < 0.0f ? 0.0f : seam);
            const float inside = std::min(depth, band - depth);
            const float h = std::max(0.0f, -inside) / haloRadius;
            const float lit = edgeCoverage(inside, 1.5f);
            light.add(x, y, c * (0.9f * lit + 0.45f * std::exp(-h * h) * (1.0f - lit)));
        }
    }
    return photograph(land, light);
}

Canvas dotStripSample() {
    Canvas light = lightLayer();
    // The strip swept along a curve: each hole leaves its own dotted line.
    const Path sweep = dotStripSweep();
    const int lines = 6;
    const float gap = 46.0f;
    GlowStyle dot;
    dot.width = 17.0f;
    dot.haloRadius = 6.0f;
    dot.haloStrength = 0.5f;
    dot.whiten = 0.4f;
    const Colour colour{0.25f, 0.85f, 1.0f};
    for (int i = 0; i < lines; ++i) {
        const Path line = offsetPath(sweep, (i - (lines - 1) * 0.5f) * gap);
        for (Point p : pointsAlong(line, 44.0f, 12.0f)) {
            // Whole-pixel centres make every dot of a line identical, which PNG exploits.
            strokeGlow(light, {{std::floor(p.x) + 0.5f, std::floor(p.y) + 0.5f}}, dot, colour);
        }
    }
    return photograph(dotStripLand, light);
}

#else

// The same four pictures, painted by Nocturo itself: each trail is a timed run of the light,
// photographed by its exposure simulator as the screen is carried along the path.

Canvas staticSpotSample() {
    const Landscape land{0.84f, 40.0f, 0.4f, 7u};
    Canvas light = lightLayer();
    const std::vector<std::pair<std::string, double>> yellowSpot = {
        {"colorIndex", 0}, {"lightMode", 0}, {"spotWidth", 170.5}};
    // The arcade eater's outline, mouth open to the right, then a row of dots, each the spot
    // held still for a moment.
    const Point centre{300.0f, 540.0f};
    Path eater{centre};
    append(eater, arcPath(centre, 200.0f, -38.0f, 38.0f - 360.0f));
    eater.push_back(centre);
    addTrail(light, {yellowSpot, eater, 0.5f, 0.0f, 0.0f});
    for (float x : {600.0f, 740.0f, 880.0f})
        addTrail(light, {yellowSpot, {{x, centre.y}}, 0.0f, 0.12f, 0.0f});
    return photograph(land, light);
}

Canvas colourSpotSample() {
    const Landscape land{0.72f, 20.0f, 2.1f, 11u};
    Canvas light = lightLayer();
    // A stroke a run: colour fantasy starts each run's walk from red.
    const std::vector<Path> strokes = carStrokes();
    const std::vector<std::pair<std::string, double>> fantasy = {
        {"lightMode", 1}, {"spotWidth", 48.5}, {"cyclicFrequency", 50}};
    for (const Path& stroke : strokes)
        addTrail(light, {fantasy, stroke, 0.4f, 0.0f, 1.5f});
    return photograph(land, light);
}

Canvas rainbowSample() {
    const Landscape land{0.86f, 36.0f, 4.0f, 23u};
    Canvas light = lightLayer();
    // The rainbow screen carried over an arch.
    addTrail(light, {{{"lightMode", 2}},
                     arcPath({480.0f, 1260.0f}, 640.0f, 200.0f, 340.0f),
                     0.5f,
                     0.0f,
                     -1.5f});
    return photograph(land, light);
}

Canvas dotStripSample() {
    Canvas light = lightLayer();
    // A wide white spot behind the dot strip, swept along a curve: each hole leaves its own
    // line.
    const Path sweep = dotStripSweep();
    addTrail(light, {{{"lightMode", 0},
                      {"colorIndex", 5},
                      {"spotWidth", 320},
                      {"hideStrip", 2},
                      {"stripIndex", 2}},
                     sweep,
                     0.5f,
                     0.0f,
                     2.0f});
    return photograph(dotStripLand, light);
}

#endif

} // namespace artgen
