#pragma once

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/render/Framebuffer.h"
#include "platform/render/PixelRect.h"

#include <cstdint>
#include <string_view>

namespace nocturo {

class Font;
struct ScaledImage;

// Draws into an opaque framebuffer in points, through a translation, a clip (whole pixels)
// and an opacity that a Scope saves and restores. Every draw is clipped; shapes are
// anti-aliased by the part of each pixel they cover.
class Painter {
    struct State {
        float tx = 0.0f;
        float ty = 0.0f;
        PixelRect clip;
        float opacity = 1.0f;
    };

public:
    Painter(Framebuffer& target, float scale);

    Framebuffer& target() const { return *target_; }
    float scale() const { return scale_; }

    class Scope {
    public:
        explicit Scope(Painter& painter) : painter_(painter), saved_(painter.state_) {}
        ~Scope() { painter_.state_ = saved_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Painter& painter_;
        State saved_;
    };

    void translate(float dx, float dy);
    void setTranslation(Point origin) {
        state_.tx = origin.x;
        state_.ty = origin.y;
    }
    void setOpacity(float opacity);
    void clipTo(Rect local);
    void clipToPixels(const PixelRect& rect);
    void multiplyOpacity(float alpha);
    Point translation() const { return {state_.tx, state_.ty}; }
    const PixelRect& clip() const { return state_.clip; }
    float opacity() const { return state_.opacity; }

    // A rect in points, in target pixels: the pixels it touches and the ones it covers whole.
    Rect toPixels(Rect local) const;
    PixelRect enclosing(Rect local) const;
    PixelRect interior(Rect local) const;

    void fillRect(Rect local, Color color);
    // Whole pixels only, for regions already in pixels.
    void fillPixels(const PixelRect& rect, Color color);
    void fillRoundedRect(Rect local, float radius, Color color);
    void strokeRoundedRect(Rect local, float radius, float lineWidth, Color color);
    void fillCircle(Point center, float radius, Color color);
    void drawImage(const ScaledImage& image);
    // A line of text with its pen starting at `origin` on the baseline (both in points); the
    // baseline is put on a whole pixel so the glyphs stay crisp.
    void drawText(Font& font, std::u32string_view text, float size, Point origin, Color color);

private:
    // A rounded rect given in pixels, filled or stroked by its signed distance.
    void roundedShape(float x0, float y0, float x1, float y1, float radius, float lineWidth,
                      Color color);

    Framebuffer* target_;
    float scale_;
    State state_;
};

} // namespace nocturo
