#pragma once

#include "motion/AccelController.h"
#include "platform/Application.h"
#include "platform/Control.h"
#include "platform/ImageView.h"
#include "platform/InterfaceLoader.h"
#include "platform/KeptFiles.h"
#include "platform/RunLoop.h"
#include "platform/ScrollView.h"
#include "platform/SettingsStore.h"
#include "views/MyTouchView.h"
#include "views/TransitionView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace nocturo {

class LightWriting;
class TimedLight;
class PreviewPanel;

// What the controller works with besides its views: the application object, the run loop,
// the settings store and the pictures.
struct Services {
    Application& application;
    RunLoop& runLoop;
    SettingsStore& store;
    ImageLibrary& images;
    // What the application keeps for its user beside the settings (the user's picture); none
    // keeps it for the controller's life.
    KeptFiles* files = nullptr;
};

// The settings keys.
namespace SettingsKey {
inline const std::string cyclicFrequency = "cyclicFrequency";
inline const std::string colorIndex = "colorIndex";
inline const std::string spotWidth = "spotWidth";
inline const std::string lightMode = "lightMode";
inline const std::string lightOffMode = "lightOffMode";
inline const std::string adjustSpotSize = "adjustSpotSize";
inline const std::string hideStrip = "hideStrip";
inline const std::string stripIndex = "stripIndex";
inline const std::string timedLightDelay = "timedLightDelay";
inline const std::string timedLightLength = "timedLightLength";
inline const std::string timedLightSound = "timedLightSound";
inline const std::string writingEnabled = "writingEnabled";
inline const std::string writingSource = "writingSource";
inline const std::string writingText = "writingText";
inline const std::string writingPicture = "writingPicture";
inline const std::string writingPassLength = "writingPassLength";
inline const std::string writingBandWidth = "writingBandWidth";
inline const std::string writingMirrored = "writingMirrored";
inline const std::string writingScreenHeight = "writingScreenHeight";
inline const std::string previewPace = "previewPace";
inline const std::string previewStops = "previewStops";
} // namespace SettingsKey

// The address of the help page.
inline const std::string helpAddress =
    "http://nocturo.example.org/iPhoneApps/Nocturo/Tips_and_Tricks.html";

