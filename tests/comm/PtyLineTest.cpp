// A TComm over a pseudo-terminal: the test plays the far end on the master side.
#include "tests/comm/LineFixtures.h"

#include <poll.h>

using namespace comm;
using namespace comm_test;

TEST(PtyLine, ClosedPortsAndDevicesThatCannotBeOpened) {
    testing_support::TempDir dir;
    base::replaceFile(dir.file("plain"), "not a tty");
    for (const std::string& device : {dir.file("missing"), dir.file("plain")}) {
        Port p(device);
        EXPECT_EQ(openErrorCode(p.comm), -1) << device;
    }
    Pty pty;
    Port p(pty.slave);
    p.comm.setPort(9); // nothing stands behind COM9
    EXPECT_EQ(openErrorCode(p.comm), -1);
    EXPECT_FALSE(p.comm.DsrState());
    char buf[4];
    for (auto op : std::vector<std::function<void()>>{[&] { p.comm.Read(buf, 4); },
                                                      [&] { p.comm.WriteString("AT"); }}) {
        try {
            op();
            ADD_FAILURE() << "a closed port took a read or write";
        } catch (const ECommError& e) {
            EXPECT_EQ(e.what(), base::sj(u8"通信が開始されていない。"));
        }
    }
    // The same device twice: the second open fails until the first closes.
    p.comm.setPort(1);
    TComm second(p.loop);
    second.setComPortsFolder(p.dir.path());
    second.setLockFolder(p.dir.path());
    p.comm.Open();
    p.comm.Open(); // opening an open port does nothing
    EXPECT_EQ(openErrorCode(second), -1);
    p.comm.Close();
    second.Open();
    EXPECT_TRUE(second.isOpen());
}

TEST(PtyLine, ReceivedBytesReachTheHandlerInOrderOnTheLoopThreadWithAnEmptyMask) {
    Pty pty;
    Port p(pty.slave);
    p.comm.setInQueueSize(64); // the queue fills again and again; nothing may be lost
    Recorder rec(p.comm);
    p.comm.Open();
    std::string sent;
    for (int i = 0; i < 300; ++i)
        sent += "line " + std::to_string(i) + "\r\n";
    std::thread host(
        [&] { ASSERT_EQ(::write(pty.master, sent.data(), sent.size()), ssize_t(sent.size())); });
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.received.size() >= sent.size(); }));
    host.join();
    EXPECT_EQ(rec.received, sent);
    EXPECT_GT(rec.notifications, 1);
    EXPECT_TRUE(rec.onLoopThread);
}

TEST(PtyLine, WritesUpToTheTransmitQueueSizeAndNothingForAnEmptyText) {
    Pty pty;
    Port p(pty.slave);
    p.comm.Open();
    const std::string full(p.comm.OutQueueSize(), 'a');
    p.comm.Write(full.data(), static_cast<int>(full.size()));
    try {
        p.comm.WriteString(full + "b");
        ADD_FAILURE() << "a write longer than the transmit queue went through";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.what(), base::sj(u8"送信データ長が長すぎる。"));
    }
    p.comm.WriteString("");
    p.comm.WriteString("ATZ\r\n");
    // Whatever the refused and the empty write had sent would come before the last text.
    EXPECT_EQ(pty.readMaster(full.size() + 5), full + "ATZ\r\n");
}

// A line that takes nothing for a while (CTS held low, a far end that reads slowly) delays
// what is written but loses none of it, and no write waits for it.
TEST(PtyLine, WritesToAStalledLineReturnAtOnceAndArriveWholeOnceItDrains) {
    Pty pty;
    Port p(pty.slave);
    p.comm.Open();
    std::string sent;
    for (int i = 0; sent.size() < 256 * 1024; ++i) // far more than the pty buffers
        sent += std::to_string(i) + ",";
    for (size_t at = 0; at < sent.size(); at += 4096)
        p.comm.WriteString(std::string_view(sent).substr(at, 4096));
    // Every write returned with nobody reading: the rest waits in the queue.
    EXPECT_GT(p.comm.OutQueued(), 0);
    EXPECT_EQ(pty.readMaster(sent.size()), sent);
}

