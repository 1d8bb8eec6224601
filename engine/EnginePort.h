#pragma once
// The serial line as the engine drives it: open a COM port at a rate, write bytes, close.
// What arrives comes the other way: whoever owns the line calls
// VazevModel::Comm1CommReceive with the bytes and VazevModel::Comm1CommEvent with each
// carrier change. TCommPort carries this over comm::TComm; tests use a recording fake.
#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

class EnginePort {
public:
    virtual ~EnginePort() = default;

    // Opens COM<port> at `baudRate`; false (and closed) when the device cannot be opened.
    virtual bool open(int port, int baudRate) = 0;
    // Closes the line (DTR drops); nothing when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends the bytes; nothing when closed. Never throws.
    virtual void write(std::string_view bytes) = 0;
    // True when the open line has no modem in front of it (a network connection): there
    // is nothing to initialise and no number to dial, like a direct line.
    virtual bool networkLine() const { return false; }
    // Why the last open failed, or why a line opened in the background could not be
    // connected: the device and the cause (Shift-JIS); empty when there is nothing to say.
    virtual std::string failure() const { return {}; }
    // The device the open line uses, for a text that names it; empty when unknown.
    virtual std::string deviceName() const { return {}; }
    // Bytes written and not yet gone out on the line.
    virtual std::size_t sendBacklog() const { return 0; }
    // True once a write of the open line failed: what was written since may never arrive.
    virtual bool writeFailed() const { return false; }
};

} // namespace engine
