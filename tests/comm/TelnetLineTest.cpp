// A TComm on "telnet:" against a small telnet host that the test plays on a loopback socket.
#include "tests/comm/LineFixtures.h"
#include "tests/comm/TelnetBytes.h"
#include "tests/support/Process.h"

#include <cstdlib>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

using namespace comm;
using namespace comm::telnet;
using namespace comm_test;

namespace {

// The host's end of one connection. Reads give up after the bound, so a client that stays
// silent fails the test instead of hanging it.
struct Peer {
    explicit Peer(int listenFd) : fd(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC)) {
        timeval bound{kBound.count() / 1000, 0};
        if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound) != 0)
            std::abort();
    }
    ~Peer() { ::close(fd); }
    // The next `n` bytes from the client (fewer when it closed or went quiet).
    std::string take(size_t n) const {
        std::string out(n, '\0');
        size_t got = 0;
        for (ssize_t r; got < n && (r = ::recv(fd, &out[got], n - got, 0)) > 0;)
            got += static_cast<size_t>(r);
        return out.substr(0, got);
    }
    // Everything until the client closes.
    std::string rest() const {
        std::string out;
        char buf[65536];
        for (ssize_t r; (r = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            out.append(buf, static_cast<size_t>(r));
        return out;
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    int fd;
};

} // namespace

TEST(TelnetLine, MalformedOrRefusedAddressesDoNotOpen) {
    std::string refused;
    {
        Listener gone("telnet:");
        refused = gone.device;
    }
    for (const std::string& device : {refused, std::string("telnet:127.0.0.1"),
                                      std::string("telnet::23"), std::string("telnet:")})
        backgroundOpenFailure(device);
}

TEST(TelnetLine, NegotiatesThenCarriesEveryByteBothWaysUntilTheHostCloses) {
    constexpr unsigned char TTYPE = 24;
    Listener listener("telnet:");
    Port p(listener.device);
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.comm.Open();
    EXPECT_TRUE(p.comm.isNetworkLine());
    Peer host(listener.fd);
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; })); // connected
    EXPECT_TRUE(p.comm.CarrierDetect());
    EXPECT_EQ(host.take(12), cmd(WILL, BINARY) + cmd(WILL, SGA) + cmd(DO, BINARY) + cmd(DO, SGA));

    // The host agrees, offers its echo, asks for a terminal type twice over and greets.
    host.send(cmd(DO, BINARY) + cmd(WILL, BINARY) + cmd(DO, SGA) + cmd(WILL, SGA) +
              cmd(WILL, ECHO) + cmd(DO, TTYPE) +
              std::string{char(IAC), char(SB), char(TTYPE), 1, char(IAC), char(SE)} + "login: ");
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.received == "login: "; }));
    EXPECT_EQ(host.take(6), cmd(DO, ECHO) + cmd(WONT, TTYPE));

    // Every byte value, CR among them, goes as written: BINARY is on, 0xFF is doubled.
    std::string wire = allBytes();
    wire.insert(255, 1, char(IAC));
    p.comm.WriteString(allBytes());
    EXPECT_EQ(host.take(wire.size()), wire);
    host.send(wire);
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.received == "login: " + allBytes(); }));

    // The host ends the session in the middle of a command.
    host.send(std::string("bye") + char(IAC));
    ::shutdown(host.fd, SHUT_WR);
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 2; }));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"carrier:on", "rx:login: " + allBytes() + "bye",
                                                 "carrier:off"}));
    EXPECT_FALSE(p.comm.CarrierDetect());
    // To a host that is gone: a failure the writer hears of, never SIGPIPE.
    EXPECT_THROW(p.comm.WriteString("Q\r"), ECommReadWriteError);
    p.comm.Close();
    EXPECT_FALSE(p.comm.isNetworkLine());
    // Nothing but the answers above went back: no late negotiation, no stray bytes.
    EXPECT_EQ(host.rest(), "");
    EXPECT_EQ(p.loop.posts, rec.notifications);
}

TEST(TelnetLine, AWriteTheSocketCannotTakeIsFinishedWholeByTheWatcher) {
    Listener listener("telnet:");
    // A small window on the host's side, so the client's socket fills up.
    const int small = 64 * 1024;
    ASSERT_EQ(::setsockopt(listener.fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    Port p(listener.device);
    p.comm.setEventMask({evTxempty});
    int transmits = 0, lastQueued = -1;
    p.comm.OnCommTransmit = [&](TComm&, std::uint16_t queued) {
        ++transmits;
        lastQueued = queued;
    };
    p.comm.Open();
    Peer host(listener.fd);
    EXPECT_EQ(host.take(12).size(), 12u);

    // 4 MiB on the wire, far more than both sockets hold while the host reads nothing: the
    // writes return at once and queue, whole.
    const std::string block(4096, char(IAC));
    constexpr int kBlocks = 512;
    for (int i = 0; i < kBlocks; ++i)
        p.comm.Write(block.data(), static_cast<int>(block.size()));

    std::string wire;
    std::thread reader([&] { wire = host.rest(); });
    // Nothing more is written: only the watcher can send what is owed.
    EXPECT_TRUE(runUntil(p.loop, [&] { return transmits > 0 && lastQueued == 0; }));
    p.comm.Close();
    reader.join();
    EXPECT_EQ(wire.find_first_not_of(char(IAC)), std::string::npos);
    // Every block, each byte doubled, none lost.
    EXPECT_EQ(wire.size(), kBlocks * 2 * block.size());
}

TEST(TelnetLine, OnlyTelnetIsANetworkLine) {
    Listener listener("tcp:");
    Port p(listener.device);
    p.comm.Open();
    EXPECT_FALSE(p.comm.isNetworkLine());
    EXPECT_EQ(p.comm.deviceName(), listener.device);
}

// A real telnet server from Debian (inetutils-telnetd, handed each connection by socat):
// the negotiation ends and its login prompt arrives with no stray byte of it in the text.
TEST(TelnetLine, ARealTelnetServerGreetsWithACleanLoginPrompt) {
    // ./run test unpacks Debian's telnetd into the build folder and names it here.
    const char* given = std::getenv("TARNO_TELNETD");
    const std::string telnetd = given && *given ? given : "/usr/sbin/telnetd";
    if (::access(telnetd.c_str(), X_OK) != 0 || ::access("/usr/bin/socat", X_OK) != 0)
        GTEST_SKIP() << "telnetd or socat is not there (./run test provides both)";
    if (::geteuid() != 0)
        GTEST_SKIP() << "telnetd needs root to start a login";
    std::string device;
    {
        Listener free("telnet:"); // a free port, taken over by socat below
        device = free.device;
    }
    const std::string port = device.substr(device.rfind(':') + 1);
    testing_support::Process server({"/usr/bin/socat", "-d", "-d",
                                     "TCP-LISTEN:" + port + ",bind=127.0.0.1,reuseaddr",
                                     "EXEC:" + telnetd + " -h,nofork"});
    ASSERT_TRUE(server.started());
    ASSERT_TRUE(server.readErr("listening on", 10000)) << server.err;

    Port p(device);
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.comm.Open();
    ASSERT_TRUE(p.comm.isNetworkLine());
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.received.find("login: ") != std::string::npos; }))
        << rec.received;
    // Only text reached the line: no IAC, no option byte, no subnegotiation.
    for (unsigned char c : rec.received)
        EXPECT_TRUE(c == '\r' || c == '\n' || c == '\0' || (c >= 0x20 && c < 0x7F))
            << "stray byte " << int(c) << " in " << rec.received;
    EXPECT_TRUE(p.comm.CarrierDetect());
    p.comm.Close();
}
