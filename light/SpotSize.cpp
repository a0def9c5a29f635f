// The size of the spot: the width of the mask, with the colour square one point inside it on
// every side, both about their own fixed centres.

#include "app/NocturoAppDelegate.h"

namespace nocturo {

namespace {
constexpr float smallestWidth = 6.0f;
constexpr float largestWidth = 620.0f;
} // namespace

void NocturoAppDelegate::getCurrentSpotSize() {
    if (theMaskView) {
        storedLightImageFrame = theMaskView->frame();
        storedLightImageCenter = theMaskView->center();
    }
    if (imageContainerView) {
        storedImgContainerFrame = imageContainerView->frame();
        storedImgContainerCenter = imageContainerView->center();
    }
}

void NocturoAppDelegate::setSpotSize(float delta) {
    if (!shouldAdjustSpotSize)
        return;
    // Widened to double, summed, and rounded once back to single precision.
    float width = static_cast<float>(static_cast<double>(storedLightImageFrame.width()) +
                                     static_cast<double>(delta) * 2.0);
    if (width < smallestWidth)
        width = smallestWidth;
    else if (width > largestWidth)
        width = largestWidth;
    setSpotSizeByWidth(width);
}

void NocturoAppDelegate::setSpotSizeByWidth(float width) {
    float inner = width - 2.0f;
    if (inner < 1.0f)
        inner = 1.0f;
    Transaction transaction;
    transaction.setDisableActions(true);
    if (theMaskView) {
        theMaskView->setFrame({0.0f, 0.0f, width, width});
        theMaskView->setCenter(storedLightImageCenter);
    }
    if (imageContainerView) {
        imageContainerView->setFrame({0.0f, 0.0f, inner, inner});
        imageContainerView->setCenter(storedImgContainerCenter);
    }
    transaction.commit();
}

void NocturoAppDelegate::saveSpotWidth() {
    if (theMaskView)
        services_.store.setFloat(SettingsKey::spotWidth, theMaskView->frame().width());
}

void NocturoAppDelegate::setLockSpotSize(Switch& sender) {
    toggleLockSpotSize(!sender.isOn());
}

void NocturoAppDelegate::toggleLockSpotSize(bool flag) {
    shouldAdjustSpotSize = flag;
    services_.store.setBool(SettingsKey::adjustSpotSize, flag);
}

} // namespace nocturo
