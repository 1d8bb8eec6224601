#include "sim/FdLink.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace sim {

FdLink::FdLink(base::EventLoop& loop, int readFd, int writeFd, bool owns,
               std::function<void(std::string)> onData, std::function<void()> onClosed)
    : loop_(loop), readFd_(readFd), writeFd_(writeFd), owns_(owns),
      shared_(std::make_shared<Shared>()) {
    shared_->onData = std::move(onData);
    shared_->onClosed = std::move(onClosed);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0 || ::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0)
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
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    if (owns_) {
        ::close(readFd_);
        if (writeFd_ != readFd_)
            ::close(writeFd_);
    }
}

namespace {

// Writes what the descriptor takes now; -1 when the far side is gone.
ssize_t sendSome(int fd, const std::string& bytes) {
    for (;;) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == ENOTSOCK) {
            int flags = ::fcntl(fd, F_GETFL);
            if (!(flags & O_NONBLOCK))
                ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
            n = ::write(fd, bytes.data(), bytes.size());
        }
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

} // namespace

bool FdLink::write(std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (broken_)
        return false;
    const bool wasEmpty = out_.empty();
    out_.append(bytes);
    if (!wasEmpty)
        return true; // the thread is already waiting for room
    ssize_t n = sendSome(writeFd_, out_);
    if (n < 0) {
        broken_ = true;
        out_.clear();
        return false;
    }
    out_.erase(0, static_cast<size_t>(n));
    if (!out_.empty()) {
        char c = 0;
        [[maybe_unused]] ssize_t w = ::write(wakePipe_[1], &c, 1);
    }
    return true;
}

std::size_t FdLink::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_.size();
}

void FdLink::run() {
    std::weak_ptr<Shared> weak = shared_;
    char buf[4096];
    for (;;) {
        bool waiting;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            waiting = !out_.empty() && !broken_;
        }
        pollfd fds[4] = {{readFd_, POLLIN, 0},
                         {stopPipe_[0], POLLIN, 0},
                         {wakePipe_[0], POLLIN, 0},
                         {waiting ? writeFd_ : -1, POLLOUT, 0}};
        int r = ::poll(fds, 4, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            return; // stopping: report nothing
        if (fds[2].revents) {
            char drain[64];
            while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[3].revents) {
            std::lock_guard<std::mutex> lock(mutex_);
            ssize_t n = (fds[3].revents & (POLLERR | POLLHUP)) ? -1 : sendSome(writeFd_, out_);
            if (n < 0) {
                broken_ = true;
                out_.clear();
            } else {
                out_.erase(0, static_cast<size_t>(n));
            }
        }
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

} // namespace sim
