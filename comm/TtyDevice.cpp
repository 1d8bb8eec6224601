// The tty backend. Line settings go through termios2 so that every rate, including those
// without a B constant (14400, 56000, 128000), is set the same way: BOTHER plus the rate
// itself. <asm/termbits.h> cannot live beside <termios.h>, so this file uses only the former.
#include "comm/Device.h"

#include <asm/termbits.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
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

class TtyDevice : public Device {
public:
    using Device::Device;

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
        return ::ioctl(fd_, TCSETS2, &t) == 0;
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
};

} // namespace

std::unique_ptr<Device> openTty(const std::string& path, const LineSettings& settings) {
    // O_NONBLOCK keeps the open from waiting for a carrier and every read from waiting.
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ECommOpenError(-1);
    // The lock comes first: TIOCEXCL is a flag of the tty itself, and a loser must not touch
    // it. The lock also holds against root, whom TIOCEXCL lets through.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw ECommOpenError(-1);
    }
    termios2 probe{};
    if (::ioctl(fd, TCGETS2, &probe) != 0) { // not a tty
        ::close(fd);
        throw ECommOpenError(-1);
    }
    auto device = std::make_unique<TtyDevice>(fd);
    if (::ioctl(fd, TIOCEXCL) != 0 || !device->makeRaw(settings))
        throw ECommOpenError(-1);
    if (!settings.flow.contains(cfcRtsCts))
        device->raiseRts();
    return device;
}

} // namespace comm
