#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

using Strip = AppTest;

TEST_F(Strip, TheSwitchShowsAndHidesTheStripAndGreysItsSizeControl) {
    launched();
    toSettings();
    run({"control stripOnOffSwitch on"});
    EXPECT_FALSE(app().stripImageView->isHidden());
    EXPECT_TRUE(app().stripSizeSelector->isEnabled());
    EXPECT_EQ(app().stripSizeSelector->tintColor(), Color::grey(0.4f));
    EXPECT_EQ(app().stripSizeSelector->alpha(), 1.0f);
    EXPECT_EQ(store.integerForKey("hideStrip"), 2);
    run({"control stripOnOffSwitch off"});
    EXPECT_TRUE(app().stripImageView->isHidden());
    EXPECT_FALSE(app().stripSizeSelector->isEnabled());
    EXPECT_EQ(app().stripSizeSelector->tintColor(), Color::grey(0.6f));
    EXPECT_EQ(app().stripSizeSelector->alpha(), 0.6f);
    EXPECT_EQ(store.integerForKey("hideStrip"), 1);
}

TEST_F(Strip, EachSegmentShowsItsPictureAndAHiddenStripKeepsIt) {
    launched();
    toSettings();
    run({"control stripOnOffSwitch on", "control stripSizeSelector 0"});
    EXPECT_EQ(app().stripImageView->imageName(), "dotArray60.png");
    EXPECT_EQ(store.integerForKey("stripIndex"), 1);
    run({"control stripSizeSelector 2"});
    EXPECT_EQ(app().stripImageView->imageName(), "dotArray15.png");
    EXPECT_EQ(store.integerForKey("stripIndex"), 3);
    run({"control stripOnOffSwitch off", "control stripOnOffSwitch on"});
    EXPECT_EQ(app().stripImageView->imageName(), "dotArray15.png");
    EXPECT_EQ(refusal("control stripSizeSelector 1").empty(), true);
    run({"control stripOnOffSwitch off"});
    EXPECT_EQ(refusal("control stripSizeSelector 0"), "'stripSizeSelector' is disabled");
}

TEST_F(Strip, IndicesOutsideTheThreeShowTheMiddlePicture) {
    launched();
    run({"call setStripSizeByIndex: 1", "call setStripSizeByIndex: 0"});
    EXPECT_EQ(app().stripImageView->imageName(), "dotArray30.png");
    run({"call setStripSizeByIndex: 3", "call setStripSizeByIndex: 4"});
    EXPECT_EQ(app().stripImageView->imageName(), "dotArray30.png");
}

TEST_F(Strip, AnUnknownStateIsStoredButChangesNothingOnScreen) {
    launched();
    run({"call setStripOff: 2", "call setStripOff: 5"});
    EXPECT_EQ(app().shouldHideStrip, 5);
    EXPECT_EQ(store.integerForKey("hideStrip"), 5);
    EXPECT_FALSE(app().stripImageView->isHidden());
}

TEST_F(Strip, TheStripStaysThroughLightSwitchingModeChangesAndScreens) {
    launched();
    toSettings();
    run({"control stripOnOffSwitch on"});
    for (int m : {1, 2, 0}) {
        run({"control lightModeSelector " + std::to_string(m)});
        EXPECT_FALSE(app().stripImageView->isHidden());
    }
    toPainting();
    run({"touch down 100 100"});
    EXPECT_FALSE(app().stripImageView->isHidden());
    run({"touch up 100 100"});
    EXPECT_FALSE(app().stripImageView->isHidden());
}

} // namespace
} // namespace nocturo::testing
