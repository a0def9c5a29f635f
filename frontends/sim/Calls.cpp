// `call SELECTOR [ARG...]`: one operation of the controller, sent directly.

#include "frontends/sim/Parse.h"
#include "frontends/sim/Simulator.h"

#include <functional>
#include <map>

namespace nocturo {

namespace {

using Args = std::vector<std::string>;
using Delegate = NocturoAppDelegate;

struct Call {
    std::size_t minArgs;
    std::size_t maxArgs;
    const char* usage;
    std::function<void(Nocturo&, const Args&)> run;
};

Call none(void (Delegate::*op)()) {
    return {0, 0, "", [op](Nocturo& app, const Args&) { (app.controller().*op)(); }};
}

Call integer(void (Delegate::*op)(int)) {
    return {1, 1, "INTEGER", [op](Nocturo& app, const Args& a) {
                std::int64_t v = parse::integer(a[0], "the argument");
                if (v < INT32_MIN || v > INT32_MAX)
                    throw ScriptError("the argument does not fit 32 bits");
                (app.controller().*op)(static_cast<int>(v));
            }};
}

Call real(void (Delegate::*op)(float)) {
    return {1, 1, "NUMBER", [op](Nocturo& app, const Args& a) {
                (app.controller().*op)(parse::finiteFloat(a[0], "the argument"));
            }};
}

// Operations whose sender is not looked at; an optional argument is ignored.
Call sender(void (Delegate::*op)(void*)) {
    return {0, 1, "[SENDER]", [op](Nocturo& app, const Args&) {
                Delegate& d = app.controller();
                (d.*op)(&d);
            }};
}

// Control actions: the sender is the control in the named field, by default the usual one.
template <class C> Call action(void (Delegate::*op)(C&), const char* defaultField) {
    return {0, 1, "[CONTROL]", [op, defaultField](Nocturo& app, const Args& a) {
                std::string name = a.empty() ? defaultField : a[0];
                auto* control = dynamic_cast<C*>(app.interface().find(name));
                if (!control)
                    throw ScriptError("'" + name + "' is not a control of the right kind");
                (app.controller().*op)(*control);
            }};
}

Call triple(std::function<void(Nocturo&, float, float, float)> op) {
    return {3, 3, "X Y Z", [op](Nocturo& app, const Args& a) {
                op(app, parse::finiteFloat(a[0], "X"), parse::finiteFloat(a[1], "Y"),
                   parse::finiteFloat(a[2], "Z"));
            }};
}

View* viewNamed(Nocturo& app, const std::string& name) {
    if (name == "none")
        return nullptr;
    auto* view = dynamic_cast<View*>(app.interface().find(name));
    if (!view)
        throw ScriptError("no view is called '" + name + "'");
    return view;
}

const std::map<std::string, Call>& calls() {
    static const std::map<std::string, Call> table{
        {"fadeOutLaunchView", none(&Delegate::fadeOutLaunchView)},
        {"loadUserSettings", none(&Delegate::loadUserSettings)},
        {"setColorByIndex:", integer(&Delegate::setColorByIndex)},
        {"switchColor:", action(&Delegate::switchColor, "spotColorSelector")},
        {"setSpotColorYellow:", sender(&Delegate::setSpotColorYellow)},
        {"setSpotColorRed:", sender(&Delegate::setSpotColorRed)},
        {"setSpotColorGreen:", sender(&Delegate::setSpotColorGreen)},
        {"setSpotColorBlue:", sender(&Delegate::setSpotColorBlue)},
        {"setSpotColorPink:", sender(&Delegate::setSpotColorPink)},
        {"setSpotColorWhite:", sender(&Delegate::setSpotColorWhite)},
        {"setSpotColorBlack:", sender(&Delegate::setSpotColorBlack)},
        {"restoreColor", none(&Delegate::restoreColor)},
        {"refleshSpotAppearance", none(&Delegate::refleshSpotAppearance)},
        {"switchOffMode:", action(&Delegate::switchOffMode, "offModeSelector")},
        {"setLightModeByIndex:", integer(&Delegate::setLightModeByIndex)},
        {"switchLightMode:", action(&Delegate::switchLightMode, "lightModeSelector")},
        {"setSpotView", none(&Delegate::setSpotView)},
        {"setRainbowView", none(&Delegate::setRainbowView)},
        {"startColorFantasyTimer", none(&Delegate::startColorFantasyTimer)},
        {"stopColorFantasyTimer", none(&Delegate::stopColorFantasyTimer)},
        {"colorFantasyFunc", none(&Delegate::colorFantasyFunc)},
        {"cyclicFreqChanging:", action(&Delegate::cyclicFreqChanging, "cyclicFreqSlider")},
        {"getCurrentSpotSize", none(&Delegate::getCurrentSpotSize)},
        {"setSpotSize:", real(&Delegate::setSpotSize)},
        {"setSpotSizeByWidth:", real(&Delegate::setSpotSizeByWidth)},
        {"saveSpotWidth", none(&Delegate::saveSpotWidth)},
        {"setLockSpotSize:", action(&Delegate::setLockSpotSize, "adjustSizeSwitch")},
        {"toggleLockSpotSize:",
         {1, 1, "true|false",
          [](Nocturo& app, const Args& a) {
              app.controller().toggleLockSpotSize(parse::onOff(a[0], "the flag"));
          }}},
        {"switchStripSize:", action(&Delegate::switchStripSize, "stripSizeSelector")},
        {"setEnableStrip:", action(&Delegate::setEnableStrip, "stripOnOffSwitch")},
        {"setStripOff:", integer(&Delegate::setStripOff)},
        {"setStripSizeByIndex:", integer(&Delegate::setStripSizeByIndex)},
        {"goToSettings:", sender(&Delegate::goToSettings)},
        {"finishSettings:", sender(&Delegate::finishSettings)},
        {"switchSample:", action(&Delegate::switchSample, "sampleSelector")},
        {"finishSample:", sender(&Delegate::finishSample)},
        {"switchHelp:", sender(&Delegate::switchHelp)},
        {"showSampleView", none(&Delegate::showSampleView)},
        {"flashScrollBar", none(&Delegate::flashScrollBar)},
        {"accelXYZ:accelY:accelZ:", triple([](Nocturo& app, float x, float y, float z) {
             app.controller().accelXYZ(x, y, z);
         })},
        {"accelerometer:didAccelerate:", triple([](Nocturo& app, float x, float y, float z) {
             if (AccelController* filter = app.controller().myAccelController)
                 filter->accelerometerDidAccelerate(x, y, z);
         })},
        {"setCurrentOffMode:",
         {1, 1, "INTEGER",
          [](Nocturo& app, const Args& a) {
              std::int64_t v = parse::integer(a[0], "the off mode");
              if (v < INT32_MIN || v > INT32_MAX)
                  throw ScriptError("the off mode does not fit 32 bits");
              if (MyTouchView* view = app.controller().paintingView)
                  view->setCurrentOffMode(static_cast<int>(v));
          }}},
        {"setTouchClearRect:",
         {4, 4, "X Y WIDTH HEIGHT",
          [](Nocturo& app, const Args& a) {
              Rect r(parse::finiteFloat(a[0], "X"), parse::finiteFloat(a[1], "Y"),
                     parse::finiteFloat(a[2], "WIDTH"), parse::finiteFloat(a[3], "HEIGHT"));
              if (MyTouchView* view = app.controller().paintingView)
                  view->setTouchClearRect(r);
          }}},
        {"initializeTouchView",
         {0, 0, "",
          [](Nocturo& app, const Args&) {
              if (MyTouchView* view = app.controller().paintingView)
                  view->initializeTouchView();
          }}},
        {"cancelTransition",
         {0, 0, "",
          [](Nocturo& app, const Args&) {
              if (TransitionView* view = app.controller().containerView)
                  view->cancelTransition();
          }}},
        {"replaceSubview:withSubview:transition:direction:duration:",
         {5, 5, "OLD NEW TYPE DIRECTION SECONDS",
          [](Nocturo& app, const Args& a) {
              View* oldView = viewNamed(app, a[0]);
              View* newView = viewNamed(app, a[1]);
              double duration = parse::seconds(a[4], "the duration");
              if (TransitionView* view = app.controller().containerView)
                  view->replaceSubview(oldView, newView, a[2], a[3] == "none" ? "" : a[3],
                                       duration);
          }}},
    };
    return table;
}

} // namespace

void Simulator::doCall(const std::vector<std::string>& w) {
    if (w.size() < 2)
        throw ScriptError("usage: call SELECTOR [ARG...]");
    requireLaunched("call");
    auto it = calls().find(w[1]);
    if (it == calls().end())
        throw ScriptError("unknown operation '" + w[1] + "'");
    const Call& call = it->second;
    Args args(w.begin() + 2, w.end());
    if (args.size() < call.minArgs || args.size() > call.maxArgs)
        throw ScriptError("usage: call " + w[1] + (call.usage[0] ? " " : "") + call.usage);
    call.run(*app_, args);
}

} // namespace nocturo
