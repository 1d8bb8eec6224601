// The serial component on the built-in "sim:" line against the simulated modem and host:
// the two halves that the demo net joins, meeting over a real socket pair.
#include "base/LineFile.h"
#include "base/Text.h"
#include "base/VirtualLoop.h"
#include "comm/TComm.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct SimLine : ::testing::Test {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    sim::SimLinePeer peer{loop, sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo")};
    comm::TComm line{loop};
    std::string received;
    std::vector<bool> carrier;

    void SetUp() override {
        base::replaceLines(dir.file("COMPORTS.DAT"), {"sim:", "sim:", "sim:", "sim:"});
        line.setComPortsFolder(dir.path());
        line.setSimLine(&peer);
        line.setEventMask({comm::evRlsd});
        line.OnCommReceive = [this](comm::TComm& c, std::uint16_t size) {
            std::string buf(size, '\0');
            int n = c.Read(buf.data(), size);
            received.append(buf.data(), static_cast<size_t>(n));
        };
        line.OnCommEvent = [this](comm::TComm& c, comm::TCommEventMask events) {
            if (events.contains(comm::evRlsd))
                carrier.push_back(c.CarrierDetect());
        };
    }

    // Runs what the line and the simulator post until `done` holds.
    template <class Pred> bool waitUntil(Pred done) {
        for (loop.runPending(); !done(); loop.runPending())
            if (!loop.waitForPost(10s))
                return false;
        return true;
    }
    bool waitFor(const std::string& text) {
        return waitUntil([&] { return base::contains(received, text); });
    }
};

} // namespace

TEST_F(SimLine, DialLogInAndHangUpOverTheBuiltInLine) {
    line.Open();
    EXPECT_FALSE(line.CarrierDetect());
    line.WriteString("ATZ\r\n");
    ASSERT_TRUE(waitFor("OK")) << received;

    line.WriteString("ATDT0312345678\r\n");
    ASSERT_TRUE(waitFor("ATDT0312345678")) << received;
    loop.advance(2500); // the modem's dial delay passes
    ASSERT_TRUE(waitFor("CONNECT")) << received;
    ASSERT_TRUE(waitFor("User ID  =")) << received;
    // The carrier report may come after the first bytes of the call, never before the
    // bytes sent ahead of it.
    ASSERT_TRUE(waitUntil([&] { return !carrier.empty(); }));
    EXPECT_EQ(carrier, std::vector<bool>{true});

    line.WriteString("TARNO001\r");
    ASSERT_TRUE(waitFor("Password =")) << received;
    line.WriteString("tarno\r");
    // The demo account has mail waiting: the host offers it before the main prompt.
    ASSERT_TRUE(waitFor("[RET]:")) << received;

    // Closing the port drops DTR: the simulator hangs up and the call is recorded.
    line.Close();
    EXPECT_FALSE(peer.connected());
    ASSERT_FALSE(peer.simulator().record().logins.empty());
    EXPECT_EQ(peer.simulator().record().logins.front(), "TARNO001");
}
