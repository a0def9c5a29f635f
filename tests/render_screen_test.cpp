// Whole screens as the user sees them, compared with golden pictures in tests/golden/. A test
// whose picture is missing writes it when NOCTURO_UPDATE_GOLDEN=1; a mismatch leaves the
// picture drawn as render_actual_NAME.png in the working folder.

#include "frontends/sim/ScreenCapture.h"
#include "frontends/sim/Simulator.h"
#include "platform/render/PngFile.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace nocturo {
namespace {

constexpr int tolerance = 6;         // per channel
constexpr double strayShare = 0.001; // of the pixels, allowed past the tolerance

struct Shot {
    const char* name;
    std::vector<std::string> script;
    float scale;
};

std::ostream& operator<<(std::ostream& out, const Shot& shot) {
    return out << shot.name;
}

const std::vector<std::string> painting = {"launch", "wait 1.4"};

std::vector<std::string> then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> settings = then(painting, {"press goToSettings:", "wait 1.5"});

const Shot shots[] = {
    {"launch", {"launch"}, 1.0f},
    {"launch_fade_half", {"launch", "wait 0.9"}, 1.0f},
    {"painting_spot", painting, 1.0f},
    {"painting_spot_3x", painting, 3.0f},
    {"painting_fantasy", then({"store lightMode 1"}, painting), 1.0f},
    {"painting_rainbow", then({"store lightMode 2"}, painting), 1.0f},
    {"painting_off", then({"store lightOffMode 1"}, painting), 1.0f},
    {"painting_off_strip", then({"store lightOffMode 1", "store hideStrip 2"}, painting), 1.0f},
    {"painting_spot_strip", then({"store hideStrip 2", "store stripIndex 1"}, painting), 1.0f},
    {"painting_small_spot", then({"store spotWidth 40.5"}, painting), 2.0f},
    {"flip_to_settings", then(painting, {"press goToSettings:", "wait 0.3"}), 1.0f},
    {"flip_to_settings_late", then(painting, {"press goToSettings:", "wait 0.55"}), 1.0f},
    {"settings", settings, 1.0f},
    {"settings_3x", settings, 3.0f},
    {"sample", then(settings, {"control sampleSelector 2", "wait 1.0"}), 1.0f},
    // The scales of real windows and phones, where edges fall inside pixels.
    {"painting_spot_1_25x", painting, 1.25f},
    {"painting_spot_3_66x", painting, 3.66f},
    {"settings_1_25x", settings, 1.25f},
    {"settings_3_66x", settings, 3.66f},
    {"flip_to_settings_late_3_66x", then(painting, {"press goToSettings:", "wait 0.55"}), 3.66f},
};

std::string goldenPath(const std::string& name) {
    return std::string(NOCTURO_TEST_DIR) + "/golden/" + name + ".png";
}

class RenderScreen : public ::testing::TestWithParam<Shot> {};

TEST_P(RenderScreen, MatchesItsGoldenPicture) {
    const Shot& shot = GetParam();
    MemorySettingsStore store;
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    std::ostringstream out;
    for (const std::string& line : shot.script)
        ASSERT_NO_THROW(sim.execute(line, out)) << line;
    Framebuffer actual = captureScreen(*sim.app(), shot.scale);
    // A last column and row that the screen only partly covers are pixels too.
    ASSERT_EQ(actual.width, static_cast<int>(std::ceil(320 * shot.scale - 0.001f)));
    ASSERT_EQ(actual.height, static_cast<int>(std::ceil(480 * shot.scale - 0.001f)));

    const std::string path = goldenPath(shot.name);
    auto golden = readPng(path);
    if (!golden) {
        const char* update = std::getenv("NOCTURO_UPDATE_GOLDEN");
        if (update && std::string(update) == "1") {
            ASSERT_TRUE(writePng(actual, path)) << path;
            std::cout << "wrote " << path << "\n";
            return;
        }
        FAIL() << "no golden picture " << path
               << " (NOCTURO_UPDATE_GOLDEN=1 writes the missing ones)";
    }
    ASSERT_EQ(golden->width, actual.width);
    ASSERT_EQ(golden->height, actual.height);
    std::size_t stray = 0;
    int worst = 0;
    for (std::size_t i = 0; i < actual.pixels.size(); i += 4) {
        int d = 0;
        for (std::size_t c = 0; c < 4; ++c)
            d = std::max(d, std::abs(actual.pixels[i + c] - golden->pixels[i + c]));
        worst = std::max(worst, d);
        stray += d > tolerance;
    }
    std::size_t allowed = static_cast<std::size_t>(strayShare * actual.width * actual.height);
    if (stray > allowed)
        writePng(actual, std::string("render_actual_") + shot.name + ".png");
    EXPECT_LE(stray, allowed) << shot.name << ": " << stray << " pixels differ, by up to " << worst;
}

INSTANTIATE_TEST_SUITE_P(Screens, RenderScreen, ::testing::ValuesIn(shots),
                         [](const auto& info) { return std::string(info.param.name); });

// The command line's render writes the same picture.
TEST(RenderCommand, WritesWhatTheScreenShows) {
    MemorySettingsStore store;
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    sim.setPngWriter(screenPngWriter());
    std::ostringstream out;
    std::string file = ::testing::TempDir() + "nocturo_render_command.png";
    sim.execute("launch", out);
    sim.execute("wait 1.4", out);
    sim.execute("render " + file + " 1.5", out);
    auto written = readPng(file);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->width, 480);
    EXPECT_EQ(written->height, 720);
    Framebuffer direct = captureScreen(*sim.app(), 1.5f);
    EXPECT_EQ(written->pixels, direct.pixels);
    std::remove(file.c_str());
    EXPECT_THROW(sim.execute("render /nonexistent-folder/x.png", out), ScriptError);
}

// A flip keeps what it turns between frames; a change to the screen it takes away, which is on
// no screen while it turns, still shows in the next frame, as a fresh drawing shows it.
TEST(RenderFlip, KeepsWhatItTurnsOnlyWhileNothingInItChanges) {
    MemorySettingsStore store;
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    std::ostringstream out;
    for (const char* line : {"launch", "wait 1.4", "press goToSettings:", "wait 0.15"})
        sim.execute(line, out);
    Nocturo& app = *sim.app();
    Renderer renderer(app.images());
    Framebuffer kept;
    auto frame = [&] {
        renderer.render(*app.window(), app.application(), app.runLoop().now(), 2.0f, kept);
        return kept.pixels;
    };
    auto yellow = frame();
    sim.execute("wait 0.02", out);
    EXPECT_EQ(frame(), captureScreen(app, 2.0f).pixels);
    sim.execute("call setColorByIndex: 3", out);
    auto blue = frame();
    EXPECT_NE(blue, yellow);
    EXPECT_EQ(blue, captureScreen(app, 2.0f).pixels);
}

} // namespace
} // namespace nocturo
