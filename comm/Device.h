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

    // The descriptor to watch; -1 while a connection is still being made.
    virtual int fd() const { return fd_; }
    // True until a device opened in the background has finished connecting (see
    // openInBackground).
    virtual bool connectPending() const { return false; }
    // Makes the connection; called once, on the watcher thread. Throws ECommOpenError with
    // the reason when it fails, or with an empty reason once `cancelFd` became readable.
    virtual void finishConnect(int cancelFd) { (void)cancelFd; }

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

// Opens a tty exclusively and puts it into raw mode with `settings`. Three locks keep other
// programs off the line: the lock file "LCK..<name>" in `lockFolder` (the convention serial
// programs share; a stale one, whose process is gone, is removed), an advisory flock and
// TIOCEXCL. Throws ECommOpenError(-1) with a reason when the path is missing, is not a tty,
// may not be opened by this user, is in use (the holder named when its lock file tells), or
// refuses the settings (a rate the port does not take, read back after setting it).
std::unique_ptr<Device> openTty(const std::string& path, const LineSettings& settings,
                                const std::string& lockFolder = kLockFolder);

// Whether a port that reports `actual` bit/s after being set to `wanted` runs at the wanted
// rate, within the 2 % a UART's clock divider may miss by.
bool rateMatches(int wanted, int actual);

// The lock file's name for a tty path: "LCK.." and the device's name below /dev, with any
// further slash made an underscore ("/dev/ttyUSB0" -> "LCK..ttyUSB0", "/dev/pts/3" ->
// "LCK..pts_3").
std::string lockFileName(const std::string& devicePath);

// Connects to "HOST:PORT" (a bracketed IPv6 address is fine), waiting up to 10 s for each
// address the name resolves to, and returns the non-blocking descriptor. Throws
// ECommOpenError(-1) with a reason for a malformed address, an unknown host, a refused or
// unreachable peer and a peer that never answers. `cancelFd`, when not -1, is watched as
// well: once it is readable the connect gives up (ECommOpenError(-1), empty reason).
int connectTcp(const std::string& hostPort, int cancelFd = -1, int timeoutMs = 10'000);

// A plain TCP connection to "HOST:PORT" (see connectTcp).
std::unique_ptr<Device> openTcp(const std::string& hostPort);

// A telnet connection to "HOST:PORT" (see connectTcp and TelnetCodec): the client's option
// requests go out at once.
std::unique_ptr<Device> openTelnet(const std::string& hostPort);
// The telnet device over a connected socket, which it owns.
std::unique_ptr<Device> telnetOnSocket(int fd);

// A TCP (`telnet` false) or telnet connection to "HOST:PORT" that is made later, by
// finishConnect on the watcher thread, so that neither the name lookup nor the connect holds
// up the caller. Until then it has no descriptor, takes no bytes (writeSome gives EAGAIN)
// and owes nothing.
std::unique_ptr<Device> openInBackground(const std::string& hostPort, bool telnet);

// A connected pair of stream sockets: the device end and the far end's descriptor, which
// the caller hands on. Throws ECommOpenError(-1) when the pair cannot be made.
std::unique_ptr<Device> openSocketPair(int& farEnd);

} // namespace comm
