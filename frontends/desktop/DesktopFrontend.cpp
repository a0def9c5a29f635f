// The desktop front end's loop, in the order of one turn:
//   [wait]    sleep until an event, the clock thread's word that the screen changed, or the
//             next moment the frame goes stale by itself
//   [events]  the mouse and fingers become touches, keys switch full screen or quit, typed
//             text edits the line of light writing, a dropped file is the picture to write with
//   [asks]    what the application asked for while the events ran: the keyboard's text
//   [draw]    a changed frame is drawn and presented in step with the display

#include "frontends/desktop/DesktopFrontend.h"

#include "frontends/desktop/PictureFile.h"
#include "timed/TimedLight.h"
#include "writing/WalkGuidance.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <sys/resource.h>

namespace nocturo {

namespace {
constexpr double infinity = std::numeric_limits<double>::infinity();
// The longest sleep: the window system's screen saver is held off only while events are
// pumped, which SDL does at most every 30 seconds.
constexpr double longestSleep = 20.0;
// The pointer hides after this long without moving, so that only the light shines.
constexpr double cursorHideDelay = 2.0;

double processorSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0.0;
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wallClockNow() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string localClockText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[8] = "";
    if (localtime_r(&now, &local))
        std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

float initialScale(const Options& options) {
    if (options.scale)
        return *options.scale;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0)
        return 1.0f;
    return Viewport::fittingScale({320.0f, 480.0f}, usable.w, usable.h);
}
} // namespace

void RunFigures::print(std::ostream& out) const {
    double ran = endTime - launchTime;
    out << std::fixed << std::setprecision(1);
    out << "nocturo: first frame " << firstFrameAfterStart * 1000.0
        << " ms after the start of the process (shown at " << std::setprecision(6)
        << firstFrameWallClock << " s since 1970)\n";
    out << std::setprecision(3);
    out << "nocturo: ran " << ran << " s after launch; " << framesPresented << " frames presented; "
        << colourSteps << " colour-cycle steps\n";
    out << "nocturo: drawing held the application " << firstDrawSeconds * 1000.0
        << " ms for the first frame, at most " << longestDrawSeconds * 1000.0
        << " ms for another\n";
    out << "nocturo: processor time " << processorSeconds << " s (" << std::setprecision(2)
        << (endTime > 0.0 ? 100.0 * processorSeconds / endTime : 0.0)
        << " % of one core since the start)\n";
    out << "nocturo: renderer " << renderer
        << (presentsInStep ? ", which reports vsync" : ", without vsync") << ", scale " << scale
        << "\n";
}

DesktopFrontend::DesktopFrontend(const Options& options, SettingsStore& store,
                                 LiveApp::Clock::time_point processStart, KeptFiles* files)
    : options_(options), live_(store, options.resourceDir, processStart, files),
      renderer_(live_.app().images()),
      browser_(SDL_getenv("BROWSER") ? SDL_getenv("BROWSER") : "") {
    // A file that cannot be read is refused before any window shows.
    PictureFile picture;
    if (!options.pictureFile.empty()) {
        picture = PictureFile::read(options.pictureFile);
        if (!picture.ok())
            throw std::runtime_error(picture.error);
    }
    float scale = initialScale(options);
    window_ =
        std::make_unique<DesktopWindow>("Nocturo", Viewport::windowExtent(320.0f, scale),
                                        Viewport::windowExtent(480.0f, scale), options.fullscreen);
    refreshInterval_ = window_->refreshInterval();
    touches_.setBarsTouchTheEdge(true);
    // The photographer's screen must not dim or lock in the middle of an exposure.
    SDL_DisableScreenSaver();
    wakeEvent_ = SDL_RegisterEvents(1);
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    // The keyboard's text, and any input method with it, only while the line is edited.
    SDL_StopTextInput();

    // Runs under the application's lock, on whichever thread made the application open it.
    live_.app().application().setURLHandler([this](const std::string& url) {
        pendingAddresses_.push_back(
            BrowserLauncher::shippedPage(url, options_.resourceDir + "/help"));
    });
    live_.app().application().setRequestHandler(
        [this](Application::Request what, const std::string& text) {
            pendingRequests_.push_back({what, text});
        });
    live_.launch();
    live_.app().controller().timedLight().setTonePlayer(
        [this](ToneKind kind) { speaker_.play(kind); });
    if (Window* w = live_.app().window())
        viewport_ = window_->viewport(w->frame().size);
    {
        auto guard = live_.lock();
        tellDisplay();
        if (!options.pictureFile.empty()) {
            std::string message = live_.app().choosePicture(picture.bytes);
            if (!message.empty())
                throw std::runtime_error("cannot write with the picture " + options.pictureFile +
                                         ": " + message);
        }
    }
    figures_.launchTime = live_.launchTime();
    figures_.renderer = window_->rendererName();
    figures_.presentsInStep = window_->presentsInStep();
}

