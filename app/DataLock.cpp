#include "app/DataLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

DataLock::~DataLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string DataLock::acquire(const std::string& folder, const std::string& shownAs) {
    if (fd_ >= 0)
        return {};
    const std::string shown = shownAs.empty() ? folder : shownAs;
    const std::string path = folder + "/" + kFileName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return "cannot open the lock file " + path + ": " + std::strerror(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        char buf[32] = {};
        ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
        ::close(fd);
        if (err != EWOULDBLOCK)
            return "cannot lock " + path + ": " + std::strerror(err);
        std::string holder = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
        while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r'))
            holder.pop_back();
        return "the data folder " + shown + " is in use by another TARNO" +
               (holder.empty() ? std::string() : " (process " + holder + ")");
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] ssize_t w = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    fd_ = fd;
    return {};
}

} // namespace app
