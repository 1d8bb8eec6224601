#include "ui/QtLoop.h"

#include <QMetaObject>
#include <QTimer>

namespace ui {

QtLoop::QtLoop(QObject* parent) : QObject(parent) {
    clock_.start();
}

QtLoop::~QtLoop() {
    for (auto& [id, timer] : timers_)
        delete timer;
}

std::int64_t QtLoop::nowMs() {
    return clock_.elapsed();
}

base::LocalDateTime QtLoop::localNow() {
    return base::systemNow();
}

base::EventLoop::TimerId QtLoop::startTimer(int intervalMs, std::function<void()> fn, bool repeat) {
    TimerId id = nextId_++;
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(intervalMs < 1 ? 1 : intervalMs);
    timer->setSingleShot(!repeat);
    timers_[id] = timer;
    connect(timer, &QTimer::timeout, this, [this, id, repeat, fn = std::move(fn)] {
        auto handler = fn; // the handler may stop and so delete this timer
        if (!repeat)
            stopTimer(id);
        handler();
    });
    timer->start();
    return id;
}

void QtLoop::stopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

void QtLoop::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

} // namespace ui
