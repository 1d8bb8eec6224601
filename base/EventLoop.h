#pragma once
// The only way a model sees time: a millisecond tick counter, the local date and time,
// timers, and post() to hand work to the loop's thread from any thread. Handlers (timer
// callbacks and posted functions) run one at a time on the loop's thread, never beside
// each other.
//
// Implementations: ui/QtLoop (the program), StdLoop (headless runs, real time) and
// VirtualLoop (tests: time moves only when the test says so).
#include "base/DateTime.h"

#include <cstdint>
#include <functional>

namespace base {

class EventLoop {
public:
    using TimerId = std::uint64_t; // 0 is never a valid timer

    virtual ~EventLoop() = default;

    // Milliseconds on a monotonic counter with an arbitrary origin.
    virtual std::int64_t nowMs() = 0;
    // The local date and time with its weekday.
    virtual LocalDateTime localNow() = 0;

    // Calls fn every intervalMs (first call one interval from now), or once when `repeat`
    // is false. A handler that stops its own timer, or starts others, is fine. An interval
    // below 1 counts as 1.
    virtual TimerId startTimer(int intervalMs, std::function<void()> fn, bool repeat = true) = 0;
    // Stops a timer; an unknown or already stopped id is ignored.
    virtual void stopTimer(TimerId id) = 0;

    // Runs fn on the loop's thread after the handler running now. Safe from any thread.
    virtual void post(std::function<void()> fn) = 0;
};

// A timer component with an interval, an enabled state and a handler, like the timers a
// window holds. It stops itself when destroyed, so a handler never outlives its owner.
class Timer {
public:
    Timer(EventLoop& loop, int intervalMs, std::function<void()> onTimer = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setOnTimer(std::function<void()> onTimer) { onTimer_ = std::move(onTimer); }
    // Changing the interval of a running timer restarts its period.
    void setInterval(int intervalMs);
    int interval() const { return interval_; }
    // Enabled = true starts counting a fresh interval; false stops. Setting the state it
    // already has changes nothing.
    void setEnabled(bool enabled);
    bool enabled() const { return id_ != 0; }

private:
    void fire();

    EventLoop& loop_;
    int interval_;
    std::function<void()> onTimer_;
    EventLoop::TimerId id_ = 0;
};

} // namespace base
