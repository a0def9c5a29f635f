#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "views/TransitionView.h"

#include <gtest/gtest.h>

namespace nocturo {
namespace {

struct Listener : TransitionViewDelegate {
    bool answers = true;
    int started = 0, finished = 0, cancelled = 0;
    bool respondsTo(Message) const override { return answers; }
    void transitionViewDidStart(TransitionView&) override { ++started; }
    void transitionViewDidFinish(TransitionView&) override { ++finished; }
    void transitionViewDidCancel(TransitionView&) override { ++cancelled; }
};

class TransitionViewTest : public ::testing::Test {
protected:
    TransitionViewTest() {
        window.setRunLoop(&loop);
        window.addSubview(&container);
        container.addSubview(&below);
        container.addSubview(&oldView);
        container.addSubview(&above);
        container.setDelegate(&listener);
    }
    std::vector<View*> order() { return container.subviews(); }

    RunLoop loop;
    Window window;
    TransitionView container{{0, 0, 320, 480}};
    View below, oldView, above, newView;
    Listener listener;
};

TEST_F(TransitionViewTest, SwapsAtOnceInTheOldPlaceAndRefusesTouchesWhileItPlays) {
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    EXPECT_EQ(order(), (std::vector<View*>{&below, &newView, &above}));
    EXPECT_FALSE(container.isTransitioning()); // raised only by the start report
    EXPECT_TRUE(container.isUserInteractionEnabled());

    loop.advanceTo(0.0);
    EXPECT_TRUE(container.isTransitioning());
    EXPECT_TRUE(container.isWasEnabled());
    EXPECT_FALSE(container.isUserInteractionEnabled());
    EXPECT_EQ(listener.started, 1);

    loop.advanceTo(0.79);
    EXPECT_TRUE(container.isTransitioning());
    loop.advanceTo(0.8);
    EXPECT_FALSE(container.isTransitioning());
    EXPECT_TRUE(container.isUserInteractionEnabled());
    EXPECT_EQ(listener.finished, 1);
    EXPECT_EQ(listener.cancelled, 0);
}

TEST_F(TransitionViewTest, ARequestWhileTransitioningIsDropped) {
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    loop.advanceTo(0.1);
    container.replaceSubview(&newView, &oldView, TransitionType::fade, "", 0.8);
    EXPECT_EQ(order(), (std::vector<View*>{&below, &newView, &above}));
    loop.advanceTo(2.0);
    EXPECT_EQ(listener.started, 1);
    EXPECT_EQ(listener.finished, 1);
}

TEST_F(TransitionViewTest, TwoRequestsBeforeTheStartReportReplaceTheFirstAnimation) {
    View third;
    container.replaceSubview(&oldView, &newView, TransitionType::push, "fromLeft", 0.8);
    container.replaceSubview(&newView, &third, TransitionType::push, "fromRight", 0.8);
    EXPECT_EQ(order(), (std::vector<View*>{&below, &third, &above}));
    EXPECT_EQ(listener.cancelled, 1); // the first was removed before it ended
    Animation* a = container.layer().animationForKey(TransitionView::animationKey);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->subtype, "fromRight");
    loop.advanceTo(1.0);
    EXPECT_EQ(listener.started, 1);
    EXPECT_EQ(listener.finished, 1);
}

TEST_F(TransitionViewTest, CancelReportsAtOnceAndKeepsTheSwap) {
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    loop.advanceTo(0.4);
    container.cancelTransition();
    EXPECT_FALSE(container.isTransitioning());
    EXPECT_TRUE(container.isUserInteractionEnabled());
    EXPECT_EQ(listener.cancelled, 1);
    EXPECT_EQ(order(), (std::vector<View*>{&below, &newView, &above}));
    loop.advanceTo(2.0);
    EXPECT_EQ(listener.finished, 0);
    container.cancelTransition(); // nothing attached: nothing happens
    EXPECT_EQ(listener.cancelled, 1);
}

TEST_F(TransitionViewTest, AContainerThatRefusedTouchesStillRefusesThemAfter) {
    container.setUserInteractionEnabled(false);
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    loop.advanceTo(1.0);
    EXPECT_FALSE(container.isWasEnabled());
    EXPECT_FALSE(container.isUserInteractionEnabled());
}

TEST_F(TransitionViewTest, NoNewViewOnlyRemovesAndANewViewWithAParentStaysPut) {
    View elsewhere;
    elsewhere.addSubview(&newView);
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    EXPECT_EQ(order(), (std::vector<View*>{&below, &above}));
    EXPECT_EQ(newView.superview(), &elsewhere);
    loop.advanceTo(1.0);
    container.replaceSubview(&below, nullptr, TransitionType::fade, "", 0.8);
    EXPECT_EQ(order(), (std::vector<View*>{&above}));
    EXPECT_NE(container.layer().animationForKey(TransitionView::animationKey), nullptr);
}

TEST_F(TransitionViewTest, AFadeIgnoresTheDirectionAndOtherTypesKeepIt) {
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "fromTop", 0.8);
    EXPECT_EQ(container.layer().animationForKey(TransitionView::animationKey)->subtype, "");
    loop.advanceTo(1.0);
    container.replaceSubview(&newView, &oldView, TransitionType::moveIn, "fromTop", 0.8);
    EXPECT_EQ(container.layer().animationForKey(TransitionView::animationKey)->subtype, "fromTop");
}

TEST_F(TransitionViewTest, ADelegateThatAnswersNoHearsNothing) {
    listener.answers = false;
    container.replaceSubview(&oldView, &newView, TransitionType::fade, "", 0.8);
    loop.advanceTo(1.0);
    EXPECT_EQ(listener.started + listener.finished + listener.cancelled, 0);
    EXPECT_FALSE(container.isTransitioning());
    EXPECT_TRUE(container.isUserInteractionEnabled());
}

} // namespace
} // namespace nocturo
