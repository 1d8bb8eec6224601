#pragma once
// What an MLINK transfer needs of the terminal it runs in: the receive mode, the raw ring
// buffer that fills while it handshakes, a way to hand bytes back as received text, the
// line to send on, the status line and the error log. EngineTransfer provides it over the
// terminal engine; tests provide it with a recording fake.
#include <cstddef>
#include <string>
#include <string_view>

namespace transfer {

class MlinkLine {
public:
    virtual ~MlinkLine() = default;

    virtual int receiveMode() const = 0;
    virtual void setReceiveMode(int mode) = 0;

    // The ring buffer of raw mode: whether a byte waits, the next byte, empty it.
    virtual bool ringHasByte() const = 0;
    virtual unsigned char ringGetC() = 0;
    virtual void clearRing() = 0;
    // Bytes that belong to the terminal after all: they are handled as received text
    // (lines, capture log, the auto-pilot's rules) whatever the receive mode is. The
    // transfer calls it only once it has finished with the line.
    virtual void receiveAsText(std::string_view bytes) = 0;

    // Sends bytes on the line.
    virtual void send(std::string_view bytes) = 0;
    // Bytes sent and not yet gone out on the line (0 where the line cannot tell).
    virtual std::size_t sendBacklog() const { return 0; }
    // True once a send failed: what was sent since may never arrive.
    virtual bool sendFailed() const { return false; }
    virtual void setStatus(const std::string& sjisText) = 0;
    // An error-log line with the date and time in front / the text as it is.
    virtual void logError(const std::string& sjisText) = 0;
    virtual void logErrorPlain(const std::string& sjisText) = 0;
    // The auto-pilot's "a line was sent, wait for the next CR" flag.
    virtual void setUploadSent(bool on) = 0;
};

} // namespace transfer
