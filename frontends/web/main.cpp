// The page's script drives the application through these calls (see site/app.js): it starts
// it once, steps its run loop on the page's clock, hands it the touches and shows the
// framebuffer; the page's file picker and text field answer light writing's requests.

#include "app/NocturoAppDelegate.h"
#include "app/SettingsTable.h"
#include "frontends/web/BrowserKeptFiles.h"
#include "frontends/web/BrowserStorage.h"
#include "frontends/web/LocalStorageSettingsStore.h"
#include "frontends/web/WebApp.h"
#include "timed/TimedLight.h"

#include <cmath>
#include <cstdint>
#include <emscripten/emscripten.h>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace nocturo;

EM_JS(void, nocturoOpenSitePage, (const char* path), {
    if (Module["openSitePage"])
        Module["openSitePage"](UTF8ToString(path));
});

// The page plays the timed light's tones (see site/timed.js): 0 tick, 1 start, 2 end.
EM_JS(void, nocturoPlayTone, (int kind), {
    if (Module["playTone"])
        Module["playTone"](kind);
});

// Light writing asks the page for its text field (0, with the line) or its file picker (1). The
// call is synchronous, inside the touch that asked, so that the browser opens the picker and the
// keyboard as for the user's own gesture.
EM_JS(void, nocturoRequest, (int what, const char* text), {
    if (Module["request"])
        Module["request"](what, UTF8ToString(text));
});

// Where the build puts the resources in the module's file system.
const char* const resourceDir = "/resources";

struct Page {
    BrowserStorage storage;
    LocalStorageSettingsStore store{storage, settingsKeys()};
    BrowserKeptFiles files{storage};
    std::unique_ptr<WebApp> app;
    std::string pictureMessage;
};

Page& page() {
    static Page instance;
    return instance;
}

} // namespace

extern "C" {

// 1 when the application runs; 0 when it could not start (the reason: nocturo_error).
EMSCRIPTEN_KEEPALIVE int nocturo_start(double now) {
    Page& p = page();
    if (p.app)
        return p.app->error().empty() ? 1 : 0;
    auto app = std::make_unique<WebApp>(
        p.store, resourceDir, now,
        [](const std::string& path) { nocturoOpenSitePage(path.c_str()); }, &p.files);
    app->nocturo().application().setRequestHandler(
        [](Application::Request what, const std::string& text) {
            nocturoRequest(what == Application::Request::TextEntry ? 0 : 1, text.c_str());
        });
    bool started = app->launch();
    if (started)
        app->nocturo().controller().timedLight().setTonePlayer(
            [](ToneKind kind) { nocturoPlayTone(static_cast<int>(kind)); });
    p.app = std::move(app);
    return started ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* nocturo_error() {
    return page().app ? page().app->error().c_str() : "not started";
}

EMSCRIPTEN_KEEPALIVE double nocturo_step(double now) {
    return page().app ? page().app->step(now) : INFINITY;
}

EMSCRIPTEN_KEEPALIVE void nocturo_touch(int kind, int id, double x, double y, double now) {
    if (!page().app || kind < 0 || kind > 3)
        return;
    page().app->touch(static_cast<TouchKind>(kind), id, static_cast<float>(x),
                      static_cast<float>(y), now);
}

// 0 for Space, 1 for Enter.
EMSCRIPTEN_KEEPALIVE void nocturo_key(int key, double now) {
    if (page().app && (key == 0 || key == 1))
        page().app->key(key == 0 ? Key::Space : Key::Enter, now);
}

EMSCRIPTEN_KEEPALIVE void nocturo_cancel_touches(double now) {
    if (page().app)
        page().app->cancelTouches(now);
}

// The whole line of the page's text field.
EMSCRIPTEN_KEEPALIVE void nocturo_type_text(const char* text) {
    if (page().app && text)
        page().app->nocturo().typeText(text);
}

// The bytes of the file the user picked; the message the page shows when it was refused, else
// an empty string.
EMSCRIPTEN_KEEPALIVE const char* nocturo_choose_picture(const std::uint8_t* bytes, int size) {
    Page& p = page();
    p.pictureMessage.clear();
    if (p.app && bytes && size >= 0)
        p.pictureMessage = p.app->nocturo().choosePicture(
            std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(size)));
    return p.pictureMessage.c_str();
}

// The page cannot tell the screen's size: zero; its refresh rate it measures. 0 before the start.
EMSCRIPTEN_KEEPALIVE int nocturo_set_display(double screenHeight, double refreshRate) {
    if (!page().app || !page().app->error().empty())
        return 0;
    page().app->nocturo().setDisplay(screenHeight, refreshRate);
    return 1;
}

EMSCRIPTEN_KEEPALIVE int nocturo_render(double now, double scale) {
    return page().app && page().app->render(now, static_cast<float>(scale)) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void nocturo_invalidate() {
    if (page().app)
        page().app->invalidate();
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* nocturo_pixels() {
    return page().app ? page().app->framebuffer().pixels.data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int nocturo_pixel_width() {
    return page().app ? page().app->framebuffer().width : 0;
}

EMSCRIPTEN_KEEPALIVE int nocturo_pixel_height() {
    return page().app ? page().app->framebuffer().height : 0;
}

EMSCRIPTEN_KEEPALIVE double nocturo_point_width() {
    return page().app ? page().app->pointWidth() : 0.0;
}

EMSCRIPTEN_KEEPALIVE double nocturo_point_height() {
    return page().app ? page().app->pointHeight() : 0.0;
}

EMSCRIPTEN_KEEPALIVE int nocturo_shows_painting_screen() {
    return page().app && page().app->showsPaintingScreen() ? 1 : 0;
}

} // extern "C"

int main() {
    // The page's script starts the application once the resources are in place.
    return 0;
}
