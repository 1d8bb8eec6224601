// The terminal's receive path, ring buffer and screen rules, below the level of a session.
#include "tests/engine/EngineHarness.h"

#include <gtest/gtest.h>

using engine::VazevModel;
using engine_test::EngineHarness;
using engine_test::RecordingTransfer;

namespace {

struct Terminal : ::testing::Test {
    EngineHarness h;
    RecordingTransfer transfer;
    void SetUp() override {
        transfer.model = &h.model;
        h.model.setTransfer(&transfer);
        h.start();
    }
};

TEST_F(Terminal, RingBufferGivesBytesInOrderAndZeroWhenEmpty) {
    EXPECT_FALSE(h.model.Rsrecv());
    EXPECT_EQ(h.model.RsGetC(), 0);
    EXPECT_FALSE(h.model.Rsrecv()); // an empty read does not move the read index

    h.model.setReceiveMode(1);
    h.receive(std::string("M\xff\x00", 3));
    EXPECT_EQ(transfer.ringNotes, 1);
    EXPECT_TRUE(h.model.Rsrecv());
    EXPECT_EQ(h.model.RsGetC(), 'M');
    EXPECT_EQ(h.model.RsGetC(), 0xFF); // bytes come back as 0..255
    EXPECT_TRUE(h.model.Rsrecv());
    EXPECT_EQ(h.model.RsGetC(), 0);
    EXPECT_FALSE(h.model.Rsrecv());
    EXPECT_EQ(h.model.line(1), ""); // nothing of it became text
}

TEST_F(Terminal, RingBufferWrapsAndRefusesToOverwriteUnreadBytes) {
    h.model.setReceiveMode(1);
    // Fill and drain most of the ring so the indexes wrap.
    h.receive(std::string(40000, 'a'));
    for (int i = 0; i < 40000; ++i)
        ASSERT_EQ(h.model.RsGetC(), 'a');
    std::string burst;
    for (int i = 0; i < VazevModel::kRingSize - 1; ++i)
        burst += static_cast<char>('0' + i % 10);
    h.receive(burst);
    EXPECT_EQ(transfer.overruns, 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(h.model.RsGetC(), '0' + i);
    // Five places are free now; a sixth byte would overwrite an unread one.
    h.model.setReceiveMode(1);
    h.receive("vwxyz!");
    EXPECT_EQ(transfer.overruns, 1);
    EXPECT_EQ(h.model.ReceiveMode(), 0);
    int n = 0;
    std::string tail;
    while (h.model.Rsrecv()) {
        tail += static_cast<char>(h.model.RsGetC());
        ++n;
    }
    EXPECT_EQ(n, VazevModel::kRingSize - 1);
    EXPECT_EQ(tail.substr(tail.size() - 5), "vwxyz"); // the unread bytes survived whole
}

TEST_F(Terminal, TransferModesHandTheBytesOver) {
    h.model.setReceiveMode(2);
    h.receive("data\r\n");
    EXPECT_EQ(transfer.downloaded, "data\r\n");
    h.model.setReceiveMode(3);
    h.receive("12345678901");
    EXPECT_EQ(transfer.uploadNotifications, std::vector<size_t>{11});
    EXPECT_EQ(h.model.line(1), "");
    EXPECT_EQ(h.model.WritePointer(), 1);
}

TEST_F(Terminal, ADoubleByteCharacterSplitAcrossNotificationsJoins) {
    const std::string kanji = base::sj(u8"漢字");
    h.receive(kanji.substr(0, 1));
    h.receive(kanji.substr(1) + "\r");
    EXPECT_EQ(h.model.line(1), kanji);
}

TEST_F(Terminal, BackViewShowsCompletedLinesFromLineZero) {
    h.receive("one\rtwo\rthree");
    ASSERT_EQ(h.model.WritePointer(), 3);
    EXPECT_EQ(h.model.backViewText(), "\r\none\r\ntwo\r\n");
}

TEST_F(Terminal, BackViewHoldsTheLast500Lines) {
    std::string many;
    for (int i = 1; i <= 600; ++i)
        many += std::to_string(i) + "\r";
    h.receive(many);
    ASSERT_EQ(h.model.WritePointer(), 601);
    std::string text = h.model.backViewText();
    EXPECT_EQ(text.substr(0, 5), "101\r\n");
    EXPECT_EQ(text.substr(text.size() - 5), "600\r\n");
}

TEST_F(Terminal, ScreenRowsFollowTheStatusBar) {
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "x\r";
    h.receive(many);
    const int wp = h.model.WritePointer();
    EXPECT_EQ(h.model.firstRow(368), wp - 20); // 21 rows
    EXPECT_EQ(h.model.firstRow(1000), 1);      // never above line 1
    EXPECT_EQ(VazevModel::rowText("abc"), "abc" + std::string(77, ' '));
    EXPECT_EQ(VazevModel::rowText(std::string(100, 'q')), std::string(80, 'q'));
    // A Japanese character that column 80 would cut in two leaves a blank in its place.
    std::string wide = "a", kept = "a";
    for (int i = 0; i < 40; ++i)
        wide += base::sj(u8"あ");
    for (int i = 0; i < 39; ++i)
        kept += base::sj(u8"あ");
    EXPECT_EQ(VazevModel::rowText(wide), kept + " ");
    EXPECT_EQ(VazevModel::rowText(wide.substr(1)), wide.substr(1)) << "exactly 80 bytes";
}

TEST_F(Terminal, CountersShowIdleTicksAndPointers) {
    h.receive("a\rb\r");
    EXPECT_EQ(h.model.countersText(), "0WP3,RP2,MP0/4");
}

TEST_F(Terminal, KeysReachTheHostOnlyWhenAllowed) {
    h.takeSent();
    h.model.TextKeyPress('a', true);
    EXPECT_EQ(h.takeSent(), ""); // keys are forbidden by default
    h.model.setKeyGard(false);
    h.model.TextKeyPress('b', false);
    EXPECT_EQ(h.takeSent(), ""); // the screen does not have the focus
    h.model.TextKeyPress('c', true);
    EXPECT_EQ(h.takeSent(), "c");
    transfer.shown = true;
    h.model.TextKeyPress('d', true);
    EXPECT_EQ(h.takeSent(), "");
    h.model.SendButton("R;01");
    EXPECT_EQ(h.takeSent(), "R;01\r");
}

TEST_F(Terminal, AFullLineTableEndsTheRunButTheCaptureKeepsEverything) {
    std::string flood;
    flood.reserve(VazevModel::kLineCount * 3);
    for (int i = 0; i < VazevModel::kLineCount + 10; ++i)
        flood += "z\r";
    h.receive(flood);
    EXPECT_EQ(h.model.WritePointer(), VazevModel::kLastWritePointer);
    EXPECT_TRUE(h.statusSeen(base::sj(u8"受信行が多すぎます．通信を終了します．")));
    EXPECT_FALSE(h.model.running());
    ASSERT_FALSE(h.errors.lines().empty());
    base::Lines cap = base::readLines(h.dir.file("VESPARI.LOG"));
    // The six header lines, then every line up to the moment the run ended.
    EXPECT_GE(cap.size(), static_cast<size_t>(6 + VazevModel::kLastWritePointer));
    EXPECT_EQ(h.host.importedWritePointer, VazevModel::kLastWritePointer);
    EXPECT_EQ(h.host.importedLines.back(), "END.");
}

TEST(TerminalModes, ATransferStartedAtACrTakesTheRestOfTheNotification) {
    // A step at a CR may hand the line to a transfer; what follows that CR in the same
    // notification belongs to the transfer, not to the text.
    EngineHarness h;
    struct Starting : RecordingTransfer {
        void startDownload() override { model->setReceiveMode(1); }
    } transfer;
    transfer.model = &h.model;
    h.model.setTransfer(&transfer);
    h.startDirect({"SETKTBBS", "DIAL{0}", "FDOWN :3#12", "QUIT"});
    // The host is at its menu at once (no log-in): the run goes on from there.
    h.receive("MAIN>");
    h.ticks(3);
    EXPECT_EQ(h.takeSent(), "\r\nF;3;MD12;Y;0\r");
    h.receive("F;3;MD12;Y;0\r\n" + base::sj(u8"CTRL-X で中断します。") + "\r\n\r\n\rMDATA");
    EXPECT_EQ(h.model.ReceiveMode(), 1);
    std::string ring;
    while (h.model.Rsrecv())
        ring += static_cast<char>(h.model.RsGetC());
    EXPECT_EQ(ring, "MDATA");
    EXPECT_EQ(h.model.line(h.model.WritePointer()), "");
}

} // namespace

TEST_F(Terminal, BackspacesOnAnEmptyLineTakeNothing) {
    h.receive("\b");
    h.receive("\b\bok\r");
    EXPECT_EQ(h.model.line(1), "ok");
    h.receive("\r\b\r");
    EXPECT_EQ(h.model.line(2), "");
    EXPECT_EQ(h.model.line(3), "");
    h.receive("ab\b\b\bc\r");
    EXPECT_EQ(h.model.line(4), "c");
}
