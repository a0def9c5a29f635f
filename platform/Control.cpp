#include "platform/Control.h"

#include "platform/Window.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

namespace {
Point firstLocation(const std::vector<Touch*>& touches, const View* view) {
    return touches.empty() ? Point{} : touches.front()->locationInView(view);
}
} // namespace

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    setNeedsDisplay();
}

void Control::setTintColor(Color color) {
    if (color == tintColor_)
        return;
    tintColor_ = color;
    setNeedsDisplay();
}

void Control::sendAction() {
    if (action_) {
        Action action = action_; // the action may replace itself
        action(*this);
    }
}

void Control::touchesBegan(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (!enabled_)
        return;
    highlighted_ = true;
    setNeedsDisplay();
    trackBegan(firstLocation(touches, this));
}

void Control::touchesMoved(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (!enabled_ || !highlighted_)
        return;
    trackMoved(firstLocation(touches, this));
}

void Control::touchesEnded(const std::vector<Touch*>& touches, const TouchEvent&) {
    if (!highlighted_)
        return;
    highlighted_ = false;
    setNeedsDisplay();
    if (!enabled_)
        return;
    Point p = firstLocation(touches, this);
    trackEnded(p, bounds().contains(p));
}

void Control::touchesCancelled(const std::vector<Touch*>&, const TouchEvent&) {
    if (!highlighted_)
        return;
    highlighted_ = false;
    setNeedsDisplay();
}

void Button::trackEnded(Point, bool inside) {
    if (inside)
        press();
}

void SegmentedControl::setSegments(std::vector<std::string> titles) {
    titles_ = std::move(titles);
    if (selected_ >= numberOfSegments())
        selected_ = noSegment;
    setNeedsDisplay();
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index < 0 || index >= numberOfSegments())
        index = noSegment;
    if (index == selected_)
        return;
    selected_ = index;
    setNeedsDisplay();
}

Rect SegmentedControl::segmentRect(int index) const {
    int n = numberOfSegments();
    if (n <= 0 || index < 0 || index >= n)
        return {};
    float w = frame().width() / static_cast<float>(n);
    return {w * static_cast<float>(index), 0.0f, w, frame().height()};
}

int SegmentedControl::segmentAt(Point local) const {
    for (int i = 0; i < numberOfSegments(); ++i)
        if (segmentRect(i).contains(local))
            return i;
    return noSegment;
}

void SegmentedControl::choose(int index) {
    if (index < 0 || index >= numberOfSegments())
        return;
    if (index == selected_ && !momentary_)
        return;
    setSelectedSegmentIndex(index);
    sendAction();
    if (momentary_)
        setSelectedSegmentIndex(noSegment);
}

void SegmentedControl::trackEnded(Point p, bool inside) {
    if (inside)
        choose(segmentAt(p));
}

void Switch::setOn(bool on, bool) {
    if (on == on_)
        return;
    on_ = on;
    setNeedsDisplay();
}

void Switch::flip(bool on) {
    if (on == on_)
        return;
    setOn(on, true);
    sendAction();
}

void Switch::trackEnded(Point, bool inside) {
    if (inside)
        flip(!on_);
}

void Slider::setValue(float value) {
    if (std::isnan(value))
        value = minimum_;
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_)
        return;
    value_ = value;
    setNeedsDisplay();
}

void Slider::setRange(float minimum, float maximum) {
    if (!std::isfinite(minimum))
        minimum = 0.0f;
    if (!std::isfinite(maximum) || maximum < minimum)
        maximum = minimum;
    minimum_ = minimum;
    maximum_ = maximum;
    setValue(value_);
}

Rect Slider::trackRect() const {
    float knob = frame().height();
    return {knob / 2.0f, frame().height() / 2.0f - 2.0f, std::max(0.0f, frame().width() - knob),
            4.0f};
}

Rect Slider::knobRect() const {
    float knob = frame().height();
    Rect track = trackRect();
    float range = maximum_ - minimum_;
    float t = range > 0.0f ? (value_ - minimum_) / range : 0.0f;
    float cx = track.minX() + t * track.width();
    return {cx - knob / 2.0f, 0.0f, knob, knob};
}

float Slider::valueAt(Point p) const {
    Rect track = trackRect();
    if (!(track.width() > 0.0f))
        return minimum_;
    float t = std::clamp((p.x - track.minX()) / track.width(), 0.0f, 1.0f);
    return minimum_ + t * (maximum_ - minimum_);
}

void Slider::slide(float value) {
    float before = value_;
    setValue(value);
    if (value_ != before)
        sendAction();
}

void Slider::trackBegan(Point p) {
    slide(valueAt(p));
}
void Slider::trackMoved(Point p) {
    slide(valueAt(p));
}

} // namespace nocturo
