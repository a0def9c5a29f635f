#pragma once

#include "platform/View.h"

namespace nocturo {

// A view whose content is larger than itself and moves under a finger.
class ScrollView : public View {
public:
    explicit ScrollView(Rect frame = {}) : View(frame) { setClipsToBounds(true); }
    const char* className() const override { return "ScrollView"; }

    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size);
    Point contentOffset() const { return bounds().origin; }
    // Held so that the content never leaves a gap at either end.
    void setContentOffset(Point offset);
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool canCancelContentTouches() const { return canCancelContentTouches_; }
    void setCanCancelContentTouches(bool can) { canCancelContentTouches_ = can; }

    // Shows the scroll indicators for a moment, from `time` (the run loop's clock).
    void flashScrollIndicators();
    int flashCount() const { return flashCount_; }
    double lastFlashTime() const { return lastFlash_; }
    // Whether the indicators show at `time`.
    bool indicatorsVisible(double time) const;
    static constexpr double indicatorFlashDuration = 1.0;

    void touchesBegan(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesMoved(const std::vector<Touch*>& touches, const TouchEvent& event) override;
    void touchesEnded(const std::vector<Touch*>& touches, const TouchEvent& event) override;

private:
    Size contentSize_;
    bool scrollEnabled_ = true;
    bool canCancelContentTouches_ = true;
    int flashCount_ = 0;
    double lastFlash_ = -1e9;
    bool dragging_ = false;
    Point dragStart_;
    Point offsetAtStart_;
};

} // namespace nocturo
