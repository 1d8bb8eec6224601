#pragma once
// A line between the terminal and tarno-hostsim's pseudo-terminal, as real equipment puts
// one there, for end-to-end tests in real time:
//
// - Relay::slowPty: a pseudo-terminal for the terminal whose far end takes what the terminal
//   sends at a fixed rate (a 2400 bit/s modem, or CTS holding the line), and passes the
//   host's output on at once. When the host hangs up, the terminal's side hangs up too.
// - Relay::terminalServer: a TCP port that, once connected, carries bytes both ways to the
//   host's pseudo-terminal, like a serial server with a modem behind it. When the modem's
//   line goes, the TCP session stays up, as such servers keep it.
//
// The relay runs on a thread of its own and stops when destroyed.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace testing_support {

class Relay {
public:
    // The terminal opens terminalPath(); bytes from it reach the host at `bytesPerSecond`.
    static std::unique_ptr<Relay> slowPty(const std::string& hostPath, int bytesPerSecond) {
        std::unique_ptr<Relay> r(new Relay(hostPath, bytesPerSecond, false));
        r->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (r->master_ < 0 || ::grantpt(r->master_) != 0 || ::unlockpt(r->master_) != 0)
            return r;
        r->terminalPath_ = ::ptsname(r->master_);
        // Held open here, so the master never reads a hang-up before the terminal opens it.
        r->heldSlave_ = ::open(r->terminalPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        r->terminal_ = r->master_;
        r->start();
        return r;
    }

    // The terminal connects to "tcp:" + terminalPath() ("127.0.0.1:PORT").
    static std::unique_ptr<Relay> terminalServer(const std::string& hostPath) {
        std::unique_ptr<Relay> r(new Relay(hostPath, 0, true));
        r->listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(r->listen_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            ::listen(r->listen_, 1) != 0 ||
            ::getsockname(r->listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return r;
        r->terminalPath_ = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        r->start();
        return r;
    }

    ~Relay() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stop_, &one, sizeof one);
        if (thread_.joinable())
            thread_.join();
        for (int fd :
             {stop_, listen_, terminal_ == master_ ? -1 : terminal_, master_, heldSlave_, host_})
            if (fd >= 0)
                ::close(fd);
    }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    const std::string& terminalPath() const { return terminalPath_; }
    bool ok() const { return !terminalPath_.empty() && host_ >= 0; }
    // Whether the host's side has hung up.
    bool hostGone() const { return hostGone_; }
    // Bytes passed from the terminal to the host.
    std::int64_t toHost() const { return toHost_; }

private:
    Relay(const std::string& hostPath, int bytesPerSecond, bool keepTerminal)
        : rate_(bytesPerSecond), keepTerminal_(keepTerminal),
          stop_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        host_ = ::open(hostPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        termios t;
        if (host_ >= 0 && ::tcgetattr(host_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(host_, TCSANOW, &t);
        }
    }

    void start() {
        thread_ = std::thread([this] { run(); });
    }

    // Writes all of `n` bytes to a non-blocking descriptor, waiting for room; false when it
    // is gone.
    bool writeAll(int fd, const char* p, size_t n) {
        while (n > 0) {
            const ssize_t w = ::write(fd, p, n);
            if (w > 0) {
                p += w;
                n -= static_cast<size_t>(w);
                continue;
            }
            if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd pf[2] = {{fd, POLLOUT, 0}, {stop_, POLLIN, 0}};
                ::poll(pf, 2, -1);
                if (pf[1].revents)
                    return false;
                continue;
            }
            return false;
        }
        return true;
    }

    void run() {
        using Clock = std::chrono::steady_clock;
        if (listen_ >= 0) {
            pollfd pf[2] = {{listen_, POLLIN, 0}, {stop_, POLLIN, 0}};
            ::poll(pf, 2, -1);
            if (pf[1].revents)
                return;
            terminal_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (terminal_ < 0)
                return;
        }
        // What the terminal may send now: one second's worth at most, refilled with time.
        double allowance = rate_;
        auto last = Clock::now();
        char buf[4096];
        for (;;) {
            int timeout = -1;
            size_t take = sizeof buf;
            if (rate_ > 0) {
                const auto now = Clock::now();
                allowance = std::min<double>(
                    rate_, allowance + rate_ * std::chrono::duration<double>(now - last).count());
                last = now;
                // Whole chunks, so the relay does not wake for every byte.
                const double chunk = std::min(64, rate_);
                take = allowance < chunk ? 0 : std::min(sizeof buf, static_cast<size_t>(allowance));
                if (take == 0)
                    timeout =
                        std::max(1, static_cast<int>((chunk - allowance) * 1000.0 / rate_) + 1);
            }
            const bool hostUp = host_ >= 0 && !hostGone_;
            pollfd pf[3] = {{stop_, POLLIN, 0},
                            {terminal_, static_cast<short>(take > 0 ? POLLIN : 0), 0},
                            {hostUp ? host_ : -1, POLLIN, 0}};
            if (::poll(pf, 3, timeout) < 0 && errno != EINTR)
                return;
            if (pf[0].revents)
                return;
            if (pf[2].revents) {
                const ssize_t n = ::read(host_, buf, sizeof buf);
                if (n > 0) {
                    if (!writeAll(terminal_, buf, static_cast<size_t>(n)))
                        return;
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    hostGone_ = true;
                    if (!keepTerminal_) {
                        // The modem's line went: so does the terminal's.
                        ::close(master_);
                        ::close(heldSlave_);
                        master_ = heldSlave_ = terminal_ = -1;
                        return;
                    }
                }
            }
            if (pf[1].revents) {
                const ssize_t n = ::read(terminal_, buf, take);
                if (n > 0) {
                    allowance -= static_cast<double>(n);
                    toHost_ += n;
                    // Once the host is gone, the terminal's bytes go nowhere.
                    if (hostUp && !writeAll(host_, buf, static_cast<size_t>(n)))
                        hostGone_ = true;
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    return; // the terminal closed its side
                }
            }
        }
    }

    int rate_;
    bool keepTerminal_;
    int stop_;
    int host_ = -1;
    int listen_ = -1;
    int master_ = -1;
    int heldSlave_ = -1;
    int terminal_ = -1;
    std::string terminalPath_;
    std::atomic<bool> hostGone_{false};
    std::atomic<std::int64_t> toHost_{0};
    std::thread thread_;
};

} // namespace testing_support
