#pragma once

#include "exposure/LinearFrame.h"
#include "platform/render/Framebuffer.h"

#include <vector>

namespace nocturo {

// The light that reaches a photograph, pixel by pixel: linear red, green and blue, each in
// seconds of full white. Frames of the screen are added as they sweep across it, and the sum is
// developed as a camera exposes it: scaled by the exposure, clipped, encoded as sRGB.
class LightSum {
public:
    // Full white seen for this long reaches full scale at an exposure of 0 stops: walked at half
    // a metre a second, the default spot (the screen's width, about 9 cm) just blows out along
    // the middle of its trail.
    static constexpr double fullScaleSeconds = 0.125;

    LightSum(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Adds `frame`, shown for `seconds` while its top-left corner moves at a steady pace in a
    // straight line from (fromX, fromY) to (toX, toY), in photograph pixels. Each pixel it passes
    // over gets the light the frame's pixels give it on the way, so a small light leaves an even
    // line, not dots, however far it moves in the time. Parts beyond the photograph are lost.
    void addSweep(const LinearFrame& frame, double fromX, double fromY, double toX, double toY,
                  double seconds);

    // Seconds of full white in channel c (0 red, 1 green, 2 blue) at (x, y); zero outside.
    double at(int x, int y, int c) const;

    // The photograph: each channel times 2^stops / fullScaleSeconds, clipped to 1, encoded as
    // sRGB, opaque. Stops that are not a number read as 0.
    Framebuffer develop(double stops) const;

private:
    // A sweep along one row of the photograph, the frame's top at photograph row `top`.
    void addRowSweep(const LinearFrame& frame, double fromX, double toX, int top, double seconds);

    int width_;
    int height_;
    std::vector<float> light_;
};

} // namespace nocturo
