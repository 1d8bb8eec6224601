// The host's misbehaviours that are not about MLINK: dropping the line at a chosen point,
// bursts, noise, output beyond any table, and the idle logout.
#include "base/Sjis.h"
#include "base/Text.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using base::sj;
using simtest::screenLines;
using simtest::SimClient;

TEST(DropLine, WhilePrintingAChosenMainPrompt) {
    sim::SimOptions o;
    o.host.dropAt = sim::HostOptions::DropPoint::Menu;
    o.host.dropAtMenu = 2;
    SimClient c(o);
    c.loginToMenu(); // the first main prompt comes after the mail
    EXPECT_TRUE(c.carrier());
    c.type("r;?;0\r");
    std::string out = c.take();
    EXPECT_FALSE(c.carrier());
    std::string half = sj(u8"MAIN (残り60分)>");
    half = half.substr(0, half.size() / 2);
    EXPECT_NE(out.find(half + "\r\nNO CARRIER\r\n"), std::string::npos);
    EXPECT_FALSE(c.sim.hostInSession());
}

TEST(DropLine, WhenQArrivesWithoutAGoodbye) {
    sim::SimOptions o;
    o.host.dropAt = sim::HostOptions::DropPoint::Logout;
    SimClient c(o);
    c.loginToMenu();
    c.take();
    c.type("Q\r\r");
    // The second CR reaches a modem back in command state, which echoes it.
    EXPECT_EQ(c.take(), "Q\r\n\r\nNO CARRIER\r\n\r");
    EXPECT_FALSE(c.carrier());
    EXPECT_EQ(c.sim.record().logouts, 0);
}

TEST(Bursts, OutputComesInPiecesWithGapsButTheScreenIsTheSame) {
    SimClient plain;
    plain.loginToMenu();
    std::vector<std::string> expected = screenLines(plain.command("r;?;0\r"));

    sim::SimOptions o;
    o.host.burstBytes = 16;
    o.host.burstGapMs = 100;
    SimClient c(o);
    c.loginToMenu();
    c.advance(20000);
    c.take();
    c.type("r;?;0\r");
    std::string got;
    int pieces = 0;
    for (int i = 0; i < 40; ++i) {
        std::string piece = c.take();
        if (!piece.empty()) {
            EXPECT_LE(piece.size(), 16u);
            got += piece;
            ++pieces;
        }
        c.advance(100);
    }
    EXPECT_GE(pieces, 10);
    EXPECT_EQ(screenLines(got), expected);
}

TEST(Noise, StrayControlBytesAndBackspacesLeaveTheScreenUnchanged) {
    SimClient plain;
    plain.loginToMenu();
    std::string clean = plain.command("N@\r");

    sim::SimOptions o;
    o.host.noise = true;
    SimClient c(o);
    c.loginToMenu();
    std::string noisy = c.command("N@\r");
    EXPECT_NE(noisy, clean);
    EXPECT_NE(noisy.find('\x07'), std::string::npos);
    EXPECT_NE(noisy.find(std::string("\0", 1)), std::string::npos);
    EXPECT_NE(noisy.find("x\b"), std::string::npos);
    EXPECT_EQ(screenLines(noisy), screenLines(clean));
    // The stray ESCs stay alone: none is followed by a byte that would make it a sequence
    // (which a terminal takes out together with that byte).
    int escapes = 0;
    for (size_t at = noisy.find('\x1b'); at != std::string::npos; at = noisy.find('\x1b', at + 1)) {
        ++escapes;
        ASSERT_LT(at + 1, noisy.size());
        const unsigned char next = static_cast<unsigned char>(noisy[at + 1]);
        EXPECT_FALSE((next >= 0x40 && next <= 0x5f) || next == '(' || next == ')' || next == 0x1b)
            << "at " << at;
    }
    EXPECT_GT(escapes, 0);
}

TEST(Flood, OutputBeyondEveryTableOfTheTerminal) {
    sim::SimOptions o;
    o.host.floodLines = 160000;
    SimClient c(o);
    c.loginToMenu();
    std::vector<std::string> lines = screenLines(c.command("N@\r"));
    EXPECT_GT(lines.size(), 155000u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(100000, 'X')), lines.end());
    int sections = 0;
    for (const std::string& l : lines)
        if (l.find("Section 100: ") != std::string::npos ||
            l.find("Section 250: ") != std::string::npos)
            ++sections;
    EXPECT_EQ(sections, 2);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Message  #12345   from: FLOOD"), lines.end());

    std::vector<std::string> list = screenLines(c.command("R;01;L;1;0;0\r"));
    EXPECT_NE(std::find_if(list.begin(), list.end(),
                           [](const std::string& l) { return base::startsWith(l, "10000: "); }),
              list.end());
    EXPECT_GT(list.size(), 160000u);
}

TEST(IdleLogout, SilenceEndsTheSession) {
    sim::SimOptions o;
    o.host.idleLogoutMs = 60000;
    SimClient c(o);
    c.loginToMenu();
    c.advance(59000);
    c.type("\r"); // input restarts the count
    c.advance(59000);
    EXPECT_TRUE(c.carrier());
    c.advance(1000);
    EXPECT_FALSE(c.carrier());
    EXPECT_NE(c.take().find(sj(u8"一定時間入力がなかったので切断します。")), std::string::npos);
}

namespace {

TEST(HostKinds, AMenuBeforeTheIdAndChatNoticesEndingLists) {
    sim::SimOptions o;
    o.host.menuBeforeId = true;
    o.host.chatNotices = true;
    simtest::SimClient c(o);
    c.connect();
    // No ID prompt at all: the host goes from its banner to the session.
    ASSERT_TRUE(c.waitFor(">"));
    const std::string first = c.take();
    EXPECT_EQ(first.find("User ID"), std::string::npos);
    ASSERT_EQ(c.sim.record().logins.size(), 1u);
    c.readMailToMenu(first);
    const std::string chat = sj(u8"*CH01 FLOOD さんがチャットに入りました。");
    for (const char* cmd : {"U\r\r", "FN\r", "R;1;L;0;0;0\r"}) {
        std::vector<std::string> l = simtest::screenLines(c.command(cmd));
        ASSERT_GE(l.size(), 2u) << cmd;
        EXPECT_EQ(l[l.size() - 2], chat) << cmd; // right before the main prompt
    }
    // A new-message read is not a list: it carries no notice.
    EXPECT_EQ(c.command("N@\r").find(chat), std::string::npos);
}

} // namespace
