// The dot strip laid over the light: shown or hidden, and which of three dot pictures.

#include "app/NocturoAppDelegate.h"

namespace nocturo {

void NocturoAppDelegate::setEnableStrip(Switch& sender) {
    setStripOff(sender.isOn() ? 2 : 1);
}

// The strip and its size control: a hidden strip greys the control out.
void NocturoAppDelegate::showStripLook(bool shown) {
    if (stripSizeSelector)
        stripSizeSelector->setEnabled(shown);
    if (stripImageView)
        stripImageView->setHidden(!shown);
    if (stripSizeSelector) {
        stripSizeSelector->setTintColor(Color::grey(shown ? 0.4f : 0.6f));
        stripSizeSelector->setAlpha(shown ? 1.0f : 0.6f);
    }
}

void NocturoAppDelegate::setStripOff(int value) {
    shouldHideStrip = value;
    if (value == 1 || value == 2)
        showStripLook(value == 2);
    services_.store.setInteger(SettingsKey::hideStrip, shouldHideStrip);
}

void NocturoAppDelegate::switchStripSize(SegmentedControl& sender) {
    currentStripIndex = sender.selectedSegmentIndex() + 1;
    setStripSizeByIndex(currentStripIndex);
    services_.store.setInteger(SettingsKey::stripIndex, currentStripIndex);
}

void NocturoAppDelegate::setStripSizeByIndex(int index) {
    const char* name = index == 1   ? "dotArray60.png"
                       : index == 3 ? "dotArray15.png"
                                    : "dotArray30.png";
    if (stripImageView)
        stripImageView->setImage(services_.images.imageNamed(name));
}

} // namespace nocturo
