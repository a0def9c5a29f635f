#include "tests/AppFixture.h"

#include <cmath>
#include <limits>

namespace nocturo::testing {
namespace {

class ColourCycle : public AppTest {
protected:
    // Colour fantasy, back on the painting screen, with the walk at its launch colour and the
    // clock just after the timer's start.
    void fantasy() {
        launched();
        toSettings();
        run({"control lightModeSelector 1"});
        toPainting();
        app().stopColorFantasyTimer();
        app().rollingColorRed = 1.0f;
        app().rollingColorGreen = 0.0f;
        app().rollingColorBlue = 0.0f;
        app().startColorFantasyTimer();
    }
    Color rolling() {
        return {app().rollingColorRed, app().rollingColorGreen, app().rollingColorBlue, 1.0f};
    }
    // How many ticks take the walk from `from` to where it stands now.
    int ticksSince(Color from) {
        Color now = rolling();
        bool dark = app().inBlackMode;
        app().inBlackMode = true; // count without painting
        app().rollingColorRed = from.red;
        app().rollingColorGreen = from.green;
        app().rollingColorBlue = from.blue;
        int n = 0;
        while (rolling() != now && n < 500) {
            app().colorFantasyFunc();
            ++n;
        }
        app().inBlackMode = dark;
        return n;
    }
    // n ticks at 50 a second.
    void ticks(int n) { sim.execute("wait " + std::to_string(n * 0.02), sink); }
    std::ostringstream sink;
};

TEST_F(ColourCycle, TheWalkTakesTwentyTicksARampAndACycleOf118EndsOnRed) {
    fantasy();
    ticks(1);
    EXPECT_EQ(rolling(), Color(1, 0.05f, 0, 1));
    ticks(1);
    EXPECT_EQ(rolling(), Color(1, 0.1f, 0, 1));
    ticks(17);
    EXPECT_EQ(app().rollingColorGreen, 0.95000017f); // the rise drifts above 0.95
    ticks(1); // tick 20: green reaches 1 and red takes its first step down
    EXPECT_EQ(rolling(), Color(0.95f, 1, 0, 1));
    ticks(18);
    EXPECT_EQ(app().rollingColorRed, 0.049999844f);
    ticks(1);
    EXPECT_EQ(rolling(), Color(0, 1, 0, 1));
    ticks(1);
    EXPECT_EQ(rolling(), Color(0, 1, 0.05f, 1));
    ticks(58); // tick 98
    EXPECT_EQ(rolling(), Color(1, 0, 1, 1));
    ticks(1);
    EXPECT_EQ(rolling(), Color(1, 0, 0.95f, 1));
    ticks(19); // tick 118
    EXPECT_EQ(rolling(), Color(1, 0, 0, 1));
    EXPECT_EQ(lightColor(), red);
    ticks(1);
    EXPECT_EQ(rolling(), Color(1, 0.05f, 0, 1));
}

TEST_F(ColourCycle, PurePrimariesShowForOneTickAndYellowAndCyanNever) {
    fantasy();
    int redTicks = 0, greenTicks = 0, blueTicks = 0, magentaTicks = 0, yellowTicks = 0,
        cyanTicks = 0;
    for (int i = 0; i < 118; ++i) {
        ticks(1);
        Color c = lightColor();
        redTicks += c == Color(1, 0, 0, 1);
        greenTicks += c == Color(0, 1, 0, 1);
        blueTicks += c == Color(0, 0, 1, 1);
        magentaTicks += c == Color(1, 0, 1, 1);
        yellowTicks += c == Color(1, 1, 0, 1);
        cyanTicks += c == Color(0, 1, 1, 1);
        EXPECT_GE(c.red, 0.0f);
        EXPECT_LE(c.red, 1.0f);
    }
    EXPECT_EQ(redTicks, 1);
    EXPECT_EQ(greenTicks, 1);
    EXPECT_EQ(blueTicks, 1);
    EXPECT_EQ(magentaTicks, 1);
    EXPECT_EQ(yellowTicks, 0);
    EXPECT_EQ(cyanTicks, 0);
}

TEST_F(ColourCycle, TheWalkGoesOnInTheDarkAndTheNextTickAfterSwitchingOnPaintsIt) {
    fantasy();
    Color start = rolling();
    ticks(5);
    run({"touch down 100 100"});
    EXPECT_EQ(lightColor(), black);
    ticks(10);
    EXPECT_EQ(lightColor(), black);
    EXPECT_EQ(ticksSince(start), 15);
    run({"touch up 100 100"});
    EXPECT_EQ(lightColor(), black); // no paint until the next tick
    ticks(1);
    EXPECT_EQ(ticksSince(start), 16);
    EXPECT_EQ(lightColor(), rolling());
}

TEST_F(ColourCycle, OneTimerAtATimeAtTheFrequencysPeriod) {
    fantasy();
    std::shared_ptr<Timer> first = app().colorFantasyTimer;
    app().startColorFantasyTimer();
    EXPECT_EQ(app().colorFantasyTimer, first);
    EXPECT_DOUBLE_EQ(first->timeInterval(), 0.02);
    EXPECT_DOUBLE_EQ(app().colorFantasyTimeInterval, 0.02);
    app().stopColorFantasyTimer();
    app().stopColorFantasyTimer();
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_FALSE(first->isValid());
}

TEST_F(ColourCycle, AFrequencyChangeRestartsTheWalkASecondLaterAtTheNewRate) {
    fantasy();
    toSettings();
    ticks(0);
    Color before = rolling();
    run({"control cyclicFreqSlider 10"});
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_EQ(store.floatForKey("cyclicFrequency"), 10.0f);
    run({"wait 0.999"});
    EXPECT_EQ(rolling(), before); // holds its colour for a second
    run({"wait 0.001"});
    ASSERT_NE(app().colorFantasyTimer, nullptr);
    EXPECT_DOUBLE_EQ(app().colorFantasyTimer->timeInterval(), 0.1);
    run({"wait 1.0"});
    EXPECT_EQ(ticksSince(before), 10);
}

TEST_F(ColourCycle, TwoChangesHalfASecondApartRestartOnceAtTheSecondFrequency) {
    fantasy();
    toSettings();
    run({"control cyclicFreqSlider 10", "wait 0.5", "control cyclicFreqSlider 20", "wait 0.5"});
    ASSERT_NE(app().colorFantasyTimer, nullptr); // the first change's restart
    EXPECT_DOUBLE_EQ(app().colorFantasyTimer->timeInterval(), 0.05);
    std::shared_ptr<Timer> timer = app().colorFantasyTimer;
    run({"wait 0.5"}); // the second restart finds it running
    EXPECT_EQ(app().colorFantasyTimer, timer);
}

TEST_F(ColourCycle, LeavingFantasyWithinTheSecondKeepsThePendingRestartFromPainting) {
    fantasy();
    toSettings();
    run({"control cyclicFreqSlider 10", "wait 0.3", "control lightModeSelector 0", "wait 2.0"});
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_EQ(lightColor(), yellow);
    run({"control lightModeSelector 1", "control cyclicFreqSlider 30", "wait 0.3",
         "control lightModeSelector 2", "wait 2.0"});
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_EQ(lightColor(), black);
}

TEST_F(ColourCycle, AFrequencyThatIsNoPositiveNumberLeavesTheCycleStopped) {
    fantasy();
    for (float bad : {0.0f, -5.0f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
        app().stopColorFantasyTimer();
        app().cyclicFreq = bad;
        app().startColorFantasyTimer();
        EXPECT_EQ(app().colorFantasyTimer, nullptr) << bad;
    }
    app().cyclicFreq = 100.0f;
    app().startColorFantasyTimer();
    ASSERT_NE(app().colorFantasyTimer, nullptr);
    EXPECT_DOUBLE_EQ(app().colorFantasyTimer->timeInterval(), 0.01);
}

TEST_F(ColourCycle, TheWalkResumesWhereItStoppedAfterAnotherMode) {
    fantasy();
    toSettings();
    ticks(7);
    run({"control lightModeSelector 0"});
    Color at = rolling();
    run({"wait 3", "control lightModeSelector 1"});
    EXPECT_EQ(rolling(), at);
    EXPECT_EQ(lightColor(), yellow); // the spot keeps its colour until the first tick
    ticks(1);
    EXPECT_EQ(ticksSince(at), 1);
}

TEST_F(ColourCycle, TheWalkKeepsPaintingBehindTheSettingsScreen) {
    fantasy();
    toSettings();
    Color before = lightColor();
    ticks(3);
    EXPECT_NE(lightColor(), before);
}

} // namespace
} // namespace nocturo::testing
