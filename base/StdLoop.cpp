#include "base/StdLoop.h"

#include <chrono>

namespace base {

StdLoop::StdLoop() = default;

std::int64_t StdLoop::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

EventLoop::TimerId StdLoop::startTimer(int intervalMs, std::function<void()> fn, bool repeat) {
    if (intervalMs < 1)
        intervalMs = 1;
    TimerId id = nextId_++;
    timers_[id] = Entry{nowMs() + intervalMs, intervalMs, repeat, std::move(fn)};
    return id;
}

void StdLoop::stopTimer(TimerId id) {
    timers_.erase(id);
}

void StdLoop::post(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    wake_.notify_all();
}

void StdLoop::quit() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
}

void StdLoop::run() {
    for (;;) {
        // Posted work first, one function at a time so a handler may post more.
        for (;;) {
            std::function<void()> fn;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (quit_) {
                    quit_ = false;
                    return;
                }
                if (queue_.empty())
                    break;
                fn = std::move(queue_.front());
                queue_.pop_front();
            }
            fn();
        }
        // Then the earliest due timer.
        std::int64_t now = nowMs();
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (next == timers_.end() || it->second.due < next->second.due)
                next = it;
        if (next != timers_.end() && next->second.due <= now) {
            auto fn = next->second.fn;
            if (next->second.repeat) {
                // A late timer fires once, not once for every period it missed, and then
                // counts a whole interval from now, as a window timer does.
                Entry& e = next->second;
                e.due += e.interval;
                if (e.due <= now)
                    e.due = now + e.interval;
            } else {
                timers_.erase(next);
            }
            fn();
            continue;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        if (quit_ || !queue_.empty())
            continue;
        waitForWork(lock, next == timers_.end() ? -1 : next->second.due - now);
    }
}

void StdLoop::waitForWork(std::unique_lock<std::mutex>& lock, std::int64_t ms) {
    auto ready = [this] { return quit_ || !queue_.empty(); };
    if (ms < 0)
        wake_.wait(lock, ready);
    else
        wake_.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

} // namespace base
