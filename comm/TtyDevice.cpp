// The tty backend. Line settings go through termios2 so that every rate, including those
// without a B constant (14400, 56000, 128000), is set the same way: BOTHER plus the rate
// itself. <asm/termbits.h> cannot live beside <termios.h>, so this file uses only the former.
#include "comm/Device.h"

#include "base/Sjis.h"

#include <asm/termbits.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comm {

namespace {

constexpr unsigned char kXon = 17;  // DC1
constexpr unsigned char kXoff = 19; // DC3

tcflag_t sizeFlag(TCommByteSize size) {
    switch (size) {
    case cbs4: // no UART data frame is shorter than five bits
    case cbs5:
        return CS5;
    case cbs6:
        return CS6;
    case cbs7:
        return CS7;
    case cbs8:
        break;
    }
    return CS8;
}

tcflag_t parityFlags(TCommParityBits parity) {
    switch (parity) {
    case cpbNone:
        break;
    case cpbOdd:
        return PARENB | PARODD;
    case cpbEven:
        return PARENB;
    case cpbMark:
        return PARENB | CMSPAR | PARODD;
    case cpbSpace:
        return PARENB | CMSPAR;
    }
    return 0;
}

void applyFields(termios2& t, const LineSettings& s, unsigned fields) {
    if (fields & lsBaudRate) {
        // Input speed bits left at zero mean "same as output".
        t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= BOTHER;
        t.c_ispeed = t.c_ospeed = static_cast<speed_t>(s.baudRate);
    }
    if (fields & lsByteSize) {
        t.c_cflag &= ~CSIZE;
        t.c_cflag |= sizeFlag(s.byteSize);
    }
    if (fields & lsParity) {
        t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
        t.c_cflag |= parityFlags(s.parity);
        t.c_iflag &= ~INPCK;
        if (s.parity != cpbNone)
            t.c_iflag |= INPCK;
    }
    if (fields & lsStopBits) {
        // termios knows one or two stop bits; the UART sends 1.5 for two with 5 data bits.
        t.c_cflag &= ~CSTOPB;
        if (s.stopBits != csb1)
            t.c_cflag |= CSTOPB;
    }
    if (fields & lsFlow) {
        // DTR/DSR flow control has no termios counterpart; DTR simply stays raised.
        t.c_cflag &= ~CRTSCTS;
        if (s.flow.contains(cfcRtsCts))
            t.c_cflag |= CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (s.flow.contains(cfcXonXoff))
            t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = kXon;
        t.c_cc[VSTOP] = kXoff;
    }
}

// The lock file of one open tty; removed when the port closes, if it is still ours.
class LockFile {
public:
    LockFile() = default;
    explicit LockFile(std::string path) : path_(std::move(path)) {}
    ~LockFile() {
        if (!path_.empty() && holderPid(path_) == ::getpid())
            ::unlink(path_.c_str());
    }
    LockFile(LockFile&& o) noexcept : path_(std::move(o.path_)) { o.path_.clear(); }
    LockFile& operator=(LockFile&& o) noexcept {
        std::swap(path_, o.path_);
        return *this;
    }

    // The PID a lock file names (ten ASCII digits, or a binary int from older programs);
    // 0 when there is none.
    static pid_t holderPid(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return 0;
        char buf[32] = {};
        const ssize_t n = ::read(fd, buf, sizeof buf - 1);
        ::close(fd);
        if (n == static_cast<ssize_t>(sizeof(int)) && (buf[0] < ' ' || buf[0] > '9')) {
            int binary;
            std::memcpy(&binary, buf, sizeof binary);
            return binary > 0 ? binary : 0;
        }
        if (n <= 0)
            return 0;
        const long pid = std::strtol(buf, nullptr, 10);
        return pid > 0 && pid < INT_MAX ? static_cast<pid_t>(pid) : 0;
    }

private:
    std::string path_;
};

class TtyDevice : public Device {
public:
    TtyDevice(int fd, LockFile lock) : Device(fd), lock_(std::move(lock)) {}

