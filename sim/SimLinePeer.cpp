#include "sim/SimLinePeer.h"

#include <unistd.h>

namespace sim {

SimLinePeer::SimLinePeer(base::EventLoop& loop, DataSet data, SimOptions options)
    : loop_(loop), sim_(loop, std::move(data), std::move(options)) {}

SimLinePeer::~SimLinePeer() {
    disconnect();
}

void SimLinePeer::connect(int fd, std::function<void(bool on)> carrier) {
    disconnect();
    sim_.setCarrier(std::move(carrier));
    // The terminal closing its end is a dropped DTR too.
    link_ = std::make_unique<FdLink>(
        loop_, fd, fd, true, [this](const std::string& bytes) { sim_.receive(bytes); },
        [this] { sim_.dtrDropped(); });
    sim_.setOutput([this](std::string_view bytes) {
        if (link_)
            link_->write(bytes);
    });
    sim_.attach();
}

void SimLinePeer::disconnect() {
    if (!link_)
        return;
    sim_.dtrDropped();
    sim_.setOutput(nullptr);
    sim_.setCarrier(nullptr);
    link_.reset();
}

} // namespace sim
