// The "sim:" line adapter over a real socket pair: bytes pass through its reader thread
// and the loop, carrier changes reach the callback, and disconnect() closes the line and
// stops the thread. Waits are bounded conditions, never sleeps.
#include "sim/SimLinePeer.h"
#include "base/VirtualLoop.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Terminal {
    base::VirtualLoop loop;
    int fd = -1;
    std::string got;

    // Runs what the reader thread posts and reads the terminal's end until `text` has
    // arrived; false after about `boundMs` of real time.
    bool waitFor(const std::string& text, int boundMs = 5000) {
        for (int waited = 0; got.find(text) == std::string::npos; waited += 10) {
            if (waited >= boundMs)
                return false;
            loop.waitForPost(std::chrono::milliseconds(10));
            loop.runPending();
            pollfd p{fd, POLLIN, 0};
            while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
                char buf[4096];
                ssize_t n = ::read(fd, buf, sizeof buf);
                if (n <= 0)
                    break;
                got.append(buf, static_cast<size_t>(n));
            }
        }
        return true;
    }
    void send(const std::string& s) {
        ASSERT_EQ(::write(fd, s.data(), s.size()), (ssize_t)s.size());
    }
};

} // namespace

TEST(SimLinePeer, CarriesASessionOverASocketPairAndClosesOnDisconnect) {
    Terminal t;
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    t.fd = fds[0];
    std::vector<bool> carrier;
    {
        sim::SimLinePeer peer(t.loop, simtest::demoData());
        peer.connect(fds[1], [&](bool on) { carrier.push_back(on); });
        EXPECT_TRUE(peer.connected());

        t.send("ATZ\r\n");
        ASSERT_TRUE(t.waitFor("\r\nOK\r\n"));
        t.send("ATD123\r\n");
        ASSERT_TRUE(t.waitFor("ATD123\r"));
        t.loop.advance(2000);
        ASSERT_TRUE(t.waitFor("CONNECT 9600"));
        EXPECT_EQ(carrier, (std::vector<bool>{true}));
        t.loop.advance(500);
        ASSERT_TRUE(t.waitFor("User ID  = "));

        peer.disconnect(); // DTR dropped
        EXPECT_FALSE(peer.connected());
        EXPECT_EQ(carrier, (std::vector<bool>{true, false}));
        EXPECT_FALSE(peer.simulator().hostInSession());
        EXPECT_EQ(peer.simulator().record().fromTerminal(), "ATZ\r\nATD123\r\n");

        // The simulator's end is closed: the terminal reads end of file.
        char c;
        pollfd p{fds[0], POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 5000), 1);
        EXPECT_EQ(::read(fds[0], &c, 1), 0);

        // The same peer serves the next connection.
        int again[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, again), 0);
        ::close(t.fd);
        t.fd = again[0];
        t.got.clear();
        peer.connect(again[1], [&](bool on) { carrier.push_back(on); });
        t.send("AT\r");
        ASSERT_TRUE(t.waitFor("OK"));
        // Destroyed while connected: the thread stops and the descriptor closes.
    }
    char c;
    EXPECT_EQ(::read(t.fd, &c, 1), 0);
    ::close(t.fd);
}

TEST(SimLinePeer, TerminalClosingItsEndIsADroppedDtr) {
    Terminal t;
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    t.fd = fds[0];
    std::vector<bool> carrier;
    sim::SimLinePeer peer(t.loop, simtest::demoData());
    peer.connect(fds[1], [&](bool on) { carrier.push_back(on); });
    t.send("ATD1\r\n");
    ASSERT_TRUE(t.waitFor("ATD1\r"));
    t.loop.advance(2000);
    ASSERT_TRUE(t.waitFor("CONNECT"));
    ::close(fds[0]);
    for (int i = 0; i < 500 && carrier.size() < 2; ++i) {
        t.loop.waitForPost(std::chrono::milliseconds(10));
        t.loop.runPending();
    }
    EXPECT_EQ(carrier, (std::vector<bool>{true, false}));
}