    ~TtyDevice() override {
        // Let the next program open the line even while some other descriptor keeps the tty
        // alive; the lock goes with our descriptor.
        ::ioctl(fd_, TIOCNXCL);
    }

    bool configure(const LineSettings& s, unsigned fields) override {
        if ((fields & lsBaudRate) && s.baudRate < 1)
            return false; // a zero rate would mean "hang up"
        termios2 t{};
        if (::ioctl(fd_, TCGETS2, &t) != 0)
            return false;
        applyFields(t, s, fields);
        if (::ioctl(fd_, TCSETS2, &t) != 0)
            return false;
        return !(fields & lsBaudRate) || rateTaken(s.baudRate);
    }

    // A UART driver takes any rate through the call and quietly keeps the nearest it can do
    // (or the old one); only the rate read back tells.
    bool rateTaken(int wanted) const {
        termios2 t{};
        if (::ioctl(fd_, TCGETS2, &t) != 0)
            return false;
        return rateMatches(wanted, static_cast<int>(t.c_ospeed));
    }

    // Raw 8-bit line that ignores the modem's carrier for reads and writes (the watcher
    // follows DCD itself), and drops DTR should the program end without closing the port.
    bool makeRaw(const LineSettings& s) {
        termios2 t{};
        if (::ioctl(fd_, TCGETS2, &t) != 0)
            return false;
        t.c_iflag = 0;
        t.c_oflag = 0;
        t.c_lflag = 0;
        t.c_cflag = CREAD | CLOCAL | HUPCL;
        for (auto& c : t.c_cc)
            c = 0;
        // One byte minimum so that a non-blocking read with nothing waiting gives EAGAIN and
        // a read of 0 always means the line hung up.
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        applyFields(t, s, lsAll);
        if (s.baudRate < 1)
            return false;
        return ::ioctl(fd_, TCSETS2, &t) == 0;
    }

    std::optional<int> modemLines() const override {
        int bits = 0;
        if (::ioctl(fd_, TIOCMGET, &bits) != 0)
            return std::nullopt;
        return bits;
    }

    void setDtr(bool on) override {
        int bit = TIOCM_DTR;
        ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit); // a pseudo-terminal has no DTR
    }

    // Without hardware flow control RTS is simply held up, as DTR is.
    void raiseRts() {
        int bit = TIOCM_RTS;
        ::ioctl(fd_, TIOCMBIS, &bit);
    }

    void purge() override { ::ioctl(fd_, TCFLSH, TCIOFLUSH); }

private:
    LockFile lock_;
};

std::string sysText(int error) {
    return std::strerror(error);
}

// Who holds a process: "PID 1234 (minicom)", or just the number when its name is not to be
// read.
std::string describeHolder(pid_t pid) {
    std::string text = "PID " + std::to_string(pid);
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/comm", static_cast<int>(pid));
    if (std::FILE* f = std::fopen(path, "re")) {
        char name[64] = {};
        if (std::fgets(name, sizeof name, f)) {
            std::string n = name;
            while (!n.empty() && (n.back() == '\n' || n.back() == '\r'))
                n.pop_back();
            if (!n.empty())
                text += " (" + n + ")";
        }
        std::fclose(f);
    }
    return text;
}

bool processAlive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The reason for a device that cannot be opened with `error`.
std::string openFailure(const std::string& path, int error) {
    using base::sj;
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return path + sj(u8": デバイスがありません (モデムやケーブルの接続と COMPORTS.DAT "
                         u8"の指定を確かめてください)");
    case EACCES:
    case EPERM: {
        std::string group;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            if (const struct group* g = ::getgrgid(st.st_gid))
                group = g->gr_name;
        if (group.empty() || group == "root")
            return path + sj(u8": このユーザーには開く権限がありません "
                             u8"(デバイスの権限を確かめてください)");
        return path + sj(u8": このユーザーには開く権限がありません (ユーザーを ") + group +
               sj(u8" グループに加え、ログインし直してください: sudo usermod -aG ") + group +
               " $USER)";
    }
    case EISDIR:
        return path + sj(u8": ディレクトリです。通信ポートではありません");
    case EBUSY:
        return path + sj(u8": 他のプログラムが使用中です");
    default:
        return path + ": " + sysText(error);
    }
}

