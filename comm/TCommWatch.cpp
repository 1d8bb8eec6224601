#include "comm/TCommWatch.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace comm {

LineState::LineState(size_t cap)
    : capacity(cap < 1 ? 1 : cap), wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      stopFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeFd < 0 || stopFd < 0) {
        if (wakeFd >= 0)
            ::close(wakeFd);
        if (stopFd >= 0)
            ::close(stopFd);
        throw ECommOpenError(-2);
    }
}

LineState::~LineState() {
    ::close(wakeFd);
    ::close(stopFd);
}

void LineState::wake() {
    const std::uint64_t one = 1;
    // A full counter still leaves the descriptor readable, which is all a wake-up needs.
    [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
}

void LineState::reportCarrier(bool on) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (hungUp || stop || carrier == on)
            return;
        carrier = on;
        carrierChanged = true;
    }
    wake();
}

bool LineState::flushTx(Device& device) {
    std::lock_guard<std::mutex> lock(txMutex);
    size_t sent = 0;
    bool ok = true;
    while (sent < tx.size()) {
        const ssize_t n = device.writeSome(tx.data() + sent, tx.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        writeError = n < 0 ? errno : EIO;
        ok = false;
        sent = tx.size();
    }
    tx.erase(0, sent);
    return ok;
}

size_t LineState::txQueued() {
    std::lock_guard<std::mutex> lock(txMutex);
    return tx.size();
}

TCommEventMask modemLineEvents(int before, int after) {
    const int changed = before ^ after;
    TCommEventMask events;
    if (changed & TIOCM_CD)
        events += evRlsd;
    if (changed & TIOCM_CTS)
        events += evCts;
    if (changed & TIOCM_DSR)
        events += evDsr;
    if (changed & TIOCM_RI)
        events += evRing;
    return events;
}

TCommWatch::TCommWatch(Device& device, std::shared_ptr<LineState> state, Notify notify,
                       std::optional<int> modemLines)
    : device_(device), state_(std::move(state)), notify_(std::move(notify)), lines_(modemLines) {
    thread_ = std::thread([this] { run(); });
}

TCommWatch::~TCommWatch() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stop = true;
    }
    state_->wake();
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(state_->stopFd, &one, sizeof one);
    thread_.join();
}

bool TCommWatch::connect() {
    std::string failure;
    bool failed = false;
    try {
        device_.finishConnect(state_->stopFd);
    } catch (const ECommOpenError& e) {
        failed = true;
        failure = e.Reason;
    }
    TCommEventMask events;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->stop)
            return false;
        state_->connecting = false;
        if (failed) {
            state_->hungUp = true;
            state_->openFailure = failure;
            state_->carrier = false;
        } else {
            state_->carrier = true;
        }
        events = state_->eventMask & TCommEventMask{evRlsd};
    }
    if (!events.empty())
        notify_(Notice::Event, events);
    return true;
}

bool TCommWatch::readAvailable(short revents, bool& drained, bool& lost) {
    bool got = false;
    char buf[4096];
    for (;;) {
        size_t room;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            room = state_->capacity - state_->rx.size();
        }
        if (room == 0) {
            drained = false; // the rest waits in the kernel until the queue has room
            return got;
        }
        const ssize_t n = ::read(device_.fd(), buf, room < sizeof buf ? room : sizeof buf);
        if (n > 0) {
            // What the device keeps for itself (telnet commands) never reaches the queue.
            const size_t length = device_.filterReceived(buf, static_cast<size_t>(n));
            if (length > 0) {
                std::lock_guard<std::mutex> lock(state_->mutex);
                state_->rx.append(buf, length);
                got = true;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A hang-up that comes with nothing to read must not be polled for ever.
            if (revents & (POLLHUP | POLLERR | POLLNVAL))
                lost = true;
            drained = true;
            return got;
        }
        // End of stream, or EIO / ECONNRESET and the like: the line is gone.
        lost = true;
        drained = true;
        return got;
    }
}

void TCommWatch::run() {
    if (device_.connectPending() && !connect())
        return;
    for (;;) {
        bool watchFd, timed, owes, hungUp;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            if (state_->stop)
                return;
            hungUp = state_->hungUp;
            // With a full queue the descriptor is left out, or a pending hang-up would wake
            // the poll at once, again and again.
            watchFd = !hungUp && state_->rx.size() < state_->capacity;
            timed = (lines_ && !hungUp) || state_->transmitWatch;
            owes = !hungUp && device_.owesOutput();
        }
        const bool sending = !hungUp && state_->txQueued() > 0;
        const short wanted = static_cast<short>((watchFd ? POLLIN | POLLRDHUP : 0) |
                                                (owes || sending ? POLLOUT : 0));
        pollfd fds[2] = {{state_->wakeFd, POLLIN, 0}, {wanted ? device_.fd() : -1, wanted, 0}};
        if (::poll(fds, 2, timed ? kLinePollMs : -1) < 0 && errno != EINTR)
            return; // cannot happen with valid descriptors; better silent than spinning
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(state_->wakeFd, &count, sizeof count);
        }
        // Room again for what the device owes the line; an error here is a hang-up, which
        // the read below finds.
        if (owes && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)))
            device_.flushOutput();
        // The queue goes out behind what the device owes (a telnet line refuses new bytes
        // until then). A refusal for good is the writer's to report: the next write throws.
        if (sending && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)))
            state_->flushTx(device_);

        // Read whenever the descriptor is watched, not only when poll said so: an
        // out-of-band carrier change must not overtake bytes sent before it. A descriptor
        // left out because the queue is full is not drained: what waits in it came before
        // any carrier change seen now, so the change is held until the queue has room and
        // the descriptor has been read dry. Only a hung-up line has nothing more to give.
        bool drained = hungUp, lost = false, got = false;
        if (watchFd)
            got = readAvailable(fds[1].revents, drained, lost);
        // The modem lines are looked at only when nothing older waits unread, for the same
        // reason: a carrier drop seen now follows every byte still in the kernel.
        std::optional<int> lines;
        if (lines_ && !lost && drained)
            lines = device_.modemLines();

        bool postReceive = false, postTransmit = false;
        TCommEventMask events;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            if (state_->stop)
                return;
            if (lines) {
                events = modemLineEvents(*lines_, *lines);
                lines_ = lines;
                state_->carrier = (*lines & TIOCM_CD) != 0;
            }
            if (state_->carrierChanged && (drained || lost)) {
                state_->carrierChanged = false;
                events += evRlsd;
            }
            if (lost && !state_->hungUp) {
                // A device that went away is a lost line even where the carrier read low all
                // along: the handler learns of it from the same carrier notification.
                state_->hungUp = true;
                events += evRlsd;
                state_->carrier = false;
                state_->carrierChanged = false;
            }
            if (got && !state_->receivePending) {
                state_->receivePending = true;
                postReceive = true;
            }
            if (state_->transmitWatch &&
                (state_->hungUp || (device_.outQueue() == 0 && state_->txQueued() == 0))) {
                state_->transmitWatch = false;
                postTransmit = state_->eventMask.contains(evTxempty);
            }
            events = events & state_->eventMask &
                     TCommEventMask{evBreak, evCts, evDsr, evErr, evRing, evRlsd, evRxflag};
        }
        if (postReceive)
            notify_(Notice::Receive, {});
        if (!events.empty())
            notify_(Notice::Event, events);
        if (postTransmit)
            notify_(Notice::Transmit, {});
    }
}

} // namespace comm
