// `dump`: the whole state as one line of JSON. Floats print with 9 significant digits, so a
// 32-bit value reads back exactly.

#include "frontends/sim/Simulator.h"
#include "platform/Label.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace nocturo {

namespace {

using Json = nlohmann::ordered_json;

Json number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return std::strtod(text, nullptr);
}
Json number(float v) {
    return number(static_cast<double>(v));
}
Json toJson(Point p) {
    return Json::array({number(p.x), number(p.y)});
}
Json toJson(Rect r) {
    return Json::array({number(r.minX()), number(r.minY()), number(r.width()), number(r.height())});
}
Json toJson(Color c) {
    return Json::array({number(c.red), number(c.green), number(c.blue), number(c.alpha)});
}

std::string nameOf(const Object* o) {
    if (!o)
        return {};
    return o->name().empty() ? std::string(o->className()) : o->name();
}
Json ref(const Object* o) {
    return o ? Json(nameOf(o)) : Json(nullptr);
}

Json viewState(const View& v) {
    Json j;
    j["class"] = v.className();
    j["superview"] = ref(v.superview());
    Json subs = Json::array();
    for (View* s : v.subviews())
        subs.push_back(nameOf(s));
    j["subviews"] = subs;
    j["frame"] = toJson(v.frame());
    j["hidden"] = v.isHidden();
    j["alpha"] = number(v.alpha());
    j["background"] = toJson(v.backgroundColor());
    if (auto* image = dynamic_cast<const ImageView*>(&v))
        j["image"] = image->image() ? Json(image->imageName()) : Json(nullptr);
    j["userInteractionEnabled"] = v.isUserInteractionEnabled();
    if (auto* scroll = dynamic_cast<const ScrollView*>(&v)) {
        j["contentSize"] = Json::array(
            {number(scroll->contentSize().width), number(scroll->contentSize().height)});
        j["contentOffset"] = toJson(scroll->contentOffset());
        j["scrollEnabled"] = scroll->isScrollEnabled();
        j["canCancelContentTouches"] = scroll->canCancelContentTouches();
        j["indicatorFlashes"] = scroll->flashCount();
    }
    if (!v.layer().animations().empty()) {
        Json list = Json::array();
        for (const auto& [key, a] : v.layer().animations())
            list.push_back({{"key", key},
                            {"type", a->type},
                            {"subtype", a->subtype},
                            {"duration", number(a->duration)},
                            {"started", a->hasStarted()}});
        j["animations"] = list;
    }
    return j;
}

Json controlState(const Control& c) {
    Json j;
    if (auto* s = dynamic_cast<const SegmentedControl*>(&c))
        j["value"] = s->selectedSegmentIndex();
    else if (auto* sw = dynamic_cast<const Switch*>(&c))
        j["value"] = sw->isOn();
    else if (auto* sl = dynamic_cast<const Slider*>(&c))
        j["value"] = number(sl->value());
    else
        j["value"] = nullptr;
    j["enabled"] = c.isEnabled();
    j["alpha"] = number(c.alpha());
    j["tint"] = toJson(c.tintColor());
    return j;
}

Json settingJson(const SettingValue& v) {
    if (auto* i = std::get_if<std::int64_t>(&v))
        return *i;
    if (auto* f = std::get_if<float>(&v))
        return number(*f);
    return std::get<bool>(v);
}

Json fields(const NocturoAppDelegate& d) {
    Json j;
    j["window"] = ref(d.window);
    j["containerView"] = ref(d.containerView);
    j["paintingView"] = ref(d.paintingView);
    j["settingsView"] = ref(d.settingsView);
    j["theMaskView"] = ref(d.theMaskView);
    j["imageContainerView"] = ref(d.imageContainerView);
    j["theRainbowView"] = ref(d.theRainbowView);
    j["frontControlView"] = ref(d.frontControlView);
    j["myAccelController"] = ref(d.myAccelController);
    j["lightModeSelector"] = ref(d.lightModeSelector);
    j["offModeSelector"] = ref(d.offModeSelector);
    j["spotColorSelector"] = ref(d.spotColorSelector);
    j["stripSizeSelector"] = ref(d.stripSizeSelector);
    j["stripOnOffSwitch"] = ref(d.stripOnOffSwitch);
    j["adjustSizeSwitch"] = ref(d.adjustSizeSwitch);
    j["sampleSelector"] = ref(d.sampleSelector);
    j["sampleView"] = ref(d.sampleView);
    j["sampleInfoImageView"] = ref(d.sampleInfoImageView);
    j["sampleImageView"] = ref(d.sampleImageView);
    j["initLightImageCenter"] = toJson(d.initLightImageCenter);
    j["initLightImageFrame"] = toJson(d.initLightImageFrame);
    j["storedLightImageFrame"] = toJson(d.storedLightImageFrame);
    j["storedLightImageCenter"] = toJson(d.storedLightImageCenter);
    j["storedImgContainerFrame"] = toJson(d.storedImgContainerFrame);
    j["storedImgContainerCenter"] = toJson(d.storedImgContainerCenter);
    j["storedColor"] = toJson(d.storedColor);
    j["currentLightMode"] = d.currentLightMode;
    j["shouldAdjustSpotSize"] = d.shouldAdjustSpotSize;
    j["currentOffMode"] = d.currentOffMode;
    j["currentColorIndex"] = d.currentColorIndex;
    j["colorFantasyTimer"] = d.colorFantasyTimer
                                 ? Json{{"interval", number(d.colorFantasyTimer->timeInterval())}}
                                 : Json(nullptr);
    j["colorFantasyTimeInterval"] = number(d.colorFantasyTimeInterval);
    j["rollingColorRed"] = number(d.rollingColorRed);
    j["rollingColorGreen"] = number(d.rollingColorGreen);
    j["rollingColorBlue"] = number(d.rollingColorBlue);
    j["inBlackMode"] = d.inBlackMode;
    j["stripImageView"] = ref(d.stripImageView);
    j["currentStripIndex"] = d.currentStripIndex;
    j["shouldHideStrip"] = d.shouldHideStrip;
    j["settingsScrollView"] = ref(d.settingsScrollView);
    j["settingScrollContentView"] = ref(d.settingScrollContentView);
    j["cyclicFreqSlider"] = ref(d.cyclicFreqSlider);
    j["cyclicFreq"] = number(d.cyclicFreq);
    j["helpSelector"] = ref(d.helpSelector);
    j["launchView"] = ref(d.launchView);
    return j;
}

