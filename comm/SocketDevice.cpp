// The stream backends: a TCP connection ("tcp:HOST:PORT"), also the connection a telnet line
// runs on, and the socket pair of the built-in simulated line. None has line settings, DTR or
// modem lines.
#include "comm/Device.h"

#include "base/Sjis.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace comm {

Device::~Device() {
    if (fd_ >= 0)
        ::close(fd_);
}

int Device::outQueue() const {
    int queued = 0;
    // TIOCOUTQ and SIOCOUTQ are the same request; both answer "bytes not yet sent".
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

ssize_t Device::writeSome(const char* data, size_t count) {
    return ::write(fd_, data, count);
}

namespace {

class SocketDevice : public Device {
public:
    using Device::Device;
    ssize_t writeSome(const char* data, size_t count) override {
        // A peer that went away must give EPIPE, not kill the program with SIGPIPE.
        return ::send(fd_, data, count, MSG_NOSIGNAL);
    }
};

bool splitHostPort(const std::string& text, std::string& host, std::string& port) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        return false;
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    for (char c : port)
        if (c < '0' || c > '9')
            return false;
    return !host.empty() && port.size() <= 5 && std::stoi(port) >= 1 && std::stoi(port) <= 65535;
}

struct Cancelled {};

// A name lookup on a thread of its own: getaddrinfo cannot be interrupted, so a cancelled
// connect leaves it behind to finish and free its result alone.
struct Lookup {
    Lookup() : doneFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Lookup() {
        if (list)
            ::freeaddrinfo(list);
        if (doneFd >= 0)
            ::close(doneFd);
    }
    std::mutex mutex;
    addrinfo* list = nullptr;
    int rc = 0;
    const int doneFd;
};

// Resolves `host`; the list (the caller frees it) or the getaddrinfo error in `rc`. Throws
// Cancelled once `cancelFd` is readable.
addrinfo* resolve(const std::string& host, const std::string& port, int cancelFd, int& rc) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    if (cancelFd < 0) {
        addrinfo* list = nullptr;
        rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
        return rc == 0 ? list : nullptr;
    }
    auto lookup = std::make_shared<Lookup>();
    if (lookup->doneFd < 0) {
        rc = EAI_SYSTEM;
        return nullptr;
    }
    std::thread([lookup, host, port, hints] {
        addrinfo* list = nullptr;
        const int result = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->list = list;
        lookup->rc = result;
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(lookup->doneFd, &one, sizeof one);
    }).detach();
    pollfd p[2] = {{lookup->doneFd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    for (;;) {
        if (::poll(p, 2, -1) < 0 && errno != EINTR)
            break;
        if (p[1].revents & POLLIN)
            throw Cancelled{};
        if (p[0].revents & POLLIN)
            break;
    }
    std::lock_guard<std::mutex> lock(lookup->mutex);
    rc = lookup->rc;
    addrinfo* list = lookup->list;
    lookup->list = nullptr;
    return rc == 0 ? list : nullptr;
}

// A non-blocking connect with a bounded wait; the connected descriptor, or -1 with `error`
// set (ETIMEDOUT when the peer never answered). Throws Cancelled once `cancelFd` is readable.
int connectOne(const addrinfo& ai, int cancelFd, int timeoutMs, int& error) {
    int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = errno;
            ::close(fd);
            return -1;
        }
        pollfd p[2] = {{fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
        int ready;
        do {
            ready = ::poll(p, 2, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (p[1].revents & POLLIN) {
            ::close(fd);
            throw Cancelled{};
        }
        int soError = 0;
        socklen_t len = sizeof soError;
        if (ready == 0)
            soError = ETIMEDOUT;
        else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
            soError = errno;
        if (soError != 0) {
            error = soError;
            ::close(fd);
            return -1;
        }
    }
    // Single keystrokes and short host commands should leave at once.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// The reason for a connection to `hostPort` that failed with `error`.
std::string connectFailure(const std::string& hostPort, int error, int timeoutMs) {
    using base::sj;
    switch (error) {
    case ECONNREFUSED:
        return hostPort +
               sj(u8": 接続を拒否されました (ポート番号とホストが動いているかを確かめてください)");
    case ETIMEDOUT:
        return hostPort + ": " + std::to_string(timeoutMs / 1000) +
               sj(u8" 秒待っても応答がありません (接続がタイムアウトしました)");
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENETDOWN:
        return hostPort + sj(u8": ホストに到達できません (ネットワークの接続を確かめてください)");
    default:
        return hostPort + ": " + std::strerror(error);
    }
}

} // namespace

int connectTcp(const std::string& hostPort, int cancelFd, int timeoutMs) {
    using base::sj;
    std::string host, port;
    if (!splitHostPort(hostPort, host, port))
        throw ECommOpenError(-1, hostPort + sj(u8": 「ホスト名:ポート番号」の形ではありません"));
    int rc = 0;
    addrinfo* list = nullptr;
    try {
        list = resolve(host, port, cancelFd, rc);
    } catch (const Cancelled&) {
        throw ECommOpenError(-1);
    }
    if (!list)
        throw ECommOpenError(-1, host + sj(u8": ホスト名を解決できません (") + ::gai_strerror(rc) +
                                     ")");
    int fd = -1, error = ECONNREFUSED;
    try {
        for (addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next)
            fd = connectOne(*ai, cancelFd, timeoutMs, error);
    } catch (const Cancelled&) {
        ::freeaddrinfo(list);
        throw ECommOpenError(-1);
    }
    ::freeaddrinfo(list);
    if (fd < 0)
        throw ECommOpenError(-1, connectFailure(hostPort, error, timeoutMs));
    return fd;
}

std::unique_ptr<Device> openTcp(const std::string& hostPort) {
    return std::make_unique<SocketDevice>(connectTcp(hostPort));
}

namespace {

// A connection still being made. Everything the watcher and the writer ask of it goes to the
// connected device once there is one; until then it is a line that takes nothing yet.
class BackgroundDevice : public Device {
public:
    BackgroundDevice(std::string hostPort, bool telnet)
        : Device(-1), hostPort_(std::move(hostPort)), telnet_(telnet) {}

    int fd() const override { return inner() ? inner_->fd() : -1; }
    bool connectPending() const override { return !inner(); }
    void finishConnect(int cancelFd) override {
        const int fd = connectTcp(hostPort_, cancelFd);
        auto device = telnet_ ? telnetOnSocket(fd) : std::make_unique<SocketDevice>(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        inner_ = std::move(device);
    }

    int outQueue() const override { return inner() ? inner_->outQueue() : 0; }
    ssize_t writeSome(const char* data, size_t count) override {
        if (Device* d = inner())
            return d->writeSome(data, count);
        errno = EAGAIN;
        return -1;
    }
    size_t filterReceived(char* data, size_t count) override {
        Device* d = inner();
        return d ? d->filterReceived(data, count) : count;
    }
    bool owesOutput() const override { return inner() && inner_->owesOutput(); }
    void flushOutput() override {
        if (Device* d = inner())
            d->flushOutput();
    }
    void purge() override {
        if (Device* d = inner())
            d->purge();
    }

private:
    // Set once, by the watcher; read from both threads.
    Device* inner() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return inner_.get();
    }

    std::string hostPort_;
    bool telnet_;
    mutable std::mutex mutex_;
    std::unique_ptr<Device> inner_;
};

} // namespace

std::unique_ptr<Device> openInBackground(const std::string& hostPort, bool telnet) {
    return std::make_unique<BackgroundDevice>(hostPort, telnet);
}

std::unique_ptr<Device> openSocketPair(int& farEnd) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        throw ECommOpenError(-1);
    // Only our end is non-blocking; the far end is the simulator's to set up as it likes.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    farEnd = fds[1];
    return std::make_unique<SocketDevice>(fds[0]);
}

} // namespace comm
