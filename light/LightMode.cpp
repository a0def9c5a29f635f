// The three light modes: a spot of the chosen colour, a spot whose colour cycles, and the
// rainbow. Exactly one of the spot and the rainbow lies in the painting screen, directly below
// the dot strip.

#include "app/NocturoAppDelegate.h"

namespace nocturo {

namespace {
void setColorControlLook(SegmentedControl* control, bool usable) {
    if (!control)
        return;
    control->setEnabled(usable);
    control->setTintColor(Color::grey(usable ? 0.4f : 0.6f));
    control->setAlpha(usable ? 1.0f : 0.6f);
}
} // namespace

void NocturoAppDelegate::setLightModeByIndex(int index) {
    switch (index) {
    case 0:
        stopColorFantasyTimer();
        setSpotView();
        setColorControlLook(spotColorSelector, true);
        if (cyclicFreqSlider)
            cyclicFreqSlider->setEnabled(false);
        break;
    case 1:
        setSpotView();
        startColorFantasyTimer();
        setColorControlLook(spotColorSelector, false);
        if (cyclicFreqSlider)
            cyclicFreqSlider->setEnabled(true);
        break;
    case 2:
        stopColorFantasyTimer();
        setRainbowView();
        setColorControlLook(spotColorSelector, false);
        if (cyclicFreqSlider)
            cyclicFreqSlider->setEnabled(false);
        break;
    default:
        break;
    }
    refleshSpotAppearance();
}

void NocturoAppDelegate::switchLightMode(SegmentedControl& sender) {
    currentLightMode = sender.selectedSegmentIndex();
    setLightModeByIndex(currentLightMode);
    services_.store.setInteger(SettingsKey::lightMode, currentLightMode);
}

void NocturoAppDelegate::setSpotView() {
    if (theRainbowView && theRainbowView->superview())
        theRainbowView->removeFromSuperview();
    if (theMaskView && !theMaskView->superview() && paintingView)
        paintingView->insertSubviewBelow(theMaskView, stripImageView);
}

void NocturoAppDelegate::setRainbowView() {
    if (theMaskView && theMaskView->superview()) {
        theMaskView->removeFromSuperview();
        setSpotColorBlack(this);
    }
    if (theRainbowView && !theRainbowView->superview() && paintingView)
        paintingView->insertSubviewBelow(theRainbowView, stripImageView);
}

} // namespace nocturo
