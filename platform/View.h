#pragma once

#include "platform/Animation.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Object.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace nocturo {

class Painter;
class Window;
class TouchEvent;
struct Touch;

// A rectangle of the screen in a tree of views. The interface owns every view; the tree holds
// plain pointers. A view that is destroyed leaves its superview and lets go of its subviews.
class View : public Object {
public:
    explicit View(Rect frame = {});
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    const char* className() const override { return "View"; }

    // Geometry, in the superview's coordinates.
    Rect frame() const { return frame_; }
    void setFrame(Rect frame);
    Point center() const { return frame_.center(); }
    void setCenter(Point center);
    // The view's own coordinates: its size, and the origin that its content is scrolled to.
    Rect bounds() const {
        return {boundsOrigin_.x, boundsOrigin_.y, frame_.width(), frame_.height()};
    }

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    float alpha() const { return alpha_; }
    void setAlpha(float alpha);
    Color backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Color color);
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }

    // The tree. Adding a view that has a superview takes it from there first.
    View* superview() const { return superview_; }
    const std::vector<View*>& subviews() const { return subviews_; }
    void addSubview(View* view);
    void insertSubviewAt(View* view, std::size_t index);
    // Below `sibling`; at the top when `sibling` is not a subview of this view.
    void insertSubviewBelow(View* view, View* sibling);
    void insertSubviewAbove(View* view, View* sibling);
    void removeFromSuperview();
    bool isDescendantOf(const View* ancestor) const;
    Window* window() const;

    // The deepest visible view at `point` (in this view's coordinates) that accepts touches,
    // searching children from front to back; none when the point is outside.
    virtual View* hitTest(Point point);
    virtual bool pointInside(Point point) const;
    Point convertFromWindow(Point point) const;
    Point convertToWindow(Point point) const;
    // Whether a user could touch this view now: in a window, and it and every ancestor shown,
    // not transparent and accepting touches.
    bool isReachable() const;

    Layer& layer() { return layer_; }
    const Layer& layer() const { return layer_; }

    // Touches, delivered by the window to the view that was hit when each began.
    virtual void touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event);
    virtual void touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event);
    virtual void touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event);
    virtual void touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent& event);

    // Marks the screen that shows this view as in need of a redraw.
    void setNeedsDisplay();
    // Counts the view's changes of look, also while it is on no screen (a view a transition
    // is taking away), so that what was drawn of it can be known to be still good.
    std::uint64_t revision() const { return revision_; }

    // Content that a kind of view draws itself, over its background and under its subviews,
    // in its own points.
    virtual bool drawsContent() const { return false; }
    virtual void drawContent(Painter&) const {}

protected:
    void setBoundsOrigin(Point origin);

private:
    void detachChild(View* child);

    Rect frame_;
    Point boundsOrigin_;
    bool hidden_ = false;
    float alpha_ = 1.0f;
    Color backgroundColor_ = Color::clearColor();
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool clipsToBounds_ = false;
    std::uint64_t revision_ = 0;
    View* superview_ = nullptr;
    std::vector<View*> subviews_;
    Layer layer_{*this};
};

} // namespace nocturo
