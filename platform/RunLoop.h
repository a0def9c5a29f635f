#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

// The run loop of the one thread. Nothing here reads a clock: the front end says what time
// it is, and the loop delivers, in time order, every timer tick and delayed call due by then.

namespace nocturo {

class RunLoop;

// A repeating or one-shot timer. The run loop keeps it until it is invalidated; a holder's
// reference only refers to it.
class Timer {
public:
    double timeInterval() const { return static_cast<double>(interval_) / 1e9; }
    bool isValid() const { return valid_; }
    bool repeats() const { return repeats_; }
    void invalidate();

private:
    friend class RunLoop;
    RunLoop* loop_ = nullptr;
    std::int64_t interval_ = 0;
    std::int64_t nextFire_ = 0;
    std::uint64_t entry_ = 0;
    bool repeats_ = false;
    bool valid_ = true;
    std::function<void()> action_;
};

class RunLoop {
public:
    using CallId = std::uint64_t;

    explicit RunLoop(double startTime = 0.0);
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    double now() const { return static_cast<double>(now_) / 1e9; }

    // A timer whose first tick comes one interval from now. Like the phone's timers, an
    // interval below 0.1 ms is taken as 0.1 ms; one that is not a number gives a timer that
    // is already invalid and never fires.
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats,
                                         std::function<void()> action);

    // A call made once, `delay` seconds from now, on a later turn of the loop.
    CallId performAfterDelay(double delay, std::function<void()> action);
    // A call on the next turn of the loop.
    CallId post(std::function<void()> action) { return performAfterDelay(0.0, std::move(action)); }
    void cancel(CallId id);

    // One turn with the clock at `time`: delivers what was due by then and was scheduled before
    // the turn began. A repeating timer fires once however many periods were missed and is then
    // scheduled on its own grid, after `time`. Returns the time of the next due item.
    double step(double time);

    // A virtual clock: delivers each due item at its own time, up to `time`.
    void advanceTo(double time);
    void advanceBy(double seconds) { advanceTo(now() + seconds); }

    // Time of the earliest item, or infinity when nothing is scheduled.
    double nextDueTime() const;
    bool hasPending() const { return !queue_.empty(); }
    std::size_t pendingCount() const { return queue_.size(); }
    // How many timers are scheduled now.
    std::size_t timerCount() const;

private:
    friend class Timer;
    struct Entry {
        std::function<void()> call;
        std::shared_ptr<Timer> timer;
    };
    using Key = std::pair<std::int64_t, std::uint64_t>; // due time, order of scheduling

    static std::int64_t toNanos(double seconds);
    void stepAt(std::int64_t time);
    void remove(std::uint64_t seq);
    std::uint64_t enqueue(std::int64_t due, Entry entry);

    std::int64_t now_ = 0;
    std::uint64_t nextSeq_ = 1;
    std::map<Key, Entry> queue_;
    std::map<std::uint64_t, std::int64_t> dueBySeq_;
};

} // namespace nocturo
