#include "sim/hostsim/Transports.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace hostsim {

namespace {

[[noreturn]] void sysFail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A caller who connects while the line is taken: a modem of its own that answers commands
// as any modem does and reports the host's line busy when it dials, until it hangs up.
class BusyCaller {
public:
    BusyCaller(base::EventLoop& loop, int fd, std::function<void()> onClosed)
        : modem_(loop, options(), record_,
                 sim::Modem::Wiring{[this](std::string_view b) {
                                        if (link_)
                                            link_->write(b);
                                    },
                                    [](bool) {}, [](std::string_view) {}, [] {}, [] {}}) {
        link_ = std::make_unique<sim::FdLink>(
            loop, fd, fd, true, [this](const std::string& b) { modem_.receive(b); },
            std::move(onClosed));
        modem_.attach();
    }

private:
    static const sim::ModemOptions& options() {
        static const sim::ModemOptions busy = [] {
            sim::ModemOptions o;
            o.busyCount = 1 << 30;
            o.dialDelayMs = 1000;
            return o;
        }();
        return busy;
    }

    sim::SessionRecord record_;
    sim::Modem modem_;
    std::unique_ptr<sim::FdLink> link_;
};

// ---- stdin / stdout ---------------------------------------------------------------------

class Stdio : public Transport {
public:
    Stdio(base::EventLoop& loop, sim::Simulator& sim, std::function<void()> onEnd,
          std::function<void()> onLineGone)
        : loop_(loop), sim_(sim), onEnd_(std::move(onEnd)), onLineGone_(std::move(onLineGone)),
          alive_(std::make_shared<bool>(true)) {}
    ~Stdio() override {
        *alive_ = false;
        sim_.setOutput(nullptr);
        sim_.setCarrier(nullptr);
    }

    void start() override {
        link_ = std::make_unique<sim::FdLink>(
            loop_, 0, 1, false, [this](const std::string& b) { sim_.receive(b); },
            [this] {
                sim_.dtrDropped();
                onEnd_();
            });
        sim_.setOutput([this](std::string_view b) { link_->write(b); });
        // Standard output has no carrier line: the end of a call is told by the line
        // going, a moment after the modem's last words (as a pseudo-terminal hangs up).
        sim_.setCarrier([this](bool on) {
            if (on)
                return;
            loop_.startTimer(
                200,
                [this, alive = alive_] {
                    if (*alive)
                        onLineGone_();
                },
                false);
        });
        sim_.attach();
    }

private:
    base::EventLoop& loop_;
    sim::Simulator& sim_;
    std::function<void()> onEnd_;
    std::function<void()> onLineGone_;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<sim::FdLink> link_;
};

// ---- TCP ----------------------------------------------------------------------------------

class Tcp : public Transport {
public:
    Tcp(base::EventLoop& loop, sim::Simulator& sim, std::string address,
        std::function<void()> onLineGone)
        : loop_(loop), sim_(sim), address_(std::move(address)), onLineGone_(std::move(onLineGone)),
          alive_(std::make_shared<bool>(true)) {}

    ~Tcp() override {
        *alive_ = false;
        char c = 0;
        if (stop_[1] >= 0) [[maybe_unused]]
            ssize_t n = ::write(stop_[1], &c, 1);
        if (acceptor_.joinable())
            acceptor_.join();
        closeLine();
        if (listen_ >= 0)
            ::close(listen_);
        for (int fd : stop_)
            if (fd >= 0)
                ::close(fd);
    }

