#include "sim/FdLink.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

FdLink::FdLink(base::EventLoop& loop, int readFd, int writeFd, bool owns,
               std::function<void(std::string)> onData, std::function<void()> onClosed)
    : loop_(loop), readFd_(readFd), writeFd_(writeFd), owns_(owns),
      shared_(std::make_shared<Shared>()) {
    shared_->onData = std::move(onData);
    shared_->onClosed = std::move(onClosed);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("FdLink: pipe failed");
    thread_ = std::thread([this] { run(); });
}

FdLink::~FdLink() {
    shared_->alive = false;
    char c = 0;
    [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &c, 1);
    if (thread_.joinable())
        thread_.join();
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
    if (owns_) {
        ::close(readFd_);
        if (writeFd_ != readFd_)
            ::close(writeFd_);
    }
}

void FdLink::run() {
    std::weak_ptr<Shared> weak = shared_;
    char buf[4096];
    for (;;) {
        pollfd fds[2] = {{readFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            return; // stopping: report nothing
        if (!fds[0].revents)
            continue;
        ssize_t n = ::read(readFd_, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        std::string data(buf, static_cast<size_t>(n));
        std::shared_ptr<Shared> s = weak.lock();
        if (!s)
            return;
        loop_.post([s, data = std::move(data)] {
            if (s->alive && s->onData)
                s->onData(data);
        });
    }
    if (std::shared_ptr<Shared> s = weak.lock())
        loop_.post([s] {
            if (s->alive && s->onClosed)
                s->onClosed();
        });
}

bool FdLink::write(std::string_view bytes, int boundMs) {
    while (!bytes.empty()) {
        ssize_t n = ::send(writeFd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == ENOTSOCK)
            n = ::write(writeFd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{writeFd_, POLLOUT, 0};
            if (::poll(&p, 1, boundMs) > 0 && !(p.revents & (POLLERR | POLLHUP)))
                continue;
        }
        return false;
    }
    return true;
}

} // namespace sim