Json timedLightState(const TimedLight& t) {
    Json tones = Json::array();
    for (const Tone& tone : t.tones())
        tones.push_back({{"time", number(tone.time)}, {"kind", toneName(tone.kind)}});
    double left = t.timeLeft();
    return {{"phase", TimedLight::phaseName(t.phase())},
            {"timeLeft", std::isnan(left) ? Json(nullptr) : number(left)},
            {"tones", tones}};
}

Json writingState(const LightWriting& w) {
    PassTiming timing = w.timing();
    auto column = w.shownColumn();
    return {{"enabled", w.isEnabled()},
            {"source", static_cast<int>(w.source())},
            {"columns", timing.columns()},
            {"column", column ? Json(*column) : Json(nullptr)},
            {"columnRate", number(timing.columnRate())}};
}

Json touchViewState(const MyTouchView& v) {
    Json j;
    j["firstPieceView"] = ref(v.firstPieceView);
    j["theAppDelegate"] = v.theAppDelegate ? Json("controller") : Json(nullptr);
    j["location"] = toJson(v.location);
    j["previousLocation"] = toJson(v.previousLocation);
    j["startTouchPosition"] = toJson(v.startTouchPosition);
    j["image"] = nullptr;
    j["centerPoint"] = toJson(v.centerPoint);
    j["startRadius"] = number(v.startRadius);
    j["currentRadius"] = number(v.currentRadius);
    j["currentOffMode"] = v.currentOffMode;
    j["touchClearRect"] = toJson(v.touchClearRect);
    return j;
}

} // namespace

std::string Simulator::status() const {
    if (!app_)
        return "not running";
    NocturoAppDelegate& d = app_->controller();
    std::string screen = "nothing";
    if (d.containerView && !d.containerView->subviews().empty())
        screen = nameOf(d.containerView->subviews().back());
    char text[256];
    Color c = d.imageContainerView ? d.imageContainerView->backgroundColor() : Color{};
    float width = d.theMaskView ? d.theMaskView->frame().width() : 0.0f;
    static const char* modes[] = {"spot", "fantasy", "rainbow"};
    const char* mode =
        d.currentLightMode >= 0 && d.currentLightMode <= 2 ? modes[d.currentLightMode] : "none";
    std::snprintf(text, sizeof text,
                  "t=%.3f screen=%s mode=%s light=%s colour=(%.3g %.3g %.3g) spot=%.6g strip=%s "
                  "statusbar=%s",
                  clock_, screen.c_str(), mode, d.inBlackMode ? "off" : "on", c.red, c.green,
                  c.blue, width,
                  d.stripImageView && !d.stripImageView->isHidden() ? "shown" : "hidden",
                  app_->application().isStatusBarHidden() ? "hidden" : "shown");
    std::string line = text;
    // While a pass plays, the band is what the camera sees, not the spot under it.
    const LightWriting& w = d.lightWriting();
    if (w.isPlaying())
        line += w.shownColumn() ? " writing=column " + std::to_string(*w.shownColumn() + 1) +
                                      " of " + std::to_string(w.timing().columns())
                                : std::string(" writing=dark");
    return line;
}

std::string Simulator::dump() const {
    Json j;
    j["time"] = number(clock_);
    if (!app_)
        return j.dump();
    NocturoAppDelegate& d = app_->controller();
    j["fields"] = fields(d);

    Json views, controls;
    for (Object* o : app_->interface().namedObjects()) {
        if (auto* v = dynamic_cast<View*>(o))
            views[o->name()] = viewState(*v);
        if (auto* c = dynamic_cast<Control*>(o))
            controls[o->name()] = controlState(*c);
    }
    j["views"] = views;
    j["controls"] = controls;
    if (d.paintingView)
        j["paintingView"] = touchViewState(*d.paintingView);
    if (d.containerView)
        j["containerView"] = {{"transitioning", d.containerView->isTransitioning()},
                              {"wasEnabled", d.containerView->isWasEnabled()}};
    if (d.myAccelController)
        j["accelerometer"] = Json::array({number(d.myAccelController->accelerometer[0]),
                                          number(d.myAccelController->accelerometer[1]),
                                          number(d.myAccelController->accelerometer[2])});
    const Application& a = app_->application();
    j["statusBar"] = {{"hidden", a.isStatusBarHidden()},
                      {"style", static_cast<int>(a.statusBarStyle())}};
    j["urls"] = a.openedURLs();
    j["timedLight"] = timedLightState(d.timedLight());
    j["writing"] = writingState(d.lightWriting());
    Json store = Json::object();
    for (const auto& [key, value] : store_.dictionary())
        store[key] = settingJson(value);
    for (const auto& [key, value] : store_.strings())
        store[key] = value;
    j["store"] = store;
    // A key that a script stored need not be UTF-8, which JSON cannot hold: such bytes print as
    // U+FFFD rather than failing the dump.
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace nocturo