// The one controller: it holds every view and control of the three screens and all state of
// the light. Its operations live beside the part of the system they belong to:
//   app/       launch, settings, screen navigation
//   light/     colour and light-off, light modes, colour cycle, spot size, dot strip
class NocturoAppDelegate : public ApplicationDelegate,
                           public TransitionViewDelegate,
                           public PaintingTouchTarget,
                           public AccelerationReceiver,
                           public InterfaceOwner {
public:
    explicit NocturoAppDelegate(Services services);
    ~NocturoAppDelegate() override;
    NocturoAppDelegate(const NocturoAppDelegate&) = delete;
    NocturoAppDelegate& operator=(const NocturoAppDelegate&) = delete;

    // -- launch (app/NocturoAppDelegate.cpp)
    void applicationDidFinishLaunching(Application& application) override;
    void fadeOutLaunchView();
    Window* getWindow() const { return window; }
    void setWindow(Window* w) { window = w; }

    // -- settings (app/Settings.cpp)
    void loadUserSettings();

    // -- colour and light-off (light/SpotColor.cpp)
    void setColorByIndex(int index);
    void switchColor(SegmentedControl& sender);
    void setSpotColorYellow(void* sender);
    void setSpotColorRed(void* sender);
    void setSpotColorGreen(void* sender);
    void setSpotColorBlue(void* sender);
    void setSpotColorPink(void* sender);
    void setSpotColorWhite(void* sender);
    void setSpotColorBlack(void* sender) override;
    void restoreColor() override;
    void refleshSpotAppearance();
    void switchOffMode(SegmentedControl& sender);

    // -- light modes (light/LightMode.cpp)
    void setLightModeByIndex(int index);
    void switchLightMode(SegmentedControl& sender);
    void setSpotView();
    void setRainbowView();

    // -- colour cycle (light/ColorCycle.cpp)
    void startColorFantasyTimer();
    void stopColorFantasyTimer();
    void colorFantasyFunc();
    void cyclicFreqChanging(Slider& sender);

    // -- spot size (light/SpotSize.cpp)
    void getCurrentSpotSize() override;
    void setSpotSize(float delta) override;
    void setSpotSizeByWidth(float width);
    void saveSpotWidth() override;
    void setLockSpotSize(Switch& sender);
    void toggleLockSpotSize(bool flag);

    // -- dot strip (light/Strip.cpp)
    void switchStripSize(SegmentedControl& sender);
    void setEnableStrip(Switch& sender);
    void setStripOff(int value);
    void setStripSizeByIndex(int index);

    // -- screen navigation (app/Navigation.cpp)
    void goToSettings(void* sender);
    void finishSettings(void* sender);
    void switchSample(SegmentedControl& sender);
    void finishSample(void* sender);
    void switchHelp(void* sender);
    void showSampleView();
    void flashScrollBar();

    // -- motion: the filtered acceleration has no effect.
    void accelXYZ(float, float, float) override {}

    // -- the interface file's connections (app/Outlets.cpp)
    std::string bindField(const std::string& field, Object* object) override;
    std::string bindAction(const std::string& selector, Control& control) override;
    void awake(Object& object) override;

    // Fields, in their order.
    Window* window = nullptr;
    TransitionView* containerView = nullptr;
    MyTouchView* paintingView = nullptr;
    View* settingsView = nullptr;
    ImageView* theMaskView = nullptr;
    ImageView* imageContainerView = nullptr;
    ImageView* theRainbowView = nullptr;
    View* frontControlView = nullptr;
    AccelController* myAccelController = nullptr;
    SegmentedControl* lightModeSelector = nullptr;
    SegmentedControl* offModeSelector = nullptr;
    SegmentedControl* spotColorSelector = nullptr;
    SegmentedControl* stripSizeSelector = nullptr;
    Switch* stripOnOffSwitch = nullptr;
    Switch* adjustSizeSwitch = nullptr;
    SegmentedControl* sampleSelector = nullptr;
    View* sampleView = nullptr;
    ImageView* sampleInfoImageView = nullptr;
    ImageView* sampleImageView = nullptr;
    Point initLightImageCenter;
    Rect initLightImageFrame;
    Rect storedLightImageFrame;
    Point storedLightImageCenter;
    Rect storedImgContainerFrame;
    Point storedImgContainerCenter;
    Color storedColor;
    std::int32_t currentLightMode = 0;
    bool shouldAdjustSpotSize = false;
    std::int32_t currentOffMode = 0;
    std::int32_t currentColorIndex = 0;
    std::shared_ptr<Timer> colorFantasyTimer;
    double colorFantasyTimeInterval = 0.0;
    float rollingColorRed = 0.0f;
    float rollingColorGreen = 0.0f;
    float rollingColorBlue = 0.0f;
    bool inBlackMode = false;
    ImageView* stripImageView = nullptr;
    std::int32_t currentStripIndex = 0;
    std::int32_t shouldHideStrip = 0;
    ScrollView* settingsScrollView = nullptr;
    View* settingScrollContentView = nullptr;
    Slider* cyclicFreqSlider = nullptr;
    float cyclicFreq = 0.0f;
    SegmentedControl* helpSelector = nullptr;
    View* launchView = nullptr;

    const Services& services() const { return services_; }
    // The countdown and timed light, which drives the light through the operations above.
    TimedLight& timedLight() { return *timedLight_; }
    const TimedLight& timedLight() const { return *timedLight_; }
    // Light writing, which plays its passes as the timed light's light.
    LightWriting& lightWriting() { return *lightWriting_; }
    const LightWriting& lightWriting() const { return *lightWriting_; }
    // The settings screen's preview of the photograph a timed run would leave.
    PreviewPanel& exposurePreview() { return *exposurePreview_; }
    const PreviewPanel& exposurePreview() const { return *exposurePreview_; }

private:
    void showStripLook(bool shown);
    void flip(View* leaving, View* entering, const std::string& transition);

    // A delayed call on the main run loop; cancelled if the controller goes first.
    void performAfterDelay(double delay, std::function<void()> call);

    Services services_;
    std::set<RunLoop::CallId> pendingCalls_;
    std::unique_ptr<TimedLight> timedLight_;
    std::unique_ptr<LightWriting> lightWriting_;
    std::unique_ptr<PreviewPanel> exposurePreview_;
};

} // namespace nocturo
