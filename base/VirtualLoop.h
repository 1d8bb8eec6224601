#pragma once
// An EventLoop for tests: the clock stands still until the test calls advance(), which
// fires every due timer in order of its due time (ties in the order they were armed;
// a repeating timer re-arms each time it fires) and
// runs what was posted. Deterministic, and it never reads the wall clock.
#include "base/EventLoop.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace base {

class VirtualLoop : public EventLoop {
public:
    explicit VirtualLoop(LocalDateTime start = makeDateTime(2026, 12, 8, 9, 0, 0),
                         std::int64_t tickStart = 1'000'000);

    std::int64_t nowMs() override { return now_; }
    LocalDateTime localNow() override;
    TimerId startTimer(int intervalMs, std::function<void()> fn, bool repeat = true) override;
    void stopTimer(TimerId id) override;
    void post(std::function<void()> fn) override;

    // Moves time on by ms, running posted work first and after each timer it fires.
    void advance(std::int64_t ms);
    // Runs posted work (and what that posts) until none is left; returns how many ran.
    int runPending();
    // Blocks until something is posted or `bound` passes (for tests whose other thread
    // posts); returns true when work is waiting. Time does not move.
    bool waitForPost(std::chrono::milliseconds bound);
    // Sets the local date and time shown from now on; the tick counter is unaffected.
    void setLocalNow(const LocalDateTime& t);

    bool timerActive(TimerId id) const { return timers_.count(id) != 0; }
    size_t timerCount() const { return timers_.size(); }

private:
    struct Entry {
        std::int64_t due;
        int interval;
        bool repeat;
        std::uint64_t seq;
        std::function<void()> fn;
    };

    std::int64_t now_;
    std::int64_t localBase_; // ms of the local time at tick 0
    std::map<TimerId, Entry> timers_;
    TimerId nextId_ = 1;
    std::uint64_t nextSeq_ = 1;

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

} // namespace base
