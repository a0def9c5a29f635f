#include "platform/Animation.h"

#include "platform/View.h"
#include "platform/Window.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

double Animation::progress(double time) const {
    if (!(duration > 0.0))
        return 1.0;
    double t = std::clamp((time - beginTime_) / duration, 0.0, 1.0);
    if (timingFunction == TimingFunction::Linear)
        return t;
    // Ease in, ease out: the cubic Bezier with control points (0.42, 0) and (0.58, 1), solved
    // for x by bisection.
    double lo = 0.0, hi = 1.0, s = t;
    for (int i = 0; i < 40; ++i) {
        s = (lo + hi) / 2.0;
        double x = 3 * (1 - s) * (1 - s) * s * 0.42 + 3 * (1 - s) * s * s * 0.58 + s * s * s;
        (x < t ? lo : hi) = s;
    }
    return 3 * (1 - s) * s * s + s * s * s;
}

Layer::~Layer() {
    // Animations die with their view, silently: there is no one left to tell. Their pending
    // reports find no layer and do nothing.
    for (auto& [key, animation] : animations_)
        animation->layer_ = nullptr;
}

RunLoop* Layer::runLoop() const {
    Window* w = owner_.window();
    return w ? w->runLoop() : nullptr;
}

Animation* Layer::animationForKey(const std::string& key) const {
    for (auto& [k, a] : animations_)
        if (k == key)
            return a.get();
    return nullptr;
}

void Layer::addAnimation(std::shared_ptr<Animation> animation, const std::string& key) {
    if (!animation)
        return;
    removeAnimation(key);
    animations_.emplace_back(key, animation);
    animation->layer_ = this;
    RunLoop* loop = runLoop();
    if (!loop)
        return; // off screen: it waits, attached, and is never reported
    animation->beginTime_ = loop->now();
    std::weak_ptr<Animation> weak = animation;
    animation->startCall_ = loop->post([weak] {
        auto a = weak.lock();
        if (!a || !a->layer_)
            return;
        a->startCall_ = 0;
        a->started_ = true;
        if (a->delegate)
            a->delegate->animationDidStart(*a);
    });
    animation->stopCall_ = loop->performAfterDelay(animation->duration, [weak] {
        auto a = weak.lock();
        if (!a || !a->layer_)
            return;
        a->stopCall_ = 0;
        a->layer_->finish(a);
    });
    owner_.setNeedsDisplay();
}

void Layer::finish(const std::shared_ptr<Animation>& animation) {
    auto it = std::find_if(animations_.begin(), animations_.end(),
                           [&](auto& entry) { return entry.second == animation; });
    if (it == animations_.end())
        return;
    animations_.erase(it);
    animation->layer_ = nullptr;
    owner_.setNeedsDisplay();
    if (animation->delegate)
        animation->delegate->animationDidStop(*animation, true);
}

void Layer::removeAnimation(const std::string& key) {
    auto it = std::find_if(animations_.begin(), animations_.end(),
                           [&](auto& entry) { return entry.first == key; });
    if (it == animations_.end())
        return;
    std::shared_ptr<Animation> animation = it->second;
    animations_.erase(it);
    animation->layer_ = nullptr;
    if (RunLoop* loop = runLoop()) {
        loop->cancel(animation->startCall_);
        loop->cancel(animation->stopCall_);
    }
    owner_.setNeedsDisplay();
    if (animation->delegate)
        animation->delegate->animationDidStop(*animation, false);
}

void Layer::removeAllAnimations() {
    while (!animations_.empty())
        removeAnimation(animations_.front().first);
}

void AnimationBlock::setAnimationTransition(const std::string& type, View* forView, bool) {
    type_ = type;
    view_ = forView;
    before_ = forView ? forView->subviews() : std::vector<View*>{};
}

void AnimationBlock::commitAnimations() {
    if (committed_ || !view_ || type_.empty())
        return;
    committed_ = true;
    auto animation = std::make_shared<Animation>();
    animation->type = type_;
    animation->duration = duration_;
    animation->timingFunction = TimingFunction::EaseInEaseOut;
    animation->fromSubviews = before_;
    view_->layer().addAnimation(animation, "viewTransition");
}

} // namespace nocturo
