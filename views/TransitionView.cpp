#include "views/TransitionView.h"

#include <memory>

namespace nocturo {

void TransitionView::replaceSubview(View* oldView, View* newView, const std::string& transition,
                                    const std::string& direction, double duration) {
    if (transitioning)
        return;
    const std::vector<View*> before = subviews();

    // Where the old view stood; a new view without it goes to the top.
    std::size_t index = before.size();
    if (oldView && oldView->superview() == this) {
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == oldView) {
                index = i;
                break;
            }
        }
        oldView->removeFromSuperview();
    }
    if (newView && !newView->superview())
        insertSubviewAt(newView, index);

    auto animation = std::make_shared<Animation>();
    animation->delegate = this;
    animation->type = transition;
    if (transition != TransitionType::fade)
        animation->subtype = direction;
    animation->duration = duration;
    animation->timingFunction = TimingFunction::EaseInEaseOut;
    animation->fromSubviews = before;
    layer().addAnimation(animation, animationKey);
}

void TransitionView::cancelTransition() {
    layer().removeAnimation(animationKey);
}

void TransitionView::animationDidStart(Animation&) {
    transitioning = true;
    wasEnabled = isUserInteractionEnabled();
    if (wasEnabled)
        setUserInteractionEnabled(false);
    if (delegate_ && delegate_->respondsTo(TransitionViewDelegate::Message::DidStart))
        delegate_->transitionViewDidStart(*this);
}

void TransitionView::animationDidStop(Animation&, bool finished) {
    transitioning = false;
    if (wasEnabled)
        setUserInteractionEnabled(true);
    auto message = finished ? TransitionViewDelegate::Message::DidFinish
                            : TransitionViewDelegate::Message::DidCancel;
    if (delegate_ && delegate_->respondsTo(message)) {
        if (finished)
            delegate_->transitionViewDidFinish(*this);
        else
            delegate_->transitionViewDidCancel(*this);
    }
}

} // namespace nocturo
