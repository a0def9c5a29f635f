#include "platform/RunLoop.h"

#include <cmath>
#include <limits>

namespace nocturo {

namespace {
constexpr std::int64_t minimumTimerInterval = 100'000; // 0.1 ms
constexpr std::int64_t farFuture = std::numeric_limits<std::int64_t>::max() / 4;
} // namespace

void Timer::invalidate() {
    if (!valid_)
        return;
    valid_ = false;
    action_ = nullptr;
    if (loop_)
        loop_->remove(entry_);
    loop_ = nullptr;
}

RunLoop::RunLoop(double startTime) : now_(toNanos(startTime)) {}

std::int64_t RunLoop::toNanos(double seconds) {
    if (std::isnan(seconds) || seconds <= 0.0)
        return 0;
    if (seconds >= static_cast<double>(farFuture) / 1e9)
        return farFuture;
    return std::llround(seconds * 1e9);
}

std::uint64_t RunLoop::enqueue(std::int64_t due, Entry entry) {
    std::uint64_t seq = nextSeq_++;
    queue_.emplace(Key{due, seq}, std::move(entry));
    dueBySeq_.emplace(seq, due);
    return seq;
}

void RunLoop::remove(std::uint64_t seq) {
    auto it = dueBySeq_.find(seq);
    if (it == dueBySeq_.end())
        return;
    queue_.erase(Key{it->second, seq});
    dueBySeq_.erase(it);
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(double interval, bool repeats,
                                              std::function<void()> action) {
    auto timer = std::make_shared<Timer>();
    timer->repeats_ = repeats;
    if (std::isnan(interval)) {
        timer->valid_ = false;
        return timer;
    }
    std::int64_t nanos = toNanos(interval);
    timer->interval_ = nanos < minimumTimerInterval ? minimumTimerInterval : nanos;
    timer->action_ = std::move(action);
    timer->loop_ = this;
    timer->nextFire_ = now_ + timer->interval_;
    timer->entry_ = enqueue(timer->nextFire_, Entry{nullptr, timer});
    return timer;
}

RunLoop::CallId RunLoop::performAfterDelay(double delay, std::function<void()> action) {
    return enqueue(now_ + toNanos(delay), Entry{std::move(action), nullptr});
}

void RunLoop::cancel(CallId id) {
    auto it = dueBySeq_.find(id);
    if (it == dueBySeq_.end())
        return;
    if (queue_.at(Key{it->second, id}).timer)
        return; // timers are stopped with invalidate()
    remove(id);
}

double RunLoop::nextDueTime() const {
    if (queue_.empty())
        return std::numeric_limits<double>::infinity();
    return static_cast<double>(queue_.begin()->first.first) / 1e9;
}

std::size_t RunLoop::timerCount() const {
    std::size_t n = 0;
    for (const auto& [key, entry] : queue_)
        n += entry.timer != nullptr;
    return n;
}

double RunLoop::step(double time) {
    stepAt(toNanos(time));
    return nextDueTime();
}

void RunLoop::stepAt(std::int64_t t) {
    if (t > now_)
        now_ = t;
    const std::uint64_t turnStart = nextSeq_;
    // Walk the due items in order; items scheduled during this turn wait for the next one.
    auto it = queue_.begin();
    while (it != queue_.end() && it->first.first <= now_) {
        if (it->first.second >= turnStart) {
            ++it;
            continue;
        }
        Key key = it->first;
        Entry entry = std::move(it->second);
        queue_.erase(it);
        dueBySeq_.erase(key.second);
        if (entry.timer) {
            std::shared_ptr<Timer> timer = entry.timer;
            if (timer->repeats_) {
                std::int64_t next = timer->nextFire_ + timer->interval_;
                if (next <= now_) {
                    std::int64_t missed = (now_ - next) / timer->interval_ + 1;
                    next += missed * timer->interval_;
                }
                timer->nextFire_ = next;
                timer->entry_ = enqueue(next, Entry{nullptr, timer});
            } else {
                timer->valid_ = false;
                timer->loop_ = nullptr;
            }
            // Keep the action alive while it runs: it may invalidate its own timer.
            std::function<void()> action = timer->action_;
            if (action)
                action();
            if (!timer->repeats_)
                timer->action_ = nullptr;
        } else if (entry.call) {
            entry.call();
        }
        it = queue_.upper_bound(key);
    }
}

void RunLoop::advanceTo(double time) {
    std::int64_t target = toNanos(time);
    if (target < now_)
        return;
    while (!queue_.empty() && queue_.begin()->first.first <= target) {
        std::int64_t due = queue_.begin()->first.first;
        stepAt(due > now_ ? due : now_);
    }
    now_ = target;
}

} // namespace nocturo
