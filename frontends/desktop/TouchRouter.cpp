#include "frontends/desktop/TouchRouter.h"

#include "platform/ScrollView.h"

#include <cmath>

namespace nocturo {

std::optional<Point> TouchRouter::landing(const Viewport& viewport, Point p) const {
    if (viewport.contains(p))
        return p;
    if (!barsTouchTheEdge_ || viewport.isEmpty() || std::isnan(p.x) || std::isnan(p.y))
        return std::nullopt;
    return viewport.clamp(p);
}

void TouchRouter::mouseDown(Window& window, const Viewport& viewport, float x, float y) {
    if (mouseDown_)
        return;
    std::optional<Point> p = landing(viewport, viewport.pointAt(x, y));
    if (!p)
        return;
    mouseDown_ = true;
    window.touchDown(mouseFinger, *p);
}

void TouchRouter::mouseMove(Window& window, const Viewport& viewport, float x, float y) {
    if (!mouseDown_)
        return;
    window.touchMove(mouseFinger, viewport.clamp(viewport.pointAt(x, y)));
}

void TouchRouter::mouseUp(Window& window, const Viewport& viewport, float x, float y) {
    if (!mouseDown_)
        return;
    mouseDown_ = false;
    window.touchUp(mouseFinger, viewport.clamp(viewport.pointAt(x, y)));
}

int TouchRouter::freeId() const {
    for (int id = mouseFinger + 1;; ++id) {
        bool used = false;
        for (const auto& [key, taken] : fingers_)
            used = used || taken == id;
        if (!used)
            return id;
    }
}

void TouchRouter::fingerDown(Window& window, const Viewport& viewport, std::int64_t device,
                             std::int64_t finger, float fx, float fy) {
    FingerKey key{device, finger};
    if (fingers_.count(key))
        return;
    std::optional<Point> p = landing(viewport, viewport.pointAtFraction(fx, fy));
    if (!p)
        return;
    int id = freeId();
    fingers_[key] = id;
    window.touchDown(id, *p);
}

void TouchRouter::fingerMove(Window& window, const Viewport& viewport, std::int64_t device,
                             std::int64_t finger, float fx, float fy) {
    auto it = fingers_.find({device, finger});
    if (it == fingers_.end())
        return;
    window.touchMove(it->second, viewport.clamp(viewport.pointAtFraction(fx, fy)));
}

void TouchRouter::fingerUp(Window& window, const Viewport& viewport, std::int64_t device,
                           std::int64_t finger, float fx, float fy) {
    auto it = fingers_.find({device, finger});
    if (it == fingers_.end())
        return;
    int id = it->second;
    fingers_.erase(it);
    window.touchUp(id, viewport.clamp(viewport.pointAtFraction(fx, fy)));
}

void TouchRouter::scroll(Window& window, const Viewport& viewport, float x, float y, float points) {
    if (fingerCount() > 0 || window.touchCount() > 0 || !std::isfinite(points) || points == 0.0f)
        return;
    Point p = viewport.pointAt(x, y);
    if (!viewport.contains(p))
        return;
    for (View* v = window.hitTest(p); v; v = v->superview()) {
        auto* scrollView = dynamic_cast<ScrollView*>(v);
        if (!scrollView || !scrollView->isScrollEnabled())
            continue;
        Point offset = scrollView->contentOffset();
        scrollView->setContentOffset({offset.x, offset.y + points});
        scrollView->flashScrollIndicators();
        return;
    }
}

void TouchRouter::cancelAll(Window& window) {
    mouseDown_ = false;
    fingers_.clear();
    window.cancelAllTouches();
}

} // namespace nocturo