DesktopFrontend::~DesktopFrontend() {
    live_.stop();
}

int DesktopFrontend::run() {
    live_.start([this] {
        if (wakePosted_.exchange(true) || wakeEvent_ == static_cast<std::uint32_t>(-1))
            return;
        SDL_Event event{};
        event.type = wakeEvent_;
        SDL_PushEvent(&event);
    });
    quitAt_ = options_.quitAfter ? live_.launchTime() + *options_.quitAfter : infinity;
    lastMouseMotion_ = live_.clockNow();
    running_ = true;
    draw();
    while (running_) {
        double now = live_.clockNow();
        if (now >= quitAt_)
            break;
        double until = wakeTime(now);
        SDL_Event event;
        bool got = false;
        if (until <= now) {
            got = SDL_PollEvent(&event) != 0;
        } else {
            double ms = std::ceil((std::min(until, now + longestSleep) - now) * 1000.0);
            got = SDL_WaitEventTimeout(&event, static_cast<int>(std::max(1.0, ms))) != 0;
        }
        if (got) {
            handle(event);
            while (running_ && SDL_PollEvent(&event))
                handle(event);
        }
        openPendingAddresses();
        answerRequests();
        browser_.reap();
        if (cursorShown_ && live_.clockNow() - lastMouseMotion_ >= cursorHideDelay) {
            cursorShown_ = false;
            window_->setCursorVisible(false);
        }
        if (running_)
            draw();
    }
    live_.stop();
    figures_.endTime = live_.clockNow();
    figures_.colourSteps = live_.colourSteps();
    figures_.processorSeconds = processorSeconds();
    figures_.scale = viewport_.scale();
    return 0;
}

// [wait] ---------------------------------------------------------------------------------------

double DesktopFrontend::wakeTime(double now) const {
    if (exposed_)
        return now;
    double t = infinity;
    if (animating_)
        // Not sooner than three quarters of a refresh after the last presentation began: a
        // display that waits for its refresh keeps its own pace, and one that says it does but
        // does not is held near it.
        t = lastPresent_ + 0.75 * refreshInterval_;
    else
        t = nextChange_;
    if (cursorShown_)
        t = std::min(t, lastMouseMotion_ + cursorHideDelay);
    if (statusBarShown_) {
        // The status bar's clock turns at the minute of the wall clock.
        std::time_t wall = std::time(nullptr);
        t = std::min(t, now + static_cast<double>(60 - wall % 60) + 0.05);
    }
    return std::min(t, quitAt_);
}

// [events] -------------------------------------------------------------------------------------

