#pragma once

#include "platform/View.h"
#include "platform/render/Framebuffer.h"

namespace nocturo {

// A photograph shown whole: scaled to fit the view with its proportions kept, centred, on the
// view's background.
class PhotographView : public View {
public:
    explicit PhotographView(Rect frame = {});
    const char* className() const override { return "PhotographView"; }

    const Framebuffer& photograph() const { return photograph_; }
    void setPhotograph(Framebuffer photograph);

    // Where the photograph lies, in the view's own points; empty when there is none.
    Rect pictureRect() const;

    bool drawsContent() const override { return !photograph_.isEmpty(); }
    void drawContent(Painter& painter) const override;

private:
    Framebuffer photograph_;
};

} // namespace nocturo
