#pragma once

#include "platform/View.h"
#include "views/TransitionViewDelegate.h"

#include <string>

namespace nocturo {

// A container that replaces one child by another under a layer transition, and refuses
// touches while the transition plays.
class TransitionView : public View, public AnimationDelegate {
public:
    static inline const std::string animationKey = "transitionViewAnimation";

    explicit TransitionView(Rect frame = {}) : View(frame) {}
    const char* className() const override { return "TransitionView"; }

    // Swaps `oldView` for `newView` at once, in the old view's place among its siblings, and
    // plays the transition over the change. Dropped while a transition plays.
    void replaceSubview(View* oldView, View* newView, const std::string& transition,
                        const std::string& direction, double duration);
    void cancelTransition();
    bool isTransitioning() const { return transitioning; }
    bool isWasEnabled() const { return wasEnabled; }

    TransitionViewDelegate* delegate() const { return delegate_; }
    void setDelegate(TransitionViewDelegate* delegate) { delegate_ = delegate; }

    void animationDidStart(Animation& animation) override;
    void animationDidStop(Animation& animation, bool finished) override;

private:
    bool transitioning = false;
    bool wasEnabled = false;
    TransitionViewDelegate* delegate_ = nullptr;
};

} // namespace nocturo
