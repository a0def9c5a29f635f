// The photograph of a timed run, checked against sums worked by hand: a light seen for a time
// leaves that time's light, spread along the way the walk carried it.

#include "exposure/ExposureSimulator.h"
#include "platform/render/PngFile.h"
#include "tests/AppFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace nocturo {
namespace {

struct Stored {
    float delay = 0.0f;
    float length = 2.0f;
    float spotWidth = 10.0f;
};

// A white spot of `spotWidth` points in the screen's middle, no dot strip, no sound.
MemorySettingsStore whiteSpot(const Stored& s) {
    MemorySettingsStore store;
    store.setObject("colorIndex", std::int64_t{5});
    store.setObject("lightMode", std::int64_t{0});
    store.setFloat("spotWidth", s.spotWidth);
    store.setFloat("timedLightDelay", s.delay);
    store.setFloat("timedLightLength", s.length);
    store.setBool("timedLightSound", false);
    return store;
}

std::unique_ptr<ExposureSimulator> photographed(const SettingsStore& store, double pace) {
    ExposureSimulator::Options options;
    options.pace = pace;
    auto sim = std::make_unique<ExposureSimulator>(store, NOCTURO_RESOURCE_DIR, options);
    sim->finish();
    return sim;
}

// The light of one photograph row, all channels, column by column.
std::vector<double> rowLight(const LightSum& light, int y) {
    std::vector<double> row;
    for (int x = 0; x < light.width(); ++x)
        row.push_back(light.at(x, y, 0) + light.at(x, y, 1) + light.at(x, y, 2));
    return row;
}

// The first and last columns lit above `floor`; -1, -1 when none is.
std::pair<int, int> litSpan(const std::vector<double>& row, double floor) {
    int first = -1, last = -1;
    for (int x = 0; x < static_cast<int>(row.size()); ++x)
        if (row[static_cast<std::size_t>(x)] > floor) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

TEST(Exposure, ASmallSpotWalkedSteadilyLeavesAnEvenStripeAsLongAsTheWalk) {
    // 0.5 m/s for 2 s at a pixel a millimetre: the spot's middle moves 1000 pixels.
    auto sim = photographed(whiteSpot({}), 0.5);
    const LightSum& light = sim->light();
    ASSERT_EQ(sim->screenHeight(), 140);
    EXPECT_EQ(light.height(), 140);
    EXPECT_EQ(light.width(), 1500 + sim->screenWidth()); // the dark second after it too
    const std::vector<double> row = rowLight(light, light.height() / 2);
    const double peak = *std::max_element(row.begin(), row.end());
    ASSERT_GT(peak, 0.0);
    auto [first, last] = litSpan(row, peak * 0.01);
    const double middle = sim->screenWidth() / 2.0;
    // The spot is 10 points (about 2.9 mm) across: the stripe is the walk plus that.
    EXPECT_NEAR(first, middle, 3.0);
    EXPECT_NEAR(last, middle + 1000.0, 3.0);
    for (int x = first + 5; x <= last - 5; ++x)
        ASSERT_NEAR(row[static_cast<std::size_t>(x)], peak, peak * 1e-3) << "at " << x;
    // White in every channel alike. A column of the stripe gets the spot's light over the pace:
    // a disc 8 to 10 points across (0.29 pixels a point), over 500 pixels a second.
    double column = 0.0;
    for (int y = 0; y < light.height(); ++y) {
        EXPECT_NEAR(light.at(first + 500, y, 0), light.at(first + 500, y, 2), 1e-6);
        column += light.at(first + 500, y, 0);
    }
    const double s = 140.0 / 480.0;
    EXPECT_GT(column, 3.14159 * std::pow(4.0 * s, 2) / 500.0);
    EXPECT_LT(column, 3.14159 * std::pow(5.0 * s, 2) / 500.0);
    // Rows above and below the spot stay black.
    EXPECT_EQ(litSpan(rowLight(light, 10), 0.0).first, -1);
}

TEST(Exposure, DoublingThePaceHalvesTheStripesLight) {
    MemorySettingsStore store = whiteSpot({});
    auto slow = photographed(store, 0.5);
    auto fast = photographed(store, 1.0);
    const int y = slow->light().height() / 2;
    const int x = slow->screenWidth() / 2 + 400;
    const double a = slow->light().at(x, y, 1);
    const double b = fast->light().at(x, y, 1);
    ASSERT_GT(a, 0.0);
    EXPECT_NEAR(b, a / 2.0, a * 1e-3);
    // And the fast stripe is twice as long.
    auto [slowFirst, slowLast] = litSpan(rowLight(slow->light(), y), 1e-4);
    auto [fastFirst, fastLast] = litSpan(rowLight(fast->light(), y), 1e-4);
    EXPECT_NEAR(fastLast - fastFirst, 2 * (slowLast - slowFirst), 6);
}

TEST(Exposure, NothingShowsBeforeTheLightStartsOrAfterItEnds) {
    // A 1 s countdown and 2 s of light at 0.5 m/s: lit from 500 to 1500 pixels along.
    auto sim = photographed(whiteSpot({1.0f, 2.0f, 10.0f}), 0.5);
    EXPECT_DOUBLE_EQ(sim->lightStart(), 1.0);
    EXPECT_DOUBLE_EQ(sim->lightEnd(), 3.0);
    const LightSum& light = sim->light();
    EXPECT_EQ(light.width(), 2000 + sim->screenWidth());
    const double middle = sim->screenWidth() / 2.0;
    // The spot's rows; the dark after the light shows the painting screen's dim controls again,
    // at its bottom and top, as the real screen does.
    double before = 0.0, after = 0.0, during = 0.0;
    for (int y = light.height() / 3; y < light.height() * 2 / 3; ++y)
        for (int x = 0; x < light.width(); ++x) {
            double v = light.at(x, y, 0) + light.at(x, y, 1) + light.at(x, y, 2);
            if (x < middle + 500 - 4)
                before += v;
            else if (x > middle + 1500 + 4)
                after += v;
            else
                during += v;
        }
    EXPECT_EQ(before, 0.0);
    EXPECT_EQ(after, 0.0);
    EXPECT_GT(during, 0.0);
}

TEST(Exposure, ASlowWalkBlowsOutWhereTheLightPassesFullScale) {
    // At 0.1 m/s a 10-point spot gives its middle row about 0.01 s of white: under full scale
    // at 0 stops, well over it at +4.
    auto sim = photographed(whiteSpot({}), 0.1);
    const int y = sim->light().height() / 2;
    const int x = sim->screenWidth() / 2 + 100;
    const double seconds = sim->light().at(x, y, 0);
    ASSERT_GT(seconds * 16.0, LightSum::fullScaleSeconds);
    ASSERT_LT(seconds, LightSum::fullScaleSeconds);
    Framebuffer plain = sim->photograph(0.0);
    Framebuffer bright = sim->photograph(4.0);
    EXPECT_EQ(plain.at(x, y)[0], LinearFrame::encode(seconds / LightSum::fullScaleSeconds));
    EXPECT_LT(plain.at(x, y)[0], 255);
    EXPECT_EQ(bright.at(x, y)[0], 255);
    EXPECT_EQ(bright.at(x, y)[3], 255);
    // The sky stays black however bright the exposure.
    EXPECT_EQ(bright.at(x, 5)[0], 0);
    // One stop less halves the light before it is encoded.
    EXPECT_EQ(sim->photograph(-1.0).at(x, y)[1],
              LinearFrame::encode(seconds / 2.0 / LightSum::fullScaleSeconds));
}

TEST(Exposure, UntilTouchedIsPhotographedForItsSetLengthAndLeavesTheSettingsAsTheyWere) {
    MemorySettingsStore store = whiteSpot({0.5f, 0.0f, 10.0f});
    const auto before = store.dictionary();
    auto sim = photographed(store, 0.5);
    EXPECT_DOUBLE_EQ(sim->lightEnd(), 0.5 + ExposureSimulator::untilTouchedLength);
    const int y = sim->light().height() / 2;
    auto [first, last] = litSpan(rowLight(sim->light(), y), 1e-4);
    EXPECT_NEAR(last - first, 0.5 * ExposureSimulator::untilTouchedLength * 1000.0, 6);
    EXPECT_TRUE(sameSettings(store.dictionary(), before));
}

TEST(Exposure, ADrawnWalkLeavesItsShape) {
    // 0.3 m to the right, then 0.3 m down, at 0.5 m/s: 1.2 s of light.
    MemorySettingsStore store = whiteSpot({0.0f, 1.2f, 10.0f});
    ExposureSimulator::Options options;
    options.pace = 0.5;
    options.path = {{0.0, 0.0}, {0.3, 0.0}, {0.3, 0.3}};
    ExposureSimulator sim(store, NOCTURO_RESOURCE_DIR, options);
    sim.finish();
    const LightSum& light = sim.light();
    EXPECT_EQ(light.width(), 300 + sim.screenWidth());
    EXPECT_EQ(light.height(), 300 + sim.screenHeight());
    // The spot's middle starts at the screen's middle.
    const int x0 = sim.screenWidth() / 2, y0 = sim.screenHeight() / 2;
    auto lit = [&](int x, int y) { return light.at(x, y, 0) > 1e-4; };
    EXPECT_TRUE(lit(x0 + 150, y0));       // along the first leg
    EXPECT_TRUE(lit(x0 + 300, y0 + 150)); // along the second
    EXPECT_FALSE(lit(x0 + 150, y0 + 150));
    EXPECT_FALSE(lit(x0, y0 + 300));
    // Walked at the same pace, both legs are as bright.
    EXPECT_NEAR(light.at(x0 + 150, y0, 0) + light.at(x0 + 150, y0 + 1, 0) +
                    light.at(x0 + 150, y0 - 1, 0) + light.at(x0 + 150, y0 + 2, 0) +
                    light.at(x0 + 150, y0 - 2, 0),
                light.at(x0 + 300, y0 + 150, 0) + light.at(x0 + 301, y0 + 150, 0) +
                    light.at(x0 + 299, y0 + 150, 0) + light.at(x0 + 302, y0 + 150, 0) +
                    light.at(x0 + 298, y0 + 150, 0),
                light.at(x0 + 150, y0, 0) * 0.1);
}

TEST(Exposure, ASecondRunOnTheSameCopyPhotographsWhatAFreshCopyWould) {
    // Colour fantasy through the dot strip: the colours walk, so only a run that starts its
    // walk afresh matches.
    MemorySettingsStore store = whiteSpot({0.5f, 1.5f, 200.0f});
    store.setObject("lightMode", std::int64_t{1});
    store.setObject("hideStrip", std::int64_t{2});
    ExposureSimulator::Options slow, fast;
    slow.pace = 0.2;
    fast.pace = 0.4;
    ExposureSimulator reused(store, NOCTURO_RESOURCE_DIR, slow);
    reused.finish();
    reused.restart(fast);
    reused.finish();
    ExposureSimulator fresh(store, NOCTURO_RESOURCE_DIR, fast);
    fresh.finish();
    ASSERT_EQ(reused.light().width(), fresh.light().width());
    ASSERT_EQ(reused.light().height(), fresh.light().height());
    EXPECT_EQ(reused.framesDrawn(), fresh.framesDrawn());
    EXPECT_EQ(reused.photograph(0.0).pixels, fresh.photograph(0.0).pixels);
}

class ExposeCommand : public testing::AppTest {
protected:
    ExposeCommand() {
        sim.setPhotographWriter([this](const Framebuffer& photograph, const std::string& file) {
            written = photograph;
            writtenTo = file;
        });
    }
    Framebuffer written;
    std::string writtenTo;
};

TEST_F(ExposeCommand, WritesTheRunsPhotographAtAPixelAMillimetreAndLeavesTheApplicationAsItWas) {
    run({"store colorIndex 2", "store timedLightDelay 1.0", "store timedLightLength 1.0",
         "store cyclicFrequency 20.0"});
    launched();
    toSettings();
    run({"control lightModeSelector 1"});
    toPainting();
    run({"touch down 160 240", "touch move 150 230"});
    const std::string before = sim.dump();
    const auto stored = store.dictionary();
    run({"expose trail.png 0.25 -1"});
    EXPECT_EQ(sim.dump(), before);
    EXPECT_TRUE(sameSettings(store.dictionary(), stored));
    EXPECT_EQ(writtenTo, "trail.png");
    // 3 s walked at 0.25 m/s (a second's countdown, a second's light, the dark second after),
    // plus the screen: 140 mm tall, 320/480 of that wide.
    EXPECT_EQ(written.height, 140);
    EXPECT_EQ(written.width, 750 + 94);
}

TEST_F(ExposeCommand,
       LightWritingOfAThreeColumnPictureLeavesThreeBandsInOrderMirroredWhenMirrored) {
    // Red, green, blue, one column each, written over a 3 s pass walked at 0.5 m/s: each column
    // lights 500 mm of the walk, from the screen's middle (47 mm along) on.
    Framebuffer three;
    three.resize(3, 1);
    const std::uint8_t colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int x = 0; x < 3; ++x) {
        std::copy(colours[x], colours[x] + 3, three.at(x, 0));
        three.at(x, 0)[3] = 255;
    }
    const std::string picture = (std::filesystem::temp_directory_path() /
                                 ("nocturo-expose-" + std::to_string(::getpid()) + ".png"))
                                    .string();
    ASSERT_TRUE(writePng(three, picture));
    for (bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "as drawn");
        run({"store writingEnabled true", "store timedLightDelay 0", "store writingPassLength 3",
             mirrored ? "store writingMirrored true" : "store writingMirrored false"});
        launched();
        run({"picture " + picture, "expose word.png 0.5 3"});
        ASSERT_EQ(written.width, 2000 + 94);
        const int y = written.height / 2;
        // The channel that leads at each third of the stripe, and black past its end.
        auto leading = [&](int x) {
            const std::uint8_t* p = written.at(x, y);
            if (std::max({p[0], p[1], p[2]}) < 16)
                return -1;
            return static_cast<int>(std::max_element(p, p + 3) - p);
        };
        const std::vector<int> expected =
            mirrored ? std::vector<int>{2, 1, 0} : std::vector<int>{0, 1, 2};
        EXPECT_EQ(leading(47 + 250), expected[0]);
        EXPECT_EQ(leading(47 + 750), expected[1]);
        EXPECT_EQ(leading(47 + 1250), expected[2]);
        EXPECT_EQ(leading(47 + 1600), -1);
        EXPECT_EQ(leading(20), -1);
        run({"quit"});
    }
    std::filesystem::remove(picture);
}

TEST_F(ExposeCommand, RefusesASpeedOrExposureOutOfRange) {
    EXPECT_EQ(refusal("expose a.png -1"), "the speed must lie from 0 to 10 metres a second");
    EXPECT_EQ(refusal("expose a.png 0.5 11"), "the exposure must lie from -10 to 10 stops");
    EXPECT_EQ(refusal("expose a.png 0.5 0 1"), "usage: expose FILE.png [SPEED] [STOPS]");
    EXPECT_TRUE(writtenTo.empty());
}

} // namespace
} // namespace nocturo
