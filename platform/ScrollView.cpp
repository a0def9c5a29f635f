#include "platform/ScrollView.h"

#include "platform/RunLoop.h"
#include "platform/Window.h"

#include <algorithm>

namespace nocturo {

void ScrollView::setContentSize(Size size) {
    contentSize_ = size;
    setContentOffset(contentOffset());
}

void ScrollView::setContentOffset(Point offset) {
    float maxX = std::max(0.0f, contentSize_.width - frame().width());
    float maxY = std::max(0.0f, contentSize_.height - frame().height());
    offset.x = std::clamp(offset.x == offset.x ? offset.x : 0.0f, 0.0f, maxX);
    offset.y = std::clamp(offset.y == offset.y ? offset.y : 0.0f, 0.0f, maxY);
    setBoundsOrigin(offset);
}

void ScrollView::flashScrollIndicators() {
    ++flashCount_;
    Window* w = window();
    lastFlash_ = w && w->runLoop() ? w->runLoop()->now() : 0.0;
    setNeedsDisplay();
}

bool ScrollView::indicatorsVisible(double time) const {
    return dragging_ || (time >= lastFlash_ && time < lastFlash_ + indicatorFlashDuration);
}

void ScrollView::touchesBegan(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (!scrollEnabled_ || touches.empty())
        return;
    dragging_ = true;
    dragStart_ = touches.front()->windowLocation;
    offsetAtStart_ = contentOffset();
}

void ScrollView::touchesMoved(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (!dragging_ || touches.empty())
        return;
    Point p = touches.front()->windowLocation;
    setContentOffset(
        {offsetAtStart_.x - (p.x - dragStart_.x), offsetAtStart_.y - (p.y - dragStart_.y)});
}

void ScrollView::touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) {
    touchesMoved(touches, event);
    dragging_ = false;
    setNeedsDisplay();
}

} // namespace nocturo
