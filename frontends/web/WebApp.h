#pragma once

#include "app/Nocturo.h"
#include "platform/render/Framebuffer.h"
#include "platform/render/Renderer.h"

#include <functional>
#include <memory>
#include <string>

namespace nocturo {

enum class TouchKind { Down = 0, Move = 1, Up = 2, Cancel = 3 };

// The application in a browser page: the page's script supplies the clock (seconds on the
// page's monotonic clock), the touches in window points and the scale, and shows the
// framebuffer whenever render() says it drew.
class WebApp {
public:
    using URLOpener = std::function<void(const std::string& sitePath)>;

    // `openSitePage` receives the path, within this site, of an address the application opens.
    // `files` keeps what the user makes beside the settings; without it, for the page's life.
    WebApp(SettingsStore& store, std::string resourceDir, double now, URLOpener openSitePage,
           KeptFiles* files = nullptr);
    ~WebApp();
    WebApp(const WebApp&) = delete;
    WebApp& operator=(const WebApp&) = delete;

    // False, with the reason in error(), when the application could not start.
    bool launch();
    const std::string& error() const { return error_; }

    // Delivers what is due by `now`; returns when the next thing is due (infinity for never).
    double step(double now);
    void touch(TouchKind kind, int id, float x, float y, double now);
    // A key of the keyboard, or of a remote paired as one.
    void key(Key key, double now);
    // Every finger lifted by the system: the page was hidden or lost focus.
    void cancelTouches(double now);

    // Draws the screen at `scale` pixels a point when anything changed; true when it drew.
    bool render(double now, float scale);
    void invalidate() { renderer_.invalidate(); }
    const Framebuffer& framebuffer() const { return framebuffer_; }
    float pointWidth() const;
    float pointHeight() const;
    // True while the painting screen is the container's content: the page then keeps
    // everything of its own around the canvas dark.
    bool showsPaintingScreen();
    Nocturo& nocturo() { return app_; }

    // The path part of an address ("/a/b.html" of "http://host/a/b.html"); empty when it has
    // none.
    static std::string pathOf(const std::string& url);

private:
    double clampedTime(double now);

    Nocturo app_;
    Renderer renderer_;
    Framebuffer framebuffer_;
    URLOpener openSitePage_;
    std::string error_;
};

} // namespace nocturo
