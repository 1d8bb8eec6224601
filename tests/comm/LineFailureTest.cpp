// How a line fails: every open failure with its device and a cause the user can act on, the
// lock file other serial programs honour, a rate the port does not take, and a device that
// goes away on a line whose carrier never rose.
#include "comm/Device.h"
#include "comm/TCommWatch.h"
#include "tests/comm/LineFixtures.h"

#include <condition_variable>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace comm;
using namespace comm_test;

namespace {

// The reason an open of COM1 = `device` gives; empty (and a test failure) when it opened.
std::string openReason(const std::string& device) {
    Port p(device);
    try {
        p.comm.Open();
    } catch (const ECommOpenError& e) {
        EXPECT_EQ(e.ErrorCode, -1) << device;
        return e.Reason;
    }
    ADD_FAILURE() << device << " opened";
    return {};
}

bool has(const std::string& text, const char8_t* part) {
    return text.find(base::sj(part)) != std::string::npos;
}

// A listener that never accepts: its backlog of one is taken, so a further connect is
// never answered.
struct DeafListener : Listener {
    DeafListener() {
        ::listen(fd, 0);
        filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        EXPECT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&a), len), 0);
    }
    ~DeafListener() { ::close(filler); }
    int filler;
};

} // namespace

TEST(LineFailure, EachTtyOpenFailureNamesTheDeviceAndItsCause) {
    testing_support::TempDir dir;
    base::replaceFile(dir.file("plain"), "not a tty");
    base::makeDirs(dir.file("folder"));

    const std::string missing = openReason(dir.file("missing"));
    EXPECT_TRUE(has(missing, u8"デバイスがありません")) << base::toUtf8(missing);
    EXPECT_NE(missing.find(dir.file("missing")), std::string::npos);
    const std::string plain = openReason(dir.file("plain"));
    EXPECT_TRUE(has(plain, u8"端末デバイスではありません")) << base::toUtf8(plain);
    EXPECT_NE(plain.find(dir.file("plain")), std::string::npos);
    const std::string folder = openReason(dir.file("folder"));
    EXPECT_TRUE(has(folder, u8"ディレクトリです")) << base::toUtf8(folder);
}

