// The timed light's run (countdown, light, done), its tones, and its settings section.

#include "timed/TimedLight.h"

#include "app/NocturoAppDelegate.h"
#include "app/SettingsTable.h"
#include "writing/LightWriting.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace nocturo {

namespace {
constexpr float shortestLength = 0.5f;

std::string secondsText(float seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(seconds));
    return text;
}

} // namespace

TimedLight::TimedLight(NocturoAppDelegate& controller) : controller_(controller) {}

TimedLight::~TimedLight() {
    cancelPending();
}

RunLoop& TimedLight::runLoop() const {
    return controller_.services().runLoop;
}

const char* TimedLight::phaseName(Phase phase) {
    switch (phase) {
    case Phase::Idle:
        return "idle";
    case Phase::Countdown:
        return "countdown";
    case Phase::Light:
        return "light";
    case Phase::Done:
        return "done";
    }
    return "idle";
}

double TimedLight::timeLeft() const {
    if (phase_ == Phase::Countdown)
        return countdownEnd_ - runLoop().now();
    if (phase_ == Phase::Light && runLength_ > 0.0f)
        return lightEnd_ - runLoop().now();
    return std::numeric_limits<double>::quiet_NaN();
}

// ---- [the run]

// A run starts only from the painting screen: a key pressed elsewhere, or a finger that went
// down on the start control and lifts after the screen has changed, starts nothing.
void TimedLight::startOrCancel() {
    const NocturoAppDelegate& c = controller_;
    if (phase_ == Phase::Countdown || phase_ == Phase::Light)
        cancel();
    else if (c.paintingView && c.containerView && c.paintingView->superview() == c.containerView)
        beginCountdown();
}

void TimedLight::keyPressed(Key) {
    startOrCancel();
}

void TimedLight::cancel() {
    if (phase_ == Phase::Idle)
        return;
    cancelPending();
    controller_.lightWriting().endPass();
    enterPhase(Phase::Idle);
    setControlsDrawn(true);
    controller_.refleshSpotAppearance();
}

void TimedLight::settingsOpened() {
    cancel();
    if (timedLightView)
        timedLightView->removeFromSuperview();
}

void TimedLight::enterPhase(Phase phase) {
    phase_ = phase;
    touchedInPhase_ = false;
}

void TimedLight::beginCountdown() {
    cancelPending();
    enterPhase(Phase::Countdown);
    setControlsDrawn(false);
    controller_.setSpotColorBlack(nullptr);
    countdownEnd_ = runLoop().now() + static_cast<double>(delay_);
    // A tick at each whole second still to go, the last one a second before the light.
    ticksLeft_ = std::max(0, static_cast<int>(std::ceil(delay_)) - 1);
    if (delay_ <= 0.0f)
        beginLight();
    else
        countdownStep();
}

// Schedules the next tick, or the light once no tick is left.
void TimedLight::countdownStep() {
    if (ticksLeft_ > 0)
        scheduleAt(countdownEnd_ - ticksLeft_, &TimedLight::tick);
    else
        scheduleAt(countdownEnd_, &TimedLight::beginLight);
}

void TimedLight::tick() {
    play(ToneKind::Tick);
    --ticksLeft_;
    countdownStep();
}

// Lit whatever the off mode. Colour fantasy starts its walk from red with a fresh timer, so that
// every run paints the same colours at the same moments. With light writing on, the light is a
// pass of the picture over the pass's length, in the band that covers the lit spot.
void TimedLight::beginLight() {
    LightWriting& writing = controller_.lightWriting();
    runLength_ = writing.isEnabled() ? writing.passLength() : length_;
    enterPhase(Phase::Light);
    play(ToneKind::Start);
    NocturoAppDelegate& c = controller_;
    if (c.currentLightMode == 1) {
        c.stopColorFantasyTimer();
        c.rollingColorRed = 1.0f;
        c.rollingColorGreen = 0.0f;
        c.rollingColorBlue = 0.0f;
        c.restoreColor();
        if (c.imageContainerView)
            c.imageContainerView->setBackgroundColor(Color::redColor());
        c.startColorFantasyTimer();
    } else {
        c.restoreColor();
    }
    if (writing.isEnabled())
        writing.beginPass();
    if (runLength_ > 0.0f) {
        lightEnd_ = runLoop().now() + static_cast<double>(runLength_);
        scheduleAt(lightEnd_, &TimedLight::endLight);
    }
}

