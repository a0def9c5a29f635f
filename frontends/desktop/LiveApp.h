#pragma once

#include "app/Nocturo.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace nocturo {

// Nocturo on the real clock. Two threads share the application: the window thread delivers
// events and draws; the clock thread sleeps until the run loop's next item is due and delivers
// it, so that timers keep their time while the window thread waits for the display. Whoever
// touches the application holds the lock, and brings the run loop up to the present first, so
// that what an event schedules is timed from now.
class LiveApp {
public:
    using Clock = std::chrono::steady_clock;

    // Times are seconds since `origin` on the steady clock. `files` keeps what the user makes
    // beside the settings; without it, for the life of the application.
    LiveApp(SettingsStore& store, std::string resourceDir, Clock::time_point origin,
            KeptFiles* files = nullptr);
    ~LiveApp();
    LiveApp(const LiveApp&) = delete;
    LiveApp& operator=(const LiveApp&) = delete;

    // Loads the interface and launches; throws InterfaceError when the interface file is bad.
    void launch();
    double launchTime() const { return launchTime_; }

    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }
    // With the lock held: delivers what is due by now and returns the run loop's time.
    double catchUp();
    Nocturo& app() { return app_; }

    // Seconds since the origin, now.
    double clockNow() const;
    Clock::time_point timePointOf(double seconds) const;

    // Starts the clock thread. `screenChanged` is called from it, without the lock, after a
    // delivery that changed what the screen shows.
    void start(std::function<void()> screenChanged);
    // Stops and joins the clock thread.
    void stop();
    // Tells the clock thread that something may now be due sooner (after an event).
    void wake();

    // Steps the colour cycle has taken, one a tick of its timer.
    std::uint64_t colourSteps() const { return colourSteps_; }

private:
    void run();

    Clock::time_point origin_;
    Nocturo app_;
    double launchTime_ = 0.0;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool stopping_ = false;
    bool wakeRequested_ = false;
    std::function<void()> screenChanged_;
    std::thread thread_;
    std::uint64_t colourSteps_ = 0;
};

} // namespace nocturo
