#pragma once

#include "platform/View.h"

#include <map>
#include <vector>

namespace nocturo {

class RunLoop;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen, bound to the view that was hit when it went down.
struct Touch {
    int id = 0;
    View* view = nullptr;
    Point windowLocation;
    TouchPhase phase = TouchPhase::Began;

    Point locationInView(const View* v) const {
        return v ? v->convertFromWindow(windowLocation) : windowLocation;
    }
};

// Every finger on the screen at the moment of one event.
class TouchEvent {
public:
    explicit TouchEvent(std::vector<Touch*> touches) : touches_(std::move(touches)) {}
    const std::vector<Touch*>& allTouches() const { return touches_; }
    std::vector<Touch*> touchesForView(const View* view) const;

private:
    std::vector<Touch*> touches_;
};

// The screen's root view. It hit-tests each finger that goes down and sends that finger's
// later moves, lift or cancellation to the same view.
class Window : public View {
public:
    explicit Window(Rect frame = {0, 0, 320, 480}) : View(frame) {}
    ~Window() override;
    const char* className() const override { return "Window"; }

    void setRunLoop(RunLoop* loop) { runLoop_ = loop; }
    RunLoop* runLoop() const { return runLoop_; }

    void makeKeyAndVisible() {
        visible_ = true;
        markNeedsDisplay();
    }
    bool isVisible() const { return visible_; }

    // Finger events in window points. Returns the view the finger went to (none when refused).
    View* touchDown(int id, Point point);
    void touchMove(int id, Point point);
    void touchUp(int id, Point point);
    void touchCancel(int id);
    // Cancels every finger, as the system does when it takes the screen away.
    void cancelAllTouches();
    bool hasTouch(int id) const { return touches_.count(id) != 0; }
    std::size_t touchCount() const { return touches_.size(); }
    // A view is going away: forget fingers bound to it.
    void forgetView(const View* view);

    void markNeedsDisplay() { needsDisplay_ = true; }
    bool needsDisplay() const { return needsDisplay_; }
    void clearNeedsDisplay() { needsDisplay_ = false; }

private:
    using Handler = void (View::*)(const std::vector<Touch*>&, const TouchEvent&);
    void deliver(Touch& touch, Handler handler);

    RunLoop* runLoop_ = nullptr;
    bool visible_ = false;
    bool needsDisplay_ = true;
    std::map<int, Touch> touches_;
};

} // namespace nocturo
