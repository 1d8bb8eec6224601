#pragma once
// The ways a terminal reaches tarno-hostsim: standard input and output, a TCP listener, or a
// pseudo-terminal the program creates. Each one feeds a Simulator on the program's loop and
// turns the simulator's carrier into what its medium can show:
//   stdio - nothing (the modem's "NO CARRIER" text is all there is); end of input ends
//           the program;
//   TCP   - one connection at a time is the line; losing the carrier closes it, closing it
//           is a dropped DTR;
//   pty   - losing the carrier closes the master side, so the terminal's side hangs up; a
//           fresh pseudo-terminal then takes its place behind the same link.
// `onLineGone` is called (on the loop's thread) after a call has ended and the medium was
// reset, so the program can stop after one call.
#include "sim/FdLink.h"
#include "sim/Simulator.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace hostsim {

class Transport {
public:
    virtual ~Transport() = default;
    // Throws std::runtime_error when the medium cannot be set up.
    virtual void start() = 0;
};

// onEnd: standard input closed; onLineGone: a call ended (the carrier dropped).
std::unique_ptr<Transport> makeStdio(base::EventLoop& loop, sim::Simulator& sim,
                                     std::function<void()> onEnd, std::function<void()> onLineGone);
// `address` is "HOST:PORT" or "PORT" (host 127.0.0.1); port 0 picks a free one.
std::unique_ptr<Transport> makeTcp(base::EventLoop& loop, sim::Simulator& sim,
                                   const std::string& address, std::function<void()> onLineGone);
// `linkPath` becomes a symbolic link to the terminal side; it is removed again at the end.
std::unique_ptr<Transport> makePty(base::EventLoop& loop, sim::Simulator& sim,
                                   const std::string& linkPath, std::function<void()> onLineGone);

} // namespace hostsim
