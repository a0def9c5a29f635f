#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

class PaintingTouch : public AppTest {
protected:
    MyTouchView& view() { return *app().paintingView; }
    void unlocked() {
        launched();
        toSettings();
        run({"control adjustSizeSwitch off"});
        toPainting();
    }
    void darkAtRest() {
        launched();
        toSettings();
        run({"control offModeSelector 0"});
        toPainting();
    }
};

TEST_F(PaintingTouch, TheDistanceFromTheCentreDrivesTheSize) {
    unlocked();
    run({"touch down 160 340"});
    EXPECT_EQ(view().startRadius, 100.0f);
    run({"touch move 160 390"});
    EXPECT_EQ(view().currentRadius, 150.0f);
    EXPECT_EQ(spotWidth(), 420.0f);
    run({"touch up 160 390"});
    EXPECT_EQ(view().location, Point(160, 390));
}

TEST_F(PaintingTouch, TheDistanceIsSquaredAndSummedInDoublePrecision) {
    unlocked();
    run({"touch down 10.5 20.25"});
    float dx = 10.5f - 160.0f, dy = 20.25f - 240.0f;
    float expected =
        static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    EXPECT_EQ(view().startRadius, expected);
    run({"touch up 160 240"});
    EXPECT_EQ(view().currentRadius, 0.0f);
}

TEST_F(PaintingTouch, ATouchThatLiftsWhereItLandedKeepsTheWidthAndStoresIt) {
    unlocked();
    run({"touch down 50 60", "touch up 50 60"});
    EXPECT_EQ(spotWidth(), 320.0f);
    EXPECT_EQ(store.floatForKey("spotWidth"), 320.0f);
}

TEST_F(PaintingTouch, TheCornerSquareSwitchesNothingWhenATouchBeginsThere) {
    unlocked();
    run({"touch down 300 450"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_FALSE(app().inBlackMode);
    EXPECT_EQ(app().storedLightImageFrame, app().theMaskView->frame()); // recorded all the same
    run({"touch move 300 470"});
    EXPECT_GT(spotWidth(), 320.0f); // moves still resize
    run({"touch up 300 470"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_EQ(store.floatForKey("spotWidth"), spotWidth());
}

TEST_F(PaintingTouch, TheCornerEdgesFollowTheMinimumInsideMaximumOutsideRule) {
    launched();
    run({"touch down 260 420"});
    EXPECT_EQ(lightColor(), yellow); // on the minimum corner: inside
    run({"touch up 260 420", "touch down 259.9 450"});
    EXPECT_EQ(lightColor(), black); // just left of it: outside
    run({"touch up 259.9 450", "touch down 319.99 479.99"});
    EXPECT_EQ(lightColor(), yellow);
    run({"touch up 319.99 479.99"});
    // The maximum edge lies off the screen, where no finger lands.
    EXPECT_FALSE(view().touchClearRect.contains({320.0f, 450.0f}));
}

TEST_F(PaintingTouch, InOffModeOneATouchLightsAndItsLiftDarkens) {
    darkAtRest();
    run({"touch down 100 100"});
    EXPECT_EQ(lightColor(), yellow);
    run({"touch up 100 100"});
    EXPECT_EQ(lightColor(), black);
    run({"touch down 265 425"}); // the corner: stays dark, and the lift darkens again
    EXPECT_EQ(lightColor(), black);
    run({"touch up 265 425"});
    EXPECT_EQ(lightColor(), black);
}

TEST_F(PaintingTouch, ACancelledTouchEndsLikeALiftWhereTheFingerWasLastSeen) {
    unlocked();
    run({"touch down 160 340", "touch move 160 390"});
    EXPECT_EQ(lightColor(), black);
    run({"touch cancel"});
    EXPECT_EQ(lightColor(), yellow); // back to the resting light, not left dark
    EXPECT_FALSE(app().inBlackMode);
    EXPECT_EQ(spotWidth(), 420.0f);
    EXPECT_EQ(store.floatForKey("spotWidth"), 420.0f);
}

TEST_F(PaintingTouch, ACancelledTouchInOffModeOneReturnsToDark) {
    darkAtRest();
    run({"touch down 100 100"});
    EXPECT_EQ(lightColor(), yellow);
    run({"touch cancel"});
    EXPECT_EQ(lightColor(), black);
    EXPECT_TRUE(app().inBlackMode);
}

TEST_F(PaintingTouch, UnknownOffModesResizeAndStoreButNeverSwitch) {
    unlocked();
    run({"call setCurrentOffMode: 3", "touch down 160 340"});
    EXPECT_EQ(lightColor(), yellow);
    run({"touch move 160 350", "touch up 160 350"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_EQ(spotWidth(), 340.0f);
    EXPECT_EQ(store.floatForKey("spotWidth"), 340.0f);
}

TEST_F(PaintingTouch, TheClearRectIsTheCornerWhateverIsPassed) {
    launched();
    run({"call setTouchClearRect: 0 0 0 0"});
    EXPECT_EQ(view().touchClearRect, Rect(260, 420, 60, 60));
}

TEST_F(PaintingTouch, ASecondFingerSendsItsOwnBeginAndEnd) {
    unlocked();
    Window* w = sim.app()->window();
    w->touchDown(1, {100, 100});
    w->touchDown(2, {160, 340});
    EXPECT_EQ(view().location, Point(160, 340));
    EXPECT_EQ(view().startRadius, 100.0f);
    w->touchUp(1, {100, 100}); // the first lift relights the light while the second stays down
    EXPECT_EQ(lightColor(), yellow);
    w->touchMove(2, {160, 390});
    EXPECT_EQ(spotWidth(), 420.0f);
    w->touchUp(2, {160, 390});
    EXPECT_EQ(store.floatForKey("spotWidth"), 420.0f);
}

} // namespace
} // namespace nocturo::testing
