#include "tests/AppFixture.h"

#include <cmath>
#include <limits>

namespace nocturo::testing {
namespace {

using StoredSettings = AppTest;

TEST_F(StoredSettings, ZeroMeansNeverWrittenAndTakesTheDefault) {
    run({"store cyclicFrequency 0.0", "store colorIndex 0", "store spotWidth 0.0",
         "store lightMode 0", "store lightOffMode 0", "store hideStrip 0", "store stripIndex 0",
         "launch", "wait 1.4"});
    NocturoAppDelegate& d = app();
    EXPECT_EQ(d.cyclicFreq, 50.0f);
    EXPECT_EQ(d.currentColorIndex, 0);
    EXPECT_EQ(spotWidth(), 320.0f);
    EXPECT_EQ(d.currentLightMode, 0);
    EXPECT_EQ(d.currentOffMode, 2);
    EXPECT_EQ(d.offModeSelector->selectedSegmentIndex(), 1);
    EXPECT_EQ(d.shouldHideStrip, 1);
    EXPECT_EQ(d.currentStripIndex, 2);
    // Defaults are not written back.
    EXPECT_EQ(store.integerForKey("lightOffMode"), 0);
    EXPECT_EQ(store.floatForKey("spotWidth"), 0.0f);
}

TEST_F(StoredSettings, EveryStoredValueReachesItsFieldAndItsControl) {
    run({"store cyclicFrequency 12.5", "store colorIndex 3", "store spotWidth 99.5",
         "store lightMode 1", "store lightOffMode 1", "store adjustSpotSize true",
         "store hideStrip 2", "store stripIndex 3", "launch", "wait 1.4"});
    NocturoAppDelegate& d = app();
    EXPECT_EQ(d.cyclicFreqSlider->value(), 12.5f);
    EXPECT_DOUBLE_EQ(d.colorFantasyTimeInterval, 0.08);
    EXPECT_EQ(d.spotColorSelector->selectedSegmentIndex(), 3);
    EXPECT_EQ(d.storedColor, Color::blueColor());
    EXPECT_EQ(spotWidth(), 99.5f);
    EXPECT_EQ(d.lightModeSelector->selectedSegmentIndex(), 1);
    EXPECT_EQ(d.offModeSelector->selectedSegmentIndex(), 0);
    EXPECT_TRUE(d.inBlackMode);
    EXPECT_EQ(lightColor(), black); // fantasy in off mode 1: dark until touched
    EXPECT_TRUE(d.shouldAdjustSpotSize);
    EXPECT_FALSE(d.adjustSizeSwitch->isOn()); // the switch shows the lock
    EXPECT_TRUE(d.stripOnOffSwitch->isOn());
    EXPECT_FALSE(d.stripImageView->isHidden());
    EXPECT_TRUE(d.stripSizeSelector->isEnabled());
    EXPECT_EQ(d.stripSizeSelector->selectedSegmentIndex(), 2);
    EXPECT_EQ(d.stripImageView->imageName(), "dotArray15.png");
}

TEST_F(StoredSettings, AStoredWidthBeyondTheDragLimitsIsAppliedAsItIs) {
    run({"store spotWidth 700.0", "launch"});
    EXPECT_EQ(spotWidth(), 700.0f);
    EXPECT_EQ(app().theMaskView->center(), Point(160, 240));
}

TEST_F(StoredSettings, AWidthThatIsNoPositiveNumberReadsAsAbsent) {
    for (float bad :
         {-5.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        MemorySettingsStore s;
        s.setFloat("spotWidth", bad);
        Nocturo nocturo(s, NOCTURO_RESOURCE_DIR);
        nocturo.launch();
        EXPECT_EQ(nocturo.controller().theMaskView->frame().width(), 320.0f) << bad;
        EXPECT_EQ(nocturo.controller().imageContainerView->frame().width(), 318.0f) << bad;
    }
}

TEST_F(StoredSettings, AFrequencyThatIsNoPositiveNumberReadsAsAbsentAndOneOutOfRangeIsHeld) {
    struct Case {
        float stored;
        float expected;
    };
    for (Case c : {Case{-3.0f, 50.0f}, Case{std::numeric_limits<float>::quiet_NaN(), 50.0f},
                   Case{std::numeric_limits<float>::infinity(), 50.0f}, Case{1e9f, 100.0f},
                   Case{0.01f, 1.0f}, Case{37.5f, 37.5f}}) {
        MemorySettingsStore s;
        s.setFloat("cyclicFrequency", c.stored);
        s.setInteger("lightMode", 1);
        Nocturo nocturo(s, NOCTURO_RESOURCE_DIR);
        nocturo.launch();
        NocturoAppDelegate& d = nocturo.controller();
        EXPECT_EQ(d.cyclicFreq, c.expected) << c.stored;
        EXPECT_EQ(d.cyclicFreqSlider->value(), c.expected) << c.stored;
        ASSERT_NE(d.colorFantasyTimer, nullptr);
        EXPECT_DOUBLE_EQ(d.colorFantasyTimeInterval, 1.0 / c.expected);
        float kept = s.floatForKey("cyclicFrequency"); // the loader writes nothing back
        EXPECT_TRUE(kept == c.stored || (std::isnan(kept) && std::isnan(c.stored)));
    }
}

TEST_F(StoredSettings, NumbersOfTheOtherKindReadAcrossKinds) {
    MemorySettingsStore s;
    s.setFloat("colorIndex", 2.9f); // an integer key holding a float truncates
    s.setObject("spotWidth", std::int64_t{200});
    s.setInteger("adjustSpotSize", 1);
    Nocturo nocturo(s, NOCTURO_RESOURCE_DIR);
    nocturo.launch();
    EXPECT_EQ(nocturo.controller().currentColorIndex, 2);
    EXPECT_EQ(nocturo.controller().theMaskView->frame().width(), 200.0f);
    EXPECT_TRUE(nocturo.controller().shouldAdjustSpotSize);
}

TEST(Accelerometer, TheFilterSmoothsEachAxisAndHandsOnSingleFloats) {
    struct Receiver : AccelerationReceiver {
        float x = -1, y = -1, z = -1;
        void accelXYZ(float ax, float ay, float az) override { x = ax, y = ay, z = az; }
    } receiver;
    AccelController filter;
    filter.mainAppDeligate = &receiver;
    EXPECT_EQ(filter.getAccelerometerZ(), 0.0f);
    filter.accelerometerDidAccelerate(1.0, 1.0, 1.0);
    EXPECT_EQ(receiver.x, 0.25f);
    EXPECT_EQ(receiver.y, static_cast<float>(0.15));
    EXPECT_EQ(receiver.z, static_cast<float>(0.15));
    filter.accelerometerDidAccelerate(1.0, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(filter.accelerometer[0], 0.4375);
    EXPECT_DOUBLE_EQ(filter.accelerometer[1], 0.2775);
    EXPECT_EQ(receiver.x, 0.4375f);
    EXPECT_EQ(receiver.y, static_cast<float>(1.0 * 0.15 + 0.85 * 0.15));
    EXPECT_EQ(receiver.z, static_cast<float>(1.0 * 0.15 + 0.85 * 0.15));
    EXPECT_EQ(filter.getAccelerometerZ(), receiver.z);
}

TEST_F(StoredSettings, TheFilteredMotionChangesNothingInTheApplication) {
    launched();
    std::string before = sim.dump();
    run({"call accelXYZ:accelY:accelZ: 0.5 -1 2"});
    EXPECT_EQ(sim.dump(), before);
    run({"call accelerometer:didAccelerate: 1 1 1"});
    EXPECT_EQ(app().myAccelController->accelerometer[0], 0.25);
    EXPECT_EQ(lightColor(), yellow);
}

} // namespace
} // namespace nocturo::testing
