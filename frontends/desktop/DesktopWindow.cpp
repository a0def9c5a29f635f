#include "frontends/desktop/DesktopWindow.h"

#include <SDL.h>
#include <cmath>

namespace nocturo {

namespace {
std::string sdlError(const std::string& what) {
    return what + ": " + SDL_GetError();
}
} // namespace

DesktopWindow::DesktopWindow(const std::string& title, int width, int height, bool fullscreen)
    : fullscreen_(fullscreen) {
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, flags);
    if (!window_)
        throw DisplayError(sdlError("cannot make a window"));
    SDL_SetWindowMinimumSize(window_, 80, 120);

    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        std::string reason = sdlError("cannot draw in the window");
        SDL_DestroyWindow(window_);
        throw DisplayError(reason);
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer_, &info) == 0) {
        rendererName_ = info.name ? info.name : "";
        vsync_ = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    }
    // Black until the first frame.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

DesktopWindow::~DesktopWindow() {
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
}

Viewport DesktopWindow::viewport(Size points) const {
    int pw = 0, ph = 0, ww = 0, wh = 0;
    SDL_GetRendererOutputSize(renderer_, &pw, &ph);
    SDL_GetWindowSize(window_, &ww, &wh);
    float pixelsPerUnit = ww > 0 ? static_cast<float>(pw) / static_cast<float>(ww) : 1.0f;
    return Viewport(pw, ph, pixelsPerUnit, points);
}

void DesktopWindow::setFullscreen(bool fullscreen) {
    if (fullscreen == fullscreen_)
        return;
    if (SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0)
        fullscreen_ = fullscreen;
}

void DesktopWindow::present(const Framebuffer& frame, const Viewport& viewport) {
    if (frame.isEmpty())
        return;
    if (!texture_ || textureWidth_ != frame.width || textureHeight_ != frame.height) {
        if (texture_)
            SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING,
                                     frame.width, frame.height);
        if (!texture_) {
            textureWidth_ = textureHeight_ = 0;
            hasFrame_ = false;
            return;
        }
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        textureWidth_ = frame.width;
        textureHeight_ = frame.height;
    }
    SDL_UpdateTexture(texture_, nullptr, frame.pixels.data(), static_cast<int>(frame.stride()));
    hasFrame_ = true;
    presentAgain(viewport);
}

void DesktopWindow::presentAgain(const Viewport& viewport) {
    frameX_ = viewport.frameX();
    frameY_ = viewport.frameY();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (hasFrame_ && texture_) {
        SDL_Rect to{frameX_, frameY_, textureWidth_, textureHeight_};
        SDL_RenderCopy(renderer_, texture_, nullptr, &to);
    }
    SDL_RenderPresent(renderer_);
}

void DesktopWindow::setCursorVisible(bool visible) {
    if (visible == cursorVisible_)
        return;
    cursorVisible_ = visible;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

std::uint32_t DesktopWindow::id() const {
    return SDL_GetWindowID(window_);
}

double DesktopWindow::refreshInterval() const {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return 1.0 / mode.refresh_rate;
    return 1.0 / 60.0;
}

double DesktopWindow::verticalDpi() const {
    float diagonal = 0.0f, horizontal = 0.0f, vertical = 0.0f;
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0 || SDL_GetDisplayDPI(display, &diagonal, &horizontal, &vertical) != 0 ||
        !std::isfinite(vertical) || vertical <= 0.0f)
        return 0.0;
    return vertical;
}

} // namespace nocturo
