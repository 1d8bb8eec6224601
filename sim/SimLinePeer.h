#pragma once
// The built-in "sim:" line: the far end that the serial component connects to. It owns a
// Simulator over a DataSet; connect() hands it one end of a socket pair, whose bytes a
// reader thread (FdLink) posts to the EventLoop for the simulator, while the simulator's
// output is written back to that end and its carrier changes go to the callback.
// disconnect() is the terminal dropping DTR: the call ends, the thread stops and the
// descriptor is closed.
//
// connect(), disconnect() and the destructor run on the loop's thread, as the serial
// component's open and close do. The simulator stays, with its record and data, after a
// disconnect and serves the next connect().
//
//   sim::SimLinePeer peer(loop, sim::loadFixture("data/demo"));
//   comm line open on "sim:"  ->  peer.connect(fd, carrier)
//   ... peer.simulator().record() ...
#include "comm/SimLine.h"
#include "sim/FdLink.h"
#include "sim/Simulator.h"

#include <memory>

namespace sim {

class SimLinePeer : public comm::SimLine {
public:
    SimLinePeer(base::EventLoop& loop, DataSet data, SimOptions options = {});
    ~SimLinePeer() override;

    void connect(int fd, std::function<void(bool on)> carrier) override;
    void disconnect() override;

    Simulator& simulator() { return sim_; }
    bool connected() const { return link_ != nullptr; }

private:
    base::EventLoop& loop_;
    Simulator sim_;
    std::unique_ptr<FdLink> link_;
};

} // namespace sim
