// The connections an interface file makes: objects into the controller's fields, and controls
// to the controller's actions.

#include "app/NocturoAppDelegate.h"
#include "exposure/PreviewPanel.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

#include <functional>
#include <map>

namespace nocturo {

namespace {

using Delegate = NocturoAppDelegate;

using FieldSetter = std::function<std::string(Delegate&, Object*)>;

const std::map<std::string, FieldSetter>& fieldTable() {
#define NOCTURO_FIELD(name, Type)                                                                  \
    {                                                                                              \
#name, [](Delegate & d, Object * o) { return bindTyped<Type>(d.name, o, #Type); }          \
    }
    static const std::map<std::string, FieldSetter> table{
        NOCTURO_FIELD(window, Window),
        NOCTURO_FIELD(containerView, TransitionView),
        NOCTURO_FIELD(paintingView, MyTouchView),
        NOCTURO_FIELD(settingsView, View),
        NOCTURO_FIELD(theMaskView, ImageView),
        NOCTURO_FIELD(imageContainerView, ImageView),
        NOCTURO_FIELD(theRainbowView, ImageView),
        NOCTURO_FIELD(frontControlView, View),
        NOCTURO_FIELD(myAccelController, AccelController),
        NOCTURO_FIELD(lightModeSelector, SegmentedControl),
        NOCTURO_FIELD(offModeSelector, SegmentedControl),
        NOCTURO_FIELD(spotColorSelector, SegmentedControl),
        NOCTURO_FIELD(stripSizeSelector, SegmentedControl),
        NOCTURO_FIELD(stripOnOffSwitch, Switch),
        NOCTURO_FIELD(adjustSizeSwitch, Switch),
        NOCTURO_FIELD(sampleSelector, SegmentedControl),
        NOCTURO_FIELD(sampleView, View),
        NOCTURO_FIELD(sampleInfoImageView, ImageView),
        NOCTURO_FIELD(sampleImageView, ImageView),
        NOCTURO_FIELD(stripImageView, ImageView),
        NOCTURO_FIELD(settingsScrollView, ScrollView),
        NOCTURO_FIELD(settingScrollContentView, View),
        NOCTURO_FIELD(cyclicFreqSlider, Slider),
        NOCTURO_FIELD(helpSelector, SegmentedControl),
        NOCTURO_FIELD(launchView, View),
    };
#undef NOCTURO_FIELD
    return table;
}

// An action and the kind of control that may send it.
struct ActionEntry {
    const char* senderKind; // "Control" for any
    std::function<void(Delegate&, Control&)> run;
};

template <class Sender> ActionEntry takes(const char* kind, void (Delegate::*operation)(Sender&)) {
    return {kind, [operation](Delegate& d, Control& c) {
                if (auto* sender = dynamic_cast<Sender*>(&c))
                    (d.*operation)(*sender);
            }};
}

ActionEntry anySender(void (Delegate::*operation)(void*)) {
    return {"Control", [operation](Delegate& d, Control& c) { (d.*operation)(&c); }};
}

const std::map<std::string, ActionEntry>& actionTable() {
    static const std::map<std::string, ActionEntry> table{
        {"switchColor:", takes("SegmentedControl", &Delegate::switchColor)},
        {"switchOffMode:", takes("SegmentedControl", &Delegate::switchOffMode)},
        {"switchLightMode:", takes("SegmentedControl", &Delegate::switchLightMode)},
        {"cyclicFreqChanging:", takes("Slider", &Delegate::cyclicFreqChanging)},
        {"setLockSpotSize:", takes("Switch", &Delegate::setLockSpotSize)},
        {"switchStripSize:", takes("SegmentedControl", &Delegate::switchStripSize)},
        {"setEnableStrip:", takes("Switch", &Delegate::setEnableStrip)},
        {"switchSample:", takes("SegmentedControl", &Delegate::switchSample)},
        {"goToSettings:", anySender(&Delegate::goToSettings)},
        {"finishSettings:", anySender(&Delegate::finishSettings)},
        {"finishSample:", anySender(&Delegate::finishSample)},
        {"switchHelp:", anySender(&Delegate::switchHelp)},
    };
    return table;
}

bool isKind(const Control& control, const std::string& kind) {
    if (kind == "Control")
        return true;
    if (kind == "SegmentedControl")
        return dynamic_cast<const SegmentedControl*>(&control) != nullptr;
    if (kind == "Switch")
        return dynamic_cast<const Switch*>(&control) != nullptr;
    if (kind == "Slider")
        return dynamic_cast<const Slider*>(&control) != nullptr;
    return false;
}

} // namespace

std::string NocturoAppDelegate::bindField(const std::string& field, Object* object) {
    auto it = fieldTable().find(field);
    if (it == fieldTable().end()) {
        if (field.rfind("writing", 0) == 0 || field == "lightWritingView")
            return lightWriting().bindField(field, object);
        std::string fault = timedLight().bindField(field, object);
        return fault.starts_with("unknown field") ? exposurePreview().bindField(field, object)
                                                  : fault;
    }
    return it->second(*this, object);
}

std::string NocturoAppDelegate::bindAction(const std::string& selector, Control& control) {
    auto it = actionTable().find(selector);
    if (it == actionTable().end()) {
        if (selector.find("Writing") != std::string::npos || selector.rfind("writing", 0) == 0)
            return lightWriting().bindAction(selector, control);
        std::string fault = timedLight().bindAction(selector, control);
        return fault.starts_with("unknown action") ? exposurePreview().bindAction(selector, control)
                                                   : fault;
    }
    if (!isKind(control, it->second.senderKind))
        return "the action '" + selector + "' needs a " + it->second.senderKind + ", not a " +
               control.className();
    auto run = it->second.run;
    // A control of the controller's own screens ends a timed run first, as opening the settings
    // does: a finger that went down on a setting can lift after the painting screen came back.
    control.setAction(selector, [this, run](Control& sender) {
        timedLight().cancel();
        run(*this, sender);
    });
    return {};
}

void NocturoAppDelegate::awake(Object& object) {
    if (auto* touchView = dynamic_cast<MyTouchView*>(&object)) {
        touchView->theAppDelegate = this;
        touchView->touchObserver = &timedLight();
    }
    if (auto* filter = dynamic_cast<AccelController*>(&object))
        filter->mainAppDeligate = this;
}

} // namespace nocturo
