#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

class SpotSize : public AppTest {
protected:
    void unlocked() {
        launched();
        toSettings();
        run({"control adjustSizeSwitch off"});
        toPainting();
    }
    float square() { return app().imageContainerView->frame().width(); }
    void expectCentred() {
        EXPECT_EQ(app().theMaskView->center(), Point(160, 240));
        EXPECT_EQ(app().imageContainerView->center(), Point(160, 240));
    }
};

TEST_F(SpotSize, ADeltaGivesTwiceItsWidthHeldToTheLimits) {
    unlocked();
    run({"call getCurrentSpotSize", "call setSpotSize: 50"});
    EXPECT_EQ(spotWidth(), 420.0f);
    EXPECT_EQ(app().theMaskView->frame().height(), 420.0f);
    EXPECT_EQ(square(), 418.0f);
    expectCentred();
    run({"call setSpotSize: 200"}); // calls do not add up: each starts from the recorded width
    EXPECT_EQ(spotWidth(), 620.0f);
    run({"call setSpotSize: -200"});
    EXPECT_EQ(spotWidth(), 6.0f);
    EXPECT_EQ(square(), 4.0f);
    expectCentred();
}

TEST_F(SpotSize, TheWidthIsSummedInDoublePrecisionAndRoundedOnce) {
    unlocked();
    run({"call setSpotSizeByWidth: 100.1", "call getCurrentSpotSize", "call setSpotSize: 0.3"});
    float expected =
        static_cast<float>(static_cast<double>(100.1f) + static_cast<double>(0.3f) * 2.0);
    EXPECT_EQ(spotWidth(), expected);
}

TEST_F(SpotSize, AZeroDeltaHoldsARecordedWidthBeyondTheLimit) {
    unlocked();
    run({"call setSpotSizeByWidth: 700", "call getCurrentSpotSize", "call setSpotSize: 0"});
    EXPECT_EQ(spotWidth(), 620.0f);
}

TEST_F(SpotSize, WhileLockedDragsChangeNothingButTheWidthIsStillStoredAndAppliedByWidth) {
    launched();
    EXPECT_FALSE(app().shouldAdjustSpotSize);
    run({"touch down 160 340", "touch move 160 390", "touch up 160 390"});
    EXPECT_EQ(spotWidth(), 320.0f);
    EXPECT_EQ(store.floatForKey("spotWidth"), 320.0f);
    run({"call setSpotSizeByWidth: 2.5"});
    EXPECT_EQ(spotWidth(), 2.5f);
    EXPECT_EQ(square(), 1.0f);
    run({"call setSpotSizeByWidth: 700"});
    EXPECT_EQ(spotWidth(), 700.0f);
    expectCentred();
}

TEST_F(SpotSize, TheSwitchShowsTheLockAndStoresItsOpposite) {
    launched();
    toSettings();
    run({"control adjustSizeSwitch off"});
    EXPECT_TRUE(app().shouldAdjustSpotSize);
    EXPECT_EQ(store.objectForKey("adjustSpotSize"), SettingValue(true));
    run({"control adjustSizeSwitch on"});
    EXPECT_FALSE(app().shouldAdjustSpotSize);
    EXPECT_EQ(store.objectForKey("adjustSpotSize"), SettingValue(false));
}

TEST_F(SpotSize, ADragFromTheCentreOutwardsGrowsTheSpotAndTheWidthSurvivesARestart) {
    unlocked();
    run({"touch down 160 340", "touch move 160 390"});
    EXPECT_EQ(spotWidth(), 420.0f);
    run({"touch move 160 300"}); // back inside where it began
    EXPECT_EQ(spotWidth(), 240.0f);
    run({"touch up 160 300"});
    EXPECT_EQ(store.floatForKey("spotWidth"), 240.0f);
    run({"quit", "launch", "wait 1.4"});
    EXPECT_EQ(spotWidth(), 240.0f);
    expectCentred();
}

} // namespace
} // namespace nocturo::testing
