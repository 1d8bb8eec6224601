#pragma once
// The program's EventLoop: Qt timers and queued calls on the user-interface thread, so
// timer handlers, posted notifications and window events all run one at a time.
#include "base/EventLoop.h"

#include <QElapsedTimer>
#include <QObject>
#include <map>

class QTimer;

namespace ui {

class QtLoop : public QObject, public base::EventLoop {
public:
    explicit QtLoop(QObject* parent = nullptr);
    ~QtLoop() override;

    std::int64_t nowMs() override;
    base::LocalDateTime localNow() override;
    TimerId startTimer(int intervalMs, std::function<void()> fn, bool repeat = true) override;
    void stopTimer(TimerId id) override;
    void post(std::function<void()> fn) override;

private:
    QElapsedTimer clock_;
    std::map<TimerId, QTimer*> timers_;
    TimerId nextId_ = 1;
};

} // namespace ui
