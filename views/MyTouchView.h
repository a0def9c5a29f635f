#pragma once

#include "platform/ImageView.h"
#include "platform/View.h"

namespace nocturo {

// The commands a painting touch sends to the application controller.
class PaintingTouchTarget {
public:
    virtual ~PaintingTouchTarget() = default;
    virtual void getCurrentSpotSize() = 0;
    virtual void setSpotSize(float delta) = 0;
    virtual void saveSpotWidth() = 0;
    virtual void restoreColor() = 0;
    virtual void setSpotColorBlack(void* sender) = 0;
};

// Told of each painting touch besides the controller: as it begins, before anything else, and
// as it ends or is cancelled, after the light has taken the off mode's resting state.
class PaintingTouchObserver {
public:
    virtual ~PaintingTouchObserver() = default;
    virtual void paintingTouchBegan() = 0;
    virtual void paintingTouchEnded() = 0;
};

// The full-screen painting view. A finger going down or lifting switches the light by the
// off mode; a finger moving towards or away from the centre resizes the spot.
class MyTouchView : public View {
public:
    explicit MyTouchView(Rect frame = {}) : View(frame) {}
    const char* className() const override { return "MyTouchView"; }

    void initializeTouchView();
    // The dead square is always the 60 x 60 corner at the bottom right, whatever is passed.
    void setTouchClearRect(Rect rect);
    void setCurrentOffMode(int mode) { currentOffMode = mode; }

    Point getLocation() const { return location; }
    void setLocation(Point p) { location = p; }
    Point getPreviousLocation() const { return previousLocation; }
    void setPreviousLocation(Point p) { previousLocation = p; }

    void touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent& event) override;

    // The distance of `location` from `centerPoint`, squared and summed in double precision.
    float distanceFromCenter() const;

    // Fields, in their order.
    ImageView* firstPieceView = nullptr;
    PaintingTouchTarget* theAppDelegate = nullptr;
    Point location;
    Point previousLocation;
    Point startTouchPosition;
    const void* image = nullptr;
    Point centerPoint;
    float startRadius = 0.0f;
    float currentRadius = 0.0f;
    int currentOffMode = 0;
    Rect touchClearRect;
    PaintingTouchObserver* touchObserver = nullptr;

private:
    void takeLocation(const std::vector<Touch*>& touches, const TouchEvent& event);
    void finishTouch();
};

} // namespace nocturo
