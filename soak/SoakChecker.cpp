// The soak's rules.
//   [values]       comparing and printing settings
//   [application]  the rules on the running application
//   [settings]     the file after each write, and at launch

#include "soak/SoakChecker.h"

#include "app/SettingsTable.h"
#include "exposure/PreviewPanel.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace nocturo {

namespace {

// ---- [values]

std::string show(const SettingValue& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return std::to_string(*i);
    if (const auto* f = std::get_if<float>(&v)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9gf", static_cast<double>(*f));
        return text;
    }
    return std::get<bool>(v) ? "true" : "false";
}

std::string show(Point p) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.9g, %.9g)", static_cast<double>(p.x),
                  static_cast<double>(p.y));
    return text;
}

std::string show(Color c) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g, %.9g)", static_cast<double>(c.red),
                  static_cast<double>(c.green), static_cast<double>(c.blue),
                  static_cast<double>(c.alpha));
    return text;
}

// The first difference between two sets of settings, or empty.
std::string difference(const std::map<std::string, SettingValue>& found,
                       const std::map<std::string, SettingValue>& expected) {
    for (const auto& [key, value] : expected) {
        auto it = found.find(key);
        if (it == found.end())
            return "'" + key + "' is missing (expected " + show(value) + ")";
        if (!sameSetting(it->second, value))
            return "'" + key + "' is " + show(it->second) + ", expected " + show(value);
    }
    for (const auto& [key, value] : found)
        if (!expected.count(key))
            return "'" + key + "' = " + show(value) + " was never written";
    return {};
}

// ---- [application]

bool unitRange(float v) {
    return v >= 0.0f && v <= 1.0f; // false for a NaN as well
}

bool unitColor(Color c) {
    return unitRange(c.red) && unitRange(c.green) && unitRange(c.blue) && unitRange(c.alpha);
}

Violation lightLayers(const NocturoAppDelegate& c) {
    if (c.currentLightMode < 0 || c.currentLightMode > 2)
        return {};
    if (!c.paintingView || !c.theMaskView || !c.theRainbowView || !c.stripImageView)
        return {"light layers", "a view of the painting screen is missing"};
    bool spot = c.theMaskView->superview() == c.paintingView;
    bool rainbow = c.theRainbowView->superview() == c.paintingView;
    if (spot == rainbow)
        return {"light layers", std::string(spot ? "both" : "neither") +
                                    " of the spot and the rainbow in the painting screen, light "
                                    "mode " +
                                    std::to_string(c.currentLightMode)};
    const View* layer = spot ? static_cast<View*>(c.theMaskView) : c.theRainbowView;
    const auto& subs = c.paintingView->subviews();
    auto strip = std::find(subs.begin(), subs.end(), c.stripImageView);
    // While a picture is written, its band lies between the light and the strip.
    const View* band = c.lightWriting().writingBandView;
    if (band && band->superview() == c.paintingView) {
        if (!c.lightWriting().isPlaying())
            return {"light layers", "the writing band shows with no pass playing"};
        if (strip != subs.end() && strip != subs.begin() && *(strip - 1) == band)
            --strip;
    }
    if (strip == subs.end() || strip == subs.begin() || *(strip - 1) != layer)
        return {"light layers", std::string(spot ? "the spot" : "the rainbow") +
                                    " is not directly below the dot strip"};
    return {};
}

Violation colours(const NocturoAppDelegate& c) {
    if (c.imageContainerView && !unitColor(c.imageContainerView->backgroundColor()))
        return {"colour range",
                "the light's colour is " + show(c.imageContainerView->backgroundColor())};
    if (!unitColor(c.storedColor))
        return {"colour range", "the chosen colour is " + show(c.storedColor)};
    Color rolling{c.rollingColorRed, c.rollingColorGreen, c.rollingColorBlue, 1.0f};
    if (!unitColor(rolling))
        return {"colour range", "the colour cycle stands at " + show(rolling)};
    return {};
}

