#include "app/NocturoAppDelegate.h"

#include "exposure/PreviewPanel.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

namespace nocturo {

NocturoAppDelegate::NocturoAppDelegate(Services services)
    : services_(services), timedLight_(std::make_unique<TimedLight>(*this)),
      lightWriting_(std::make_unique<LightWriting>(*this, services.files)),
      exposurePreview_(std::make_unique<PreviewPanel>(*this)) {}

NocturoAppDelegate::~NocturoAppDelegate() {
    stopColorFantasyTimer();
    for (RunLoop::CallId id : pendingCalls_)
        services_.runLoop.cancel(id);
}

void NocturoAppDelegate::performAfterDelay(double delay, std::function<void()> call) {
    auto id = std::make_shared<RunLoop::CallId>(0);
    *id = services_.runLoop.performAfterDelay(delay, [this, id, call = std::move(call)] {
        pendingCalls_.erase(*id);
        call();
    });
    pendingCalls_.insert(*id);
}

void NocturoAppDelegate::applicationDidFinishLaunching(Application& application) {
    application.setStatusBarHidden(true, true);
    application.setStatusBarStyle(StatusBarStyle::BlackTranslucent, false);

    if (paintingView) {
        paintingView->initializeTouchView();
        paintingView->setTouchClearRect(frontControlView ? frontControlView->frame() : Rect{});
    }
    currentOffMode = 2;
    if (paintingView)
        paintingView->setCurrentOffMode(currentOffMode);

    if (containerView)
        containerView->addSubview(launchView);
    performAfterDelay(0.5, [this] { fadeOutLaunchView(); });

    if (settingsScrollView) {
        settingsScrollView->setCanCancelContentTouches(false);
        settingsScrollView->addSubview(settingScrollContentView);
        if (settingScrollContentView)
            settingsScrollView->setContentSize(settingScrollContentView->frame().size);
        settingsScrollView->setScrollEnabled(true);
    }

    for (Control* c :
         {static_cast<Control*>(spotColorSelector), static_cast<Control*>(lightModeSelector),
          static_cast<Control*>(offModeSelector), static_cast<Control*>(sampleSelector),
          static_cast<Control*>(stripSizeSelector), static_cast<Control*>(helpSelector)})
        if (c)
            c->setTintColor(Color::grey(0.4f));

    if (theMaskView) {
        initLightImageCenter = theMaskView->center();
        initLightImageFrame = theMaskView->frame();
    }
    inBlackMode = false;
    storedColor = Color::whiteColor();
    shouldAdjustSpotSize = true;

    getCurrentSpotSize();
    setSpotSize(0.0f);

    currentLightMode = 0;
    currentStripIndex = 0;
    rollingColorRed = 1.0f;
    rollingColorGreen = 0.0f;
    rollingColorBlue = 0.0f;

    loadUserSettings();

    if (window)
        window->makeKeyAndVisible();
}

void NocturoAppDelegate::fadeOutLaunchView() {
    if (containerView)
        containerView->replaceSubview(launchView, paintingView, TransitionType::fade, "", 0.8);
}

} // namespace nocturo
