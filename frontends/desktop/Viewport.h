#pragma once

#include "platform/Geometry.h"

#include <optional>

namespace nocturo {

// Where the screen of points sits in a window: as large as fits, centred, black around it.
// Sizes are in output pixels; events arrive in window units, which differ from pixels on a
// display with more pixels than units.
class Viewport {
public:
    Viewport() = default;
    Viewport(int outputWidth, int outputHeight, float pixelsPerUnit, Size screenPoints);

    // Pixels a point; what the renderer draws at.
    float scale() const { return scale_; }
    // The framebuffer's size and where it goes in the output.
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    int frameX() const { return frameX_; }
    int frameY() const { return frameY_; }
    bool isEmpty() const { return frameWidth_ <= 0 || frameHeight_ <= 0; }

    // The point under a place in the window (units), whether or not it is on the screen.
    Point pointAt(float unitX, float unitY) const;
    // The point under a place given as fractions of the window's width and height.
    Point pointAtFraction(float fx, float fy) const;
    // Whether a point lies on the screen (minimum edges in, maximum edges out).
    bool contains(Point p) const;
    // The nearest point on the screen.
    Point clamp(Point p) const;

    // The window size, in units, that shows the screen at `scale` units a point.
    static int windowExtent(float points, float scale);
    // The largest of 0.25, 0.5, 0.75 ... that fits a screen of `screen` points, with room for the
    // window's frame, into `usable` units; never below the smallest scale.
    static float fittingScale(Size screen, int usableWidth, int usableHeight);

private:
    Size points_{320.0f, 480.0f};
    int outputWidth_ = 0;
    int outputHeight_ = 0;
    float pixelsPerUnit_ = 1.0f;
    float scale_ = 1.0f;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int frameX_ = 0;
    int frameY_ = 0;
};

} // namespace nocturo
