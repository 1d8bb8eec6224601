#include "base/VirtualLoop.h"

namespace base {

VirtualLoop::VirtualLoop(LocalDateTime start, std::int64_t tickStart) : now_(tickStart) {
    setLocalNow(start);
}

void VirtualLoop::setLocalNow(const LocalDateTime& t) {
    localBase_ = millisecondsBetween(LocalDateTime{1970, 1, 1, 0, 0, 0, 0, 4}, t) - now_;
}

LocalDateTime VirtualLoop::localNow() {
    return addMilliseconds(LocalDateTime{1970, 1, 1, 0, 0, 0, 0, 4}, localBase_ + now_);
}

EventLoop::TimerId VirtualLoop::startTimer(int intervalMs, std::function<void()> fn, bool repeat) {
    if (intervalMs < 1)
        intervalMs = 1;
    TimerId id = nextId_++;
    timers_[id] = Entry{now_ + intervalMs, intervalMs, repeat, nextSeq_++, std::move(fn)};
    return id;
}

void VirtualLoop::stopTimer(TimerId id) {
    timers_.erase(id);
}

void VirtualLoop::post(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    posted_.notify_all();
}

int VirtualLoop::runPending() {
    int ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.empty())
                return ran;
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
        ++ran;
    }
}

bool VirtualLoop::waitForPost(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(mutex_);
    return posted_.wait_for(lock, bound, [this] { return !queue_.empty(); });
}

void VirtualLoop::advance(std::int64_t ms) {
    const std::int64_t target = now_ + (ms < 0 ? 0 : ms);
    runPending();
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > target)
                continue;
            if (next == timers_.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.seq < next->second.seq))
                next = it;
        }
        if (next == timers_.end())
            break;
        now_ = next->second.due;
        auto fn = next->second.fn; // the handler may stop or restart its own timer
        if (next->second.repeat) {
            next->second.due += next->second.interval;
            next->second.seq = nextSeq_++;
        } else {
            timers_.erase(next);
        }
        fn();
        runPending();
    }
    now_ = target;
}

} // namespace base
