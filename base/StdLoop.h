#pragma once
// A real-time EventLoop without Qt, for headless runs: run() dispatches timers and posted
// work on the calling thread until quit().
#include "base/EventLoop.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace base {

class StdLoop : public EventLoop {
public:
    StdLoop();

    std::int64_t nowMs() override;
    LocalDateTime localNow() override { return systemNow(); }
    TimerId startTimer(int intervalMs, std::function<void()> fn, bool repeat = true) override;
    void stopTimer(TimerId id) override;
    void post(std::function<void()> fn) override;

    // Runs handlers until quit() is called (from a handler or another thread).
    void run();
    void quit();

protected:
    // Waits, with `lock` on the loop's mutex held, until work is posted or quit() is called,
    // for at most `ms` milliseconds (no limit when negative). A loop with a clock of its own
    // replaces it, together with nowMs(), to move that clock instead of waiting.
    virtual void waitForWork(std::unique_lock<std::mutex>& lock, std::int64_t ms);

private:
    struct Entry {
        std::int64_t due;
        int interval;
        bool repeat;
        std::function<void()> fn;
    };

    std::map<TimerId, Entry> timers_; // touched on the loop's thread only
    TimerId nextId_ = 1;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool quit_ = false;
};

} // namespace base
