#include "comm/TComm.h"

#include "base/Sjis.h"
#include "comm/ComPorts.h"
#include "comm/Device.h"
#include "comm/TCommWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <system_error>

namespace comm {

ECommError ECommError::notOpen() {
    return ECommError(base::sj(u8"通信が開始されていない。"));
}

ECommError ECommError::tooLong() {
    return ECommError(base::sj(u8"送信データ長が長すぎる。"));
}

ECommOpenError::ECommOpenError(std::int32_t code, std::string reason)
    : ECommError(base::sj(u8"オープンエラー ErrorCode = ") + std::to_string(code)), ErrorCode(code),
      Reason(std::move(reason)) {}

ECommReadWriteError::ECommReadWriteError(std::int32_t code)
    : ECommError(base::sj(u8"入出力エラー ErrorCode = ") + std::to_string(code)), ErrorCode(code) {}

namespace {

// Errors of a write that mean the far end is gone rather than that the write was wrong.
bool isHangUpError(int error) {
    return error == EPIPE || error == ECONNRESET || error == EIO || error == ENXIO ||
           error == ENOTCONN || error == ESHUTDOWN;
}

} // namespace

TComm::TComm(base::EventLoop& loop) : loop_(loop) {}

TComm::~TComm() {
    Close();
}

LineSettings TComm::effectiveSettings() const {
    LineSettings s = settings_;
    s.baudRate = baudRate_ == -1 ? baudRateUserDefined_ : baudRate_;
    return s;
}

void TComm::applySetting(unsigned field) {
    if (device_)
        device_->configure(effectiveSettings(), field);
}

void TComm::setBaudRate(std::int32_t rate) {
    baudRate_ = rate;
    applySetting(lsBaudRate);
}

void TComm::setParityBits(TCommParityBits parity) {
    settings_.parity = parity;
    applySetting(lsParity);
}

void TComm::setByteSize(TCommByteSize size) {
    settings_.byteSize = size;
    applySetting(lsByteSize);
}

void TComm::setStopBits(TCommStopBits stop) {
    settings_.stopBits = stop;
    applySetting(lsStopBits);
}

void TComm::setFlowControls(TCommFlowControls flow) {
    settings_.flow = flow;
    applySetting(lsFlow);
}

void TComm::setEventMask(TCommEventMask mask) {
    eventMask_ = mask;
    if (state_) {
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->eventMask = mask;
        }
        state_->wake();
    }
}

void TComm::openDevice(const std::string& device, int& simEnd) {
    if (device.rfind("sim:", 0) == 0) {
        if (!simLine_)
            throw ECommOpenError(-1, base::sj(u8"sim: 模擬回線がありません"));
        device_ = openSocketPair(simEnd);
        openSim_ = simLine_;
        modemLines_ = false;
        return;
    }
    // A network line connects in the background: the name lookup and the connect may take
    // seconds, and the loop's thread must not wait for them.
    if (device.rfind("tcp:", 0) == 0) {
        device_ = openInBackground(device.substr(4), false);
        modemLines_ = false;
        return;
    }
    if (device.rfind("telnet:", 0) == 0) {
        device_ = openInBackground(device.substr(7), true);
        modemLines_ = false;
        networkLine_ = true;
        return;
    }
    if (device.empty())
        throw ECommOpenError(-1, "COM" + std::to_string(port_) +
                                     base::sj(u8": この番号の通信ポートはありません"));
    device_ = openTty(device, effectiveSettings(), lockFolder_);
    modemLines_ = device_->modemLines().has_value();
}

void TComm::Open() {
    if (device_)
        return;
    const std::string device = comPortDevice(comPortsFolder_, port_);
    auto state = std::make_shared<LineState>(inQueueSize_);
    int simEnd = -1;
    try {
        openDevice(device, simEnd);
    } catch (...) {
        device_.reset();
        openSim_ = nullptr;
        networkLine_ = false;
        throw;
    }
    device_->purge();
    if (auto lines = device_->modemLines())
        state->carrier = (*lines & TIOCM_CD) != 0;
    else if (device_->connectPending())
        state->connecting = true; // up once connected
    else
        state->carrier = !openSim_; // a stream is "up" while connected; the simulator says
    state->eventMask = eventMask_;
    state_ = state;
    deviceName_ = device;
    if (openSim_) {
        // The callback holds the shared state, so a report after Close touches nothing freed.
        openSim_->connect(simEnd, [state](bool on) { state->reportCarrier(on); });
    }

    auto alive = std::make_shared<bool>(true);
    alive_ = alive;
    try {
        watch_ = std::make_unique<TCommWatch>(
            *device_, state_,
            [this, alive](Notice notice, TCommEventMask events) {
                // Runs on the watcher thread; the closure runs on the loop's thread, where
                // Close clears `alive` before anything it points at goes away.
                loop_.post([this, alive, notice, events] {
                    if (!*alive)
                        return;
                    switch (notice) {
                    case Notice::Receive:
                        DoCommReceive();
                        break;
                    case Notice::Event:
                        DoCommEvent(events);
                        break;
                    case Notice::Transmit:
                        DoCommTransmit();
                        break;
                    }
                });
            },
            device_->modemLines());
    } catch (const std::system_error&) {
        closeDevice();
        throw ECommOpenError(-3);
    }
    device_->setDtr(true);
}

