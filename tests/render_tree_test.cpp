// The renderer on small hand-made view trees: order, hiding, alpha, clipping, scrolling,
// controls, transitions, the status bar, and frames that need no drawing.

#include "platform/Animation.h"
#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/Label.h"
#include "platform/RunLoop.h"
#include "platform/ScrollView.h"
#include "platform/render/Renderer.h"

#include <gtest/gtest.h>
#include <memory>

namespace nocturo {
namespace {

class RenderTree : public ::testing::Test {
protected:
    RenderTree() {
        window.setRunLoop(&loop);
        window.setBackgroundColor(Color::blackColor());
        application.setStatusBarHidden(true, false);
    }

    // Adds a view to `parent` (the window when none); the fixture keeps it alive.
    template <class T = View> T* add(Rect frame, Color background, View* parent = nullptr) {
        auto view = std::make_unique<T>(frame);
        view->setBackgroundColor(background);
        T* raw = view.get();
        (parent ? parent : &window)->addSubview(raw);
        views.push_back(std::move(view));
        return raw;
    }

    const Framebuffer& draw(double time = 0.0) {
        renderer.draw(window, application, time, scale, frame);
        return frame;
    }
    const std::uint8_t* pixel(int x, int y) const { return frame.at(x, y); }
    int brightness(int x0, int y0, int x1, int y1) const {
        int sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += pixel(x, y)[0] + pixel(x, y)[1] + pixel(x, y)[2];
        return sum;
    }

