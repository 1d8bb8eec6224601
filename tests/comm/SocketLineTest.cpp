// A TComm over the simulated line (a socket pair) and over TCP to a loopback listener.
#include "tests/comm/LineFixtures.h"

#include <future>
#include <sys/socket.h>

using namespace comm;
using namespace comm_test;

namespace {

// The far end of "sim:" as the test plays it.
struct FakeSimLine : SimLine {
    void connect(int f, std::function<void(bool)> c) override {
        fd = f;
        carrier = std::move(c);
        if (onConnect)
            onConnect();
    }
    void disconnect() override {
        ++disconnects;
        ::close(fd);
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    int fd = -1, disconnects = 0;
    std::function<void(bool)> carrier;
    std::function<void()> onConnect;
};

struct SimPort : Port {
    SimPort() : Port("sim:") { comm.setSimLine(&line); }
    FakeSimLine line;
};

} // namespace

TEST(SocketLine, RefusedMalformedAndUnattendedLinesDoNotOpen) {
    std::string refused;
    {
        Listener gone;
        refused = gone.device;
    }
    for (const std::string& device : {refused, std::string("tcp:127.0.0.1"),
                                      std::string("tcp:127.0.0.1:99999"), std::string("tcp::23")})
        backgroundOpenFailure(device);
    Port p("sim:"); // with no simulator set
    EXPECT_EQ(openErrorCode(p.comm), -1);
}

TEST(SocketLine, SimCarrierReportsFromAnyThreadFollowTheBytesSentBeforeThem) {
    SimPort p;
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.comm.Open();
    EXPECT_FALSE(p.comm.CarrierDetect()); // the modem has not connected yet
    EXPECT_TRUE(p.comm.DsrState());
    std::thread([&] {
        p.line.send("CONNECT 9600\r\n");
        p.line.carrier(true);
    }).join();
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));
    p.comm.WriteString("ATH\r\n");
    char buf[5];
    ASSERT_EQ(::recv(p.line.fd, buf, 5, MSG_WAITALL), 5);
    EXPECT_EQ(std::string(buf, 5), "ATH\r\n");
    std::thread([&] {
        p.line.send("NO CARRIER\r\n");
        p.line.carrier(false);
    }).join();
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 2; }));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"rx:CONNECT 9600\r\n", "carrier:on",
                                                 "rx:NO CARRIER\r\n", "carrier:off"}));
    EXPECT_TRUE(rec.onLoopThread);

    auto lateCarrier = p.line.carrier;
    p.comm.Close();
    EXPECT_EQ(p.line.disconnects, 1);
    lateCarrier(true); // a report after disconnect touches nothing
    EXPECT_EQ(p.loop.runPending(), 0);
    EXPECT_EQ(p.loop.posts, rec.notifications);
}

TEST(SocketLine, BytesAndAHangUpInOneWakeUpGiveBothInThatOrder) {
    SimPort p;
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.line.onConnect = [&] { // all inside Open, before the watcher has looked once
        p.line.carrier(true);
        p.line.send("GOOD BYE\r\n");
        ::shutdown(p.line.fd, SHUT_RDWR);
    };
    p.comm.Open();
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"rx:GOOD BYE\r\n", "carrier:off"}));
    EXPECT_FALSE(p.comm.DsrState());
    p.comm.Close();
    EXPECT_EQ(p.loop.posts, rec.notifications);
}

TEST(SocketLine, TcpBytesBothWaysThenThePeerClosingIsOneCarrierLoss) {
    Listener host;
    Port p(host.device);
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.comm.Open();
    const int peer = ::accept(host.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; })); // connected
    EXPECT_TRUE(p.comm.CarrierDetect());
    ASSERT_EQ(::send(peer, "Welcome\r\n", 9, 0), 9);
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.received == "Welcome\r\n"; }));
    p.comm.WriteString("Q\r");
    char buf[2];
    ASSERT_EQ(::recv(peer, buf, 2, MSG_WAITALL), 2);
    EXPECT_EQ(std::string(buf, 2), "Q\r");
    ASSERT_EQ(::send(peer, "bye\r\n", 5, 0), 5);
    ::close(peer);
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 2; }));
    EXPECT_EQ(rec.log,
              (std::vector<std::string>{"carrier:on", "rx:Welcome\r\nbye\r\n", "carrier:off"}));
    // To a closed peer: a failure the writer hears of, never SIGPIPE.
    EXPECT_THROW(p.comm.WriteString("ATH\r\n"), ECommReadWriteError);
    p.comm.Close();
    EXPECT_EQ(p.loop.posts, rec.notifications);
}

