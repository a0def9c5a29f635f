// Moves between the painting, settings and sample screens, and the help page.

#include "app/NocturoAppDelegate.h"
#include "exposure/PreviewPanel.h"
#include "timed/TimedLight.h"

namespace nocturo {

namespace {
constexpr double flipDuration = 0.8;
constexpr double scrollFlashDelay = 1.0;

struct Sample {
    const char* picture;
    const char* caption;
};
constexpr Sample samples[] = {
    {"pacman480r90.png", "STATICSPOTr90.png"},
    {"carDynamic480r90.png", "DynamicSpotr90.png"},
    {"Rainbow480r90.png", "RAINBOWr90.png"},
    {"stripSample480.png", "stripText.png"},
};
} // namespace

// One animation block on the container: the leaving screen goes, the entering one comes on
// top, under a flip. The flip plays even when there is nothing to swap.
void NocturoAppDelegate::flip(View* leaving, View* entering, const std::string& transition) {
    AnimationBlock block;
    block.setAnimationDuration(flipDuration);
    block.setAnimationTransition(transition, containerView, true);
    if (leaving && leaving->superview()) {
        leaving->removeFromSuperview();
        if (containerView)
            containerView->addSubview(entering);
    }
    block.commitAnimations();
}

void NocturoAppDelegate::goToSettings(void*) {
    timedLight().settingsOpened();
    exposurePreview().settingsOpened();
    flip(paintingView, settingsView, TransitionType::flipFromLeft);
    performAfterDelay(scrollFlashDelay, [this] { flashScrollBar(); });
}

void NocturoAppDelegate::finishSettings(void*) {
    services_.application.setStatusBarHidden(true, true);
    flip(settingsView, paintingView, TransitionType::flipFromRight);
}

void NocturoAppDelegate::switchSample(SegmentedControl& sender) {
    unsigned index = static_cast<unsigned>(sender.selectedSegmentIndex());
    if (index < std::size(samples)) {
        if (sampleImageView)
            sampleImageView->setImage(services_.images.imageNamed(samples[index].picture));
        if (sampleInfoImageView)
            sampleInfoImageView->setImage(services_.images.imageNamed(samples[index].caption));
    }
    showSampleView();
}

void NocturoAppDelegate::showSampleView() {
    services_.application.setStatusBarHidden(true, true);
    flip(settingsView, sampleView, TransitionType::flipFromRight);
}

void NocturoAppDelegate::finishSample(void*) {
    flip(sampleView, settingsView, TransitionType::flipFromRight);
    services_.application.setStatusBarHidden(false, true);
}

// The status bar belongs to the settings screen only: if the user has already left it, the
// bar stays hidden over the light. The indicators flash either way.
void NocturoAppDelegate::flashScrollBar() {
    if (settingsView && containerView && settingsView->superview() == containerView)
        services_.application.setStatusBarHidden(false, true);
    if (settingsScrollView)
        settingsScrollView->flashScrollIndicators();
}

void NocturoAppDelegate::switchHelp(void*) {
    services_.application.openURL(helpAddress);
}

} // namespace nocturo
