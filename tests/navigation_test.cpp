#include "tests/AppFixture.h"

namespace nocturo::testing {
namespace {

using Navigation = AppTest;

std::string flipType(View* container) {
    Animation* a = container->layer().animationForKey("viewTransition");
    return a ? a->type : std::string();
}

TEST_F(Navigation, ToTheSettingsFlipsFromTheLeftAndShowsTheStatusBarASecondLater) {
    launched();
    run({"press goToSettings:"});
    EXPECT_EQ(shownScreen(), app().settingsView);
    EXPECT_EQ(app().paintingView->superview(), nullptr);
    EXPECT_EQ(flipType(app().containerView), TransitionType::flipFromLeft);
    run({"wait 0.99"});
    EXPECT_TRUE(application().isStatusBarHidden());
    EXPECT_EQ(app().settingsScrollView->flashCount(), 0);
    run({"wait 0.01"});
    EXPECT_FALSE(application().isStatusBarHidden());
    EXPECT_EQ(app().settingsScrollView->flashCount(), 1);
    EXPECT_EQ(flipType(app().containerView), ""); // the 0.8 s flip is over
}

TEST_F(Navigation, BackToThePaintingHidesTheStatusBarAndFlipsFromTheRight) {
    launched();
    toSettings();
    run({"press finishSettings:"});
    EXPECT_TRUE(application().isStatusBarHidden());
    EXPECT_EQ(shownScreen(), app().paintingView);
    EXPECT_EQ(flipType(app().containerView), TransitionType::flipFromRight);
}

TEST_F(Navigation, LeavingTheSettingsWithinASecondKeepsTheStatusBarOffTheLight) {
    launched();
    run({"press goToSettings:", "wait 0.5", "press finishSettings:", "wait 1.0"});
    EXPECT_EQ(shownScreen(), app().paintingView);
    EXPECT_TRUE(application().isStatusBarHidden());
    EXPECT_EQ(app().settingsScrollView->flashCount(), 1); // the indicators still flash
}

TEST_F(Navigation, ASampleShowsItsPicturesAndReturnsToTheSettingsWithTheStatusBar) {
    launched();
    toSettings();
    struct Expect {
        int segment;
        const char* picture;
        const char* caption;
    };
    for (Expect e : {Expect{0, "pacman480r90.png", "STATICSPOTr90.png"},
                     Expect{1, "carDynamic480r90.png", "DynamicSpotr90.png"},
                     Expect{2, "Rainbow480r90.png", "RAINBOWr90.png"},
                     Expect{3, "stripSample480.png", "stripText.png"}}) {
        run({"control sampleSelector " + std::to_string(e.segment)});
        EXPECT_EQ(shownScreen(), app().sampleView);
        EXPECT_TRUE(application().isStatusBarHidden());
        EXPECT_EQ(flipType(app().containerView), TransitionType::flipFromRight);
        EXPECT_EQ(app().sampleImageView->imageName(), e.picture);
        EXPECT_EQ(app().sampleInfoImageView->imageName(), e.caption);
        run({"wait 1.0", "press finishSample:"});
        EXPECT_EQ(shownScreen(), app().settingsView);
        EXPECT_FALSE(application().isStatusBarHidden());
        EXPECT_EQ(flipType(app().containerView), TransitionType::flipFromRight);
        run({"wait 1.0"});
    }
    EXPECT_TRUE(store.dictionary().empty()); // moving between screens stores nothing
}

TEST_F(Navigation, ASampleIndexOutsideTheFourKeepsThePicturesButStillMoves) {
    launched();
    toSettings();
    run({"control sampleSelector 2", "wait 1", "press finishSample:", "wait 1"});
    app().sampleSelector->setSelectedSegmentIndex(SegmentedControl::noSegment);
    run({"call switchSample:"});
    EXPECT_EQ(app().sampleImageView->imageName(), "Rainbow480r90.png");
    EXPECT_EQ(shownScreen(), app().sampleView);
}

TEST_F(Navigation, MovesWhoseScreenIsNotShownFlipWithUnchangedContent) {
    launched();
    toSettings();
    run({"call goToSettings:"}); // the painting screen is not in the container
    EXPECT_EQ(shownScreen(), app().settingsView);
    EXPECT_EQ(flipType(app().containerView), TransitionType::flipFromLeft);
    run({"wait 1.0", "call finishSample:"});
    EXPECT_EQ(shownScreen(), app().settingsView);
    EXPECT_FALSE(application().isStatusBarHidden());
    run({"control sampleSelector 0", "wait 1", "call switchSample:"}); // already on the sample
    EXPECT_EQ(shownScreen(), app().sampleView);
    EXPECT_TRUE(application().isStatusBarHidden());
    run({"wait 1", "call finishSettings:"});
    EXPECT_EQ(shownScreen(), app().sampleView);
    EXPECT_TRUE(application().isStatusBarHidden());
}

TEST_F(Navigation, HelpOpensTheSameAddressFromAnySegment) {
    launched();
    toSettings();
    run({"control helpSelector 0", "control helpSelector 0"});
    ASSERT_EQ(application().openedURLs().size(), 2u);
    EXPECT_EQ(application().openedURLs()[0],
              "http://nocturo.example.org/iPhoneApps/Nocturo/Tips_and_Tricks.html");
    EXPECT_EQ(application().openedURLs()[1], application().openedURLs()[0]);
    EXPECT_EQ(shownScreen(), app().settingsView);
}

TEST_F(Navigation, ControlsOfAScreenNotShownCannotBeReached) {
    launched();
    EXPECT_EQ(refusal("control lightModeSelector 1"),
              "'lightModeSelector' is hidden or not on the screen now shown");
    EXPECT_EQ(refusal("press finishSettings:"),
              "no button that sends 'finishSettings:' is on the screen now shown");
    toSettings();
    EXPECT_EQ(refusal("control cyclicFreqSlider 20"), "'cyclicFreqSlider' is disabled");
    EXPECT_EQ(refusal("control lightModeSelector 3"), "'lightModeSelector' has segments 0 to 2");
    EXPECT_EQ(refusal("press goToSettings:"),
              "no button that sends 'goToSettings:' is on the screen now shown");
}

TEST_F(Navigation, ATapOnTheSettingsButtonGoesToTheSettings) {
    launched();
    run({"touch down 303 465", "touch up 303 465"});
    EXPECT_EQ(shownScreen(), app().settingsView);
    EXPECT_EQ(lightColor(), yellow); // the button took the touch, not the painting screen
}

} // namespace
} // namespace nocturo::testing