Violation colourCycle(const NocturoAppDelegate& c, const RunLoop& loop) {
    std::size_t timers = loop.timerCount();
    if (timers > 1)
        return {"colour-cycle timer", std::to_string(timers) + " timers are scheduled"};
    if (c.colorFantasyTimer) {
        if (!c.colorFantasyTimer->isValid() || timers != 1)
            return {"colour-cycle timer", "the controller holds a timer that is not scheduled"};
        if (c.currentLightMode != 1)
            return {"colour-cycle timer",
                    "the cycle runs in light mode " + std::to_string(c.currentLightMode)};
    } else if (timers != 0) {
        return {"colour-cycle timer", "a timer is scheduled that the controller does not hold"};
    }
    return {};
}

Violation spotCentre(const NocturoAppDelegate& c) {
    if (!c.theMaskView || !c.imageContainerView)
        return {};
    Point mask = c.theMaskView->center();
    Point square = c.imageContainerView->center();
    if (!(mask == square))
        return {"spot centre",
                "the mask's centre is " + show(mask) + ", the colour square's " + show(square)};
    return {};
}

Violation screenShown(const NocturoAppDelegate& c) {
    if (!c.containerView)
        return {"screen shown", "there is no container"};
    const auto& subs = c.containerView->subviews();
    if (subs.size() != 1)
        return {"screen shown", std::to_string(subs.size()) + " screens in the container"};
    const View* shown = subs.front();
    if (shown != c.launchView && shown != c.paintingView && shown != c.settingsView &&
        shown != c.sampleView)
        return {"screen shown", "the container shows '" + shown->name() + "'"};
    return {};
}

// With no finger on the screen the light rests as the off mode says: lit in off mode 2, dark in
// off mode 1.
// A timed light, with no finger down: dark while it counts down and after it, lit while it lasts,
// and the painting screen's buttons draw nothing while it counts down or lights.
Violation timedRun(const NocturoAppDelegate& c, const Window* window) {
    const TimedLight& t = c.timedLight();
    bool running =
        t.phase() == TimedLight::Phase::Countdown || t.phase() == TimedLight::Phase::Light;
    if (t.startButton && running != t.startButton->imageName().empty())
        return {"timed light", std::string("the start control is ") +
                                   (running ? "drawn during a run" : "not drawn outside a run")};
    if (!window || window->touchCount() != 0 || !c.imageContainerView)
        return {};
    if (c.currentLightMode < 0 || c.currentLightMode > 2 || t.phase() == TimedLight::Phase::Idle)
        return {};
    bool dark = t.phase() != TimedLight::Phase::Light;
    if (dark &&
        (!c.inBlackMode || !(c.imageContainerView->backgroundColor() == Color::blackColor())))
        return {"timed light", std::string("the light is on while the run is in ") +
                                   TimedLight::phaseName(t.phase())};
    if (!dark && c.inBlackMode)
        return {"timed light", "the light is off while a timed light lasts"};
    return {};
}

Violation restingLight(const NocturoAppDelegate& c, const Window* window) {
    if (!window || window->touchCount() != 0 || !c.imageContainerView || !c.theRainbowView)
        return {};
    if (c.timedLight().phase() != TimedLight::Phase::Idle)
        return {};
    if (c.currentLightMode < 0 || c.currentLightMode > 2)
        return {};
    Color shown = c.imageContainerView->backgroundColor();
    bool rainbowShown = !c.theRainbowView->isHidden();
    if (c.currentOffMode == 2) {
        if (c.inBlackMode)
            return {"resting light", "off mode 2, no finger down, and the light is off"};
        if (c.currentLightMode == 0 && !(shown == c.storedColor))
            return {"resting light", "the spot shows " + show(shown) + ", the chosen colour is " +
                                         show(c.storedColor)};
        if (c.currentLightMode == 2 && !rainbowShown)
            return {"resting light", "off mode 2, no finger down, and the rainbow is hidden"};
    } else if (c.currentOffMode == 1) {
        if (!c.inBlackMode || !(shown == Color::blackColor()))
            return {"resting light", "off mode 1, no finger down, and the light is on"};
        if (c.currentLightMode == 2 && rainbowShown)
            return {"resting light", "off mode 1, no finger down, and the rainbow shows"};
    }
    return {};
}

