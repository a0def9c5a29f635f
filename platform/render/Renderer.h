#pragma once

#include "platform/Application.h"
#include "platform/Image.h"
#include "platform/Window.h"
#include "platform/render/Font.h"
#include "platform/render/Framebuffer.h"
#include "platform/render/ImageCache.h"
#include "platform/render/Painter.h"
#include "platform/render/ViewPainter.h"

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace nocturo {

class Animation;

// Draws a window's view tree into a framebuffer at a scale factor (pixels a point), as the
// screen shows it at a moment: a view draws its background, its content, then each visible
// child in order, clipped where the view clips; alpha multiplies down the tree; layer
// transitions play between the content before and after the change; the status bar goes on
// top when the application shows it.
class Renderer {
public:
    static constexpr float statusBarHeight = 20.0f;

    // Pictures named by buttons come from `images`, the fonts from its folder's fonts/.
    explicit Renderer(ImageLibrary& images);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Draws the frame for `time` (the run loop's clock) when anything on the screen changed
    // since the last frame drawn into `target`, and clears the window's redraw mark. Returns
    // false, leaving `target` untouched, when the frame would be the same.
    bool render(Window& window, const Application& application, double time, float scale,
                Framebuffer& target);
    // Draws the frame whatever changed; leaves the window's redraw mark as it is. `target` is
    // resized to the window's size in pixels.
    void draw(const Window& window, const Application& application, double time, float scale,
              Framebuffer& target);

    // The status bar's clock; empty, the default, shows the run loop's time as HH:MM.
    void setClockText(std::string text) { clockText_ = std::move(text); }
    // The next render draws whatever changed.
    void invalidate() { drawn_ = false; }
    // As invalidate, and no picture of a view drawn before is used again: for a renderer that
    // goes on to draw another window whose views may lie where the old ones lay.
    void forgetWindow() {
        drawn_ = false;
        lastTarget_ = nullptr;
        for (Snapshot& snap : snapshots_)
            snap.valid = false;
    }

    // The framebuffer size for a window at a scale.
    static int pixelWidth(const Window& window, float scale);
    static int pixelHeight(const Window& window, float scale);

    // When the last frame goes stale by itself (a transition, fading scroll indicators, the
    // status bar clock's next minute); at or before that frame's time, every frame differs.
    double nextChangeTime() const { return nextChange_; }

    int framesDrawn() const { return framesDrawn_; }
    const ImageCache& imageCache() const { return cache_; }
    bool fontsLoaded() const { return regular_.isLoaded() && bold_.isLoaded(); }

private:
    struct Item;
    using ItemList = std::vector<Item>;
    // What a flip turns: the view drawn without the flip, and its 2 x 2 blocks of pixels that
    // bilinear sampling reads (the block at (x, y) holding pixels x and x + 1 of rows y and
    // y + 1, the last row and column standing in for those past the turned area) cut down each
    // column into stretches: steady ones, whose pair of pixels side by side is the same on every
    // row, so that any mix of them is the mix across the pair; and between them those that mix.
    struct Snapshot {
        // Steady stretches shorter than this many blocks go with the mixing ones: a pixel
        // mixed from four samples of a steady pair is the pair's mix across, and sampling a
        // few rows costs less than starting and ending a stretch.
        static constexpr int shortestSteady = 4;
        struct Stretch {
            int end = 0;            // the row below its last
            std::uint32_t left = 0; // a steady stretch's pair of pixels
            std::uint32_t right = 0;
            bool steady = false;
            // A mixing one's row v has its pair at pairs[2 (rowPairs + v)].
            std::int32_t rowPairs = 0;
        };
        bool valid = false;
        // The times it shows the layer as it is: from the frame it was drawn for until the
        // layer changes by itself (scroll indicators that go out, say).
        double drawnAt = 0.0;
        double goodUntil = std::numeric_limits<double>::infinity();
        const View* view = nullptr;
        PixelRect area;
        float scale = 0.0f;
        std::uint64_t stamp = 0; // of the views drawn into it and their revisions
        Framebuffer pixels;
        PixelRect stretchesOver;               // the turned area they are found in; empty: not yet
        std::vector<Stretch> stretches;        // column by column, each from the top down
        std::vector<std::size_t> columnStarts; // where each column's stretches begin, and an end
        // Each mixing stretch's pairs of pixels side by side, row by row from its first to the
        // one below its last (the last row of the area standing in for those past it): a
        // column mixing down a stretch reads them one after the other.
        std::vector<std::uint32_t> pairs;
        void findStretches(const PixelRect& over);
    };

    void drawFrame(const Window& window, const Application& application, double time, float scale,
                   Framebuffer& target, bool keepSnapshots);
    void collect(const View& view, Point at, const PixelRect& clip, float opacity,
                 const std::vector<View*>& children, bool transitions, Painter& painter,
                 ItemList& out);
    void drawList(Painter& painter, ItemList& items);
    void drawLayer(Painter& painter, const Item& item, const std::vector<View*>& children);
    void drawTransition(Painter& painter, const Item& item);
    Snapshot& snapshot(Painter& painter, const Item& item, bool before);
    void drawStatusBar(Painter& painter, const Window& window, const Application& application);
    Framebuffer& scratch(const Framebuffer& like);
    const Animation* activeTransition(const View& view) const;

    ImageCache cache_;
    Font regular_;
    Font bold_;
    ViewPainter views_;
    std::vector<std::unique_ptr<Framebuffer>> scratch_;
    std::size_t scratchDepth_ = 0;
    Snapshot snapshots_[2]; // before and after the change
    std::string clockText_;

    // What the last frame was drawn from, and when it goes stale by itself.
    double time_ = 0.0;
    double nextChange_ = std::numeric_limits<double>::infinity();
    bool drawn_ = false;
    const Framebuffer* lastTarget_ = nullptr;
    float lastScale_ = 0.0f;
    bool lastStatusBarHidden_ = true;
    StatusBarStyle lastStatusBarStyle_ = StatusBarStyle::Default;
    std::string lastClockText_;
    int framesDrawn_ = 0;
};

} // namespace nocturo
