// How a run ends when the line fails or the host hangs up: an open failure with its cause, a
// device lost before the call is up, a connection that never came, and the modem's
// "NO CARRIER" after the log-out where the carrier itself never drops.
#include "tests/engine/EngineHarness.h"

#include <gtest/gtest.h>

using base::sj;
using engine::RunOutcome;
using engine_test::EngineHarness;

namespace {

bool logHas(const EngineHarness& h, const std::string& sjis) {
    for (const auto& line : h.errors.lines())
        if (line.find(sjis) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(LineLoss, AnOpenFailureSaysWhichDeviceAndWhy) {
    EngineHarness h;
    h.port.openResult = false;
    h.port.failureText = "/dev/ttyUSB0" + sj(u8": デバイスがありません");
    h.start();
    const std::string status =
        sj(u8"通信ポートをオープンできません.") + " /dev/ttyUSB0" + sj(u8": デバイスがありません");
    EXPECT_TRUE(h.statusSeen(status));
    EXPECT_TRUE(logHas(h, status));
    EXPECT_EQ(h.model.outcome(), RunOutcome::OpenFailed);
    EXPECT_FALSE(h.model.running());
}

TEST(LineLoss, ADeviceLostWhileDiallingEndsTheRunAtOnce) {
    EngineHarness h;
    h.start();
    h.receive("ATZ\r\r\nOK\r\n");
    h.ticks(2);
    ASSERT_NE(h.port.sent.find("ATDT"), std::string::npos);
    ASSERT_TRUE(h.model.running());
    h.model.Comm1LineLost(); // the USB modem was unplugged
    EXPECT_FALSE(h.model.running());
    EXPECT_EQ(h.model.outcome(), RunOutcome::LineLost);
    const std::string status = sj(u8"通信回線が失われました.") + " /dev/ttyUSB0";
    EXPECT_EQ(h.model.status(), status);
    EXPECT_TRUE(logHas(h, status));
    EXPECT_EQ(h.port.sent.find("+++"), std::string::npos); // nothing to hang up
}

TEST(LineLoss, AConnectionThatNeverCameIsAnOpenFailure) {
    EngineHarness h;
    h.port.network = true;
    h.start();
    h.ticks(2);
    h.port.failureText = "bbs.example:23" + sj(u8": 接続を拒否されました");
    h.model.Comm1LineLost();
    EXPECT_FALSE(h.model.running());
    // A network line counts as connected from the dial on; a connection that was never made
    // is still no lost call but a port that could not be opened.
    EXPECT_EQ(h.model.outcome(), RunOutcome::OpenFailed);
    const std::string status = sj(u8"通信ポートをオープンできません.") + " " + h.port.failureText;
    EXPECT_EQ(h.model.status(), status);
    EXPECT_TRUE(logHas(h, status));
}

TEST(LineLoss, NoCarrierAfterTheLogOutEndsTheRunLikeACarrierDrop) {
    EngineHarness h;
    h.logIn();
    ASSERT_NE(h.port.sent.find("Q\r\r"), std::string::npos);
    ASSERT_TRUE(h.model.running());
    // A serial server keeps carrier detect up: only the modem's words tell of the hang-up.
    h.receive(sj(u8"\r\nご利用ありがとうございました\r\n") + "\r\nNO CARRIER\r\n");
    h.ticks(4);
    EXPECT_FALSE(h.model.running());
    EXPECT_EQ(h.model.outcome(), RunOutcome::Completed);
    EXPECT_EQ(h.model.status(), sj(u8"回線が切れました."));
    EXPECT_EQ(h.port.sent.find("+++"), std::string::npos);
    EXPECT_TRUE(h.errors.lines().empty());
}

TEST(LineLoss, NoCarrierBeforeTheLogOutIsOnlyText) {
    EngineHarness h;
    h.setMacro({"SETKTBBS", "DIAL{0}", "LOGIN", "MBOARD", "QUIT"});
    h.start();
    h.receive("ATZ\r\r\nOK\r\n");
    h.ticks(2);
    h.receive("CONNECT\r\nUser ID  =");
    h.ticks(3);
    h.receive("NO CARRIER\r\n"); // a line of the host's text, with the call still up
    h.ticks(3);
    EXPECT_TRUE(h.model.running());
    EXPECT_TRUE(h.model.Connected());
}