    RunLoop loop;
    Window window{{0, 0, 8, 8}};
    Application application;
    ImageLibrary images{NOCTURO_RESOURCE_DIR};
    Renderer renderer{images};
    Framebuffer frame;
    float scale = 1.0f;
    std::vector<std::unique_ptr<View>> views;
};

TEST_F(RenderTree, LaterSubviewsPaintOverEarlierOnes) {
    add({0, 0, 4, 4}, Color::redColor());
    add({2, 2, 4, 4}, Color::greenColor());
    draw();
    EXPECT_EQ(frame.width, 8);
    EXPECT_EQ(pixel(1, 1)[0], 255);
    EXPECT_EQ(pixel(3, 3)[1], 255);
    EXPECT_EQ(pixel(3, 3)[0], 0);
    EXPECT_EQ(pixel(5, 5)[1], 255);
    EXPECT_EQ(pixel(7, 7)[1], 0);
    EXPECT_EQ(pixel(7, 7)[3], 255);
}

TEST_F(RenderTree, FramebufferTakesTheWindowSizeTimesTheScale) {
    scale = 2.5f;
    draw();
    EXPECT_EQ(frame.width, 20);
    EXPECT_EQ(frame.height, 20);
    EXPECT_EQ(Renderer::pixelWidth(window, 3.0f), 24);
}

TEST_F(RenderTree, HiddenViewsAndTheirChildrenAreSkipped) {
    View* parent = add({0, 0, 8, 8}, Color::redColor());
    add({0, 0, 4, 4}, Color::greenColor(), parent);
    parent->setHidden(true);
    draw();
    EXPECT_EQ(brightness(0, 0, 8, 8), 0);
}

TEST_F(RenderTree, AlphaMultipliesDownTheTree) {
    View* parent = add({0, 0, 8, 8}, Color::clearColor());
    parent->setAlpha(0.5f);
    View* child = add({0, 0, 8, 8}, Color::whiteColor(), parent);
    child->setAlpha(0.5f);
    draw();
    EXPECT_NEAR(pixel(4, 4)[0], 64, 1);
}

TEST_F(RenderTree, ChildIsClippedOnlyWhenItsParentClips) {
    View* parent = add({0, 0, 4, 4}, Color::clearColor());
    add({2, 2, 4, 4}, Color::whiteColor(), parent);
    draw();
    EXPECT_EQ(pixel(5, 5)[0], 255);
    parent->setClipsToBounds(true);
    draw();
    EXPECT_EQ(pixel(5, 5)[0], 0);
    EXPECT_EQ(pixel(3, 3)[0], 255);
}

TEST_F(RenderTree, ScrollViewShowsItsContentAtTheOffset) {
    auto* scroll = add<ScrollView>({0, 0, 4, 4}, Color::clearColor());
    View* content = add({0, 0, 4, 8}, Color::clearColor(), scroll);
    add({0, 0, 4, 4}, Color::redColor(), content);
    add({0, 4, 4, 4}, Color::greenColor(), content);
    scroll->setContentSize({4, 8});
    draw();
    EXPECT_EQ(pixel(1, 1)[0], 255);
    EXPECT_EQ(pixel(1, 5)[1], 0); // clipped to the scroll view
    scroll->setContentOffset({0, 4});
    draw();
    EXPECT_EQ(pixel(1, 1)[1], 255);
    EXPECT_EQ(pixel(1, 1)[0], 0);
}

TEST_F(RenderTree, ScrollIndicatorsShowWhileTheyFlashAndGoAfter) {
    window.setFrame({0, 0, 40, 40});
    auto* scroll = add<ScrollView>({0, 0, 40, 40}, Color::clearColor());
    add({0, 0, 40, 200}, Color::clearColor(), scroll);
    scroll->setContentSize({40, 200});
    scroll->flashScrollIndicators();
    EXPECT_TRUE(renderer.render(window, application, 0.5, 1.0f, frame));
    EXPECT_GT(brightness(34, 2, 38, 10), 0);
    EXPECT_EQ(brightness(0, 0, 30, 40), 0);
    // Nothing moves while they show.
    EXPECT_FALSE(renderer.render(window, application, 0.9, 1.0f, frame));
    // Once they are gone the frame is drawn again without them.
    EXPECT_TRUE(renderer.render(window, application, 1.2, 1.0f, frame));
    EXPECT_EQ(brightness(0, 0, 40, 40), 0);
    EXPECT_FALSE(renderer.render(window, application, 1.3, 1.0f, frame));
}

TEST_F(RenderTree, UnchangedFrameLeavesTheFramebufferUntouched) {
    View* view = add({0, 0, 4, 4}, Color::redColor());
    EXPECT_TRUE(renderer.render(window, application, 0.0, 1.0f, frame));
    EXPECT_FALSE(window.needsDisplay());
    frame.pixels[0] = 7;
    EXPECT_FALSE(renderer.render(window, application, 0.1, 1.0f, frame));
    EXPECT_EQ(frame.pixels[0], 7);
    view->setBackgroundColor(Color::blueColor());
    EXPECT_TRUE(renderer.render(window, application, 0.2, 1.0f, frame));
    EXPECT_EQ(pixel(0, 0)[2], 255);
    // Another scale or another framebuffer is drawn whole.
    EXPECT_TRUE(renderer.render(window, application, 0.3, 2.0f, frame));
    Framebuffer other;
    EXPECT_TRUE(renderer.render(window, application, 0.3, 2.0f, other));
    EXPECT_EQ(renderer.framesDrawn(), 4);
}

TEST_F(RenderTree, StatusBarIsDrawnWhenShownWithItsClock) {
    window.setFrame({0, 0, 120, 40});
    EXPECT_TRUE(renderer.render(window, application, 0.0, 1.0f, frame));
    EXPECT_EQ(brightness(0, 0, 120, 20), 0);
    application.setStatusBarStyle(StatusBarStyle::BlackTranslucent, false);
    application.setStatusBarHidden(false, false);
    EXPECT_TRUE(renderer.render(window, application, 0.0, 1.0f, frame));
    EXPECT_GT(brightness(40, 0, 80, 20), 0); // the clock
    EXPECT_EQ(brightness(0, 20, 120, 40), 0);
    // The clock turns over at the minute.
    EXPECT_FALSE(renderer.render(window, application, 59.0, 1.0f, frame));
    EXPECT_TRUE(renderer.render(window, application, 60.0, 1.0f, frame));
    renderer.setClockText("12:34");
    EXPECT_TRUE(renderer.render(window, application, 61.0, 1.0f, frame));
}

class RenderTransition : public RenderTree {
protected:
    // A container going from a red child to a green one under a transition of one second.
    void start(const std::string& type) {
        makeContainer();
        add({0, 0, 40, 40}, Color::redColor(), container);
        takeAway(type, 1.0);
        add({0, 0, 40, 40}, Color::greenColor(), container);
    }
    void makeContainer() {
        window.setFrame({0, 0, 40, 40});
        container = add({0, 0, 40, 40}, Color::blackColor());
    }
    // Takes the container's children away under an eased transition of `duration` seconds.
    void takeAway(const std::string& type, double duration) {
        auto animation = std::make_shared<Animation>();
        animation->type = type;
        animation->duration = duration;
        animation->timingFunction = TimingFunction::EaseInEaseOut;
        animation->fromSubviews = container->subviews();
        for (View* child : animation->fromSubviews)
            child->removeFromSuperview();
        container->layer().addAnimation(animation, "transition");
    }
    View* container = nullptr;
};

TEST_F(RenderTransition, FadeDissolvesTheOldContentIntoTheNew) {
    start(TransitionType::fade);
    draw(0.0);
    EXPECT_EQ(pixel(20, 20)[0], 255);
    draw(0.5);
    EXPECT_NEAR(pixel(20, 20)[0], 128, 2);
    EXPECT_NEAR(pixel(20, 20)[1], 128, 2);
    draw(0.25); // eased: less than a quarter of the way
    EXPECT_GT(pixel(20, 20)[0], 191);
    loop.advanceTo(1.0);
    draw(1.0);
    EXPECT_EQ(pixel(20, 20)[1], 255);
    EXPECT_EQ(pixel(20, 20)[0], 0);
}

TEST_F(RenderTransition, FrameIsDrawnEveryTimeWhileATransitionPlays) {
    start(TransitionType::fade);
    EXPECT_TRUE(renderer.render(window, application, 0.1, 1.0f, frame));
    EXPECT_TRUE(renderer.render(window, application, 0.2, 1.0f, frame));
    loop.advanceTo(1.0);
    EXPECT_TRUE(renderer.render(window, application, 1.0, 1.0f, frame));
    EXPECT_FALSE(renderer.render(window, application, 1.1, 1.0f, frame));
}

TEST_F(RenderTransition, FlipNarrowsTheOldContentThenWidensTheNewOnBlack) {
    start(TransitionType::flipFromLeft);
    draw(0.3);
    // The old content, narrowed: its left edge, coming forward, grows in perspective.
    EXPECT_EQ(pixel(20, 20)[0], 255);
    EXPECT_LT(pixel(0, 20)[0], 128);
    EXPECT_EQ(brightness(38, 0, 40, 40), 0);
    draw(0.5);
    EXPECT_LT(brightness(0, 0, 40, 40), 255 * 40); // a line at most
    draw(0.7);
    EXPECT_EQ(pixel(20, 20)[1], 255); // new, widening
    EXPECT_EQ(pixel(20, 20)[0], 0);
    EXPECT_EQ(brightness(0, 0, 2, 40), 0);
}

// What a flip turns is drawn once and kept, but only while it stays as it was: scroll indicators
// that go out while the view turns away go out in the flip too.
TEST_F(RenderTransition, FlipTurnsAwayScrollIndicatorsOnlyWhileTheyShow) {
    makeContainer();
    auto* scroll = add<ScrollView>({0, 0, 40, 40}, Color::clearColor(), container);
    add({0, 0, 40, 200}, Color::clearColor(), scroll);
    scroll->setContentSize({40, 200});
    scroll->flashScrollIndicators(); // they show for one second
    takeAway(TransitionType::flipFromLeft, 4.0);
    EXPECT_TRUE(renderer.render(window, application, 0.2, 1.0f, frame));
    EXPECT_TRUE(renderer.render(window, application, 0.5, 1.0f, frame));
    EXPECT_GT(brightness(0, 0, 40, 40), 0);
    EXPECT_TRUE(renderer.render(window, application, 1.2, 1.0f, frame));
    EXPECT_EQ(brightness(0, 0, 40, 40), 0);
}

// In perspective the edge that comes forward is taller than the one going back.
TEST_F(RenderTransition, FlipsFromLeftAndRightTurnOppositeWays) {
    auto lit = [&](int x) {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            n += pixel(x, y)[0] > 128 || pixel(x, y)[1] > 128;
        return n;
    };
    auto edges = [&]() {
        int first = -1, last = -1;
        for (int x = 0; x < 40; ++x)
            if (lit(x) > 0) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return std::make_pair(lit(first + 1), lit(last - 1));
    };
    start(TransitionType::flipFromLeft);
    draw(0.3);
    auto [leftA, rightA] = edges();
    EXPECT_GT(leftA, rightA);
    container->layer().removeAllAnimations();
    start(TransitionType::flipFromRight);
    draw(0.3);
    auto [leftB, rightB] = edges();
    EXPECT_LT(leftB, rightB);
}

TEST_F(RenderTree, ControlsAreDrawnInTheirState) {
    window.setFrame({0, 0, 120, 40});
    auto* sw = add<Switch>({0, 0, 51, 31}, Color::clearColor());
    draw();
    int offLeft = brightness(0, 0, 25, 31), offRight = brightness(26, 0, 51, 31);
    EXPECT_GT(offLeft, offRight); // the white knob on the left
    sw->setOn(true);
    draw();
    EXPECT_GT(brightness(26, 0, 51, 31), brightness(0, 0, 25, 31));
    EXPECT_GT(pixel(10, 15)[2], 200); // the tint

    sw->setEnabled(false);
    draw();
    EXPECT_LT(brightness(0, 0, 51, 31), offRight + offLeft + 100000);
    int enabledSum = 0;
    sw->setEnabled(true);
    draw();
    enabledSum = brightness(0, 0, 51, 31);
    sw->setEnabled(false);
    draw();
    EXPECT_LT(brightness(0, 0, 51, 31), enabledSum); // dimmed
}

TEST_F(RenderTree, SegmentedControlFillsTheSelectedSegmentWithTheTint) {
    window.setFrame({0, 0, 90, 30});
    auto* control = add<SegmentedControl>({0, 0, 90, 30}, Color::clearColor());
    control->setSegments({"A", "B", "C"});
    control->setTintColor(Color::redColor());
    control->setSelectedSegmentIndex(1);
    draw();
    EXPECT_EQ(pixel(33, 3)[0], 255);
    EXPECT_EQ(pixel(15, 3)[0], 0);
    EXPECT_EQ(pixel(15, 0)[0], 255); // the outline
    control->setSelectedSegmentIndex(SegmentedControl::noSegment);
    draw();
    EXPECT_EQ(pixel(33, 3)[0], 0);
}

TEST_F(RenderTree, SliderKnobFollowsTheValue) {
    window.setFrame({0, 0, 200, 30});
    auto* slider = add<Slider>({0, 0, 200, 30}, Color::clearColor());
    auto knobColumn = [&]() {
        int best = 0, at = 0;
        for (int x = 0; x < 200; ++x) {
            int b = brightness(x, 0, x + 1, 30);
            if (b > best) {
                best = b;
                at = x;
            }
        }
        return at;
    };
    slider->setValue(0.0f);
    draw();
    EXPECT_NEAR(knobColumn(), slider->knobRect().center().x, 3);
    slider->setValue(1.0f);
    draw();
    EXPECT_NEAR(knobColumn(), slider->knobRect().center().x, 3);
    EXPECT_GT(slider->knobRect().center().x, 150);
}

TEST_F(RenderTree, ButtonShowsItsPictureOrItsTitle) {
    window.setFrame({0, 0, 100, 40});
    auto* withPicture = add<Button>({0, 0, 26, 26}, Color::clearColor());
    withPicture->setImageName("settingsIcon.png");
    auto* withTitle = add<Button>({30, 0, 68, 30}, Color::clearColor());
    withTitle->setTitle("Done");
    draw();
    EXPECT_GT(brightness(0, 0, 26, 26), 0);
    EXPECT_GT(pixel(33, 15)[2], 200); // the tint behind the title
    EXPECT_GT(brightness(50, 5, 80, 25), brightness(32, 5, 40, 25));
}

TEST_F(RenderTree, LabelTextIsPlacedByItsAlignment) {
    window.setFrame({0, 0, 200, 30});
    auto* label = add<Label>({0, 0, 200, 30}, Color::clearColor());
    label->setText("Hi");
    draw();
    EXPECT_GT(brightness(0, 0, 40, 30), 0);
    EXPECT_EQ(brightness(160, 0, 200, 30), 0);
    label->setAlignment(TextAlignment::Right);
    draw();
    EXPECT_EQ(brightness(0, 0, 40, 30), 0);
    EXPECT_GT(brightness(160, 0, 200, 30), 0);
}

TEST_F(RenderTree, ImageViewScalesItsPictureToItsBounds) {
    window.setFrame({0, 0, 100, 100});
    auto* view = add<ImageView>({10, 10, 50, 50}, Color::clearColor());
    view->setImage(images.imageNamed("rainbow.png"));
    ASSERT_NE(view->image(), nullptr);
    draw();
    EXPECT_GT(brightness(10, 10, 60, 60), 0);
    EXPECT_EQ(brightness(61, 0, 100, 100), 0);
    EXPECT_EQ(brightness(0, 0, 9, 100), 0);
}

} // namespace
} // namespace nocturo
