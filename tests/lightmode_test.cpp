#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

class LightModes : public AppTest {
protected:
    // Exactly one of the spot and the rainbow lies in the painting screen, directly below the
    // strip.
    void expectOneLayerBelowTheStrip(View* layer) {
        const auto& subs = app().paintingView->subviews();
        View* other = layer == app().theMaskView ? static_cast<View*>(app().theRainbowView)
                                                 : static_cast<View*>(app().theMaskView);
        EXPECT_EQ(other->superview(), nullptr);
        auto strip = std::find(subs.begin(), subs.end(), app().stripImageView);
        ASSERT_NE(strip, subs.end());
        ASSERT_NE(strip, subs.begin());
        EXPECT_EQ(*(strip - 1), layer);
        EXPECT_EQ(subs.front(), app().imageContainerView);
    }
    void mode(int m) { run({"control lightModeSelector " + std::to_string(m)}); }
};

TEST_F(LightModes, EachModeSwapsItsLayerAndSetsWhichControlsAreUsable) {
    launched();
    toSettings();
    mode(1);
    expectOneLayerBelowTheStrip(app().theMaskView);
    EXPECT_NE(app().colorFantasyTimer, nullptr);
    EXPECT_FALSE(app().spotColorSelector->isEnabled());
    EXPECT_EQ(app().spotColorSelector->tintColor(), Color::grey(0.6f));
    EXPECT_EQ(app().spotColorSelector->alpha(), 0.6f);
    EXPECT_TRUE(app().cyclicFreqSlider->isEnabled());
    EXPECT_EQ(store.integerForKey("lightMode"), 1);
    EXPECT_EQ(lightColor(), yellow); // until the first tick

    mode(2);
    expectOneLayerBelowTheStrip(app().theRainbowView);
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_FALSE(app().spotColorSelector->isEnabled());
    EXPECT_FALSE(app().cyclicFreqSlider->isEnabled());
    EXPECT_FALSE(app().theRainbowView->isHidden());
    EXPECT_EQ(lightColor(), black);

    mode(0);
    expectOneLayerBelowTheStrip(app().theMaskView);
    EXPECT_EQ(app().colorFantasyTimer, nullptr);
    EXPECT_TRUE(app().spotColorSelector->isEnabled());
    EXPECT_EQ(app().spotColorSelector->tintColor(), Color::grey(0.4f));
    EXPECT_EQ(app().spotColorSelector->alpha(), 1.0f);
    EXPECT_FALSE(app().cyclicFreqSlider->isEnabled());
    EXPECT_EQ(lightColor(), yellow); // the chosen colour again, at once
    EXPECT_EQ(store.integerForKey("lightMode"), 0);
}

TEST_F(LightModes, TheLayersStayRightAcrossEveryModeChangeInBothOffModes) {
    launched();
    toSettings();
    for (int off : {1, 0}) {
        run({"control offModeSelector " + std::to_string(off)});
        for (int m : {2, 1, 2, 0, 1, 0, 2}) {
            mode(m);
            expectOneLayerBelowTheStrip(m == 2 ? static_cast<View*>(app().theRainbowView)
                                               : static_cast<View*>(app().theMaskView));
            bool lit = off == 1;
            EXPECT_EQ(app().inBlackMode, !lit);
            if (m == 2) {
                EXPECT_EQ(app().theRainbowView->isHidden(), !lit);
            }
            if (!lit) {
                EXPECT_EQ(lightColor(), black);
            }
        }
    }
}

TEST_F(LightModes, FromRainbowToSpotInOffModeOneStaysDark) {
    launched();
    toSettings();
    run({"control offModeSelector 0"});
    mode(2);
    EXPECT_TRUE(app().theRainbowView->isHidden());
    mode(0);
    expectOneLayerBelowTheStrip(app().theMaskView);
    EXPECT_EQ(lightColor(), black);
}

TEST_F(LightModes, ApplyingTheModeInForceLeavesTheLayersAsTheyAre) {
    launched();
    auto before = app().paintingView->subviews();
    run({"call setLightModeByIndex: 0", "call setSpotView"});
    EXPECT_EQ(app().paintingView->subviews(), before);
    run({"call setLightModeByIndex: 2"});
    auto rainbow = app().paintingView->subviews();
    run({"call setRainbowView", "call setLightModeByIndex: 2"});
    EXPECT_EQ(app().paintingView->subviews(), rainbow);
}

TEST_F(LightModes, AnUnknownModeOnlyRefreshesTheRestingState) {
    launched();
    auto before = app().paintingView->subviews();
    run({"call setSpotColorBlack:"});
    run({"call setLightModeByIndex: 7"});
    EXPECT_EQ(app().paintingView->subviews(), before);
    EXPECT_TRUE(app().spotColorSelector->isEnabled());
    EXPECT_EQ(lightColor(), yellow); // refreshed: off mode 2 rests lit
}

TEST_F(LightModes, StoredRainbowModeStartsWithTheRainbowUnderTheStrip) {
    run({"store lightMode 2", "store hideStrip 2", "launch", "wait 1.4"});
    expectOneLayerBelowTheStrip(app().theRainbowView);
    EXPECT_FALSE(app().theRainbowView->isHidden());
    EXPECT_FALSE(app().stripImageView->isHidden());
}

TEST_F(LightModes, StoredFantasyModeStartsTheCycleAtTheStoredFrequency) {
    run({"store lightMode 1", "store cyclicFrequency 25.0", "launch"});
    ASSERT_NE(app().colorFantasyTimer, nullptr);
    EXPECT_DOUBLE_EQ(app().colorFantasyTimer->timeInterval(), 0.04);
    EXPECT_EQ(app().cyclicFreqSlider->value(), 25.0f);
}

} // namespace
} // namespace nocturo::testing
