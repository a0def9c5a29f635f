#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/Window.h"

#include <cmath>
#include <gtest/gtest.h>

namespace nocturo {
namespace {

TEST(Rect, MinimumEdgesAreInsideAndMaximumEdgesAreNot) {
    Rect r(260, 420, 60, 60);
    EXPECT_TRUE(r.contains({260.0f, 420.0f}));
    EXPECT_TRUE(r.contains({319.99f, 479.99f}));
    EXPECT_FALSE(r.contains({320.0f, 450.0f}));
    EXPECT_FALSE(r.contains({300.0f, 480.0f}));
    EXPECT_FALSE(r.contains({259.9f, 450.0f}));
    EXPECT_FALSE(Rect().contains({0, 0}));
}

std::vector<View*> order(const View& v) {
    return v.subviews();
}

TEST(ViewTree, InsertsBelowASiblingAtAnIndexAndMovesBetweenParents) {
    View parent, other, a, b, c;
    parent.addSubview(&a);
    parent.addSubview(&c);
    parent.insertSubviewBelow(&b, &c);
    EXPECT_EQ(order(parent), (std::vector<View*>{&a, &b, &c}));

    parent.insertSubviewAt(&c, 0); // moving within the same parent
    EXPECT_EQ(order(parent), (std::vector<View*>{&c, &a, &b}));

    other.addSubview(&a); // taken from its old parent
    EXPECT_EQ(order(parent), (std::vector<View*>{&c, &b}));
    EXPECT_EQ(a.superview(), &other);

    b.removeFromSuperview();
    EXPECT_EQ(b.superview(), nullptr);
    EXPECT_EQ(order(parent), (std::vector<View*>{&c}));

    parent.insertSubviewAt(&b, 99); // past the end: on top
    EXPECT_EQ(order(parent), (std::vector<View*>{&c, &b}));
}

TEST(ViewTree, RefusesToMakeACycle) {
    View a, b;
    a.addSubview(&b);
    b.addSubview(&a);
    EXPECT_EQ(a.superview(), nullptr);
    a.addSubview(&a);
    EXPECT_EQ(a.subviews().size(), 1u);
}

TEST(ViewTree, ADestroyedViewLeavesTheTree) {
    View parent;
    auto child = std::make_unique<View>();
    auto grandchild = std::make_unique<View>();
    parent.addSubview(child.get());
    child->addSubview(grandchild.get());
    child.reset();
    EXPECT_TRUE(parent.subviews().empty());
    EXPECT_EQ(grandchild->superview(), nullptr);
}

TEST(ViewTree, CenterPlacesTheFrame) {
    View v({0, 0, 320, 320});
    v.setCenter({160, 240});
    EXPECT_EQ(v.frame(), Rect(0, 80, 320, 320));
}

class HitTest : public ::testing::Test {
protected:
    HitTest() {
        window.addSubview(&back);
        back.addSubview(&front);
        back.addSubview(&picture);
    }
    Window window{{0, 0, 320, 480}};
    View back{{0, 0, 320, 480}};
    View front{{100, 100, 50, 50}};
    ImageView picture{{100, 100, 20, 20}};
};

TEST_F(HitTest, FindsTheDeepestFrontmostViewThatTakesTouches) {
    EXPECT_EQ(window.hitTest({10, 10}), &back);
    EXPECT_EQ(window.hitTest({110, 110}), &front); // the picture on top takes no touches
    EXPECT_EQ(window.hitTest({149.9f, 149.9f}), &front);
    EXPECT_EQ(window.hitTest({150, 150}), &back);
    EXPECT_EQ(window.hitTest({-1, 10}), nullptr);
}

TEST_F(HitTest, SkipsHiddenTransparentAndRefusingViews) {
    front.setHidden(true);
    EXPECT_EQ(window.hitTest({110, 110}), &back);
    front.setHidden(false);
    front.setAlpha(0.0f);
    EXPECT_EQ(window.hitTest({110, 110}), &back);
    front.setAlpha(1.0f);
    back.setUserInteractionEnabled(false); // a container that refuses takes its children with it
    EXPECT_EQ(window.hitTest({110, 110}), &window);
}

TEST_F(HitTest, AFingerStaysWithTheViewItWentDownOn) {
    struct Recorder : View {
        using View::View;
        int began = 0, moved = 0, ended = 0, cancelled = 0;
        void touchesBegan(const std::vector<Touch*>&, const TouchEvent&) override { ++began; }
        void touchesMoved(const std::vector<Touch*>&, const TouchEvent&) override { ++moved; }
        void touchesEnded(const std::vector<Touch*>&, const TouchEvent&) override { ++ended; }
        void touchesCancelled(const std::vector<Touch*>&, const TouchEvent&) override {
            ++cancelled;
        }
    } recorder({200, 200, 20, 20});
    back.addSubview(&recorder);
    window.touchDown(1, {205, 205});
    window.touchMove(1, {10, 10}); // far outside: still the same view
    window.touchUp(1, {10, 10});
    window.touchDown(2, {205, 205});
    window.touchCancel(2);
    EXPECT_EQ(recorder.began, 2);
    EXPECT_EQ(recorder.moved, 1);
    EXPECT_EQ(recorder.ended, 1);
    EXPECT_EQ(recorder.cancelled, 1);
    EXPECT_EQ(window.touchCount(), 0u);
}

TEST(Controls, SegmentedControlSelectsNothingOutsideItsSegments) {
    SegmentedControl s({0, 0, 300, 30});
    s.setSegments({"a", "b", "c"});
    s.setSelectedSegmentIndex(2);
    EXPECT_EQ(s.selectedSegmentIndex(), 2);
    s.setSelectedSegmentIndex(3);
    EXPECT_EQ(s.selectedSegmentIndex(), SegmentedControl::noSegment);
    s.setSelectedSegmentIndex(-7);
    EXPECT_EQ(s.selectedSegmentIndex(), SegmentedControl::noSegment);
    EXPECT_EQ(s.segmentAt({150, 10}), 1);
}

TEST(Controls, SegmentedControlSendsOnlyOnChangeUnlessMomentary) {
    SegmentedControl s({0, 0, 300, 30});
    s.setSegments({"a", "b"});
    int sent = 0;
    s.setAction("x:", [&](Control&) { ++sent; });
    s.choose(1);
    s.choose(1);
    EXPECT_EQ(sent, 1);
    s.setMomentary(true);
    int seenIndex = -2;
    s.setAction("x:", [&](Control& c) {
        ++sent;
        seenIndex = static_cast<SegmentedControl&>(c).selectedSegmentIndex();
    });
    s.choose(0);
    s.choose(0);
    EXPECT_EQ(sent, 3);
    EXPECT_EQ(seenIndex, 0);
    EXPECT_EQ(s.selectedSegmentIndex(), SegmentedControl::noSegment);
}

TEST(Controls, SliderHoldsItsValueToItsRange) {
    Slider s({0, 0, 200, 30});
    s.setRange(1, 100);
    s.setValue(500);
    EXPECT_EQ(s.value(), 100.0f);
    s.setValue(-3);
    EXPECT_EQ(s.value(), 1.0f);
    s.setValue(std::nanf(""));
    EXPECT_EQ(s.value(), 1.0f);
    s.setRange(10, 5); // a range upside down collapses to its minimum
    EXPECT_EQ(s.minimumValue(), 10.0f);
    EXPECT_EQ(s.maximumValue(), 10.0f);
    EXPECT_EQ(s.value(), 10.0f);
}

TEST(Controls, ATapOnAControlSendsItsAction) {
    Window window;
    Switch sw({10, 10, 51, 31});
    Button button({100, 10, 60, 30});
    window.addSubview(&sw);
    window.addSubview(&button);
    int switched = 0, pressed = 0;
    sw.setAction("s:", [&](Control&) { ++switched; });
    button.setAction("b:", [&](Control&) { ++pressed; });
    window.touchDown(1, {20, 20});
    window.touchUp(1, {20, 20});
    EXPECT_TRUE(sw.isOn());
    window.touchDown(1, {110, 20});
    window.touchUp(1, {300, 300}); // lifted outside: no press
    window.touchDown(1, {110, 20});
    window.touchUp(1, {111, 21});
    EXPECT_EQ(switched, 1);
    EXPECT_EQ(pressed, 1);
    sw.setEnabled(false);
    window.touchDown(1, {20, 20});
    window.touchUp(1, {20, 20});
    EXPECT_TRUE(sw.isOn());
}

} // namespace
} // namespace nocturo
