#pragma once
// The watcher of one open port. Its thread waits in poll() on the device and on a wake-up
// eventfd, moves received bytes into the port's receive queue, follows the carrier, and
// tells the component what happened through a notify function that posts to the loop's
// thread. It never runs a handler itself and never waits for the loop, so stopping it (the
// destructor) always returns promptly.
//
// What a wake-up reports, in this order: the bytes that arrived (one receive notice while
// the last one is still unhandled), then the line events of the same wake-up (a carrier
// drop that came with the last bytes is reported too), then an emptied transmit queue. A line
// event never overtakes bytes that wait before it: while the receive queue is full and bytes
// stay in the device, a carrier change (and the modem lines) wait until they are read.
//
// Carrier: on a tty with modem lines it is DCD, read with TIOCMGET at each wake-up and at
// least every kLinePollMs. TIOCMIWAIT would wake at once but blocks in an ioctl that the
// wake-up descriptor cannot interrupt, and many USB adapters lack it; a 20 ms poll costs
// nothing and keeps Close prompt. Without modem lines (pseudo-terminal, TCP) the carrier is
// up until the far end hangs up; the simulated line reports it out of band (reportCarrier).
// A hang-up of any device (end of stream, EIO, POLLHUP) is a lost line whatever the carrier
// read before it: it is reported as a carrier change even on a line whose DCD was never up (a
// three-wire cable), the carrier stays down for good and the descriptor is no longer
// watched, so it is reported once.
//
// A device opened in the background (a TCP or telnet line) is connected first, on this
// thread: success raises the carrier, failure is a lost line whose reason the component
// keeps; either is reported as a carrier change.
//
// Bytes read pass through the device's filterReceived (a telnet line keeps its commands), and
// while the transmit queue holds bytes or the device owes the line output, the watcher waits
// for room too and sends them: a slow line paces the queue, it never loses from it.
#include "comm/CommTypes.h"
#include "comm/Device.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace comm {

inline constexpr int kLinePollMs = 20;

// What the component and its watcher share while a port is open. Everything but wakeFd is
// guarded by `mutex`. Owned jointly, so an out-of-band carrier report that comes late finds
// it still there.
struct LineState {
    // Throws ECommOpenError(-2) when the eventfd cannot be made.
    explicit LineState(size_t capacity);
    ~LineState();
    LineState(const LineState&) = delete;
    LineState& operator=(const LineState&) = delete;

    // Makes the watcher look again (at the queue, the flags, the mask). Any thread.
    void wake();
    // A carrier change that the device cannot show in its byte stream. Any thread. Ignored
    // once the line hung up or the watcher stopped.
    void reportCarrier(bool on);

    // Sends what waits in `tx` as far as the device takes it without waiting. False when the
    // device refused for good: `writeError` then holds why, and what waited is dropped (it can
    // never be delivered; the caller reports the failure). Either thread.
    bool flushTx(Device& device);
    // Bytes queued and not yet handed to the device.
    size_t txQueued();

    std::mutex mutex;
    std::string rx; // the receive queue, oldest byte first
    size_t capacity;
    bool receivePending = false; // a receive notice is posted and not yet handled
    bool transmitWatch = false;  // a write is waiting to be reported as sent
    bool hungUp = false;         // the far end or the device went away
    bool carrier = false;
    bool carrierChanged = false; // an out-of-band change not yet reported
    bool stop = false;
    TCommEventMask eventMask;
    const int wakeFd;
    // Readable once the watcher is to stop: ends a connect still being made.
    const int stopFd;
    bool connecting = false; // a network line is still being connected
    std::string openFailure; // why that connection could not be made

    // The transmit queue: written bytes the device has not taken yet, oldest first. Guarded by
    // txMutex, which is also held around every write to the device, so the bytes of two
    // threads never interleave.
    std::mutex txMutex;
    std::string tx;
    std::atomic<int> writeError{
        0}; // why the device refused a write for good; 0 while it takes them
};

enum class Notice { Receive, Event, Transmit };
using Notify = std::function<void(Notice, TCommEventMask events)>;

// The line events that a change of the modem-line bits from `before` to `after` raises.
TCommEventMask modemLineEvents(int before, int after);

class TCommWatch {
public:
    // Starts the thread (std::system_error when it cannot). `device` and `notify` must stay
    // valid until the watcher is destroyed. `modemLines` is the device's modem-line state at
    // open, or nothing for a device without them.
    TCommWatch(Device& device, std::shared_ptr<LineState> state, Notify notify,
               std::optional<int> modemLines);
    // Stops and joins the thread.
    ~TCommWatch();
    TCommWatch(const TCommWatch&) = delete;
    TCommWatch& operator=(const TCommWatch&) = delete;

private:
    void run();
    // Reads what the device has into the receive queue. `drained` is true when nothing is
    // left unread, `lost` when the device hung up.
    bool readAvailable(short revents, bool& drained, bool& lost);
    // Connects a device opened in the background; false when the watcher is to stop.
    bool connect();

    Device& device_;
    std::shared_ptr<LineState> state_;
    Notify notify_;
    std::optional<int> lines_;
    std::thread thread_;
};

} // namespace comm
