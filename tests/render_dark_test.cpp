// The painting screen at rest, as a long exposure sees it: nothing but the light may be
// brighter than about a tenth grey (26 of 255 in every channel), so that the controls leave no
// trail in the photograph.

#include "frontends/sim/ScreenCapture.h"
#include "frontends/sim/Simulator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace nocturo {
namespace {

constexpr int dimmest = 26;

struct Rest {
    const char* name;
    std::vector<std::string> store;
    float scale;
    bool lit;
};

std::ostream& operator<<(std::ostream& out, const Rest& rest) {
    return out << rest.name;
}

class RenderDark : public ::testing::TestWithParam<Rest> {};

TEST_P(RenderDark, NothingOutsideTheLightIsBrighterThanATenthGrey) {
    const Rest& rest = GetParam();
    MemorySettingsStore store;
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    std::ostringstream out;
    for (const std::string& line : rest.store)
        sim.execute(line, out);
    sim.execute("launch", out);
    sim.execute("wait 1.4", out);
    Framebuffer frame = captureScreen(*sim.app(), rest.scale);
    ASSERT_FALSE(frame.isEmpty());

    // The spot's disc, a pixel wider for its soft edge.
    const Rect spot = sim.app()->controller().theMaskView->frame();
    const float cx = spot.center().x * rest.scale, cy = spot.center().y * rest.scale;
    const float reach = spot.width() / 2.0f * rest.scale + 1.0f;
    int brightest = 0, lit = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const std::uint8_t* p = frame.at(x, y);
            int value = std::max({p[0], p[1], p[2]});
            if (std::hypot(x + 0.5f - cx, y + 0.5f - cy) > reach)
                brightest = std::max(brightest, value);
            lit += value > 128;
        }
    EXPECT_LE(brightest, dimmest);
    // The light itself still shines, or is wholly dark when it rests off.
    EXPECT_EQ(lit > 0, rest.lit);
}

const Rest rests[] = {
    {"spot", {}, 1.0f, true},
    {"spot_3x", {}, 3.0f, true},
    {"spot_with_strip", {"store hideStrip 2"}, 2.0f, true},
    {"off", {"store lightOffMode 1"}, 1.0f, false},
    {"off_3x", {"store lightOffMode 1"}, 3.0f, false},
};

INSTANTIATE_TEST_SUITE_P(AtRest, RenderDark, ::testing::ValuesIn(rests),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace nocturo