TEST(LineFailure, PermissionDeniedSaysWhichGroupToJoin) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user for the open";
    // A serial port as distributions set it up: root's, and the dialout group's.
    const struct group* g = ::getgrnam("dialout");
    if (!g)
        GTEST_SKIP() << "this system has no dialout group";
    Pty pty;
    ASSERT_EQ(::chown(pty.slave.c_str(), 0, g->gr_gid), 0);
    ASSERT_EQ(::chmod(pty.slave.c_str(), 0660), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string reason = "opened";
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            reason = "could not drop privileges";
        } else {
            try {
                openTty(pty.slave, LineSettings{}, "");
            } catch (const ECommOpenError& e) {
                reason = e.Reason;
            }
        }
        [[maybe_unused]] ssize_t n = ::write(out[1], reason.data(), reason.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string reason;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        reason.append(buf, static_cast<size_t>(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(has(reason, u8"開く権限がありません")) << base::toUtf8(reason);
    EXPECT_NE(reason.find("usermod -aG dialout"), std::string::npos) << base::toUtf8(reason);
    EXPECT_NE(reason.find(pty.slave), std::string::npos);
}

TEST(LineFailure, EachNetworkOpenFailureNamesTheAddressAndItsCause) {
    std::string refusedDevice;
    {
        Listener gone;
        refusedDevice = gone.device;
    }
    const std::string refused = backgroundOpenFailure(refusedDevice);
    EXPECT_TRUE(has(refused, u8"接続を拒否されました")) << base::toUtf8(refused);
    EXPECT_NE(refused.find(refusedDevice.substr(4)), std::string::npos);

    const std::string unknown = backgroundOpenFailure("telnet:no-such-host.invalid:23");
    EXPECT_TRUE(has(unknown, u8"ホスト名を解決できません")) << base::toUtf8(unknown);
    EXPECT_NE(unknown.find("no-such-host.invalid"), std::string::npos);

    const std::string malformed = backgroundOpenFailure("tcp:127.0.0.1");
    EXPECT_TRUE(has(malformed, u8"ホスト名:ポート番号")) << base::toUtf8(malformed);

    // The connect waits in the background, so the open returns while it is still under
    // way, and closing ends it.
    DeafListener deaf;
    {
        Port p(deaf.device);
        p.comm.Open();
        EXPECT_TRUE(p.comm.Connecting());
        EXPECT_FALSE(p.comm.CarrierDetect());
        p.comm.WriteString("ATZ\r"); // waits in the queue for the connection
        EXPECT_EQ(p.comm.OutQueued(), 4);
        p.comm.Close();
        EXPECT_FALSE(p.comm.isOpen());
    }
    try {
        connectTcp(deaf.device.substr(4), -1, 300);
        ADD_FAILURE() << "a peer that never answers was connected";
    } catch (const ECommOpenError& e) {
        EXPECT_TRUE(has(e.Reason, u8"応答がありません")) << base::toUtf8(e.Reason);
    }
}

TEST(LineFailure, TheLockFileKeepsASecondProgramOutAndNamesItsHolder) {
    Pty pty;
    Port first(pty.slave);
    first.comm.Open();
    const std::string lock = first.dir.file(lockFileName(pty.slave));
    char expected[16];
    std::snprintf(expected, sizeof expected, "%10d\n", static_cast<int>(::getpid()));
    EXPECT_EQ(base::readFile(lock), expected);

    TComm second(first.loop);
    second.setComPortsFolder(first.dir.path());
    second.setLockFolder(first.dir.path());
    try {
        second.Open();
        ADD_FAILURE() << "a locked port opened twice";
    } catch (const ECommOpenError& e) {
        EXPECT_TRUE(has(e.Reason, u8"使用中")) << base::toUtf8(e.Reason);
        EXPECT_NE(e.Reason.find("PID " + std::to_string(::getpid())), std::string::npos)
            << base::toUtf8(e.Reason);
    }
    first.comm.Close();
    EXPECT_FALSE(base::fileExists(lock)); // the port is free again for everyone
    second.Open();
    EXPECT_TRUE(second.isOpen());
}

TEST(LineFailure, AStaleLockWhoseProcessIsGoneIsRemoved) {
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    Pty pty;
    Port p(pty.slave);
    const std::string lock = p.dir.file(lockFileName(pty.slave));
    char stale[16];
    std::snprintf(stale, sizeof stale, "%10d\n", static_cast<int>(gone));
    base::replaceFile(lock, stale);
    p.comm.Open();
    EXPECT_TRUE(p.comm.isOpen());
    EXPECT_EQ(std::stoi(base::readFile(lock)), ::getpid());
}

TEST(LineFailure, LockFileNamesFollowTheDeviceBelowDev) {
    EXPECT_EQ(lockFileName("/dev/ttyS0-none"), "LCK..ttyS0-none");
    EXPECT_EQ(lockFileName("/dev/pts/99999"), "LCK..pts_99999");
    testing_support::TempDir dir;
    ASSERT_EQ(::symlink("/dev/null", dir.file("modem").c_str()), 0);
    EXPECT_EQ(lockFileName(dir.file("modem")), "LCK..null"); // a link locks what it names
}

// A real UART cannot be had here: the check behind the open is tested on its own, and a
// pseudo-terminal (which keeps any rate) shows that a rate the device takes still opens.
TEST(LineFailure, ARateThePortDoesNotKeepIsRefused) {
    EXPECT_TRUE(rateMatches(9600, 9600));
    EXPECT_TRUE(rateMatches(115200, 115384));  // a divider's rounding
    EXPECT_FALSE(rateMatches(128000, 115200)); // a 16550 at its fastest
    EXPECT_FALSE(rateMatches(128000, 9600));   // the old rate kept
    EXPECT_FALSE(rateMatches(9600, 0));
    Pty pty;
    Port p(pty.slave);
    p.comm.setBaudRate(128000);
    p.comm.Open();
    EXPECT_TRUE(p.comm.isOpen());
}

namespace {

// A socket that says it has modem lines with carrier detect low, as a three-wire cable does.
struct LowCarrierDevice : Device {
    using Device::Device;
    std::optional<int> modemLines() const override { return TIOCM_DSR; }
};

} // namespace

TEST(LineFailure, ADeviceGoingAwayIsALostLineEvenWithTheCarrierNeverUp) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds), 0);
    LowCarrierDevice device(fds[0]);
    auto state = std::make_shared<LineState>(4096);
    state->eventMask = {evRlsd};
    std::mutex m;
    std::condition_variable cv;
    std::vector<TCommEventMask> events;
    TCommWatch watch(
        device, state,
        [&](Notice notice, TCommEventMask e) {
            if (notice != Notice::Event)
                return;
            std::lock_guard<std::mutex> lock(m);
            events.push_back(e);
            cv.notify_all();
        },
        TIOCM_DSR);
    ::close(fds[1]); // unplugged
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, kBound, [&] { return !events.empty(); }));
    EXPECT_EQ(events.front(), TCommEventMask{evRlsd});
    std::lock_guard<std::mutex> stateLock(state->mutex);
    EXPECT_TRUE(state->hungUp);
    EXPECT_FALSE(state->carrier);
}
