#pragma once
// The serial line as the engine drives it: open a COM port at a rate, write bytes, close.
// What arrives comes the other way: whoever owns the line calls
// VazevModel::Comm1CommReceive with the bytes and VazevModel::Comm1CommEvent with each
// carrier change. TCommPort carries this over comm::TComm; tests use a recording fake.
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
};

} // namespace engine
