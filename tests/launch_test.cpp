#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

using Launch = AppTest;

TEST_F(Launch, TheLaunchViewShowsForHalfASecondThenFadesIntoThePaintingScreen) {
    run({"launch", "wait 0.4"});
    EXPECT_EQ(app().containerView->subviews(), std::vector<View*>{app().launchView});
    EXPECT_FALSE(app().containerView->isTransitioning());

    run({"wait 0.1"}); // 0.5 s: the fade begins and the painting screen takes the launch view's
                       // place
    EXPECT_EQ(app().containerView->subviews(), std::vector<View*>{app().paintingView});
    EXPECT_TRUE(app().containerView->isTransitioning());
    EXPECT_FALSE(app().containerView->isUserInteractionEnabled());

    run({"wait 0.79"});
    EXPECT_TRUE(app().containerView->isTransitioning());
    run({"wait 0.01"}); // 1.3 s: the 0.8 s fade is over
    EXPECT_FALSE(app().containerView->isTransitioning());
    EXPECT_TRUE(app().containerView->isUserInteractionEnabled());
    EXPECT_TRUE(app().containerView->isWasEnabled());
    EXPECT_EQ(app().launchView->superview(), nullptr);
}

TEST_F(Launch, ThePaintingScreenTakesNoTouchUntilTheFadeHasEnded) {
    run({"launch", "wait 0.9", "touch down 100 100", "touch up 100 100"});
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_FALSE(app().inBlackMode);
    EXPECT_EQ(store.objectForKey("spotWidth"), std::nullopt); // the touch went nowhere
    run({"wait 0.5", "touch down 100 100"});
    EXPECT_EQ(lightColor(), black);
}

TEST_F(Launch, AFirstLaunchShowsALitYellowSpotWithEveryDefault) {
    launched();
    NocturoAppDelegate& d = app();
    EXPECT_EQ(lightColor(), yellow);
    EXPECT_EQ(d.storedColor, yellow);
    EXPECT_FALSE(d.inBlackMode);
    EXPECT_EQ(d.currentLightMode, 0);
    EXPECT_EQ(d.currentOffMode, 2);
    EXPECT_EQ(d.paintingView->currentOffMode, 2);
    EXPECT_EQ(d.currentColorIndex, 0);
    EXPECT_EQ(d.cyclicFreq, 50.0f);
    EXPECT_EQ(d.cyclicFreqSlider->value(), 50.0f);
    EXPECT_EQ(spotWidth(), 320.0f);
    EXPECT_EQ(d.theMaskView->center(), Point(160, 240));
    EXPECT_EQ(d.imageContainerView->frame(), Rect(1, 81, 318, 318));
    EXPECT_FALSE(d.shouldAdjustSpotSize);
    EXPECT_TRUE(d.adjustSizeSwitch->isOn());
    EXPECT_EQ(d.shouldHideStrip, 1);
    EXPECT_TRUE(d.stripImageView->isHidden());
    EXPECT_FALSE(d.stripOnOffSwitch->isOn());
    EXPECT_EQ(d.currentStripIndex, 2);
    EXPECT_EQ(d.stripImageView->imageName(), "dotArray30.png");
    EXPECT_EQ(d.stripSizeSelector->selectedSegmentIndex(), 1);
    EXPECT_FALSE(d.stripSizeSelector->isEnabled());
    EXPECT_EQ(d.colorFantasyTimer, nullptr);
    EXPECT_EQ(d.rollingColorRed, 1.0f);
    EXPECT_EQ(d.rollingColorGreen, 0.0f);
    EXPECT_EQ(d.rollingColorBlue, 0.0f);
    // Launch writes nothing to the store.
    EXPECT_TRUE(store.dictionary().empty());
}

TEST_F(Launch, SetsUpTheStatusBarTheTouchViewAndTheSettingsScroller) {
    launched();
    NocturoAppDelegate& d = app();
    EXPECT_TRUE(application().isStatusBarHidden());
    EXPECT_EQ(application().statusBarStyle(), StatusBarStyle::BlackTranslucent);
    EXPECT_EQ(d.paintingView->centerPoint, Point(160, 240));
    EXPECT_EQ(d.paintingView->touchClearRect, Rect(260, 420, 60, 60));
    EXPECT_EQ(d.paintingView->theAppDelegate, &d);
    EXPECT_EQ(d.settingScrollContentView->superview(), d.settingsScrollView);
    EXPECT_EQ(d.settingsScrollView->contentSize(), d.settingScrollContentView->frame().size);
    EXPECT_GT(d.settingsScrollView->contentSize().height, 480.0f);
    EXPECT_FALSE(d.settingsScrollView->canCancelContentTouches());
    EXPECT_TRUE(d.settingsScrollView->isScrollEnabled());
    for (Control* c :
         {static_cast<Control*>(d.spotColorSelector), static_cast<Control*>(d.lightModeSelector),
          static_cast<Control*>(d.offModeSelector), static_cast<Control*>(d.sampleSelector),
          static_cast<Control*>(d.helpSelector)})
        EXPECT_EQ(c->tintColor(), Color::grey(0.4f)) << c->name();
    EXPECT_EQ(d.initLightImageFrame, Rect(0, 80, 320, 320));
    EXPECT_EQ(d.initLightImageCenter, Point(160, 240));
    EXPECT_TRUE(d.window->isVisible());
}

TEST_F(Launch, TheMaskStaysTwoPointsWiderThanTheColourSquareOnOneCentre) {
    launched();
    Rect mask = app().theMaskView->frame();
    Rect square = app().imageContainerView->frame();
    EXPECT_EQ(mask.center(), square.center());
    EXPECT_EQ(mask.width() - 2.0f, square.width());
}

TEST_F(Launch, StoredSettingsAreAppliedInOrderSoTheOffModeHasTheLastWord) {
    run({"store lightOffMode 1", "store colorIndex 1", "store spotWidth 100.5", "launch",
         "wait 1.4"});
    EXPECT_EQ(lightColor(), black);
    EXPECT_TRUE(app().inBlackMode);
    EXPECT_EQ(app().offModeSelector->selectedSegmentIndex(), 0);
    EXPECT_EQ(app().storedColor, red);
    EXPECT_EQ(spotWidth(), 100.5f);
    EXPECT_EQ(app().theMaskView->center(), Point(160, 240));
}

TEST_F(Launch, OutOfRangeStoredCodesSelectNothingAndChangeNothing) {
    run({"store colorIndex 9", "store lightMode 5", "store lightOffMode 7", "store hideStrip 3",
         "launch", "wait 1.4"});
    NocturoAppDelegate& d = app();
    EXPECT_EQ(d.spotColorSelector->selectedSegmentIndex(), SegmentedControl::noSegment);
    EXPECT_EQ(d.lightModeSelector->selectedSegmentIndex(), SegmentedControl::noSegment);
    EXPECT_EQ(d.storedColor, Color::whiteColor()); // the launch's white stays
    EXPECT_EQ(d.currentOffMode, 7);
    EXPECT_EQ(d.theMaskView->superview(), d.paintingView); // the interface file's layer
    EXPECT_EQ(d.shouldHideStrip, 3);
    EXPECT_TRUE(d.stripImageView->isHidden()); // left as the interface file had it
}

} // namespace
} // namespace nocturo::testing