// The spot is a square of 6 to 620 points with the colour square one point inside it.
Violation spotSize(const NocturoAppDelegate& c) {
    if (!c.theMaskView || !c.imageContainerView)
        return {};
    Rect mask = c.theMaskView->frame();
    Rect square = c.imageContainerView->frame();
    float inner = std::max(mask.width() - 2.0f, 1.0f);
    if (mask.width() != mask.height() || square.width() != inner || square.height() != inner)
        return {"spot size", "the mask is " + show(Point{mask.width(), mask.height()}) +
                                 ", the colour square " +
                                 show(Point{square.width(), square.height()})};
    if (!(mask.width() >= 6.0f && mask.width() <= 620.0f))
        return {"spot size", "the spot is " + show(Point{mask.width(), mask.height()}) + " wide"};
    return {};
}

// The settings screen shows the settings in force.
Violation controlsShowState(const NocturoAppDelegate& c) {
    // A code shows as segment code - first, or as no segment when it has none; the codes are
    // widened, since a stored one may be any 32-bit number.
    auto segment = [](const SegmentedControl* s, std::int32_t code, std::int64_t first,
                      const char* name) -> Violation {
        if (!s)
            return {};
        std::int64_t index = std::int64_t{code} - first;
        std::int64_t expected =
            index >= 0 && index < s->numberOfSegments() ? index : SegmentedControl::noSegment;
        if (s->selectedSegmentIndex() != expected)
            return {"controls show the state", std::string(name) + " shows segment " +
                                                   std::to_string(s->selectedSegmentIndex()) +
                                                   " for " + std::to_string(code)};
        return {};
    };
    if (Violation v = segment(c.lightModeSelector, c.currentLightMode, 0, "lightModeSelector"))
        return v;
    if (Violation v = segment(c.offModeSelector, c.currentOffMode, 1, "offModeSelector"))
        return v;
    if (Violation v = segment(c.spotColorSelector, c.currentColorIndex, 0, "spotColorSelector"))
        return v;
    if (Violation v = segment(c.stripSizeSelector, c.currentStripIndex, 1, "stripSizeSelector"))
        return v;
    if (c.adjustSizeSwitch && c.adjustSizeSwitch->isOn() == c.shouldAdjustSpotSize)
        return {"controls show the state", "adjustSizeSwitch disagrees with the size lock"};
    if (c.stripOnOffSwitch && (c.shouldHideStrip == 1 || c.shouldHideStrip == 2)) {
        bool shown = c.shouldHideStrip == 2;
        if (c.stripOnOffSwitch->isOn() != shown)
            return {"controls show the state", "stripOnOffSwitch disagrees with the strip"};
        if (c.stripImageView && c.stripImageView->isHidden() == shown)
            return {"controls show the state", "the strip's visibility disagrees with its switch"};
    }
    if (c.cyclicFreqSlider && c.cyclicFreqSlider->value() != c.cyclicFreq)
        return {"controls show the state", "the frequency slider disagrees with the frequency"};
    return {};
}

// ---- [settings]

// What the loader makes of the file: the same defaults and limits it applies.
std::map<std::string, SettingValue> loadedSettings(const SettingsStore& s, const Slider* slider) {
    std::map<std::string, SettingValue> v;
    for (const SettingRule& rule : settingsTable())
        if (rule.kind != SettingKind::String)
            v[rule.key] = readSetting(s, rule);
    if (slider)
        v[SettingsKey::cyclicFrequency] =
            std::clamp(std::get<float>(v[SettingsKey::cyclicFrequency]), slider->minimumValue(),
                       slider->maximumValue());
    return v;
}

} // namespace