// Takes the lock file of `path` in `folder`. A lock held by a live process refuses the open
// with the holder named; one whose process is gone is removed. A folder this user may not
// write to gives no lock file (the other locks still hold), but another program's lock is
// honoured all the same.
LockFile takeLockFile(const std::string& path, const std::string& folder) {
    if (folder.empty())
        return {};
    const std::string lockPath = folder + "/" + lockFileName(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd =
            ::open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            char text[16];
            const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            const bool written = ::write(fd, text, static_cast<size_t>(n)) == n;
            ::close(fd);
            if (!written) {
                ::unlink(lockPath.c_str());
                return {};
            }
            return LockFile(lockPath);
        }
        if (errno != EEXIST)
            return {}; // no lock directory, or not ours to write in
        const pid_t holder = LockFile::holderPid(lockPath);
        if (holder > 0 && processAlive(holder))
            throw ECommOpenError(-1, path + base::sj(u8": 他のプログラムが使用中です (") +
                                         describeHolder(holder) + base::sj(u8", ロックファイル ") +
                                         lockPath + ")");
        // Stale (its process is gone) or unreadable: it locks nothing.
        if (::unlink(lockPath.c_str()) != 0 && errno != ENOENT)
            return {};
    }
    return {};
}

} // namespace

bool rateMatches(int wanted, int actual) {
    if (wanted <= 0 || actual <= 0)
        return false;
    const long long diff = static_cast<long long>(wanted) - actual;
    return (diff < 0 ? -diff : diff) * 100 <= static_cast<long long>(wanted) * 2;
}

std::string lockFileName(const std::string& devicePath) {
    std::string name = devicePath;
    char resolved[PATH_MAX];
    // A link (/dev/modem, /dev/serial/by-id/...) locks the device it stands for.
    if (::realpath(devicePath.c_str(), resolved))
        name = resolved;
    if (name.rfind("/dev/", 0) == 0)
        name = name.substr(5);
    else if (const auto slash = name.rfind('/'); slash != std::string::npos)
        name = name.substr(slash + 1);
    for (char& c : name)
        if (c == '/')
            c = '_';
    return "LCK.." + name;
}

std::unique_ptr<Device> openTty(const std::string& path, const LineSettings& settings,
                                const std::string& lockFolder) {
    using base::sj;
    // O_NONBLOCK keeps the open from waiting for a carrier and every read from waiting.
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ECommOpenError(-1, openFailure(path, errno));
    auto fail = [&](std::string reason) {
        ::close(fd);
        throw ECommOpenError(-1, std::move(reason));
    };
    termios2 probe{};
    if (::ioctl(fd, TCGETS2, &probe) != 0)
        fail(path + sj(u8": 端末デバイスではありません。通信ポートではありません"));
    LockFile lock = takeLockFile(path, lockFolder);
    // The flock comes before TIOCEXCL: that is a flag of the tty itself, and a loser must not
    // touch it. The flock also holds against root, whom TIOCEXCL lets through.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        fail(path + sj(u8": 他のプログラムが使用中です"));
    if (::ioctl(fd, TIOCEXCL) != 0)
        fail(openFailure(path, errno));
    auto device = std::make_unique<TtyDevice>(fd, std::move(lock));
    if (!device->makeRaw(settings))
        throw ECommOpenError(-1, path + sj(u8": 回線設定を受け付けません"));
    if (settings.baudRate > 0 && !device->rateTaken(settings.baudRate))
        throw ECommOpenError(
            -1, path + ": " + std::to_string(settings.baudRate) +
                    sj(u8" bit/s はこのポートでは使えません (モデム設定の速度を変えてください)"));
    if (!settings.flow.contains(cfcRtsCts))
        device->raiseRts();
    return device;
}

} // namespace comm
