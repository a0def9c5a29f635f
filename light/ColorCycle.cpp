// Colour fantasy: on every tick of a repeating timer the light's colour takes one step of 0.05
// round the colour circle (red, yellow, green, cyan, blue, magenta, red).

#include "app/NocturoAppDelegate.h"
#include "writing/LightWriting.h"

#include <cmath>

namespace nocturo {

namespace {
constexpr double colorStep = 0.05;
constexpr double restartDelay = 1.0;

// One block of the walk. The step is taken in double precision and rounded back to the
// component's single precision before it is held to 0 or 1.
void walk(float leading, float& falling, float& rising) {
    if (leading < 1.0f)
        return;
    if (falling > 0.0f) {
        falling = static_cast<float>(static_cast<double>(falling) - colorStep);
        if (falling <= 0.0f)
            falling = 0.0f;
    } else if (rising < 1.0f) {
        rising = static_cast<float>(static_cast<double>(rising) + colorStep);
        if (rising > 1.0f)
            rising = 1.0f;
    }
}
} // namespace

void NocturoAppDelegate::startColorFantasyTimer() {
    if (colorFantasyTimer)
        return;
    // A frequency that is not a finite number above zero has no period: the cycle stays stopped.
    if (!std::isfinite(cyclicFreq) || !(cyclicFreq > 0.0f))
        return;
    double interval = 1.0 / static_cast<double>(cyclicFreq);
    if (!std::isfinite(interval) || !(interval > 0.0))
        return;
    colorFantasyTimeInterval = interval;
    // Text being written with light takes each step of the walk too.
    colorFantasyTimer = services_.runLoop.scheduleTimer(interval, true, [this] {
        colorFantasyFunc();
        lightWriting_->lightChanged();
    });
}

void NocturoAppDelegate::stopColorFantasyTimer() {
    if (!colorFantasyTimer)
        return;
    colorFantasyTimer->invalidate();
    colorFantasyTimer.reset();
}

void NocturoAppDelegate::colorFantasyFunc() {
    walk(rollingColorRed, rollingColorBlue, rollingColorGreen);
    walk(rollingColorGreen, rollingColorRed, rollingColorBlue);
    walk(rollingColorBlue, rollingColorGreen, rollingColorRed);
    if (!inBlackMode && imageContainerView)
        imageContainerView->setBackgroundColor(
            {rollingColorRed, rollingColorGreen, rollingColorBlue, 1.0f});
}

void NocturoAppDelegate::cyclicFreqChanging(Slider&) {
    stopColorFantasyTimer();
    if (cyclicFreqSlider)
        cyclicFreq = cyclicFreqSlider->value();
    // The walk resumes a second later at the new rate, unless colour fantasy was left meanwhile.
    performAfterDelay(restartDelay, [this] {
        if (currentLightMode == 1)
            startColorFantasyTimer();
    });
    services_.store.setFloat(SettingsKey::cyclicFrequency, cyclicFreq);
}

} // namespace nocturo
