// The chosen colour of the spot, and switching the light off and on by the off mode.

#include "app/NocturoAppDelegate.h"

namespace nocturo {

namespace {
constexpr Color pink{1.0f, 0.282f, 0.667f, 1.0f};
} // namespace

void NocturoAppDelegate::setColorByIndex(int index) {
    switch (index) {
    case 0:
        setSpotColorYellow(this);
        break;
    case 1:
        setSpotColorRed(this);
        break;
    case 2:
        setSpotColorGreen(this);
        break;
    case 3:
        setSpotColorBlue(this);
        break;
    case 4:
        setSpotColorPink(this);
        break;
    case 5:
        setSpotColorWhite(this);
        break;
    default:
        break;
    }
}

void NocturoAppDelegate::switchColor(SegmentedControl& sender) {
    currentColorIndex = sender.selectedSegmentIndex();
    setColorByIndex(currentColorIndex);
    services_.store.setInteger(SettingsKey::colorIndex, currentColorIndex);
}

// Each colour replaces the one held and shows it if the light rests on.
void NocturoAppDelegate::setSpotColorYellow(void*) {
    storedColor = Color::yellowColor();
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorRed(void*) {
    storedColor = Color::redColor();
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorGreen(void*) {
    storedColor = Color::greenColor();
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorBlue(void*) {
    storedColor = Color::blueColor();
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorPink(void*) {
    storedColor = pink;
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorWhite(void*) {
    storedColor = Color::whiteColor();
    refleshSpotAppearance();
}

void NocturoAppDelegate::setSpotColorBlack(void*) {
    inBlackMode = true;
    if (currentLightMode < 0 || currentLightMode > 2)
        return;
    if (imageContainerView)
        imageContainerView->setBackgroundColor(Color::blackColor());
    if (currentLightMode != 0 && theRainbowView)
        theRainbowView->setHidden(true);
}

void NocturoAppDelegate::restoreColor() {
    inBlackMode = false;
    if (currentLightMode == 0) {
        if (imageContainerView)
            imageContainerView->setBackgroundColor(storedColor);
    } else if (currentLightMode == 2) {
        if (theRainbowView)
            theRainbowView->setHidden(false);
    }
    // Light mode 1: the next tick of the colour cycle paints the light.
}

void NocturoAppDelegate::refleshSpotAppearance() {
    if (currentOffMode == 1) {
        if (imageContainerView)
            imageContainerView->setBackgroundColor(Color::blackColor());
        inBlackMode = true;
        if (currentLightMode == 2 && theRainbowView)
            theRainbowView->setHidden(true);
    } else if (currentOffMode == 2) {
        restoreColor();
    }
}

void NocturoAppDelegate::switchOffMode(SegmentedControl& sender) {
    int segment = sender.selectedSegmentIndex();
    if (segment == 0 || segment == 1) {
        currentOffMode = segment + 1;
        if (paintingView)
            paintingView->setCurrentOffMode(currentOffMode);
    }
    refleshSpotAppearance();
    services_.store.setInteger(SettingsKey::lightOffMode, currentOffMode);
}

} // namespace nocturo
