// tarno-hostsim as a process on a pseudo-terminal of its own, driven by a scripted client:
// modem, login, mail, a command, a download by MLINK, logout, the hang-up seen on the
// terminal side, and the record file written at exit. Every wait polls with a bound.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "sim/Fixture.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using base::sj;

namespace {

using testing_support::Process;

struct PtyClient {
    int fd = -1;
    std::string got;
    size_t seen = 0; // output before this was matched already
    bool hungUp = false;

    // Reads until `text` arrives after what earlier waits matched.
    bool waitFor(const std::string& text, int boundMs = 10000) {
        for (int waited = 0; waited <= boundMs; waited += 20) {
            size_t at = got.find(text, seen);
            if (at != std::string::npos) {
                seen = at + text.size();
                return true;
            }
            if (!readSome(20) && got.find(text, seen) == std::string::npos)
                return false;
        }
        return false;
    }
    // False once the simulator hung the terminal up.
    bool readSome(int ms) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return true;
        char buf[4096];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            hungUp = true;
            return false;
        }
        got.append(buf, static_cast<size_t>(n));
        return true;
    }
    void send(const std::string& s) {
        ASSERT_EQ(::write(fd, s.data(), s.size()), (ssize_t)s.size());
    }
    std::string since(size_t mark) const { return got.substr(mark); }
};

} // namespace

TEST(HostsimPty, ScriptedSessionEndToEnd) {
    testing_support::TempDir dir;
    std::string link = dir.file("modem");
    std::string record = dir.file("record.txt");
    const std::string src = TARNO_SOURCE_DIR;
    Process p({TARNO_HOSTSIM_PATH, "--pty", link, "--once", "--record", record, "--fixture",
               src + "/data/demo", "--dial-delay", "100"});
    ASSERT_TRUE(p.started());
    ASSERT_TRUE(p.readErr("tarno-hostsim: pty ", 10000)) << p.err;

    PtyClient t;
    t.fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(t.fd, 0);
    termios tio;
    ASSERT_EQ(::tcgetattr(t.fd, &tio), 0);
    ::cfmakeraw(&tio);
    ::tcsetattr(t.fd, TCSANOW, &tio);

    t.send("ATZ\r\n");
    ASSERT_TRUE(t.waitFor("\r\nOK\r\n")) << t.got;
    t.send("ATDT0312345678\r\n");
    ASSERT_TRUE(t.waitFor("CONNECT 9600"));
    ASSERT_TRUE(t.waitFor("User ID  = "));
    t.send("TARNO001\r");
    ASSERT_TRUE(t.waitFor("Password = "));
    t.send("tarno\r");
    ASSERT_TRUE(t.waitFor("[RET]:"));
    t.send("\r");
    ASSERT_TRUE(t.waitFor(sj(u8"削除しますか (Y/N)>")));
    t.send("N\r");
    ASSERT_TRUE(t.waitFor("[RET]:"));
    t.send("\r");
    ASSERT_TRUE(t.waitFor("BMAIL ("));
    t.send("0\r");
    ASSERT_TRUE(t.waitFor(sj(u8"削除しますか (Y/N)>")));
    t.send("N\r");
    ASSERT_TRUE(t.waitFor("MAIN ("));

    t.send("r;?;0\r");
    ASSERT_TRUE(t.waitFor("0003: "));
    ASSERT_TRUE(t.waitFor(sj(u8"MAIN (残り")));

    // A download: ready sign, header, OK sign, 1024 bytes, end.
    t.send("F;01;MD3;Y;0\r");
    ASSERT_TRUE(t.waitFor(sj(u8"CTRL-X で中断します。") + "\r\n"));
    t.send("M");
    ASSERT_TRUE(t.waitFor("BLOCK.BIN 1024 26:12:06 18:00:00\r"));
    size_t mark = t.got.size();
    t.send("M");
    for (int i = 0; i < 500 && t.got.size() - mark < 1024; ++i)
        ASSERT_TRUE(t.readSome(20));
    EXPECT_EQ(t.since(mark), sim::generatedContent(1024));
    t.seen = t.got.size();
    t.send("E\r");
    ASSERT_TRUE(t.waitFor(sj(u8"転送終了しました。")));
    t.send("0;0\r");

    t.send("Q\r\r");
    ASSERT_TRUE(t.waitFor(sj(u8"ご利用ありがとうございました。")));
    // The host drops the line: the terminal side hangs up.
    for (int i = 0; i < 500 && !t.hungUp; ++i)
        t.readSome(20);
    EXPECT_TRUE(t.hungUp);
    ::close(t.fd);

    ASSERT_TRUE(p.readErr("", 10000)) << "tarno-hostsim did not end";
    int status = p.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << p.err;

    std::string text = base::readFile(record);
    EXPECT_NE(text.find("DIAL 0312345678 -> CONNECT 9600"), std::string::npos);
    EXPECT_NE(text.find("LOGIN TARNO001"), std::string::npos);
    EXPECT_NE(text.find("DOWNLOAD board=1 number=3 name=BLOCK.BIN header=BLOCK.BIN size=1024 "
                        "sent=1024 complete=yes"),
              std::string::npos);
    EXPECT_NE(text.find("LOGOUTS 1"), std::string::npos);
    struct stat st;
    EXPECT_NE(::lstat(link.c_str(), &st), 0); // the link is removed at exit
}

TEST(HostsimTcp, ASecondCallerHasAModemThatReportsTheLineBusyWhenItDials) {
    const std::string src = TARNO_SOURCE_DIR;
    Process p({TARNO_HOSTSIM_PATH, "--listen", "127.0.0.1:0", "--fixture", src + "/data/demo",
               "--dial-delay", "100"});
    ASSERT_TRUE(p.started());
    ASSERT_TRUE(p.readErr("\n", 10000)) << p.err;
    const size_t colon = p.err.rfind(':');
    ASSERT_NE(colon, std::string::npos) << p.err;
    const int port = std::atoi(p.err.c_str() + colon + 1);
    ASSERT_GT(port, 0) << p.err;

    auto dial = [port] {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        return fd;
    };
    PtyClient first;
    first.fd = dial();
    first.send("ATZ\r\n");
    ASSERT_TRUE(first.waitFor("OK"));
    first.send("ATDT0312345678\r\n");
    ASSERT_TRUE(first.waitFor("CONNECT"));

    // The second caller's own modem answers like any modem; only the dial meets the busy
    // line, and it can dial again.
    PtyClient second;
    second.fd = dial();
    second.send("ATZ\r\n");
    ASSERT_TRUE(second.waitFor("OK"));
    EXPECT_EQ(second.got.find("BUSY"), std::string::npos);
    second.send("ATDT0312345678\r\n");
    ASSERT_TRUE(second.waitFor("BUSY"));
    second.send("ATDT0312345678\r\n");
    ASSERT_TRUE(second.waitFor("BUSY"));
    EXPECT_FALSE(second.hungUp);
    ::close(second.fd);

    // The first call is untouched.
    ASSERT_TRUE(first.waitFor("User ID"));
    ::close(first.fd);
}
