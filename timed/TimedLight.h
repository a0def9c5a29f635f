#pragma once

#include "platform/Control.h"
#include "platform/Key.h"
#include "platform/Label.h"
#include "platform/RunLoop.h"
#include "timed/Tone.h"
#include "views/MyTouchView.h"

#include <functional>
#include <string>
#include <vector>

namespace nocturo {

class NocturoAppDelegate;

// The timed light: a countdown in the dark with a tick each whole second, then the light as the
// settings make it for a chosen length (or until the next touch ends), then dark again until a
// touch. The start control or a key starts a run and cancels it; opening the settings cancels
// it. While it counts down or lights, the painting screen's controls still take touches but are
// not drawn. Touches keep their meaning; when one ends, the light returns to the run's look.
class TimedLight : public PaintingTouchObserver {
public:
    enum class Phase { Idle, Countdown, Light, Done };

    explicit TimedLight(NocturoAppDelegate& controller);
    ~TimedLight() override;
    TimedLight(const TimedLight&) = delete;
    TimedLight& operator=(const TimedLight&) = delete;

    // Reads the three stored settings and shows them on the settings controls.
    void loadSettings();

    // The start control and the keys: start a run, or cancel the one counting down or lit.
    void startOrCancel();
    void keyPressed(Key key);
    // Back to idle, the light as the off mode rests it, nothing more scheduled.
    void cancel();
    void settingsOpened();

    void paintingTouchBegan() override;
    void paintingTouchEnded() override;

    Phase phase() const { return phase_; }
    static const char* phaseName(Phase phase);
    // Seconds left in the countdown or the light; not a number when idle, done or "until touched".
    double timeLeft() const;
    const std::vector<Tone>& tones() const { return tones_; }
    // Plays a tone; without one, tones are only recorded.
    void setTonePlayer(std::function<void(ToneKind)> player) { tonePlayer_ = std::move(player); }

    float delay() const { return delay_; }
    // Zero for "until touched".
    float length() const { return length_; }
    bool sound() const { return sound_; }

    // The interface file's connections for the start control and the settings section.
    std::string bindField(const std::string& field, Object* object);
    std::string bindAction(const std::string& selector, Control& control);

    Button* startButton = nullptr; // the interface's "startTimedLightButton"
    View* timedLightView = nullptr;
    Slider* timedDelaySlider = nullptr;
    Slider* timedLengthSlider = nullptr;
    Switch* timedUntilTouchedSwitch = nullptr;
    Switch* timedSoundSwitch = nullptr;
    Label* timedDelayLabel = nullptr;
    Label* timedLengthLabel = nullptr;

private:
    struct HiddenLook {
        Button* button;
        std::string imageName;
        Color tint;
    };

    RunLoop& runLoop() const;
    void beginCountdown();
    void countdownStep();
    void tick();
    void beginLight();
    void endLight();
    void enterPhase(Phase phase);
    void scheduleAt(double time, void (TimedLight::*step)());
    void cancelPending();
    void play(ToneKind kind);
    void setControlsDrawn(bool drawn);
    void showSettings();

    void delayChanging(Slider& sender);
    void lengthChanging(Slider& sender);
    void setUntilTouched(Switch& sender);
    void setSound(Switch& sender);

    NocturoAppDelegate& controller_;
    Phase phase_ = Phase::Idle;
    float delay_ = 3.0f;
    float length_ = 10.0f;
    bool sound_ = true;
    float runLength_ = 10.0f; // the light's length in the run under way
    double countdownEnd_ = 0.0;
    double lightEnd_ = 0.0;
    int ticksLeft_ = 0;
    bool touchedInPhase_ = false;
    bool pending_ = false;
    RunLoop::CallId pendingCall_ = 0;
    std::vector<Tone> tones_;
    std::function<void(ToneKind)> tonePlayer_;
    std::vector<HiddenLook> hiddenLooks_;
};

} // namespace nocturo
