#include "platform/View.h"

#include "platform/Window.h"

#include <algorithm>

namespace nocturo {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    if (Window* w = window())
        w->forgetView(this);
    removeFromSuperview();
    for (View* child : subviews_)
        child->superview_ = nullptr;
}

void View::setFrame(Rect frame) {
    if (frame == frame_)
        return;
    frame_ = frame;
    setNeedsDisplay();
}

void View::setCenter(Point center) {
    setFrame({center.x - frame_.width() / 2.0f, center.y - frame_.height() / 2.0f, frame_.width(),
              frame_.height()});
}

void View::setBoundsOrigin(Point origin) {
    if (origin == boundsOrigin_)
        return;
    boundsOrigin_ = origin;
    setNeedsDisplay();
}

void View::setHidden(bool hidden) {
    if (hidden == hidden_)
        return;
    hidden_ = hidden;
    if (superview_)
        superview_->setNeedsDisplay();
}

void View::setAlpha(float alpha) {
    alpha = alpha < 0.0f ? 0.0f : (alpha > 1.0f ? 1.0f : alpha);
    if (!(alpha == alpha)) // not a number
        alpha = 0.0f;
    if (alpha == alpha_)
        return;
    alpha_ = alpha;
    setNeedsDisplay();
}

void View::setBackgroundColor(Color color) {
    if (color == backgroundColor_)
        return;
    backgroundColor_ = color;
    setNeedsDisplay();
}

void View::addSubview(View* view) {
    insertSubviewAt(view, subviews_.size());
}

void View::insertSubviewAt(View* view, std::size_t index) {
    if (!view || view == this || isDescendantOf(view))
        return;
    if (view->superview_)
        view->superview_->detachChild(view);
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    view->superview_ = this;
    setNeedsDisplay();
}

void View::insertSubviewBelow(View* view, View* sibling) {
    if (!view)
        return;
    if (view->superview_ == this)
        detachChild(view);
    auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    if (!sibling || it == subviews_.end()) {
        addSubview(view);
        return;
    }
    insertSubviewAt(view, static_cast<std::size_t>(it - subviews_.begin()));
}

void View::insertSubviewAbove(View* view, View* sibling) {
    if (!view)
        return;
    if (view->superview_ == this)
        detachChild(view);
    auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    if (!sibling || it == subviews_.end()) {
        addSubview(view);
        return;
    }
    insertSubviewAt(view, static_cast<std::size_t>(it - subviews_.begin()) + 1);
}

void View::removeFromSuperview() {
    if (superview_)
        superview_->detachChild(this);
}

void View::detachChild(View* child) {
    auto it = std::find(subviews_.begin(), subviews_.end(), child);
    if (it == subviews_.end())
        return;
    subviews_.erase(it);
    child->superview_ = nullptr;
    setNeedsDisplay();
}

bool View::isDescendantOf(const View* ancestor) const {
    for (const View* v = this; v; v = v->superview_)
        if (v == ancestor)
            return true;
    return false;
}

Window* View::window() const {
    const View* top = this;
    while (top->superview_)
        top = top->superview_;
    return const_cast<Window*>(dynamic_cast<const Window*>(top));
}

bool View::pointInside(Point point) const {
    return bounds().contains(point);
}

View* View::hitTest(Point point) {
    if (hidden_ || !userInteractionEnabled_ || alpha_ <= 0.01f)
        return nullptr;
    if (!pointInside(point))
        return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* child = *it;
        Point local{point.x - child->frame_.minX() + child->boundsOrigin_.x,
                    point.y - child->frame_.minY() + child->boundsOrigin_.y};
        if (View* hit = child->hitTest(local))
            return hit;
    }
    return this;
}

Point View::convertFromWindow(Point point) const {
    std::vector<const View*> chain;
    for (const View* v = this; v && v->superview_; v = v->superview_)
        chain.push_back(v);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        point.x = point.x - (*it)->frame_.minX() + (*it)->boundsOrigin_.x;
        point.y = point.y - (*it)->frame_.minY() + (*it)->boundsOrigin_.y;
    }
    return point;
}

Point View::convertToWindow(Point point) const {
    for (const View* v = this; v && v->superview_; v = v->superview_) {
        point.x = point.x + v->frame_.minX() - v->boundsOrigin_.x;
        point.y = point.y + v->frame_.minY() - v->boundsOrigin_.y;
    }
    return point;
}

bool View::isReachable() const {
    const View* v = this;
    for (; v; v = v->superview_) {
        if (v->hidden_ || !v->userInteractionEnabled_ || v->alpha_ <= 0.01f)
            return false;
        if (!v->superview_)
            break;
    }
    return v && dynamic_cast<const Window*>(v) != nullptr;
}

// A view that does nothing with a touch passes it on to its superview, as the phone's
// responder chain does: a drag on the plain content of a scroll view scrolls it.
void View::touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) {
    if (superview_)
        superview_->touchesBegan(touches, event);
}
void View::touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) {
    if (superview_)
        superview_->touchesMoved(touches, event);
}
void View::touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) {
    if (superview_)
        superview_->touchesEnded(touches, event);
}
void View::touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent& event) {
    if (superview_)
        superview_->touchesCancelled(touches, event);
}

void View::setNeedsDisplay() {
    ++revision_;
    if (Window* w = window())
        w->markNeedsDisplay();
}

} // namespace nocturo