    void start() override {
        std::string host = "127.0.0.1";
        std::string port = address_;
        if (size_t colon = address_.rfind(':'); colon != std::string::npos) {
            host = address_.substr(0, colon);
            port = address_.substr(colon + 1);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        char* end = nullptr;
        long p = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end || p < 0 || p > 65535 ||
            ::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1)
            throw std::runtime_error("bad --listen address \"" + address_ + "\"");
        addr.sin_port = htons(static_cast<uint16_t>(p));
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listen_ < 0)
            sysFail("socket");
        int one = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            sysFail("bind " + address_);
        if (::listen(listen_, 4) != 0)
            sysFail("listen");
        socklen_t len = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        std::fprintf(stderr, "tarno-hostsim: listening on %s:%d\n", host.c_str(),
                     ntohs(addr.sin_port));
        if (::pipe2(stop_, O_CLOEXEC) != 0)
            sysFail("pipe");
        sim_.setCarrier([this](bool on) {
            if (!on)
                loop_.post([this, alive = alive_, line = generation_] {
                    if (*alive && line == generation_)
                        lineGone();
                });
        });
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

private:
    void acceptLoop() {
        for (;;) {
            pollfd fds[2] = {{listen_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents)
                return;
            int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            loop_.post([this, fd, alive = alive_] {
                if (*alive)
                    accepted(fd);
                else
                    ::close(fd);
            });
        }
    }

    void accepted(int fd) {
        if (line_) {
            const int id = ++busyCallers_;
            busy_.emplace(id, std::make_unique<BusyCaller>(loop_, fd, [this, id, alive = alive_] {
                              // Not from inside the caller's own callback: its link is being torn
                              // down.
                              loop_.post([this, id, alive] {
                                  if (*alive)
                                      busy_.erase(id);
                              });
                          }));
            return;
        }
        ++generation_;
        line_ = std::make_unique<sim::FdLink>(
            loop_, fd, fd, true, [this](const std::string& b) { sim_.receive(b); },
            [this] {
                sim_.dtrDropped();
                lineGone();
            });
        sim_.setOutput([this](std::string_view b) {
            if (line_)
                line_->write(b);
        });
        sim_.attach();
    }

    void closeLine() {
        sim_.setOutput(nullptr);
        line_.reset();
    }

    void lineGone() {
        if (!line_)
            return;
        closeLine();
        onLineGone_();
    }

    base::EventLoop& loop_;
    sim::Simulator& sim_;
    std::string address_;
    std::function<void()> onLineGone_;
    std::shared_ptr<bool> alive_;
    int listen_ = -1;
    int stop_[2] = {-1, -1};
    std::thread acceptor_;
    std::unique_ptr<sim::FdLink> line_;
    std::map<int, std::unique_ptr<BusyCaller>> busy_; // callers while the line is taken
    int busyCallers_ = 0;
    int generation_ = 0; // counts connections, so a late notice never closes a newer one
};

// ---- pseudo-terminal ----------------------------------------------------------------------

class Pty : public Transport {
public:
    Pty(base::EventLoop& loop, sim::Simulator& sim, std::string linkPath,
        std::function<void()> onLineGone)
        : loop_(loop), sim_(sim), linkPath_(std::move(linkPath)),
          onLineGone_(std::move(onLineGone)), alive_(std::make_shared<bool>(true)) {}

    ~Pty() override {
        *alive_ = false;
        closePty();
        struct stat st;
        if (::lstat(linkPath_.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(linkPath_.c_str());
    }

    void start() override {
        struct stat st;
        if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
            throw std::runtime_error(linkPath_ + " exists and is not a symbolic link");
        // The master closes a moment after the carrier drops, so the terminal can still read
        // the last words ("NO CARRIER") before its side hangs up.
        sim_.setCarrier([this](bool on) {
            if (!on)
                loop_.startTimer(
                    200,
                    [this, alive = alive_] {
                        if (*alive)
                            hangUp();
                    },
                    false);
        });
        openPty();
    }

private:
    void openPty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            sysFail("posix_openpt");
        const char* name = ::ptsname(master_);
        if (!name)
            sysFail("ptsname");
        std::string slaveName = name;
        // The program keeps the terminal side open itself, so the master never reads a
        // hang-up while no terminal has the device open, and sets it raw: no echo, no line
        // editing, no CR/LF translation.
        slave_ = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            sysFail("open " + slaveName);
        termios t;
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
        ::unlink(linkPath_.c_str());
        if (::symlink(slaveName.c_str(), linkPath_.c_str()) != 0)
            sysFail("symlink " + linkPath_);
        std::fprintf(stderr, "tarno-hostsim: pty %s -> %s\n", linkPath_.c_str(), slaveName.c_str());
        link_ = std::make_unique<sim::FdLink>(
            loop_, master_, master_, false, [this](const std::string& b) { sim_.receive(b); },
            [] {});
        sim_.setOutput([this](std::string_view b) {
            if (link_)
                link_->write(b);
        });
        sim_.attach();
    }

    void closePty() {
        sim_.setOutput(nullptr);
        link_.reset();
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
        master_ = slave_ = -1;
    }

    void hangUp() {
        if (!link_)
            return;
        closePty();
        onLineGone_();
        if (*alive_)
            openPty();
    }

    base::EventLoop& loop_;
    sim::Simulator& sim_;
    std::string linkPath_;
    std::function<void()> onLineGone_;
    std::shared_ptr<bool> alive_;
    int master_ = -1;
    int slave_ = -1;
    std::unique_ptr<sim::FdLink> link_;
};

} // namespace

std::unique_ptr<Transport> makeStdio(base::EventLoop& loop, sim::Simulator& sim,
                                     std::function<void()> onEnd,
                                     std::function<void()> onLineGone) {
    return std::make_unique<Stdio>(loop, sim, std::move(onEnd), std::move(onLineGone));
}

std::unique_ptr<Transport> makeTcp(base::EventLoop& loop, sim::Simulator& sim,
                                   const std::string& address, std::function<void()> onLineGone) {
    return std::make_unique<Tcp>(loop, sim, address, std::move(onLineGone));
}

std::unique_ptr<Transport> makePty(base::EventLoop& loop, sim::Simulator& sim,
                                   const std::string& linkPath, std::function<void()> onLineGone) {
    return std::make_unique<Pty>(loop, sim, linkPath, std::move(onLineGone));
}

} // namespace hostsim
