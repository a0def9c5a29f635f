// The simulated run: launching the copy, playing its frames, and where the screen is when.

#include "exposure/ExposureSimulator.h"

#include "timed/TimedLight.h"
#include "writing/LightWriting.h"
#include "writing/WalkGuidance.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace nocturo {

namespace {
// The launch picture has faded by then, and the painting screen takes a run.
constexpr double settleTime = 1.5;
// Each frame is drawn just after its start, so that what is due at a frame's start shows in it.
constexpr double frameLead = 1e-7;
} // namespace

double ExposureSimulator::screenHeightOf(const NocturoAppDelegate& controller) {
    return controller.lightWriting().screenHeight();
}

ExposureSimulator::ExposureSimulator(const SettingsStore& settings, const std::string& resourceDir,
                                     Options options)
    : ownCache_(std::make_unique<ExposureCache>(resourceDir)), cache_(ownCache_.get()) {
    start(settings, options);
}

ExposureSimulator::ExposureSimulator(const SettingsStore& settings, ExposureCache& cache,
                                     Options options)
    : cache_(&cache) {
    start(settings, options);
}

void ExposureSimulator::start(const SettingsStore& settings, const Options& options) {
    ExposureCache& cache = *cache_;
    for (const auto& [key, value] : settings.dictionary())
        store_.setObject(key, value);
    for (const auto& [key, text] : settings.strings())
        store_.setString(key, text);
    if (options.files)
        if (auto picture = options.files->read(LightWriting::keptPictureName))
            files_.write(LightWriting::keptPictureName, *picture);
    app_ = std::make_unique<Nocturo>(store_, cache.resourceDir(), 0.0, &files_);
    app_->images().adopt(cache.images());
    app_->launch();
    cache.images().adopt(app_->images());
    cache.renderer().forgetWindow();
    if (!app_->window())
        throw std::runtime_error("the interface has no window");
    app_->controller().timedLight().setTonePlayer({});
    app_->runLoop().advanceTo(settleTime);
    beginRun(options);
}

void ExposureSimulator::restart(const Options& options) {
    TimedLight& timed = app_->controller().timedLight();
    if (timed.phase() == TimedLight::Phase::Countdown || timed.phase() == TimedLight::Phase::Light)
        timed.cancel();
    beginRun(options);
}

