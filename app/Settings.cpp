// Applies the stored settings at launch, in an order that lets the stored off mode have the
// last word on how the light looks.

#include "app/NocturoAppDelegate.h"

#include <cmath>

namespace nocturo {

namespace {
constexpr float defaultFrequency = 50.0f;
constexpr float defaultSpotWidth = 320.0f;

bool isPositive(float v) {
    return std::isfinite(v) && v > 0.0f;
}

// The segment that shows a code counted from 1. A stored code is not range-checked, and the
// lowest 32-bit number has no predecessor: any code below 1 selects no segment.
int segmentOf(std::int32_t code) {
    return code >= 1 ? code - 1 : SegmentedControl::noSegment;
}
} // namespace

void NocturoAppDelegate::loadUserSettings() {
    SettingsStore& store = services_.store;

    // A frequency that is no finite number above zero reads as absent; one outside the
    // slider's range is held to it.
    cyclicFreq = store.floatForKey(SettingsKey::cyclicFrequency);
    if (!isPositive(cyclicFreq))
        cyclicFreq = defaultFrequency;
    if (cyclicFreqSlider) {
        if (cyclicFreq < cyclicFreqSlider->minimumValue())
            cyclicFreq = cyclicFreqSlider->minimumValue();
        if (cyclicFreq > cyclicFreqSlider->maximumValue())
            cyclicFreq = cyclicFreqSlider->maximumValue();
        cyclicFreqSlider->setValue(cyclicFreq);
    }

    currentColorIndex = static_cast<std::int32_t>(store.integerForKey(SettingsKey::colorIndex));
    if (spotColorSelector)
        spotColorSelector->setSelectedSegmentIndex(currentColorIndex);
    setColorByIndex(currentColorIndex);

    float width = store.floatForKey(SettingsKey::spotWidth);
    if (!isPositive(width))
        width = defaultSpotWidth;
    setSpotSizeByWidth(width);

    currentLightMode = static_cast<std::int32_t>(store.integerForKey(SettingsKey::lightMode));
    if (lightModeSelector)
        lightModeSelector->setSelectedSegmentIndex(currentLightMode);
    setLightModeByIndex(currentLightMode);

    currentOffMode = static_cast<std::int32_t>(store.integerForKey(SettingsKey::lightOffMode));
    if (currentOffMode == 0)
        currentOffMode = 2;
    if (offModeSelector)
        offModeSelector->setSelectedSegmentIndex(segmentOf(currentOffMode));
    if (paintingView)
        paintingView->setCurrentOffMode(currentOffMode);
    refleshSpotAppearance();

    shouldAdjustSpotSize = store.boolForKey(SettingsKey::adjustSpotSize);
    if (adjustSizeSwitch)
        adjustSizeSwitch->setOn(!shouldAdjustSpotSize, true);

    shouldHideStrip = static_cast<std::int32_t>(store.integerForKey(SettingsKey::hideStrip));
    if (shouldHideStrip == 0)
        shouldHideStrip = 1;
    if (shouldHideStrip == 1 || shouldHideStrip == 2) {
        bool shown = shouldHideStrip == 2;
        if (stripOnOffSwitch)
            stripOnOffSwitch->setOn(shown, true);
        showStripLook(shown);
    }

    currentStripIndex = static_cast<std::int32_t>(store.integerForKey(SettingsKey::stripIndex));
    if (currentStripIndex == 0)
        currentStripIndex = 2;
    if (stripSizeSelector)
        stripSizeSelector->setSelectedSegmentIndex(segmentOf(currentStripIndex));
    setStripSizeByIndex(currentStripIndex);
}

} // namespace nocturo
