// The telnet backend ("telnet:HOST:PORT"): a TCP connection with a TelnetCodec between the
// socket and the port's byte stream.
//
// Everything bound for the socket (the opening requests, the answers the watcher thread
// produces while reading, the encoded writes of the component's thread) is appended whole to
// one owed buffer and sent from its front, under one lock. So an answer can never land inside
// an IAC IAC or CR NUL pair, and a write that the socket takes only in part is finished later
// (by the next write or by the watcher, when the socket has room) instead of being cut in two.
#include "comm/Device.h"
#include "comm/TelnetCodec.h"

#include <cerrno>
#include <mutex>
#include <sys/socket.h>

namespace comm {

namespace {

// Answers are dropped while this much is owed: a far end that floods requests and reads
// nothing must not grow the buffer without end. A whole write (at most 64 KiB, doubled by
// IAC IAC) always fits below it.
constexpr size_t kMaxOwed = 256 * 1024;

class TelnetDevice : public Device {
public:
    explicit TelnetDevice(int fd) : Device(fd) {
        std::lock_guard<std::mutex> lock(mutex_);
        owed_ = codec_.start();
        flushLocked(); // a fresh connection takes a dozen bytes; what it refuses is owed
    }

    ssize_t writeSome(const char* data, size_t count) override {
        int error = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!flushLocked()) {
                error = errno;
            } else if (!owed_.empty()) {
                error = EAGAIN; // the caller waits for room and comes back
            } else {
                codec_.send(data, count, owed_);
                if (!flushLocked())
                    error = errno;
            }
        }
        if (error != 0) {
            errno = error;
            return -1;
        }
        return static_cast<ssize_t>(count);
    }

    size_t filterReceived(char* data, size_t count) override {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.clear();
        const size_t length = codec_.receive(data, count, data, answers_);
        if (!answers_.empty() && owed_.size() < kMaxOwed) {
            owed_ += answers_;
            flushLocked();
        }
        return length;
    }

    bool owesOutput() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return !owed_.empty();
    }

    void flushOutput() override {
        std::lock_guard<std::mutex> lock(mutex_);
        flushLocked();
    }

    int outQueue() const override {
        const int queued = Device::outQueue();
        std::lock_guard<std::mutex> lock(mutex_);
        return queued + static_cast<int>(owed_.size()); // bounded by kMaxOwed and one write
    }

private:
    // Sends what is owed as far as the socket takes it. False, with errno set, when the socket
    // refused for good (the far end is gone); what was owed is then dropped, as it can never
    // be delivered.
    bool flushLocked() {
        while (!owed_.empty()) {
            const ssize_t n = ::send(fd_, owed_.data(), owed_.size(), MSG_NOSIGNAL);
            if (n > 0) {
                owed_.erase(0, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            const int error = n < 0 ? errno : EPIPE;
            owed_.clear();
            errno = error;
            return false;
        }
        return true;
    }

    mutable std::mutex mutex_;
    TelnetCodec codec_;
    std::string owed_;
    std::string answers_;
};

} // namespace

std::unique_ptr<Device> openTelnet(const std::string& hostPort) {
    return telnetOnSocket(connectTcp(hostPort));
}

std::unique_ptr<Device> telnetOnSocket(int fd) {
    return std::make_unique<TelnetDevice>(fd);
}

} // namespace comm
