#pragma once

#include "frontends/desktop/BrowserLauncher.h"
#include "frontends/desktop/DesktopWindow.h"
#include "frontends/desktop/LineEditor.h"
#include "frontends/desktop/LiveApp.h"
#include "frontends/desktop/Options.h"
#include "frontends/desktop/ToneSpeaker.h"
#include "frontends/desktop/TouchRouter.h"
#include "platform/Application.h"
#include "platform/render/Renderer.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

union SDL_Event;

namespace nocturo {

// What a run measured, for --stats.
struct RunFigures {
    double firstFrameAfterStart = -1.0; // seconds from the start of the process
    double firstFrameWallClock = 0.0;   // seconds since 1970, when it was shown
    double launchTime = 0.0;            // on the run's clock
    double endTime = 0.0;
    std::uint64_t framesPresented = 0;
    double firstDrawSeconds = 0.0; // how long drawing a frame kept the clock thread waiting
    double longestDrawSeconds = 0.0;
    std::uint64_t colourSteps = 0;
    double processorSeconds = 0.0;
    std::string renderer;
    bool presentsInStep = false;
    float scale = 0.0f;

    void print(std::ostream& out) const;
};

// The desktop front end: one window showing Nocturo, the mouse and touch screens as fingers,
// the run loop on the real clock, picture files named or dropped and the keyboard's text for
// light writing. SDL's video must be initialised. Throws std::runtime_error when the picture of
// --picture cannot be used.
class DesktopFrontend {
public:
    // `files` keeps the user's picture; without it, for the life of the run.
    DesktopFrontend(const Options& options, SettingsStore& store,
                    LiveApp::Clock::time_point processStart, KeptFiles* files = nullptr);
    ~DesktopFrontend();
    DesktopFrontend(const DesktopFrontend&) = delete;
    DesktopFrontend& operator=(const DesktopFrontend&) = delete;

    // Runs until the window is closed or Ctrl+Q; returns the exit status.
    int run();
    const RunFigures& figures() const { return figures_; }

private:
    void handle(const SDL_Event& event);
    void handleKey(const SDL_Event& event);
    void handleWindowEvent(const SDL_Event& event);
    // Keys while the line of text is edited; false for a key the editing leaves alone.
    bool handleEditingKey(const SDL_Event& event);
    void typed(const char* text);
    void endEditing();
    // The picture file at `path` goes to the application; its message, when refused, to stderr.
    void dropFile(const char* path);
    void answerRequests();
    // With the lock held: tells the application the display's height and refresh rate.
    void tellDisplay();
    void draw();
    double wakeTime(double now) const;
    void openPendingAddresses();

    Options options_;
    // Before the application, so that it outlives every tone the clock thread plays.
    ToneSpeaker speaker_;
    LiveApp live_;
    std::unique_ptr<DesktopWindow> window_;
    Renderer renderer_;
    Framebuffer frame_;
    Viewport viewport_;
    TouchRouter touches_;
    BrowserLauncher browser_;
    std::vector<std::string> pendingAddresses_; // guarded by the application's lock
    struct PendingRequest {
        Application::Request what;
        std::string text;
    };
    std::vector<PendingRequest> pendingRequests_; // guarded by the application's lock
    LineEditor editor_;

    std::uint32_t wakeEvent_ = 0;
    std::atomic<bool> wakePosted_{false};
    bool running_ = false;
    bool animating_ = false;
    bool exposed_ = false;
    bool statusBarShown_ = false;
    double nextChange_ = 0.0;
    double lastPresent_ = -1.0;
    double refreshInterval_ = 1.0 / 60.0;
    double lastMouseMotion_ = 0.0;
    bool cursorShown_ = true;
    double quitAt_ = 0.0;
    RunFigures figures_;
};

} // namespace nocturo
