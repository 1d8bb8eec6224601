#include "base/StdLoop.h"
#include "base/VirtualLoop.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace base;

TEST(VirtualLoop, TimersFireInDueOrderAndTiesInArmingOrder) {
    VirtualLoop loop;
    std::vector<std::string> seen;
    loop.startTimer(500, [&] { seen.push_back("tick@" + std::to_string(loop.nowMs() % 10000)); });
    loop.startTimer(
        1000, [&] { seen.push_back("once"); }, false);
    loop.startTimer(150, [&] { seen.push_back("redraw"); });
    loop.advance(1000);
    // 1'000'000 is the tick origin, so nowMs() % 10000 is the elapsed time. The single shot
    // was armed before the 500 ms timer re-armed itself at 500, so it fires first at 1000.
    EXPECT_EQ(seen, (std::vector<std::string>{"redraw", "redraw", "redraw", "tick@500", "redraw",
                                              "redraw", "redraw", "once", "tick@1000"}));
    EXPECT_EQ(loop.nowMs(), 1'001'000);
    EXPECT_EQ(loop.timerCount(), 2u);
}

TEST(VirtualLoop, HandlersMayStopTheirOwnTimerAndPostWork) {
    VirtualLoop loop;
    int ticks = 0;
    std::vector<int> order;
    EventLoop::TimerId id = 0;
    id = loop.startTimer(100, [&] {
        order.push_back(++ticks);
        loop.post([&] { order.push_back(-ticks); });
        if (ticks == 3)
            loop.stopTimer(id);
    });
    loop.advance(10'000);
    EXPECT_EQ(order, (std::vector<int>{1, -1, 2, -2, 3, -3}));
    EXPECT_FALSE(loop.timerActive(id));
}

TEST(VirtualLoop, TimerComponentStopsWhenDisabledOrDestroyed) {
    VirtualLoop loop;
    int count = 0;
    {
        Timer t(loop, 500, [&] { ++count; });
        t.setEnabled(true);
        loop.advance(1250);
        EXPECT_EQ(count, 2);
        t.setEnabled(false);
        loop.advance(1000);
        EXPECT_EQ(count, 2);
        t.setEnabled(true); // a fresh interval from now
        loop.advance(499);
        EXPECT_EQ(count, 2);
        loop.advance(1);
        EXPECT_EQ(count, 3);
        t.setInterval(100);
        loop.advance(100);
        EXPECT_EQ(count, 4);
    }
    EXPECT_EQ(loop.timerCount(), 0u);
    Timer* self = nullptr;
    self = new Timer(loop, 10, [&] {
        ++count;
        delete self; // a handler may destroy its own timer
    });
    self->setEnabled(true);
    loop.advance(100);
    EXPECT_EQ(count, 5);
}

TEST(VirtualLoop, LocalTimeMovesWithTheTicks) {
    VirtualLoop loop(makeDateTime(2026, 12, 31, 23, 59, 59));
    EXPECT_EQ(loop.localNow().weekday, 4);
    loop.advance(1000);
    EXPECT_EQ(loop.localNow(), makeDateTime(2027, 1, 1));
    loop.setLocalNow(makeDateTime(1996, 4, 1, 12, 0, 0));
    loop.advance(60'000);
    EXPECT_EQ(loop.localNow(), makeDateTime(1996, 4, 1, 12, 1, 0));
}

TEST(VirtualLoop, WorkPostedFromAnotherThreadRunsOnTheLoopThread) {
    VirtualLoop loop;
    std::thread::id ranOn;
    std::thread worker([&] { loop.post([&] { ranOn = std::this_thread::get_id(); }); });
    ASSERT_TRUE(loop.waitForPost(std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(loop.runPending(), 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(loop.waitForPost(std::chrono::milliseconds(0)));
}

TEST(StdLoop, RunsPostedWorkAndTimersUntilQuit) {
    StdLoop loop;
    std::vector<std::string> seen;
    loop.startTimer(
        1,
        [&] {
            seen.push_back("timer");
            loop.quit();
        },
        false);
    std::thread worker([&] { loop.post([&] { seen.push_back("posted"); }); });
    worker.join();
    loop.run();
    EXPECT_EQ(seen, (std::vector<std::string>{"posted", "timer"}));
}

namespace {

// A StdLoop on a clock of the test's own: a wait moves the clock on at once instead of
// waiting, and a handler "blocks" by moving it on itself.
class SteppedLoop : public StdLoop {
public:
    std::int64_t nowMs() override { return now; }
    std::int64_t now = 0;

protected:
    void waitForWork(std::unique_lock<std::mutex>& lock, std::int64_t ms) override {
        if (ms >= 0)
            now += ms;
        else
            StdLoop::waitForWork(lock, ms);
    }
};

} // namespace

TEST(StdLoop, TwoTimersKeepTheirPeriodsAndALateTimerFiresOnceNotInABurst) {
    SteppedLoop loop;
    std::vector<std::string> fired;
    int slow = 0;
    loop.startTimer(100, [&] {
        fired.push_back("slow@" + std::to_string(loop.now));
        if (++slow == 2)
            loop.now += 300; // the handler blocks for three of its intervals
        if (slow == 4)
            loop.quit();
    });
    loop.startTimer(30, [&] { fired.push_back("fast@" + std::to_string(loop.now)); });
    loop.run();
    // After the block each timer fires once, late, and then keeps its period from there.
    EXPECT_EQ(fired,
              (std::vector<std::string>{"fast@30", "fast@60", "fast@90", "slow@100", "fast@120",
                                        "fast@150", "fast@180", "slow@200", "fast@500", "slow@500",
                                        "fast@530", "fast@560", "fast@590", "slow@600"}));
}