void TComm::closeDevice() {
    if (alive_)
        *alive_ = false;
    alive_.reset();
    watch_.reset();
    if (device_) {
        device_->setDtr(false);
        if (openSim_)
            openSim_->disconnect();
        device_->purge();
    }
    device_.reset();
    state_.reset();
    openSim_ = nullptr;
    modemLines_ = false;
    networkLine_ = false;
    deviceName_.clear();
}

void TComm::Close() {
    if (!device_)
        return;
    closeDevice();
}

void TComm::Write(const void* buffer, int count) {
    if (!device_)
        throw ECommError::notOpen();
    if (count > outQueueSize_)
        throw ECommError::tooLong();
    if (count <= 0)
        return;
    if (const int error = state_->writeError.load())
        throw ECommReadWriteError(error);
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->hungUp)
            throw ECommReadWriteError(EPIPE);
    }
    {
        std::lock_guard<std::mutex> lock(state_->txMutex);
        state_->tx.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    }
    // What the device takes at once leaves now; the rest waits for the watcher, which sends
    // it as the line drains.
    if (!state_->flushTx(*device_)) {
        const int error = state_->writeError.load();
        if (!isHangUpError(error))
            throw ECommReadWriteError(error);
        state_->wake(); // the watcher finds the hang-up and reports it
        throw ECommReadWriteError(error);
    }
    if (state_->txQueued() > 0 || device_->owesOutput())
        state_->wake();
    if (eventMask_.contains(evTxempty)) {
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->transmitWatch = true;
        }
        state_->wake();
    }
}

int TComm::OutQueued() const {
    if (!device_)
        return 0;
    const size_t queued = state_->txQueued() + static_cast<size_t>(device_->outQueue());
    return static_cast<int>(std::min<size_t>(queued, 0x7FFFFFFF));
}

bool TComm::Connecting() const {
    if (!device_)
        return false;
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->connecting;
}

std::string TComm::OpenFailure() const {
    if (!device_)
        return {};
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->openFailure;
}

bool TComm::LineLost() const {
    if (!device_)
        return false;
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->hungUp;
}

int TComm::Read(void* buffer, int count) {
    if (!device_)
        throw ECommError::notOpen();
    if (count <= 0)
        return 0;
    bool wasFull;
    size_t n;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        wasFull = state_->rx.size() >= state_->capacity;
        n = std::min(static_cast<size_t>(count), state_->rx.size());
        std::memcpy(buffer, state_->rx.data(), n);
        state_->rx.erase(0, n);
    }
    if (wasFull && n > 0)
        state_->wake(); // the watcher left the device alone while the queue was full
    return static_cast<int>(n);
}

void TComm::WriteString(std::string_view text) {
    Write(text.data(), static_cast<int>(text.size()));
}

bool TComm::DsrState() const {
    if (!device_)
        return false;
    if (modemLines_) {
        auto lines = device_->modemLines();
        return lines && (*lines & TIOCM_DSR) != 0;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    return !state_->hungUp;
}

bool TComm::CarrierDetect() const {
    if (!device_)
        return false;
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->carrier;
}

void TComm::DoCommReceive() {
    if (!device_)
        return;
    size_t waiting;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        // Bytes that arrive from now on deserve a notification of their own.
        state_->receivePending = false;
        waiting = state_->rx.size();
    }
    if (waiting > 0 && OnCommReceive)
        OnCommReceive(*this, static_cast<std::uint16_t>(std::min<size_t>(waiting, 0xFFFF)));
}

void TComm::DoCommTransmit() {
    if (!device_ || !OnCommTransmit)
        return;
    OnCommTransmit(*this, static_cast<std::uint16_t>(std::min(OutQueued(), 0xFFFF)));
}

void TComm::DoCommEvent(TCommEventMask events) {
    if (!device_ || !OnCommEvent)
        return;
    const TCommEventMask reported =
        events & TCommEventMask{evBreak, evCts, evDsr, evErr, evRing, evRlsd, evRxflag};
    if (!reported.empty())
        OnCommEvent(*this, reported);
}

} // namespace comm