TEST(PtyLine, TheFarEndHangingUpGivesOneCarrierNotification) {
    Pty pty;
    Port p(pty.slave);
    p.comm.setEventMask({evRlsd});
    Recorder rec(p.comm);
    p.comm.Open();
    EXPECT_TRUE(p.comm.CarrierDetect());
    EXPECT_TRUE(p.comm.DsrState());
    pty.closeMaster();
    EXPECT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == 1; }));
    EXPECT_EQ(rec.log, std::vector<std::string>{"carrier:off"});
    EXPECT_FALSE(p.comm.CarrierDetect());
    EXPECT_FALSE(p.comm.DsrState());
    EXPECT_TRUE(p.comm.LineLost());
    // The line is gone: a write is a failure the writer hears of, not bytes dropped quietly.
    EXPECT_THROW(p.comm.WriteString("+++"), ECommReadWriteError);
    p.comm.Close();
    EXPECT_EQ(p.loop.posts, 1); // no second hang-up was ever posted
}

TEST(PtyLine, CloseOrDestructionWhileBytesKeepArrivingLeavesNoThreadAndNoLateHandler) {
    Pty pty;
    Port p(pty.slave);
    auto& loop = p.loop;
    const int threadsBefore = threadCount();
    std::atomic<bool> stop{false};
    ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
    std::thread host([&] {
        const std::string chunk(512, 'z');
        pollfd pfd{pty.master, POLLOUT, 0};
        while (!stop)
            if (::write(pty.master, chunk.data(), chunk.size()) < 0)
                ::poll(&pfd, 1, 10); // bounded, so the stop flag is seen
    });
    for (int round = 0; round < 20; ++round) {
        auto c = std::make_unique<TComm>(loop);
        c->setComPortsFolder(p.dir.path());
        Recorder rec(*c);
        c->Open();
        ASSERT_TRUE(runUntil(loop, [&] { return !rec.received.empty(); }));
        ASSERT_TRUE(loop.waitForPost(kBound)); // a notification is on its way ...
        const int seen = rec.notifications;
        if (round % 2)
            c->Close(); // ... and finds the port closed
        else
            c.reset(); // ... or the component gone
        loop.runPending();
        EXPECT_EQ(rec.notifications, seen);
    }
    stop = true;
    host.join();
    EXPECT_EQ(threadCount(), threadsBefore);
}

TEST(PtyLine, AfterAHangUpTheWatcherSleepsInsteadOfPollingTheDeadLine) {
    // A hung-up pseudo-terminal and a closed TCP peer both leave a descriptor that polls as
    // ready for ever; the watcher must stop looking at it.
    Pty pty;
    Listener host;
    for (const std::string& device : {pty.slave, host.device}) {
        Port p(device);
        p.comm.setEventMask({evRlsd});
        Recorder rec(p.comm);
        p.comm.Open();
        if (device == pty.slave) {
            pty.closeMaster();
        } else {
            const int peer = ::accept(host.fd, nullptr, nullptr);
            ASSERT_GE(peer, 0);
            ::close(peer);
        }
        // A TCP line's connection raised the carrier first.
        const int events = device == pty.slave ? 1 : 2;
        ASSERT_TRUE(runUntil(p.loop, [&] { return rec.carrierEvents == events; })) << device;
        ASSERT_TRUE(untilOthersAsleep()) << device;
        int awake = 0;
        for (int look = 0; look < 1000; ++look)
            awake += !othersAsleep();
        EXPECT_EQ(awake, 0) << device;
        EXPECT_EQ(p.loop.runPending(), 0) << device;
        p.comm.Close();
    }
}
