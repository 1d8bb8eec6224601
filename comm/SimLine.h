#pragma once
// The far end of the built-in simulated line ("sim:"). The serial component knows only this
// interface; the simulated modem and host implement it, so the line code never depends on
// the simulator.
//
// TComm::Open on "sim:" creates a connected socket pair, keeps one end as its device and
// hands the other to connect(). Bytes then flow over the pair like over a serial cable. The
// modem's carrier-detect line has no place in a byte stream, so the simulator reports it
// out of band through the callback; TComm turns each change into a carrier notification,
// delivered after every byte written to the socket before the change (so "NO CARRIER" and
// then carrier(false) reach the terminal in that order).
// TComm::Close (which lowers DTR on a real port) calls disconnect().
#include <functional>

namespace comm {

class SimLine {
public:
    virtual ~SimLine() = default;

    // Takes ownership of `fd`, the simulator's end of the socket pair. `carrier` may be
    // called from any thread, at any time until disconnect() returns, with the new state of
    // carrier detect (false at the start).
    virtual void connect(int fd, std::function<void(bool on)> carrier) = 0;

    // The terminal closed its end (DTR dropped): hang up, close `fd`, and call `carrier`
    // no more.
    virtual void disconnect() = 0;
};

} // namespace comm
