#include "engine/TCommPort.h"

#include "base/Sjis.h"
#include "comm/CommTypes.h"
#include "engine/VazevModel.h"

#include <algorithm>

namespace engine {

TCommPort::TCommPort(comm::TComm& comm) : comm_(comm) {
    comm_.setEventMask({comm::evRlsd});
    comm_.OnCommReceive = [this](comm::TComm& c, std::uint16_t size) {
        std::string buf(size, '\0');
        int n = 0;
        try {
            n = c.Read(buf.data(), size);
        } catch (const comm::ECommError&) {
            return;
        }
        if (model_ && n > 0)
            model_->Comm1CommReceive(std::string_view(buf.data(), static_cast<size_t>(n)));
    };
    comm_.OnCommEvent = [this](comm::TComm& c, comm::TCommEventMask events) {
        if (!model_ || !events.contains(comm::evRlsd))
            return;
        if (c.LineLost())
            model_->Comm1LineLost();
        else
            model_->Comm1CommEvent(c.CarrierDetect());
    };
}

TCommPort::~TCommPort() {
    comm_.OnCommReceive = nullptr;
    comm_.OnCommEvent = nullptr;
}

bool TCommPort::open(int port, int baudRate) {
    lastError_.clear();
    writeFailed_ = false;
    if (port < 1 || port > 4) {
        lastError_ =
            "COM" + std::to_string(port) + base::sj(u8": この番号の通信ポートはありません");
        return false;
    }
    try {
        comm_.setPort(static_cast<std::uint8_t>(port));
        comm_.setBaudRate(baudRate > 0 ? baudRate : 9600);
        comm_.Open();
    } catch (const comm::ECommOpenError& e) {
        lastError_ = e.Reason.empty() ? e.what() : e.Reason;
        return false;
    } catch (const comm::ECommError& e) {
        lastError_ = e.what();
        return false;
    }
    return true;
}

std::string TCommPort::failure() const {
    if (comm_.isOpen())
        return comm_.OpenFailure();
    return lastError_;
}

std::size_t TCommPort::sendBacklog() const {
    return static_cast<std::size_t>(comm_.OutQueued());
}

void TCommPort::close() {
    comm_.Close();
}

void TCommPort::write(std::string_view bytes) {
    if (!comm_.isOpen())
        return;
    const size_t chunk = std::max<size_t>(1, comm_.OutQueueSize());
    try {
        for (size_t at = 0; at < bytes.size(); at += chunk) {
            size_t n = std::min(chunk, bytes.size() - at);
            comm_.Write(bytes.data() + at, static_cast<int>(n));
        }
    } catch (const comm::ECommError&) {
        // The line failed: the rest is not sent. Whoever must know (an upload) asks
        // writeFailed(); a lost line is also reported as a carrier loss.
        writeFailed_ = true;
    }
}

bool TCommPort::networkLine() const {
    return comm_.isNetworkLine();
}

} // namespace engine
