#pragma once
// The open device behind a port: one non-blocking file descriptor plus what the kind of line
// can do with it. A tty has line settings, DTR and perhaps modem lines; a socket (TCP or the
// built-in simulated line) has none of these and is a plain byte stream.
//
// The component owns the device. Its watcher thread reads the descriptor and may call
// modemLines() and outQueue(); everything else runs on the component's thread.
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
    int outQueue() const;
    // One non-blocking write; the result and errno as write(2) gives them. Never raises
    // SIGPIPE.
    virtual ssize_t writeSome(const char* data, size_t count);

protected:
    int fd_;
};

// Opens a tty exclusively (an advisory lock, then TIOCEXCL) and puts it into raw mode with
// `settings`. Throws ECommOpenError(-1) when the path cannot be opened, is not a tty, is in
// use, or refuses the settings.
std::unique_ptr<Device> openTty(const std::string& path, const LineSettings& settings);

// Connects to "HOST:PORT" (a bracketed IPv6 address is fine), waiting up to 10 s for each
// address the name resolves to. Throws ECommOpenError(-1) for
// a malformed address, an unknown host, a refused or unreachable peer.
std::unique_ptr<Device> openTcp(const std::string& hostPort);

// A connected pair of stream sockets: the device end and the far end's descriptor, which
// the caller hands on. Throws ECommOpenError(-1) when the pair cannot be made.
std::unique_ptr<Device> openSocketPair(int& farEnd);

} // namespace comm
