#include "frontends/web/WebApp.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace nocturo {

WebApp::WebApp(SettingsStore& store, std::string resourceDir, double now, URLOpener openSitePage,
               KeptFiles* files)
    : app_(store, std::move(resourceDir), now, files), renderer_(app_.images()),
      openSitePage_(std::move(openSitePage)) {
    // The help page and any other address of the application's own site are pages of this
    // site, wherever it is served from.
    app_.application().setURLHandler([this](const std::string& url) {
        std::string path = pathOf(url);
        if (!path.empty() && openSitePage_)
            openSitePage_(path);
    });
}

WebApp::~WebApp() = default;

bool WebApp::launch() {
    try {
        app_.launch();
    } catch (const std::exception& e) {
        error_ = e.what();
        return false;
    }
    if (!app_.window()) {
        error_ = "the interface has no window";
        return false;
    }
    return true;
}

double WebApp::step(double now) {
    if (!app_.isLaunched())
        return INFINITY;
    return app_.runLoop().step(clampedTime(now));
}

void WebApp::key(Key key, double now) {
    step(now);
    app_.pressKey(key);
}

void WebApp::touch(TouchKind kind, int id, float x, float y, double now) {
    Window* window = app_.window();
    if (!window || !std::isfinite(x) || !std::isfinite(y))
        return;
    step(now);
    Point point{x, y};
    switch (kind) {
    case TouchKind::Down:
        // A finger that went down twice without lifting starts again.
        if (window->hasTouch(id))
            window->touchCancel(id);
        window->touchDown(id, point);
        break;
    case TouchKind::Move:
        if (window->hasTouch(id))
            window->touchMove(id, point);
        break;
    case TouchKind::Up:
        if (window->hasTouch(id))
            window->touchUp(id, point);
        break;
    case TouchKind::Cancel:
        if (window->hasTouch(id))
            window->touchCancel(id);
        break;
    }
}

void WebApp::cancelTouches(double now) {
    if (Window* window = app_.window()) {
        step(now);
        window->cancelAllTouches();
    }
}

bool WebApp::render(double now, float scale) {
    Window* window = app_.window();
    if (!window)
        return false;
    if (!std::isfinite(scale) || scale <= 0.0f)
        scale = 1.0f;
    // The status bar shows the time of day on the browser's clock.
    std::time_t clock = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&clock, &local)) {
        char text[8];
        std::strftime(text, sizeof text, "%H:%M", &local);
        renderer_.setClockText(text);
    }
    return renderer_.render(*window, app_.application(), std::max(now, app_.runLoop().now()), scale,
                            framebuffer_);
}

// The page's clock never runs backwards, but a caller's might: the loop keeps its own time then.
double WebApp::clampedTime(double now) {
    double loop = app_.runLoop().now();
    return std::isfinite(now) && now > loop ? now : loop;
}

float WebApp::pointWidth() const {
    return app_.window() ? app_.window()->frame().width() : 0.0f;
}

float WebApp::pointHeight() const {
    return app_.window() ? app_.window()->frame().height() : 0.0f;
}

bool WebApp::showsPaintingScreen() {
    if (!app_.isLaunched())
        return false;
    const NocturoAppDelegate& controller = app_.controller();
    return controller.paintingView && controller.containerView &&
           controller.paintingView->superview() == controller.containerView;
}

std::string WebApp::pathOf(const std::string& url) {
    std::size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return {};
    std::size_t path = url.find('/', scheme + 3);
    if (path == std::string::npos)
        return {};
    return url.substr(path);
}

} // namespace nocturo
