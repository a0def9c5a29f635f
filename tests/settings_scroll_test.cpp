// A finger that drags the plain content of a scroll view scrolls it: views that do nothing
// with a touch pass it on to their superview, so the settings below the screen's edge can be
// reached by hand.

#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

class SettingsScroll : public AppTest {};

TEST_F(SettingsScroll, ADragOnTheSettingsScrollsThemUpToTheirEnd) {
    launched();
    toSettings();
    ASSERT_EQ(app().settingsScrollView->contentOffset().y, 0.0f);
    // Over a label, on the content: neither handles touches, so the scroll view takes them.
    run({"touch down 150 420", "touch move 150 300"});
    EXPECT_EQ(app().settingsScrollView->contentOffset().y, 120.0f);
    run({"touch move 150 0", "touch up 150 0"});
    // No further than the content's end: 640 points of content in a view of 416.
    EXPECT_EQ(app().settingsScrollView->contentOffset().y, 224.0f);
    // Back down from over the "Lock spot size" label.
    run({"touch down 150 150", "touch move 150 420", "touch up 150 420"});
    EXPECT_EQ(app().settingsScrollView->contentOffset().y, 0.0f);
}

TEST_F(SettingsScroll, TheHelpControlIsReachedByScrollingToIt) {
    launched();
    toSettings();
    run({"touch down 315 420", "touch move 315 100", "touch up 315 100"});
    ASSERT_EQ(app().settingsScrollView->contentOffset().y, 224.0f);
    // The help control's middle: 64 + 548 + 16 - 224.
    run({"touch down 160 404", "touch up 160 404"});
    ASSERT_EQ(application().openedURLs().size(), 1u);
    EXPECT_EQ(application().openedURLs()[0], helpAddress);
}

TEST_F(SettingsScroll, ATapOnAControlStillWorksTheControlAndDoesNotScroll) {
    launched();
    toSettings();
    // The off mode's first segment.
    run({"touch down 85 326", "touch up 85 326"});
    EXPECT_EQ(app().currentOffMode, 1);
    EXPECT_EQ(app().settingsScrollView->contentOffset().y, 0.0f);
}

TEST_F(SettingsScroll, APaintingTouchIsNotPassedOnBeyondThePaintingView) {
    launched();
    run({"touch down 160 340", "touch move 160 390"});
    EXPECT_TRUE(app().inBlackMode);
    run({"touch up 160 390"});
    EXPECT_FALSE(app().inBlackMode);
}

} // namespace
} // namespace nocturo::testing
