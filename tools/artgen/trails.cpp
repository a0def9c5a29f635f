#include "trails.h"

#include "exposure/ExposureSimulator.h"

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {
constexpr double pixelsPerMetre = 1000.0;
} // namespace

void addTrail(Canvas& light, const Trail& trail) {
    if (trail.centres.empty())
        return;
    nocturo::MemorySettingsStore store;
    for (const auto& [key, value] : trail.settings) {
        if (value == std::floor(value))
            store.setObject(key, static_cast<std::int64_t>(value));
        else
            store.setFloat(key, static_cast<float>(value));
    }
    const double metres = pathLength(trail.centres) / pixelsPerMetre;
    const double length = trail.centres.size() > 1 && trail.pace > 0.0f
                              ? std::max(0.5, metres / trail.pace)
                              : static_cast<double>(trail.seconds);
    store.setFloat("timedLightDelay", 0.0f);
    store.setFloat("timedLightLength", static_cast<float>(length));
    store.setBool("timedLightSound", false);

    nocturo::ExposureSimulator::Options options;
    options.pace = trail.pace;
    options.pixelsPerMetre = pixelsPerMetre;
    // The trail alone: the screen's dim controls, held still in the dark after it, are not.
    options.darkEnd = 0.0;
    float minX = trail.centres.front().x, minY = trail.centres.front().y;
    for (Point p : trail.centres) {
        options.path.push_back({p.x / pixelsPerMetre, p.y / pixelsPerMetre});
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
    }
    nocturo::ExposureSimulator sim(store, NOCTURO_RESOURCE_DIR, options);
    sim.finish();
    const nocturo::Framebuffer photo = sim.photograph(trail.stops);
    // The walk is given as the screen's middle; the photograph starts at its top-left corner.
    const int left = static_cast<int>(std::lround(minX - sim.screenWidth() / 2.0));
    const int top = static_cast<int>(std::lround(minY - sim.screenHeight() / 2.0));
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            const std::uint8_t* p = photo.at(x, y);
            if (!(p[0] | p[1] | p[2]) || !light.contains(left + x, top + y))
                continue;
            light.add(left + x, top + y, Colour{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f});
        }
}

} // namespace artgen
