// Applies the stored settings at launch, in an order that lets the stored off mode have the
// last word on how the light looks.

#include "app/NocturoAppDelegate.h"
#include "app/SettingsTable.h"
#include "exposure/PreviewPanel.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

namespace nocturo {

namespace {
float floatSetting(const SettingsStore& store, const std::string& key) {
    return std::get<float>(readSetting(store, key));
}

std::int32_t codeSetting(const SettingsStore& store, const std::string& key) {
    return static_cast<std::int32_t>(std::get<std::int64_t>(readSetting(store, key)));
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
    cyclicFreq = floatSetting(store, SettingsKey::cyclicFrequency);
    if (cyclicFreqSlider) {
        if (cyclicFreq < cyclicFreqSlider->minimumValue())
            cyclicFreq = cyclicFreqSlider->minimumValue();
        if (cyclicFreq > cyclicFreqSlider->maximumValue())
            cyclicFreq = cyclicFreqSlider->maximumValue();
        cyclicFreqSlider->setValue(cyclicFreq);
    }

    currentColorIndex = codeSetting(store, SettingsKey::colorIndex);
    if (spotColorSelector)
        spotColorSelector->setSelectedSegmentIndex(currentColorIndex);
    setColorByIndex(currentColorIndex);

    setSpotSizeByWidth(floatSetting(store, SettingsKey::spotWidth));

    currentLightMode = codeSetting(store, SettingsKey::lightMode);
    if (lightModeSelector)
        lightModeSelector->setSelectedSegmentIndex(currentLightMode);
    setLightModeByIndex(currentLightMode);

    currentOffMode = codeSetting(store, SettingsKey::lightOffMode);
    if (offModeSelector)
        offModeSelector->setSelectedSegmentIndex(segmentOf(currentOffMode));
    if (paintingView)
        paintingView->setCurrentOffMode(currentOffMode);
    refleshSpotAppearance();

    shouldAdjustSpotSize = std::get<bool>(readSetting(store, SettingsKey::adjustSpotSize));
    if (adjustSizeSwitch)
        adjustSizeSwitch->setOn(!shouldAdjustSpotSize, true);

    shouldHideStrip = codeSetting(store, SettingsKey::hideStrip);
    if (shouldHideStrip == 1 || shouldHideStrip == 2) {
        bool shown = shouldHideStrip == 2;
        if (stripOnOffSwitch)
            stripOnOffSwitch->setOn(shown, true);
        showStripLook(shown);
    }

    currentStripIndex = codeSetting(store, SettingsKey::stripIndex);
    if (stripSizeSelector)
        stripSizeSelector->setSelectedSegmentIndex(segmentOf(currentStripIndex));
    setStripSizeByIndex(currentStripIndex);

    timedLight().loadSettings();
    lightWriting().loadSettings();
    exposurePreview().loadSettings();
}

} // namespace nocturo
