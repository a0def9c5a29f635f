#include "platform/RunLoop.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace nocturo {
namespace {

TEST(RunLoop, DeliversDueCallsInTimeOrderAndSameTimeInSchedulingOrder) {
    RunLoop loop;
    std::vector<int> seen;
    loop.performAfterDelay(0.3, [&] { seen.push_back(3); });
    loop.performAfterDelay(0.1, [&] { seen.push_back(1); });
    loop.performAfterDelay(0.3, [&] { seen.push_back(4); });
    loop.performAfterDelay(0.2, [&] { seen.push_back(2); });
    loop.advanceTo(0.25);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    loop.advanceTo(1.0);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(loop.now(), 1.0);
}

TEST(RunLoop, CallsRunAtTheirOwnTimeOnAVirtualClock) {
    RunLoop loop(5.0);
    double at = 0.0;
    loop.performAfterDelay(0.5, [&] { at = loop.now(); });
    loop.advanceTo(9.0);
    EXPECT_DOUBLE_EQ(at, 5.5);
}

TEST(RunLoop, APostedCallWaitsForTheNextTurn) {
    RunLoop loop;
    std::vector<int> seen;
    loop.post([&] {
        seen.push_back(1);
        loop.post([&] { seen.push_back(2); });
    });
    loop.step(0.0);
    EXPECT_EQ(seen, (std::vector<int>{1}));
    loop.step(0.0);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(RunLoop, CancelledCallNeverRuns) {
    RunLoop loop;
    bool ran = false;
    auto id = loop.performAfterDelay(1.0, [&] { ran = true; });
    loop.cancel(id);
    loop.advanceTo(2.0);
    EXPECT_FALSE(ran);
}

TEST(Timer, FirstTickComesOneIntervalAfterTheStartAndTicksKeepTheirGrid) {
    RunLoop loop(0.7);
    std::vector<double> ticks;
    auto timer = loop.scheduleTimer(0.02, true, [&] { ticks.push_back(loop.now()); });
    loop.advanceTo(0.7 + 1.0);
    ASSERT_EQ(ticks.size(), 50u); // exactly 50 in one second, the last at the second's end
    EXPECT_NEAR(ticks.front(), 0.72, 1e-9);
    EXPECT_NEAR(ticks.back(), 1.7, 1e-9);
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.02);
}

TEST(Timer, ALateLoopFiresOnceAndSkipsTheMissedPeriods) {
    RunLoop loop;
    int ticks = 0;
    loop.scheduleTimer(0.1, true, [&] { ++ticks; });
    loop.step(0.35); // three periods were due
    EXPECT_EQ(ticks, 1);
    EXPECT_NEAR(loop.nextDueTime(), 0.4, 1e-9); // back on the grid, not 0.45
    loop.step(0.4);
    EXPECT_EQ(ticks, 2);
}

TEST(Timer, ALoopExactlyWholePeriodsLateFiresOnceNotOnceMoreOnTheBoundary) {
    RunLoop loop;
    int ticks = 0;
    loop.scheduleTimer(0.25, true, [&] { ++ticks; });
    loop.step(1.0); // the tick at 1.0 itself falls due exactly now
    EXPECT_EQ(ticks, 1);
    EXPECT_NEAR(loop.nextDueTime(), 1.25, 1e-9);
    loop.step(1.0);
    EXPECT_EQ(ticks, 1);
    loop.advanceTo(1.75); // 1.25, 1.5 and 1.75, each once
    EXPECT_EQ(ticks, 4);
}

TEST(Timer, InvalidateStopsItEvenFromItsOwnTick) {
    RunLoop loop;
    int ticks = 0;
    std::shared_ptr<Timer> timer;
    timer = loop.scheduleTimer(0.1, true, [&] {
        if (++ticks == 3)
            timer->invalidate();
    });
    loop.advanceTo(2.0);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->isValid());
    EXPECT_FALSE(loop.hasPending());
}

TEST(Timer, IntervalsThatAreNotUsableAreHeldOrRefused) {
    RunLoop loop;
    int ticks = 0;
    auto nan = loop.scheduleTimer(std::nan(""), true, [&] { ++ticks; });
    EXPECT_FALSE(nan->isValid());
    auto tiny = loop.scheduleTimer(0.0, true, [&] { ++ticks; });
    EXPECT_DOUBLE_EQ(tiny->timeInterval(), 0.0001);
    loop.advanceTo(0.001);
    EXPECT_EQ(ticks, 10);
    tiny->invalidate();
}

TEST(Timer, OneShotTimerFiresOnceAndBecomesInvalid) {
    RunLoop loop;
    int ticks = 0;
    auto timer = loop.scheduleTimer(0.5, false, [&] { ++ticks; });
    loop.advanceTo(3.0);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer->isValid());
}

} // namespace
} // namespace nocturo
