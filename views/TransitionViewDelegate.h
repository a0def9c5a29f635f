#pragma once

namespace nocturo {

class TransitionView;

// Told when a transition of a TransitionView starts and when it finishes or is cut short.
// Every message is optional: a delegate answers which ones it takes.
class TransitionViewDelegate {
public:
    enum class Message { DidStart, DidFinish, DidCancel };

    virtual ~TransitionViewDelegate() = default;
    virtual bool respondsTo(Message) const { return false; }
    virtual void transitionViewDidStart(TransitionView&) {}
    virtual void transitionViewDidFinish(TransitionView&) {}
    virtual void transitionViewDidCancel(TransitionView&) {}
};

} // namespace nocturo
