// The stream backends: a TCP connection ("tcp:HOST:PORT"), also the connection a telnet line
// runs on, and the socket pair of the built-in simulated line. None has line settings, DTR or
// modem lines.
#include "comm/Device.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
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

// How long one address may take to answer a connect before the next is tried.
constexpr int kConnectTimeoutMs = 10'000;

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

// A non-blocking connect with a bounded wait; the connected descriptor, or -1.
int connectOne(const addrinfo& ai) {
    int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0)
        return -1;
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            ::close(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t len = sizeof error;
        int ready;
        do {
            ready = ::poll(&p, 1, kConnectTimeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready != 1 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            ::close(fd);
            return -1;
        }
    }
    // Single keystrokes and short host commands should leave at once.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

} // namespace

int connectTcp(const std::string& hostPort) {
    std::string host, port;
    if (!splitHostPort(hostPort, host, port))
        throw ECommOpenError(-1);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0)
        throw ECommOpenError(-1);
    int fd = -1;
    for (addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next)
        fd = connectOne(*ai);
    ::freeaddrinfo(list);
    if (fd < 0)
        throw ECommOpenError(-1);
    return fd;
}

std::unique_ptr<Device> openTcp(const std::string& hostPort) {
    return std::make_unique<SocketDevice>(connectTcp(hostPort));
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
