// Line settings as the device holds them, read back through a second descriptor of the same
// pseudo-terminal (opened before the port, so the exclusive open does not shut it out).
#include "comm/TCommWatch.h"
#include "tests/comm/LineFixtures.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

using namespace comm;
using namespace comm_test;

namespace {
struct Observed {
    explicit Observed(const std::string& path)
        : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Observed() { ::close(fd); }
    termios2 get() const {
        termios2 t{};
        EXPECT_EQ(::ioctl(fd, TCGETS2, &t), 0);
        return t;
    }
    int fd;
};
} // namespace

TEST(LineSettings, OpenMakesARaw8N1LineWithHardwareFlowAtEveryOfferedRate) {
    Pty pty;
    Observed seen(pty.slave);
    Port p(pty.slave);
    for (int rate : {2400, 9600, 14400, 38400, 56000, 128000}) { // three have no B constant
        p.comm.setBaudRate(rate);
        p.comm.Open();
        const termios2 t = seen.get();
        EXPECT_EQ(t.c_ospeed, speed_t(rate));
        EXPECT_EQ(t.c_ispeed, speed_t(rate));
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
        EXPECT_EQ(t.c_cflag & (CRTSCTS | CLOCAL | CREAD), tcflag_t(CRTSCTS | CLOCAL | CREAD));
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        p.comm.Close();
    }
}

TEST(LineSettings, UserDefinedRateAndSettersThatChangeTheOpenLineAtOnce) {
    Pty pty;
    Observed seen(pty.slave);
    Port p(pty.slave);
    p.comm.setBaudRate(-1);
    p.comm.setBaudRateUserDefined(57600);
    p.comm.Open();
    EXPECT_EQ(seen.get().c_ospeed, 57600u);
    p.comm.setBaudRateUserDefined(2400); // a plain field: waits for the next open
    EXPECT_EQ(seen.get().c_ospeed, 57600u);

    p.comm.setBaudRate(56000);
    // A pseudo-terminal forces CS8 and clears PARENB whatever it is told, so parity shows
    // in the bits it keeps: INPCK, PARODD and CMSPAR.
    p.comm.setParityBits(cpbMark);
    EXPECT_EQ(seen.get().c_cflag & (PARODD | CMSPAR), tcflag_t(PARODD | CMSPAR));
    p.comm.setStopBits(csb2);
    p.comm.setFlowControls({cfcXonXoff});
    termios2 t = seen.get();
    EXPECT_EQ(t.c_ospeed, 56000u);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), tcflag_t(IXON | IXOFF | INPCK));
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
    p.comm.setParityBits(cpbNone); // only the parity bits change
    t = seen.get();
    EXPECT_EQ(t.c_iflag & (IXON | INPCK), tcflag_t(IXON));
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), tcflag_t(CSTOPB));
}

TEST(LineSettings, ModemLineChangesBecomeLineEvents) {
    const int up = TIOCM_CD | TIOCM_DSR | TIOCM_CTS | TIOCM_DTR;
    EXPECT_EQ(modemLineEvents(up, up & ~TIOCM_CD), TCommEventMask{evRlsd});
    EXPECT_EQ(modemLineEvents(0, TIOCM_CTS | TIOCM_DSR | TIOCM_RI),
              (TCommEventMask{evCts, evDsr, evRing}));
    EXPECT_TRUE(modemLineEvents(up, up & ~TIOCM_DTR).empty()); // our own output line
}
