#pragma once

#include "frontends/desktop/Viewport.h"
#include "platform/Window.h"

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace nocturo {

// Turns the mouse and the fingers of touch screens into the window's touches. The mouse is one
// finger while its button is held; each finger on a touch screen is a finger of its own. A
// finger that lands beside the screen, on the black around it, touches nothing, or the nearest
// point of the screen's edge when the bars are the screen's; one that slides off the screen
// stays at its edge.
class TouchRouter {
public:
    static constexpr int mouseFinger = 0;

    // The whole window is the light's: a finger that lands on the black around the screen
    // touches the screen at the nearest point of its edge, so a thumb near the window's edge
    // can still switch the light.
    void setBarsTouchTheEdge(bool on) { barsTouchTheEdge_ = on; }
    bool barsTouchTheEdge() const { return barsTouchTheEdge_; }

    // Mouse positions are in window units.
    void mouseDown(Window& window, const Viewport& viewport, float x, float y);
    void mouseMove(Window& window, const Viewport& viewport, float x, float y);
    void mouseUp(Window& window, const Viewport& viewport, float x, float y);

    // Touch-screen positions are fractions of the window's width and height.
    void fingerDown(Window& window, const Viewport& viewport, std::int64_t device,
                    std::int64_t finger, float fx, float fy);
    void fingerMove(Window& window, const Viewport& viewport, std::int64_t device,
                    std::int64_t finger, float fx, float fy);
    void fingerUp(Window& window, const Viewport& viewport, std::int64_t device,
                  std::int64_t finger, float fx, float fy);

    // A turn of the mouse wheel or a swipe on a touchpad over the screen: scrolls the scroll
    // view under the pointer by `points` (positive moves the content up), as a drag would, and
    // flashes its indicators. Nothing else is touched, and nothing while a finger is down.
    void scroll(Window& window, const Viewport& viewport, float x, float y, float points);

    // The system took the screen away: every finger is cancelled.
    void cancelAll(Window& window);

    bool isMouseDown() const { return mouseDown_; }
    std::size_t fingerCount() const { return fingers_.size() + (mouseDown_ ? 1 : 0); }

private:
    using FingerKey = std::pair<std::int64_t, std::int64_t>;
    int freeId() const;
    // Where a finger landing at `p` touches the screen, if anywhere.
    std::optional<Point> landing(const Viewport& viewport, Point p) const;

    bool barsTouchTheEdge_ = false;
    bool mouseDown_ = false;
    std::map<FingerKey, int> fingers_;
};

} // namespace nocturo
