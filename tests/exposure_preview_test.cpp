// The settings screen's preview, driven as a user drives it: opened from the timed light
// section, its sliders moved, closed.

#include "exposure/PreviewPanel.h"
#include "tests/AppFixture.h"
#include "timed/TimedLight.h"

namespace nocturo::testing {
namespace {

class Preview : public AppTest {
protected:
    void opened() {
        launched();
        toSettings();
        run({"press showTimedLightSettings:", "press showExposurePreview:"});
    }
    PreviewPanel& panel() { return app().exposurePreview(); }
    const Framebuffer& picture() { return panel().previewPhotographView->photograph(); }
    // The brightest green anywhere in the picture.
    int brightest() {
        int most = 0;
        for (std::size_t i = 1; i < picture().pixels.size(); i += 4)
            most = std::max(most, static_cast<int>(picture().pixels[i]));
        return most;
    }
};

TEST_F(Preview, MakesTheRunsPhotographInSlicesWhileTheControlsAnswer) {
    opened();
    EXPECT_TRUE(panel().isComputing());
    EXPECT_TRUE(picture().isEmpty());
    // A slice or two later the picture is still being made, and a slider still moves.
    run({"wait 0.02", "control previewStopsSlider 1"});
    EXPECT_TRUE(panel().isComputing());
    EXPECT_FLOAT_EQ(panel().stops(), 1.0f);
    run({"wait 1"});
    EXPECT_FALSE(panel().isComputing());
    // Fitted to the 300-point picture: the walk and the screen, in proportion.
    EXPECT_LE(picture().width, 300);
    EXPECT_GE(picture().width, 298);
    EXPECT_LE(picture().height, 120);
    EXPECT_GT(brightest(), 0);
    // The application's own light was not touched: no run started.
    EXPECT_EQ(app().timedLight().phase(), TimedLight::Phase::Idle);
}

TEST_F(Preview, ABrighterExposureDevelopsThePhotographAgainAndANewPaceMakesItAgain) {
    opened();
    run({"wait 1"});
    const int plain = brightest();
    run({"control previewStopsSlider -3"});
    EXPECT_FALSE(panel().isComputing());
    EXPECT_LT(brightest(), plain);
    const Framebuffer dim = picture();
    run({"control previewPaceSlider 0.1"});
    EXPECT_TRUE(panel().isComputing());
    run({"wait 1"});
    EXPECT_NE(picture().pixels, dim.pixels);
    EXPECT_EQ(store.floatForKey("previewPace"), 0.1f);
    EXPECT_EQ(store.floatForKey("previewStops"), -3.0f);
}

TEST_F(Preview, ClosingStopsTheWorkAndStoredValuesOutOfRangeAreHeldToTheSliders) {
    run({"store previewPace 40.0", "store previewStops -9.5"});
    opened();
    EXPECT_FLOAT_EQ(panel().pace(), PreviewPanel::maxPace);
    EXPECT_FLOAT_EQ(panel().stops(), PreviewPanel::minStops);
    EXPECT_FLOAT_EQ(panel().previewPaceSlider->value(), PreviewPanel::maxPace);
    run({"press finishExposurePreview:"});
    EXPECT_FALSE(panel().isComputing());
    EXPECT_FALSE(panel().isOpen());
    EXPECT_EQ(app().timedLight().timedLightView->superview(), app().settingsView);
}

TEST_F(Preview, AFingerDrawsTheWalkAndStraightWalksStraightAgain) {
    opened();
    run({"wait 1"});
    const int straightHeight = picture().height;
    // Over the picture (10, 130 to 310, 250 in the window): right, then down.
    run({"touch down 40 150", "touch move 120 150", "touch move 200 150", "touch move 200 240",
         "touch up 200 240", "wait 1"});
    ASSERT_GE(panel().drawnWalk().size(), 2u);
    EXPECT_GT(panel().drawnWalk().back().y, 0.0);
    EXPECT_GT(picture().height, straightHeight);
    run({"press previewStraightWalk:", "wait 1"});
    EXPECT_TRUE(panel().drawnWalk().empty());
    EXPECT_EQ(picture().height, straightHeight);
}

} // namespace
} // namespace nocturo::testing
