#pragma once

#include <string>

namespace nocturo {

// How to walk a pass so that the written picture comes out with its own proportions: the screen's
// height stands for the picture's height in the photograph, so its width takes the screen's
// height times the picture's width over its height, walked in the pass's length.
class WalkGuidance {
public:
    // A phone held upright, for a platform that cannot tell the screen's size.
    static constexpr double typicalScreenHeight = 0.14;
    // About the fastest a person walks steadily while painting, in metres a second.
    static constexpr double comfortablePace = 1.0;

    // A screen height that is not a positive number reads as the typical one; a picture with no
    // pixels walks no distance.
    WalkGuidance(double screenHeight, int pictureWidth, int pictureHeight, double passLength);

    // The screen's height in metres from its height in pixels and its pixels an inch; the
    // typical height when either is not a positive number.
    static double screenHeightFromDpi(double pixelHeight, double dotsPerInch);

    double screenHeight() const { return screenHeight_; }
    // Metres to walk in the pass, and the pace that takes, in metres a second.
    double distance() const { return distance_; }
    double pace() const { return pace_; }
    bool isTooFast() const { return pace_ > comfortablePace; }

    // What the settings screen shows: the walk in words and numbers, and a warning when it is
    // too fast (empty otherwise).
    std::string words() const;
    std::string warning() const;

private:
    double screenHeight_;
    double passLength_;
    double distance_ = 0.0;
    double pace_ = 0.0;
};

} // namespace nocturo