TEST(SocketLine, ACarrierLossWaitsForTheBytesSentBeforeItWhenTheQueueIsFull) {
    SimPort p;
    p.comm.setInQueueSize(16);
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.line.onConnect = [&] { p.line.carrier(true); };
    p.comm.Open();
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));
    std::string sent;
    for (int i = 0; sent.size() < 200; ++i)
        sent += static_cast<char>('A' + i % 26);
    // Both happen while the loop is busy elsewhere, so the queue fills at once and stays
    // full until the handler runs; the rest waits in the socket.
    p.line.send(sent);
    p.line.carrier(false);
    ASSERT_TRUE(untilOthersAsleep()); // the watcher has seen both
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 2; }));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"carrier:on", "rx:" + sent, "carrier:off"}));
    EXPECT_FALSE(p.comm.CarrierDetect());
    p.comm.Close();
}

TEST(SocketLine, AnEmptiedTransmitQueueIsReportedOnlyWhileTxemptyIsInTheMask) {
    SimPort p;
    p.comm.setEventMask({evTxempty});
    std::vector<int> sizes;
    bool onLoopThread = true;
    const auto loopThread = std::this_thread::get_id();
    p.comm.OnCommTransmit = [&](TComm&, std::uint16_t size) {
        onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
        sizes.push_back(size);
    };
    p.comm.Open();
    char buf[8];
    p.comm.WriteString("ATZ\r");
    // Nobody has taken the bytes yet: the watcher looks and goes back to sleep, silent.
    ASSERT_TRUE(untilOthersAsleep());
    EXPECT_EQ(p.loop.posts, 0);
    ASSERT_EQ(::recv(p.line.fd, buf, 4, MSG_WAITALL), 4);
    ASSERT_TRUE(runUntil(p.loop, [&] { return sizes.size() == 1; }));
    EXPECT_EQ(sizes, std::vector<int>{0});

    p.comm.setEventMask({}); // while open: the next write is not watched
    p.comm.WriteString("AT\r");
    ASSERT_EQ(::recv(p.line.fd, buf, 3, MSG_WAITALL), 3);
    p.comm.setEventMask({evTxempty, evRlsd});
    p.comm.WriteString("ATH\r");
    ASSERT_EQ(::recv(p.line.fd, buf, 4, MSG_WAITALL), 4);
    ASSERT_TRUE(runUntil(p.loop, [&] { return sizes.size() == 2; }));
    EXPECT_EQ(sizes, (std::vector<int>{0, 0}));
    EXPECT_EQ(p.loop.posts, 2); // the unwatched write posted nothing
    EXPECT_TRUE(onLoopThread);
    p.comm.Close();
}

TEST(SocketLine, AnEventMaskChangedWhileOpenTakesEffectAtTheNextChange) {
    SimPort p;
    Recorder rec(p.comm);
    p.comm.Open(); // empty mask: carrier changes are followed but not reported
    p.line.carrier(true);
    p.line.send("CONNECT\r\n");
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.received == "CONNECT\r\n"; }));
    EXPECT_TRUE(p.comm.CarrierDetect());

    p.comm.setEventMask({evRlsd});
    p.line.send("NO CARRIER\r\n");
    p.line.carrier(false);
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));

    p.comm.setEventMask({evCts}); // evRlsd taken out again
    p.line.carrier(true);
    p.line.send("RING\r\n");
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.received.ends_with("RING\r\n"); }));
    EXPECT_TRUE(p.comm.CarrierDetect());
    EXPECT_EQ(rec.log, (std::vector<std::string>{"rx:CONNECT\r\nNO CARRIER\r\n", "carrier:off",
                                                 "rx:RING\r\n"}));
    p.comm.Close();
    EXPECT_EQ(p.loop.posts, rec.notifications);
}

TEST(SocketLine, WritesOnAFullLineReturnAtOnceAndFailOnceTheFarEndHangsUp) {
    SimPort p;
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.line.onConnect = [&] { p.line.carrier(true); };
    p.comm.Open();
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 128; ++i) // far more than the socket buffers: the line is full
        p.comm.WriteString(chunk);
    EXPECT_GT(p.comm.OutQueued(), 64 * 4096);
    ASSERT_TRUE(untilOthersAsleep()); // the watcher waits for room, nobody spins
    ::shutdown(p.line.fd, SHUT_RDWR);
    ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 2; }));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"carrier:on", "carrier:off"}));
    EXPECT_THROW(p.comm.WriteString(chunk), ECommReadWriteError);
    p.comm.Close();
}
