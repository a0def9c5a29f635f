#pragma once

#include "platform/View.h"

#include <functional>
#include <string>
#include <vector>

namespace nocturo {

class Control;
using Action = std::function<void(Control& sender)>;

// A view that a user acts on. It holds its value, its look (enabled, tint) and one
// target/action: the action named `actionName` runs when the user changes the value.
class Control : public View {
public:
    explicit Control(Rect frame = {}) : View(frame) {}
    const char* className() const override { return "Control"; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    Color tintColor() const { return tintColor_; }
    void setTintColor(Color color);
    // Whether a finger is down on the control now.
    bool isHighlighted() const { return highlighted_; }

    void setAction(std::string name, Action action) {
        actionName_ = std::move(name);
        action_ = std::move(action);
    }
    const std::string& actionName() const { return actionName_; }
    void sendAction();

    void touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent& event) override;

protected:
    // What a finger does to the control, in its own coordinates; `inside` tells whether the
    // finger lifted inside its bounds.
    virtual void trackBegan(Point) {}
    virtual void trackMoved(Point) {}
    virtual void trackEnded(Point, bool /*inside*/) {}

private:
    bool enabled_ = true;
    bool highlighted_ = false;
    Color tintColor_ = Color(0.0f, 0.478f, 1.0f, 1.0f);
    std::string actionName_;
    Action action_;
};

class Button : public Control {
public:
    explicit Button(Rect frame = {}) : Control(frame) {}
    const char* className() const override { return "Button"; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) {
        title_ = std::move(title);
        setNeedsDisplay();
    }
    // A picture drawn instead of the title; empty for none.
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name) {
        imageName_ = std::move(name);
        setNeedsDisplay();
    }

    // What a tap does: sends the action.
    void press() { sendAction(); }

protected:
    void trackEnded(Point, bool inside) override;

private:
    std::string title_;
    std::string imageName_;
};

class SegmentedControl : public Control {
public:
    static constexpr int noSegment = -1;

    explicit SegmentedControl(Rect frame = {}) : Control(frame) {}
    const char* className() const override { return "SegmentedControl"; }

    void setSegments(std::vector<std::string> titles);
    const std::vector<std::string>& segments() const { return titles_; }
    int numberOfSegments() const { return static_cast<int>(titles_.size()); }
    // An index outside the segments selects none.
    int selectedSegmentIndex() const { return selected_; }
    void setSelectedSegmentIndex(int index);
    // A momentary control shows no selection once its action has run.
    bool isMomentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    Rect segmentRect(int index) const;
    int segmentAt(Point local) const;

    // What a tap on segment `index` does: selects it and sends the action when the selection
    // changes (every time, for a momentary control).
    void choose(int index);

protected:
    void trackEnded(Point p, bool inside) override;

private:
    std::vector<std::string> titles_;
    int selected_ = noSegment;
    bool momentary_ = false;
};

class Switch : public Control {
public:
    explicit Switch(Rect frame = {}) : Control(frame) {}
    const char* className() const override { return "Switch"; }
    bool isOn() const { return on_; }
    void setOn(bool on, bool animated = false);
    // What a user does: turns the switch to `on` and sends the action if that changed it.
    void flip(bool on);

protected:
    void trackEnded(Point, bool inside) override;

private:
    bool on_ = false;
};

class Slider : public Control {
public:
    explicit Slider(Rect frame = {}) : Control(frame) {}
    const char* className() const override { return "Slider"; }
    float value() const { return value_; }
    // Held to the minimum and maximum; a value that is not a number takes the minimum.
    void setValue(float value);
    float minimumValue() const { return minimum_; }
    float maximumValue() const { return maximum_; }
    void setRange(float minimum, float maximum);
    // Where the knob's centre sits along the track, in local points.
    Rect trackRect() const;
    Rect knobRect() const;
    // What a drag does: moves the value and sends the action when it changed.
    void slide(float value);

protected:
    void trackBegan(Point p) override;
    void trackMoved(Point p) override;

private:
    float valueAt(Point p) const;
    float value_ = 0.0f;
    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
};

} // namespace nocturo
