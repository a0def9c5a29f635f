#pragma once

#include "frontends/desktop/Viewport.h"
#include "platform/render/Framebuffer.h"

#include <cstdint>
#include <stdexcept>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace nocturo {

// The window could not be made.
class DisplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A window of the desktop that shows frames of the screen, letterboxed on black, each presented
// in step with the display. SDL's video must be initialised.
class DesktopWindow {
public:
    // `width` and `height` in window units.
    DesktopWindow(const std::string& title, int width, int height, bool fullscreen);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Where a screen of `points` goes in the window as it is now.
    Viewport viewport(Size points) const;

    bool isFullscreen() const { return fullscreen_; }
    void setFullscreen(bool fullscreen);

    // Shows `frame` at the viewport's place, black around it; waits for the display when the
    // renderer can.
    void present(const Framebuffer& frame, const Viewport& viewport);
    // Shows the last frame again, at the viewport's place, as after the window was uncovered or
    // resized.
    void presentAgain(const Viewport& viewport);

    void setCursorVisible(bool visible);
    std::uint32_t id() const;
    // Seconds between two refreshes of the display the window is on.
    double refreshInterval() const;
    // Pixels an inch, up and down, of the display the window is on; zero when it cannot tell.
    double verticalDpi() const;
    const std::string& rendererName() const { return rendererName_; }
    bool presentsInStep() const { return vsync_; }

private:
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    int frameX_ = 0;
    int frameY_ = 0;
    bool hasFrame_ = false;
    bool fullscreen_ = false;
    bool vsync_ = false;
    bool cursorVisible_ = true;
    std::string rendererName_;
};

} // namespace nocturo
