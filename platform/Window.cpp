#include "platform/Window.h"

namespace nocturo {

std::vector<Touch*> TouchEvent::touchesForView(const View* view) const {
    std::vector<Touch*> result;
    for (Touch* t : touches_)
        if (t->view == view)
            result.push_back(t);
    return result;
}

Window::~Window() {
    touches_.clear();
}

void Window::deliver(Touch& touch, Handler handler) {
    if (!touch.view)
        return;
    std::vector<Touch*> all;
    for (auto& [id, t] : touches_) {
        if (&t != &touch && (t.phase == TouchPhase::Began || t.phase == TouchPhase::Moved))
            t.phase = TouchPhase::Stationary;
        all.push_back(&t);
    }
    TouchEvent event(std::move(all));
    View* view = touch.view;
    (view->*handler)({&touch}, event);
}

View* Window::touchDown(int id, Point point) {
    if (touches_.count(id))
        return touches_[id].view;
    View* hit = hitTest(point);
    if (hit && !hit->isMultipleTouchEnabled()) {
        for (auto& [other, t] : touches_)
            if (t.view == hit)
                hit = nullptr; // a single-touch view takes no second finger
    }
    Touch& touch = touches_[id];
    touch.id = id;
    touch.view = hit;
    touch.windowLocation = point;
    touch.phase = TouchPhase::Began;
    deliver(touch, &View::touchesBegan);
    return hit;
}

void Window::touchMove(int id, Point point) {
    auto it = touches_.find(id);
    if (it == touches_.end())
        return;
    it->second.windowLocation = point;
    it->second.phase = TouchPhase::Moved;
    deliver(it->second, &View::touchesMoved);
}

void Window::touchUp(int id, Point point) {
    auto it = touches_.find(id);
    if (it == touches_.end())
        return;
    it->second.windowLocation = point;
    it->second.phase = TouchPhase::Ended;
    deliver(it->second, &View::touchesEnded);
    touches_.erase(id);
}

void Window::touchCancel(int id) {
    auto it = touches_.find(id);
    if (it == touches_.end())
        return;
    it->second.phase = TouchPhase::Cancelled;
    deliver(it->second, &View::touchesCancelled);
    touches_.erase(id);
}

void Window::cancelAllTouches() {
    while (!touches_.empty())
        touchCancel(touches_.begin()->first);
}

void Window::forgetView(const View* view) {
    for (auto& [id, t] : touches_)
        if (t.view == view)
            t.view = nullptr;
}

} // namespace nocturo
