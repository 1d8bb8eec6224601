#pragma once
// The simulated far end of a line: a Modem in front of a Host over a DataSet, with the
// SessionRecord of everything that passed. It is a pure byte-in, byte-out machine on an
// EventLoop: whoever carries the line (a test, the "sim:" line, tarno-hostsim) hands it
// what the terminal sent with receive(), gets what goes back through the output sink and
// the carrier state through the carrier callback. All timing (dial delay, guard time,
// pauses, time-outs) runs on the loop, so a VirtualLoop drives a whole session.
//
//   terminal --receive()--> Modem --online--> Host --HostOutput--> Modem --output--> terminal
//
// Typical use in a test:
//   base::VirtualLoop loop;
//   sim::Simulator sim(loop, sim::loadFixture(dir));
//   sim.setOutput([&](std::string_view b) { screen += b; });
//   sim.attach();
//   sim.receive("ATZ\r\n"); loop.advance(100);
//   ... sim.record().posts ...
#include "base/EventLoop.h"
#include "sim/DataSet.h"
#include "sim/Host.h"
#include "sim/HostOutput.h"
#include "sim/Modem.h"
#include "sim/Options.h"
#include "sim/Record.h"

#include <functional>
#include <string_view>

namespace sim {

class Simulator {
public:
    using Sink = std::function<void(std::string_view)>;

    Simulator(base::EventLoop& loop, DataSet data, SimOptions options = {});
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Where the bytes for the terminal go; until set they are only recorded.
    void setOutput(Sink sink) { output_ = std::move(sink); }
    // Told every change of carrier detect.
    void setCarrier(std::function<void(bool)> carrier) { carrierOut_ = std::move(carrier); }

    // A terminal attached to the line: the modem is in its power-on state (on a direct line
    // the host waits for the first CR, carrier on).
    void attach();
    // Bytes the terminal sent.
    void receive(std::string_view bytes);
    // The terminal lowered DTR or closed the line: any call ends.
    void dtrDropped();

    bool carrier() const { return modem_.carrier(); }
    bool hostInSession() const { return host_.inSession(); }
    const SessionRecord& record() const { return record_; }
    const DataSet& data() const { return data_; }
    DataSet& data() { return data_; }
    const SimOptions& options() const { return options_; }

private:
    void toTerminal(std::string_view bytes);
    void carrierChanged(bool on);
    void note(TranscriptEntry::Kind kind, std::string_view bytes);

    base::EventLoop& loop_;
    const SimOptions options_;
    DataSet data_;
    SessionRecord record_;
    const std::int64_t startMs_;
    Sink output_;
    std::function<void(bool)> carrierOut_;
    HostOutput hostOut_;
    Modem modem_;
    Host host_;
};

} // namespace sim