void ExposureSimulator::beginRun(const Options& options) {
    Window* window = app_->window();
    cache_->renderer().forgetWindow();
    const double screenHeight = std::isfinite(options.screenHeight) && options.screenHeight > 0.0
                                    ? options.screenHeight
                                    : WalkGuidance::typicalScreenHeight;
    // The copy writes with light on the same screen, at the refresh its frames are drawn at.
    app_->controller().lightWriting().setDisplay(screenHeight, screenRate);
    TimedLight& timed = app_->controller().timedLight();
    timed.startOrCancel();
    if (timed.phase() != TimedLight::Phase::Countdown && timed.phase() != TimedLight::Phase::Light)
        throw std::runtime_error("the simulated run did not start");
    runStart_ = app_->runLoop().now();
    lightStart_ = timed.delay();
    // With light writing on, the light is one pass of the picture.
    const LightWriting& writing = app_->controller().lightWriting();
    const double length = writing.isEnabled() ? writing.passLength() : timed.length();
    untilTouched_ = length <= 0.0;
    lightEnd_ = lightStart_ + (untilTouched_ ? untilTouchedLength : length);
    runLength_ =
        lightEnd_ +
        (std::isfinite(options.darkEnd) ? std::clamp(options.darkEnd, 0.0, 10.0) : darkEndLength);

    const double pace = std::isfinite(options.pace) ? std::clamp(options.pace, 0.0, 100.0) : 0.0;
    walk_ = options.path.empty() ? ExposureWalk::sideways(pace, runLength_)
                                 : ExposureWalk(options.path, pace);
    const double aspect = window->frame().width() / std::max(1.0f, window->frame().height());
    const ExposureWalk::Place low = walk_->minimum();
    const ExposureWalk::Place high = walk_->maximum();
    const double metresWide = high.x - low.x + screenHeight * aspect;
    const double metresHigh = high.y - low.y + screenHeight;
    pixelsPerMetre_ = std::isfinite(options.pixelsPerMetre) && options.pixelsPerMetre > 0.0
                          ? std::min(options.pixelsPerMetre, 1.0e5)
                          : 1000.0;
    pixelsPerMetre_ =
        std::min(pixelsPerMetre_, std::sqrt(maxPixels / std::max(1e-12, metresWide * metresHigh)));
    // One pixel of the width and height is kept for the screen's part pixel.
    if (options.fitWidth > 1)
        pixelsPerMetre_ = std::min(pixelsPerMetre_, (options.fitWidth - 1) / metresWide);
    if (options.fitHeight > 1)
        pixelsPerMetre_ = std::min(pixelsPerMetre_, (options.fitHeight - 1) / metresHigh);
    // The screen is drawn no smaller than a pixel across.
    pixelsPerMetre_ = std::max(pixelsPerMetre_, 1.0 / screenHeight);
    origin_ = low;
    scale_ = static_cast<float>(pixelsPerMetre_ * screenHeight /
                                std::max(1.0f, window->frame().height()));
    const double least = std::isfinite(options.leastDrawingScale)
                             ? std::clamp(options.leastDrawingScale, 0.0, 4.0)
                             : 1.0;
    oversample_ = std::clamp(static_cast<int>(std::ceil(least / scale_ - 1e-9)), 1, 64);
    const float drawingScale = scale_ * static_cast<float>(oversample_);
    frameWidth_ = (Renderer::pixelWidth(*window, drawingScale) + oversample_ - 1) / oversample_;
    frameHeight_ = (Renderer::pixelHeight(*window, drawingScale) + oversample_ - 1) / oversample_;
    frameRate_ = screenRate;
    if (options.pixelsPerFrame > 0.0 && std::isfinite(options.pixelsPerFrame))
        frameRate_ = std::clamp(pace * pixelsPerMetre_ / options.pixelsPerFrame, leastPreviewRate,
                                screenRate);
    frames_ = static_cast<int>(std::ceil(runLength_ * frameRate_ - 1e-6));
    nextFrame_ = 0;
    framesDrawn_ = 0;
    touched_ = false;
    shown_ = LinearFrame();
    shownSince_ = 0.0;
    light_ = std::make_unique<LightSum>(
        static_cast<int>(std::ceil((high.x - low.x) * pixelsPerMetre_)) + frameWidth_,
        static_cast<int>(std::ceil((high.y - low.y) * pixelsPerMetre_)) + frameHeight_);
}

ExposureSimulator::~ExposureSimulator() {
    app_.reset();
    if (cache_)
        cache_->renderer().forgetWindow();
}

ExposureWalk::Place ExposureSimulator::screenCorner(double seconds) const {
    ExposureWalk::Place p = walk_->at(seconds);
    return {(p.x - origin_.x) * pixelsPerMetre_, (p.y - origin_.y) * pixelsPerMetre_};
}

bool ExposureSimulator::advance(int frames) {
    Window& window = *app_->window();
    for (int n = 0; n < frames && nextFrame_ < frames_; ++n, ++nextFrame_) {
        const double start = nextFrame_ / frameRate_;
        // "Until touched" ends with a touch that comes and goes between two frames.
        if (untilTouched_ && !touched_ && start >= lightEnd_ - frameLead) {
            touched_ = true;
            const Rect f = window.frame();
            const Point middle{f.width() / 2.0f, f.height() / 2.0f};
            window.touchDown(1, middle);
            window.touchUp(1, middle);
        }
        app_->runLoop().advanceTo(runStart_ + start + frameLead);
        if (cache_->renderer().render(window, app_->application(), app_->runLoop().now(),
                                      scale_ * static_cast<float>(oversample_), frame_)) {
            ++framesDrawn_;
            addPending(start);
            shown_ = LinearFrame(frame_, oversample_);
        }
    }
    if (isDone())
        addPending(runLength_);
    return isDone();
}

void ExposureSimulator::finish() {
    while (!advance(600)) {
    }
}

// The frame shown since shownSince_ is added up to `until`, one straight stretch of the walk at a
// time.
void ExposureSimulator::addPending(double until) {
    double from = shownSince_;
    shownSince_ = until;
    if (shown_.isDark() || !(until > from))
        return;
    std::vector<double> cuts = walk_->turnsBetween(from, until);
    cuts.push_back(until);
    for (double to : cuts) {
        const ExposureWalk::Place a = screenCorner(from);
        const ExposureWalk::Place b = screenCorner(to);
        light_->addSweep(shown_, a.x, a.y, b.x, b.y, to - from);
        from = to;
    }
}

} // namespace nocturo
