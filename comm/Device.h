#pragma once
// The open device behind a port: one non-blocking file descriptor plus what the kind of line
// can do with it. A tty has line settings, DTR and perhaps modem lines; a socket (TCP or the
// built-in simulated line) has none of these and is a plain byte stream. A telnet connection
// is a socket with a protocol layer: it filters what is read, encodes what is written, and
// may owe the socket bytes that did not fit (its own answers, the tail of a write).
//
// The component owns the device. Its watcher thread reads the descriptor and may call
// modemLines(), outQueue(), filterReceived(), owesOutput() and flushOutput(); everything else
// runs on the component's thread. A device that overrides the last three keeps them safe
// beside writeSome().
#include "comm/CommTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace comm {

class Device {
public:
    explicit Device(int fd) : fd_(fd) {}
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    int fd() const { return fd_; }

    // Applies the chosen fields of `settings`; false when the device refused them. Streams
    // have no line settings and accept everything.
    virtual bool configure(const LineSettings& settings, unsigned fields) {
        (void)settings;
        (void)fields;
        return true;
    }
    // The modem-line bits (TIOCM_CD, TIOCM_DSR, ...), or nothing when the device has no
    // modem lines (a pseudo-terminal, a socket).
    virtual std::optional<int> modemLines() const { return std::nullopt; }
    virtual void setDtr(bool on) { (void)on; }
    // Discards what waits in both directions.
    virtual void purge() {}
    // Bytes written but not yet sent.
    virtual int outQueue() const;
    // One non-blocking write; the result and errno as write(2) gives them. Never raises
    // SIGPIPE.
    virtual ssize_t writeSome(const char* data, size_t count);
    // Turns `count` bytes just read from the descriptor into the line's data, in place, and
    // returns the data's length (never more than `count`).
    virtual size_t filterReceived(char* data, size_t count) {
        (void)data;
        return count;
    }
    // Whether bytes wait for room in the descriptor; flushOutput() sends what now fits.
    virtual bool owesOutput() const { return false; }
    virtual void flushOutput() {}

protected:
    int fd_;
};

// Opens a tty exclusively (an advisory lock, then TIOCEXCL) and puts it into raw mode with
// `settings`. Throws ECommOpenError(-1) when the path cannot be opened, is not a tty, is in
// use, or refuses the settings.
std::unique_ptr<Device> openTty(const std::string& path, const LineSettings& settings);

// Connects to "HOST:PORT" (a bracketed IPv6 address is fine), waiting up to 10 s for each
// address the name resolves to, and returns the non-blocking descriptor. Throws
// ECommOpenError(-1) for a malformed address, an unknown host, a refused or unreachable peer.
int connectTcp(const std::string& hostPort);

// A plain TCP connection to "HOST:PORT" (see connectTcp).
std::unique_ptr<Device> openTcp(const std::string& hostPort);

// A telnet connection to "HOST:PORT" (see connectTcp and TelnetCodec): the client's option
// requests go out at once.
std::unique_ptr<Device> openTelnet(const std::string& hostPort);

// A connected pair of stream sockets: the device end and the far end's descriptor, which
// the caller hands on. Throws ECommOpenError(-1) when the pair cannot be made.
std::unique_ptr<Device> openSocketPair(int& farEnd);

} // namespace comm
