#include "base/EventLoop.h"

namespace base {

Timer::Timer(EventLoop& loop, int intervalMs, std::function<void()> onTimer)
    : loop_(loop), interval_(intervalMs), onTimer_(std::move(onTimer)) {}

Timer::~Timer() {
    setEnabled(false);
}

void Timer::setInterval(int intervalMs) {
    interval_ = intervalMs;
    if (enabled()) {
        setEnabled(false);
        setEnabled(true);
    }
}

void Timer::setEnabled(bool enabled) {
    if (enabled == this->enabled())
        return;
    if (enabled) {
        id_ = loop_.startTimer(interval_, [this] { fire(); });
    } else {
        loop_.stopTimer(id_);
        id_ = 0;
    }
}

void Timer::fire() {
    // The handler may disable, re-enable or destroy this timer; touch nothing after it.
    if (onTimer_) {
        auto handler = onTimer_;
        handler();
    }
}

} // namespace base