std::map<std::string, SettingValue> SoakChecker::controllerSettings(const NocturoAppDelegate& c) {
    const LightWriting& w = c.lightWriting();
    return {
        {SettingsKey::cyclicFrequency, c.cyclicFreq},
        {SettingsKey::colorIndex, std::int64_t{c.currentColorIndex}},
        {SettingsKey::spotWidth, c.theMaskView ? c.theMaskView->frame().width() : 0.0f},
        {SettingsKey::lightMode, std::int64_t{c.currentLightMode}},
        {SettingsKey::lightOffMode, std::int64_t{c.currentOffMode}},
        {SettingsKey::adjustSpotSize, c.shouldAdjustSpotSize},
        {SettingsKey::hideStrip, std::int64_t{c.shouldHideStrip}},
        {SettingsKey::stripIndex, std::int64_t{c.currentStripIndex}},
        {SettingsKey::timedLightDelay, c.timedLight().delay()},
        {SettingsKey::timedLightLength, c.timedLight().length()},
        {SettingsKey::timedLightSound, c.timedLight().sound()},
        {SettingsKey::writingEnabled, w.isEnabled()},
        {SettingsKey::writingSource, std::int64_t{static_cast<int>(w.source())}},
        {SettingsKey::writingPicture, std::int64_t{w.builtInPicture()}},
        {SettingsKey::writingPassLength, w.passLength()},
        {SettingsKey::writingBandWidth, w.bandWidth()},
        {SettingsKey::writingMirrored, w.isMirrored()},
        {SettingsKey::writingScreenHeight, w.userScreenHeight()},
        {SettingsKey::previewPace, c.exposurePreview().pace()},
        {SettingsKey::previewStops, c.exposurePreview().stops()},
    };
}

SoakChecker::SoakChecker(ObservedStore& store)
    : store_(store), expected_(store.file().dictionary()) {
    store_.takeWrittenKeys();
}

Violation SoakChecker::checkApplication(Nocturo& app) {
    const NocturoAppDelegate& c = app.controller();
    if (Violation v = lightLayers(c))
        return v;
    if (Violation v = colours(c))
        return v;
    if (Violation v = colourCycle(c, app.runLoop()))
        return v;
    if (Violation v = spotCentre(c))
        return v;
    if (Violation v = spotSize(c))
        return v;
    if (Violation v = restingLight(c, app.window()))
        return v;
    if (Violation v = timedRun(c, app.window()))
        return v;
    if (Violation v = controlsShowState(c))
        return v;
    return screenShown(c);
}

Violation SoakChecker::afterCommand(Nocturo* app, const std::string& command) {
    if (!store_.warnings().empty())
        return {"settings store warning", store_.warnings().front()};
    if (Violation v = checkWrites(app))
        return v;
    if (!app)
        return {};
    if (command == "launch")
        if (Violation v = checkLaunch(*app))
            return v;
    return checkApplication(*app);
}

// The value each writer stores is taken from the controller as it stands after the command:
// the file must hold exactly that, and what earlier writes left.
Violation SoakChecker::checkWrites(Nocturo* app) {
    std::set<std::string> keys = store_.takeWrittenKeys();
    if (keys.empty())
        return {};
    std::map<std::string, SettingValue> current;
    if (app)
        current = controllerSettings(app->controller());
    for (const std::string& key : keys) {
        auto it = current.find(key);
        if (it != current.end()) {
            expected_[key] = it->second;
        } else if (auto stored = store_.objectForKey(key)) {
            expected_[key] = *stored; // written by a script's `store`, or a key of no writer
        } else {
            return {"settings file", "'" + key + "' was written but the store lacks it"};
        }
    }
    std::string diff = difference(store_.dictionary(), expected_);
    if (!diff.empty())
        return {"settings file", "the store after a write: " + diff};
    return checkFile();
}

Violation SoakChecker::checkFile() const {
    std::ifstream in(store_.path(), std::ios::binary);
    if (!in)
        return {"settings file", "cannot open " + store_.path()};
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    auto values = FileSettingsStore::parse(text.str(), &error);
    if (!values)
        return {"settings file", "cannot be read back: " + error};
    std::string diff = difference(*values, expected_);
    if (!diff.empty())
        return {"settings file", "the file after a write: " + diff};
    return {};
}

Violation SoakChecker::checkLaunch(Nocturo& app) const {
    const NocturoAppDelegate& c = app.controller();
    std::string diff =
        difference(controllerSettings(c), loadedSettings(store_, c.cyclicFreqSlider));
    if (!diff.empty())
        return {"settings read back", "after launch the controller's " + diff};
    return {};
}

} // namespace nocturo