void TimedLight::endLight() {
    controller_.lightWriting().endPass();
    enterPhase(Phase::Done);
    controller_.setSpotColorBlack(nullptr);
    play(ToneKind::End);
    setControlsDrawn(true);
}

void TimedLight::scheduleAt(double time, void (TimedLight::*step)()) {
    cancelPending();
    double delay = std::max(0.0, time - runLoop().now());
    pending_ = true;
    pendingCall_ = runLoop().performAfterDelay(delay, [this, step] {
        pending_ = false;
        (this->*step)();
    });
}

void TimedLight::cancelPending() {
    if (pending_)
        runLoop().cancel(pendingCall_);
    pending_ = false;
}

void TimedLight::play(ToneKind kind) {
    if (!sound_)
        return;
    tones_.push_back({runLoop().now(), kind});
    if (tonePlayer_)
        tonePlayer_(kind);
}

// A touch switches the light as usual while the finger is down; as it ends, the light takes the
// run's look again, unless the touch ends the light ("until touched") or the dark after it.
void TimedLight::paintingTouchBegan() {
    if (phase_ != Phase::Idle)
        touchedInPhase_ = true;
}

void TimedLight::paintingTouchEnded() {
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::Countdown:
        controller_.setSpotColorBlack(nullptr);
        break;
    case Phase::Light:
        if (runLength_ <= 0.0f && touchedInPhase_)
            endLight();
        else
            controller_.restoreColor();
        break;
    case Phase::Done:
        if (touchedInPhase_)
            enterPhase(Phase::Idle);
        else
            controller_.setSpotColorBlack(nullptr);
        break;
    }
}

// The painting screen's buttons keep their place and take touches, but draw nothing: no picture,
// and a clear fill.
void TimedLight::setControlsDrawn(bool drawn) {
    if (drawn) {
        for (const HiddenLook& look : hiddenLooks_) {
            look.button->setImageName(look.imageName);
            look.button->setTintColor(look.tint);
        }
        hiddenLooks_.clear();
        return;
    }
    if (!hiddenLooks_.empty())
        return;
    std::vector<View*> pending{startButton, controller_.frontControlView};
    while (!pending.empty()) {
        View* v = pending.back();
        pending.pop_back();
        if (!v)
            continue;
        if (auto* button = dynamic_cast<Button*>(v)) {
            hiddenLooks_.push_back({button, button->imageName(), button->tintColor()});
            button->setImageName("");
            button->setTintColor(Color::clearColor());
        }
        for (View* child : v->subviews())
            pending.push_back(child);
    }
}

// ---- [settings]

void TimedLight::loadSettings() {
    const SettingsStore& store = controller_.services().store;
    delay_ = std::get<float>(readSetting(store, SettingsKey::timedLightDelay));
    length_ = std::get<float>(readSetting(store, SettingsKey::timedLightLength));
    sound_ = std::get<bool>(readSetting(store, SettingsKey::timedLightSound));
    if (timedDelaySlider)
        timedDelaySlider->setValue(delay_);
    if (timedLengthSlider && length_ > 0.0f)
        timedLengthSlider->setValue(length_);
    if (timedUntilTouchedSwitch)
        timedUntilTouchedSwitch->setOn(length_ <= 0.0f);
    if (timedSoundSwitch)
        timedSoundSwitch->setOn(sound_);
    showSettings();
}

