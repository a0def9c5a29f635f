#include "frontends/desktop/LiveApp.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

LiveApp::LiveApp(SettingsStore& store, std::string resourceDir, Clock::time_point origin,
                 KeptFiles* files)
    : origin_(origin), app_(store, std::move(resourceDir), clockNow(), files) {}

LiveApp::~LiveApp() {
    stop();
}

double LiveApp::clockNow() const {
    return std::chrono::duration<double>(Clock::now() - origin_).count();
}

LiveApp::Clock::time_point LiveApp::timePointOf(double seconds) const {
    // A day ahead is as good as never: the thread looks again then.
    seconds = std::clamp(seconds, 0.0, clockNow() + 86400.0);
    return origin_ +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void LiveApp::launch() {
    auto guard = lock();
    app_.runLoop().step(std::max(clockNow(), app_.runLoop().now()));
    launchTime_ = app_.runLoop().now();
    app_.launch();
}

double LiveApp::catchUp() {
    const NocturoAppDelegate& c = app_.controller();
    float red = c.rollingColorRed, green = c.rollingColorGreen, blue = c.rollingColorBlue;
    // Read under the lock, so that the two threads' times come in order.
    double next = app_.runLoop().step(std::max(clockNow(), app_.runLoop().now()));
    if (c.rollingColorRed != red || c.rollingColorGreen != green || c.rollingColorBlue != blue)
        ++colourSteps_;
    return next;
}

void LiveApp::start(std::function<void()> screenChanged) {
    if (thread_.joinable())
        return;
    {
        auto guard = lock();
        stopping_ = false;
        screenChanged_ = std::move(screenChanged);
    }
    thread_ = std::thread([this] { run(); });
}

void LiveApp::stop() {
    {
        auto guard = lock();
        stopping_ = true;
    }
    woken_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void LiveApp::wake() {
    {
        auto guard = lock();
        wakeRequested_ = true;
    }
    woken_.notify_all();
}

void LiveApp::run() {
    auto guard = lock();
    while (!stopping_) {
        wakeRequested_ = false;
        double next = catchUp();
        Window* window = app_.window();
        if (window && window->needsDisplay() && screenChanged_) {
            guard.unlock();
            screenChanged_();
            guard.lock();
            if (stopping_)
                break;
        }
        if (wakeRequested_)
            continue;
        auto ready = [this] { return stopping_ || wakeRequested_; };
        if (std::isinf(next))
            woken_.wait(guard, ready);
        else
            woken_.wait_until(guard, timePointOf(next), ready);
    }
}

} // namespace nocturo