void DesktopFrontend::handle(const SDL_Event& event) {
    auto deliver = [this](auto&& action) {
        {
            auto guard = live_.lock();
            live_.catchUp();
            if (Window* w = live_.app().window())
                action(*w);
        }
        live_.wake();
    };
    auto pointerMoved = [this] {
        lastMouseMotion_ = live_.clockNow();
        if (!cursorShown_) {
            cursorShown_ = true;
            window_->setCursorVisible(true);
        }
    };

    switch (event.type) {
    case SDL_QUIT:
        running_ = false;
        break;
    case SDL_KEYDOWN:
        if (!editor_.isEditing() || !handleEditingKey(event))
            handleKey(event);
        break;
    case SDL_TEXTINPUT:
        typed(event.text.text);
        break;
    case SDL_DROPFILE:
        if (event.drop.file) {
            dropFile(event.drop.file);
            SDL_free(event.drop.file);
        }
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        // Touch screens speak for themselves below; SDL's mouse copy of a finger is not a mouse.
        if (event.button.which == SDL_TOUCH_MOUSEID || event.button.button != SDL_BUTTON_LEFT)
            break;
        pointerMoved();
        float x = static_cast<float>(event.button.x), y = static_cast<float>(event.button.y);
        if (event.type == SDL_MOUSEBUTTONDOWN)
            deliver([&](Window& w) { touches_.mouseDown(w, viewport_, x, y); });
        else
            deliver([&](Window& w) { touches_.mouseUp(w, viewport_, x, y); });
        break;
    }
    case SDL_MOUSEMOTION:
        if (event.motion.which == SDL_TOUCH_MOUSEID)
            break;
        pointerMoved();
        if (touches_.isMouseDown()) {
            float x = static_cast<float>(event.motion.x), y = static_cast<float>(event.motion.y);
            deliver([&](Window& w) { touches_.mouseMove(w, viewport_, x, y); });
        }
        break;
    case SDL_MOUSEWHEEL: {
        if (event.wheel.which == SDL_TOUCH_MOUSEID)
            break;
        // A notch of the wheel scrolls as far as a short drag.
        constexpr float pointsPerNotch = 40.0f;
        float notches = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        float x = static_cast<float>(event.wheel.mouseX);
        float y = static_cast<float>(event.wheel.mouseY);
        deliver([&](Window& w) { touches_.scroll(w, viewport_, x, y, -notches * pointsPerNotch); });
        break;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        const SDL_TouchFingerEvent& f = event.tfinger;
        if (f.windowID != 0 && f.windowID != window_->id())
            break;
        deliver([&](Window& w) {
            if (event.type == SDL_FINGERDOWN)
                touches_.fingerDown(w, viewport_, f.touchId, f.fingerId, f.x, f.y);
            else if (event.type == SDL_FINGERMOTION)
                touches_.fingerMove(w, viewport_, f.touchId, f.fingerId, f.x, f.y);
            else
                touches_.fingerUp(w, viewport_, f.touchId, f.fingerId, f.x, f.y);
        });
        break;
    }
    default:
        break; // the clock thread's wake-up needs nothing but the drawing that follows
    }
}

void DesktopFrontend::handleKey(const SDL_Event& event) {
    const SDL_KeyboardEvent& key = event.key;
    if (key.repeat)
        return;
    bool command = (key.keysym.mod & (KMOD_CTRL | KMOD_GUI)) != 0;
    switch (key.keysym.sym) {
    case SDLK_F11:
        window_->setFullscreen(!window_->isFullscreen());
        break;
    case SDLK_ESCAPE:
        window_->setFullscreen(false);
        break;
    case SDLK_q:
        if (command)
            running_ = false;
        break;
    case SDLK_SPACE:
    case SDLK_RETURN:
    case SDLK_KP_ENTER: {
        // A camera remote paired as a keyboard sends these too.
        Key pressed = key.keysym.sym == SDLK_SPACE ? Key::Space : Key::Enter;
        {
            auto guard = live_.lock();
            live_.catchUp();
            live_.app().pressKey(pressed);
        }
        live_.wake();
        break;
    }
    default:
        break;
    }
}