void TimedLight::showSettings() {
    if (timedDelayLabel)
        timedDelayLabel->setText("Delay before the light: " + secondsText(delay_));
    if (timedLengthLabel)
        timedLengthLabel->setText(length_ > 0.0f ? "Light for " + secondsText(length_)
                                                 : std::string("Light until touched"));
}

void TimedLight::delayChanging(Slider& sender) {
    delay_ = std::clamp(sender.value(), 0.0f, 30.0f);
    showSettings();
    controller_.services().store.setFloat(SettingsKey::timedLightDelay, delay_);
}

void TimedLight::lengthChanging(Slider& sender) {
    length_ = std::clamp(sender.value(), shortestLength, 120.0f);
    if (timedUntilTouchedSwitch)
        timedUntilTouchedSwitch->setOn(false, true);
    showSettings();
    controller_.services().store.setFloat(SettingsKey::timedLightLength, length_);
}

void TimedLight::setUntilTouched(Switch& sender) {
    float slider = timedLengthSlider ? timedLengthSlider->value() : 10.0f;
    length_ = sender.isOn() ? 0.0f : std::clamp(slider, shortestLength, 120.0f);
    showSettings();
    controller_.services().store.setFloat(SettingsKey::timedLightLength, length_);
}

void TimedLight::setSound(Switch& sender) {
    sound_ = sender.isOn();
    controller_.services().store.setBool(SettingsKey::timedLightSound, sound_);
}

std::string TimedLight::bindField(const std::string& field, Object* object) {
    if (field == "startTimedLightButton")
        return bindTyped(startButton, object, "Button");
    if (field == "timedLightView")
        return bindTyped(timedLightView, object, "View");
    if (field == "timedDelaySlider")
        return bindTyped(timedDelaySlider, object, "Slider");
    if (field == "timedLengthSlider")
        return bindTyped(timedLengthSlider, object, "Slider");
    if (field == "timedUntilTouchedSwitch")
        return bindTyped(timedUntilTouchedSwitch, object, "Switch");
    if (field == "timedSoundSwitch")
        return bindTyped(timedSoundSwitch, object, "Switch");
    if (field == "timedDelayLabel")
        return bindTyped(timedDelayLabel, object, "Label");
    if (field == "timedLengthLabel")
        return bindTyped(timedLengthLabel, object, "Label");
    return "unknown field '" + field + "'";
}

std::string TimedLight::bindAction(const std::string& selector, Control& control) {
    std::function<void(Control&)> run;
    const char* kind = nullptr;
    if (selector == "startTimedLight:")
        run = [this](Control&) { startOrCancel(); };
    else if (selector == "showTimedLightSettings:")
        run = [this](Control&) {
            if (timedLightView && controller_.settingsView)
                controller_.settingsView->addSubview(timedLightView);
        };
    else if (selector == "finishTimedLightSettings:")
        run = [this](Control&) {
            if (timedLightView)
                timedLightView->removeFromSuperview();
        };
    else if (selector == "timedDelayChanging:" || selector == "timedLengthChanging:") {
        kind = "Slider";
        bool isDelay = selector == "timedDelayChanging:";
        run = [this, isDelay](Control& c) {
            if (auto* slider = dynamic_cast<Slider*>(&c))
                isDelay ? delayChanging(*slider) : lengthChanging(*slider);
        };
        if (!dynamic_cast<Slider*>(&control))
            return "the action '" + selector + "' needs a " + kind + ", not a " +
                   control.className();
    } else if (selector == "setTimedUntilTouched:" || selector == "setTimedSound:") {
        kind = "Switch";
        bool isSound = selector == "setTimedSound:";
        run = [this, isSound](Control& c) {
            if (auto* s = dynamic_cast<Switch*>(&c))
                isSound ? setSound(*s) : setUntilTouched(*s);
        };
        if (!dynamic_cast<Switch*>(&control))
            return "the action '" + selector + "' needs a " + kind + ", not a " +
                   control.className();
    } else {
        return "unknown action '" + selector + "'";
    }
    control.setAction(selector, std::move(run));
    return {};
}

} // namespace nocturo
