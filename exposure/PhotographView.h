#pragma once

#include "platform/View.h"
#include "platform/render/Framebuffer.h"

#include <functional>
#include <vector>

namespace nocturo {

// A photograph shown whole: scaled to fit the view with its proportions kept, centred, on the
// view's background. A finger dragged over it draws a path, handed on when the finger lifts.
class PhotographView : public View {
public:
    explicit PhotographView(Rect frame = {});
    const char* className() const override { return "PhotographView"; }

    const Framebuffer& photograph() const { return photograph_; }
    void setPhotograph(Framebuffer photograph);

    // Where the photograph lies, in the view's own points; empty when there is none.
    Rect pictureRect() const;

    // Called with the points a finger went through, in the view's own points, when a drag of
    // two points or more ends.
    std::function<void(const std::vector<Point>&)> pathDrawn;
    const std::vector<Point>& stroke() const { return stroke_; }

    void touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesCancelled(const std::vector<Touch*>& touches, const TouchEvent& event) override;

    bool drawsContent() const override { return !photograph_.isEmpty(); }
    void drawContent(Painter& painter) const override;

private:
    // The longest stroke kept, in points.
    static constexpr std::size_t maxStrokePoints = 4096;

    Framebuffer photograph_;
    std::vector<Point> stroke_;
    int finger_ = 0;
};

} // namespace nocturo
