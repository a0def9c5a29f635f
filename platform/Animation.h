#pragma once

#include "platform/RunLoop.h"

#include <memory>
#include <string>
#include <vector>

namespace nocturo {

class View;
class Animation;
class Layer;

class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStart(Animation& animation) = 0;
    virtual void animationDidStop(Animation& animation, bool finished) = 0;
};

enum class TimingFunction { Linear, EaseInEaseOut };

// The transition types the layer knows. A flip is what a view animation block with a flip
// transition attaches.
namespace TransitionType {
inline const std::string fade = "fade";
inline const std::string push = "push";
inline const std::string moveIn = "moveIn";
inline const std::string reveal = "reveal";
inline const std::string flipFromLeft = "flipFromLeft";
inline const std::string flipFromRight = "flipFromRight";
} // namespace TransitionType

// A transition attached to a view's layer: plays from the view's earlier content (the subviews
// it had before the change) to its present content.
class Animation {
public:
    std::string type;
    std::string subtype;
    double duration = 0.25;
    TimingFunction timingFunction = TimingFunction::Linear;
    AnimationDelegate* delegate = nullptr;
    std::vector<View*> fromSubviews;

    double beginTime() const { return beginTime_; }
    bool hasStarted() const { return started_; }
    // Progress from 0 to 1 at `time`, through the timing function.
    double progress(double time) const;

private:
    friend class Layer;
    Layer* layer_ = nullptr;
    double beginTime_ = 0.0;
    bool started_ = false;
    RunLoop::CallId startCall_ = 0;
    RunLoop::CallId stopCall_ = 0;
};

// The animations attached to one view, by key. The start is reported on the next turn of the
// run loop, the stop when the duration has passed, or at once (finished = false) on removal.
class Layer {
public:
    explicit Layer(View& owner) : owner_(owner) {}
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    void addAnimation(std::shared_ptr<Animation> animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    Animation* animationForKey(const std::string& key) const;
    const std::vector<std::pair<std::string, std::shared_ptr<Animation>>>& animations() const {
        return animations_;
    }

private:
    RunLoop* runLoop() const;
    void finish(const std::shared_ptr<Animation>& animation);

    View& owner_;
    std::vector<std::pair<std::string, std::shared_ptr<Animation>>> animations_;
};

// A view animation block: begin, set a duration and a transition for a container, change
// the container's content, commit. The transition plays from the content at the time it was
// set to the content at the commit.
class AnimationBlock {
public:
    void setAnimationDuration(double seconds) { duration_ = seconds; }
    void setAnimationTransition(const std::string& type, View* forView, bool cache);
    void commitAnimations();

private:
    double duration_ = 0.2;
    std::string type_;
    View* view_ = nullptr;
    std::vector<View*> before_;
    bool committed_ = false;
};

// Groups property changes so that they reach the screen together, with or without the
// implicit animation of each change. This platform animates no property implicitly, so a
// transaction with actions disabled applies its changes exactly as one that has them enabled.
class Transaction {
public:
    Transaction() = default;
    void setDisableActions(bool disable) { disableActions_ = disable; }
    bool disableActions() const { return disableActions_; }
    void commit() { committed_ = true; }
    bool isCommitted() const { return committed_; }

private:
    bool disableActions_ = false;
    bool committed_ = false;
};

} // namespace nocturo
