#include "views/MyTouchView.h"

#include "platform/Window.h"

#include <cmath>

namespace nocturo {

void MyTouchView::initializeTouchView() {
    centerPoint = {160.0f, 240.0f};
}

void MyTouchView::setTouchClearRect(Rect) {
    touchClearRect = {260.0f, 420.0f, 60.0f, 60.0f};
}

float MyTouchView::distanceFromCenter() const {
    float dx = location.x - centerPoint.x;
    float dy = location.y - centerPoint.y;
    double ddx = static_cast<double>(dx);
    double ddy = static_cast<double>(dy);
    return static_cast<float>(std::sqrt(ddx * ddx + ddy * ddy));
}

void MyTouchView::takeLocation(const std::vector<Touch*>& touches, const TouchEvent& event) {
    // Any one of the event's touches for this view; the one that changed when there are several.
    std::vector<Touch*> mine = event.touchesForView(this);
    const Touch* touch =
        !touches.empty() ? touches.front() : (mine.empty() ? nullptr : mine.front());
    if (touch)
        location = touch->locationInView(this);
}

void MyTouchView::touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) {
    if (touchObserver)
        touchObserver->paintingTouchBegan();
    takeLocation(touches, event);
    startRadius = distanceFromCenter();
    if (!theAppDelegate)
        return;
    theAppDelegate->getCurrentSpotSize();
    if (touchClearRect.contains(location))
        return;
    if (currentOffMode == 1)
        theAppDelegate->restoreColor();
    else if (currentOffMode == 2)
        theAppDelegate->setSpotColorBlack(this);
}

void MyTouchView::touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) {
    takeLocation(touches, event);
    currentRadius = distanceFromCenter();
    if (theAppDelegate)
        theAppDelegate->setSpotSize(currentRadius - startRadius);
}

void MyTouchView::finishTouch() {
    currentRadius = distanceFromCenter();
    if (!theAppDelegate)
        return;
    theAppDelegate->setSpotSize(currentRadius - startRadius);
    theAppDelegate->saveSpotWidth();
    if (currentOffMode == 1)
        theAppDelegate->setSpotColorBlack(this);
    else if (currentOffMode == 2)
        theAppDelegate->restoreColor();
    if (touchObserver)
        touchObserver->paintingTouchEnded();
}

void MyTouchView::touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) {
    takeLocation(touches, event);
    finishTouch();
}

// The system took the finger away (a call, a system gesture). The gesture ends where the finger
// was last seen: its width is kept and the light returns to the off mode's resting state, so a
// cancelled touch can't leave the light dark in off mode 2.
void MyTouchView::touchesCancelled(const std::vector<Touch*>&, const TouchEvent&) {
    finishTouch();
}

} // namespace nocturo