void DesktopFrontend::handleWindowEvent(const SDL_Event& event) {
    switch (event.window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: {
        auto guard = live_.lock();
        if (Window* w = live_.app().window())
            viewport_ = window_->viewport(w->frame().size);
        refreshInterval_ = window_->refreshInterval();
        tellDisplay();
        exposed_ = true;
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        exposed_ = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED: {
        // The system took the screen away: the fingers on it are cancelled, as on a phone.
        {
            auto guard = live_.lock();
            live_.catchUp();
            if (Window* w = live_.app().window())
                touches_.cancelAll(*w);
        }
        live_.wake();
        break;
    }
    default:
        break;
    }
}

bool DesktopFrontend::handleEditingKey(const SDL_Event& event) {
    const SDL_KeyboardEvent& key = event.key;
    switch (key.keysym.sym) {
    case SDLK_BACKSPACE:
        typed(nullptr);
        return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_ESCAPE:
        if (!key.repeat)
            endEditing();
        return true;
    case SDLK_SPACE:
        return true; // its space comes as text; it starts no timed light while the line is edited
    default:
        return false;
    }
}

// Each change goes to the application as the whole line, so that the settings show the line as
// it is typed and keep it even when the window closes before the editing ends. Null: Backspace.
void DesktopFrontend::typed(const char* text) {
    if (!editor_.isEditing())
        return;
    if (text ? !editor_.insert(text) : !editor_.backspace())
        return;
    {
        auto guard = live_.lock();
        live_.catchUp();
        live_.app().typeText(editor_.text());
    }
    live_.wake();
}

void DesktopFrontend::endEditing() {
    editor_.end();
    SDL_StopTextInput();
}

void DesktopFrontend::dropFile(const char* path) {
    PictureFile file = PictureFile::read(path);
    if (!file.ok()) {
        std::cerr << "nocturo: " << file.error << "\n";
        return;
    }
    std::string message;
    {
        auto guard = live_.lock();
        live_.catchUp();
        message = live_.app().choosePicture(file.bytes);
    }
    live_.wake();
    if (!message.empty())
        std::cerr << "nocturo: cannot write with the picture " << path << ": " << message << "\n";
}

// [asks] ---------------------------------------------------------------------------------------

void DesktopFrontend::answerRequests() {
    std::vector<PendingRequest> requests;
    {
        auto guard = live_.lock();
        requests.swap(pendingRequests_);
    }
    for (const PendingRequest& request : requests) {
        if (request.what == Application::Request::TextEntry) {
            editor_.begin(request.text);
            SDL_StartTextInput();
        } else {
            // SDL has no file chooser of its own: the window takes a dropped file instead.
            std::cerr << "nocturo: to choose the picture, drop a PNG or JPEG file on the window "
                         "or start with --picture FILE\n";
        }
    }
}

void DesktopFrontend::tellDisplay() {
    double dpi = window_->verticalDpi();
    double height = dpi > 0.0 && !viewport_.isEmpty()
                        ? WalkGuidance::screenHeightFromDpi(viewport_.frameHeight(), dpi)
                        : 0.0;
    live_.app().setDisplay(height, 1.0 / refreshInterval_);
}

void DesktopFrontend::openPendingAddresses() {
    std::vector<std::string> addresses;
    {
        auto guard = live_.lock();
        addresses.swap(pendingAddresses_);
    }
    for (const std::string& url : addresses) {
        std::string error;
        if (!browser_.open(url, &error))
            std::cerr << "nocturo: " << error << "\n";
    }
}

// [draw] ---------------------------------------------------------------------------------------

void DesktopFrontend::draw() {
    if (viewport_.isEmpty())
        return;
    // A change after this point needs a new word from the clock thread.
    wakePosted_.store(false);
    bool drew = false;
    double time = 0.0;
    {
        auto guard = live_.lock();
        live_.catchUp();
        Window* w = live_.app().window();
        if (!w)
            return;
        time = live_.app().runLoop().now();
        renderer_.setClockText(localClockText());
        drew = renderer_.render(*w, live_.app().application(), time, viewport_.scale(), frame_);
        nextChange_ = renderer_.nextChangeTime();
        statusBarShown_ = !live_.app().application().isStatusBarHidden();
        if (drew) {
            double held = live_.clockNow() - time;
            if (figures_.framesPresented == 0)
                figures_.firstDrawSeconds = held;
            else
                figures_.longestDrawSeconds = std::max(figures_.longestDrawSeconds, held);
        }
    }
    animating_ = drew && nextChange_ <= time;
    if (drew) {
        lastPresent_ = live_.clockNow();
        window_->present(frame_, viewport_);
        if (figures_.framesPresented++ == 0) {
            figures_.firstFrameAfterStart = live_.clockNow();
            figures_.firstFrameWallClock = wallClockNow();
        }
    } else if (exposed_) {
        window_->presentAgain(viewport_);
    }
    exposed_ = false;
}

} // namespace nocturo
