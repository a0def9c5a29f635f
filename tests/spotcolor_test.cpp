#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

using SpotColour = AppTest;

TEST_F(SpotColour, InOffModeTwoANewColourShowsAtOnceAndIsStored) {
    launched();
    toSettings();
    run({"control spotColorSelector 1"});
    EXPECT_EQ(lightColor(), red);
    EXPECT_EQ(app().currentColorIndex, 1);
    EXPECT_EQ(store.integerForKey("colorIndex"), 1);
    run({"control spotColorSelector 4"});
    EXPECT_EQ(lightColor(), Color(1.0f, 0.282f, 0.667f, 1.0f));
    run({"control spotColorSelector 5"});
    EXPECT_EQ(lightColor(), Color::whiteColor());
}

TEST_F(SpotColour, InOffModeOneTheColourWaitsInTheDarkUntilAFingerLightsIt) {
    launched();
    toSettings();
    run({"control offModeSelector 0", "control spotColorSelector 1"});
    EXPECT_EQ(lightColor(), black);
    EXPECT_TRUE(app().inBlackMode);
    EXPECT_EQ(store.integerForKey("lightOffMode"), 1);
    toPainting();
    run({"touch down 100 100"});
    EXPECT_EQ(lightColor(), red);
    EXPECT_FALSE(app().inBlackMode);
    run({"touch up 100 100"});
    EXPECT_EQ(lightColor(), black);
    EXPECT_TRUE(app().inBlackMode);
}

TEST_F(SpotColour, OffModeTwoGoesDarkUnderTheFingerAndLightsAgainOnLift) {
    launched();
    run({"touch down 100 100"});
    EXPECT_EQ(lightColor(), black);
    EXPECT_TRUE(app().inBlackMode);
    run({"touch up 100 100"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_FALSE(app().inBlackMode);
}

TEST_F(SpotColour, TheRainbowHidesWhenTheLightIsOffAndTheSquareStaysBlackWhenOn) {
    launched();
    toSettings();
    run({"control lightModeSelector 2"});
    toPainting();
    EXPECT_FALSE(app().theRainbowView->isHidden());
    EXPECT_EQ(lightColor(), black);
    run({"touch down 100 100"});
    EXPECT_TRUE(app().theRainbowView->isHidden());
    EXPECT_EQ(lightColor(), black);
    run({"touch up 100 100"});
    EXPECT_FALSE(app().theRainbowView->isHidden());
    EXPECT_EQ(lightColor(), black);
}

TEST_F(SpotColour, IndicesOutsideTheTableAndUnknownOffModesChangeNothing) {
    launched();
    run({"call setColorByIndex: 6", "call setColorByIndex: -1"});
    EXPECT_EQ(app().storedColor, yellow);
    EXPECT_EQ(lightColor(), yellow);
    run({"call setCurrentOffMode: 3"});
    app().currentOffMode = 3; // no control gives it; the store could
    run({"call refleshSpotAppearance", "call setColorByIndex: 2"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_EQ(app().storedColor, Color::greenColor());
    run({"touch down 100 100", "touch up 100 100"});
    EXPECT_EQ(lightColor(), yellow);
}

TEST_F(SpotColour, SwitchingOffInAnUnknownLightModeOnlyMarksTheLightOff) {
    launched();
    app().currentLightMode = 9;
    run({"call setSpotColorBlack:"});
    EXPECT_TRUE(app().inBlackMode);
    EXPECT_EQ(lightColor(), yellow);
    run({"call restoreColor"});
    EXPECT_FALSE(app().inBlackMode);
}

TEST_F(SpotColour, AnOffModeActionWithNoSegmentStoresTheUnchangedMode) {
    launched();
    app().offModeSelector->setSelectedSegmentIndex(SegmentedControl::noSegment);
    run({"call switchOffMode:"});
    EXPECT_EQ(app().currentOffMode, 2);
    EXPECT_EQ(store.integerForKey("lightOffMode"), 2);
    EXPECT_EQ(lightColor(), yellow);
}

} // namespace
} // namespace nocturo::testing
