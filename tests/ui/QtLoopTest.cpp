#include "ui/QtLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <gtest/gtest.h>
#include <thread>

namespace {
// Runs window events until `done` holds; each round blocks until an event arrives.
template <class Pred> void spinUntil(Pred done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
} // namespace

TEST(QtLoop, TimersAndPostedWorkRunOnTheWindowThread) {
    ui::QtLoop loop;
    std::vector<std::string> seen;
    std::thread::id postedOn;
    int ticks = 0;
    base::EventLoop::TimerId repeating = 0;
    repeating = loop.startTimer(1, [&] {
        if (++ticks == 3)
            loop.stopTimer(repeating);
    });
    loop.startTimer(1, [&] { seen.push_back("once"); }, false);
    std::thread worker([&] {
        loop.post([&] {
            postedOn = std::this_thread::get_id();
            seen.push_back("posted");
        });
    });
    worker.join();
    spinUntil([&] { return ticks == 3 && seen.size() == 2; });
    EXPECT_EQ(postedOn, std::this_thread::get_id());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "once"), 1);
    // The repeating timer stopped itself and the single shot removed itself.
    loop.startTimer(1, [&] { seen.push_back("last"); }, false);
    spinUntil([&] { return seen.size() == 3; });
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(loop.nowMs(), 0);
}

TEST(QtLoop, Timer) {
    ui::QtLoop loop;
    int count = 0;
    base::Timer t(loop, 1, [&] { ++count; });
    t.setEnabled(true);
    spinUntil([&] { return count >= 2; });
    t.setEnabled(false);
    EXPECT_FALSE(t.enabled());
}
