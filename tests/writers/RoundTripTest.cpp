// Blocks the writers make, carried out by the auto-pilot: after the log-in the engine
// sends exactly the board, title, addressee, file name and body lines the user typed.
// (Replies and mail are carried out against the simulated host in WritersAgainstSimTest.)
#include "base/Text.h"
#include "tests/engine/EngineHarness.h"
#include "tests/writers/WriterFixture.h"

#include <gtest/gtest.h>

using base::sj;
using writers::WriterKind;
using writers::WriterModel;

namespace {

struct RoundTrip : ::testing::Test {
    engine_test::EngineHarness h;
    writers_test::RecordingStyleHost styleHost;
    writers::TextStyleModel styles{h.loop, styleHost, h.dir.path()};
    writers_test::ScriptedDialogs dialogs;

    void SetUp() override {
        writers_test::installStyles(h.dir.path());
        h.macro.FormShow();
        h.macro.ListBox1Click(0);
    }
    writers::WriterContext context() {
        return {h.loop, h.nets, h.macro, styles, dialogs, [this] { return h.model.running(); }};
    }
    // Reserves what the writer holds, as "UP" does.
    void reserve(WriterModel& w) {
        w.up();
        ASSERT_TRUE(w.FormCloseQuery()) << (dialogs.warnings.empty() ? "" : dialogs.warnings[0]);
    }
    // The run up to the main menu, as every session starts.
    void logIn() {
        h.start();
        h.ticks(1);
        ASSERT_EQ(h.takeSent(), "ATZ\r\n");
        h.receive("ATZ\r\r\nOK\r\n");
        h.ticks(2);
        ASSERT_EQ(h.takeSent(), "ATDT0312345678\r\n");
        h.receive("ATDT0312345678\r\r\nCONNECT 38400\r\n");
        h.ticks(3);
        h.receive("User ID  =");
        h.ticks(1);
        ASSERT_EQ(h.takeSent(), "TARNO001\r");
        h.receive("TARNO001\r\nPassword =");
        h.ticks(2);
        ASSERT_EQ(h.takeSent(), "tarno\r");
        h.receive(sj(u8"\r\nMAIN (残り59分)>"));
        h.ticks(2);
    }
};

} // namespace

TEST_F(RoundTrip, ANewMessageSendsBoardAndTitleInOneCommandLine) {
    WriterModel w(context(), WriterKind::NewMessage);
    w.FormShow(macro::NewSlot{"line 1\r\nline 2", "", "0", "TALK", "", "NEW", ""});
    styles.close();
    h.loop.advance(1000);
    w.setTitle(sj(u8"温泉: 箱根 #2"));
    reserve(w);
    logIn();
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "EW;TALK;" + sj(u8"温泉: 箱根 #2") + ";Y\r");
    h.receive("EW;TALK;" + sj(u8"温泉: 箱根 #2") + ";Y\r\n");
    h.ticks(12);
    // The shipped style framed the body: three lines above, five below, the last empty.
    const std::string dashes = std::string(30, ' ') + std::string(21, '-');
    EXPECT_EQ(h.takeSent(), "\r" + std::string(41, ' ') + "\r\rline 1\rline 2\r" + dashes + "\r" +
                                std::string(32, ' ') + sj(u8"たーの") + " TARNO001" +
                                std::string(11, ' ') + "\r" + std::string(32, ' ') +
                                "26/12/08 09:00:00\r" + dashes + "\r\r//\rS\r");
}

TEST_F(RoundTrip, AnUploadAsksForTheFileNameOfALinuxPath) {
    const std::string file = h.dir.file(sj(u8"写真.LZH"));
    base::replaceFile(file, "data");
    WriterModel w(context(), WriterKind::Upload);
    w.FormShow(macro::NewSlot{"", "", "0", "GAME", sj(u8"ポイント版"), "NEW", file});
    w.setBody({"about it", "//"});
    reserve(w);
    logIn();
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "F;GAME;MU;" + sj(u8"写真.LZH") + "\r");
    h.receive(sj(u8"\r\nコメントを入力してください\r\n"));
    h.ticks(2);
    EXPECT_EQ(h.takeSent(), sj(u8"ポイント版") + ";Y\r");
    h.receive("\r\n");
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "about it\r");
    h.receive("\r\n");
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), ">//\r");
    h.receive("\r\n");
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "//\rS\r");
}

TEST_F(RoundTrip, ABinaryMailNamesItsFile) {
    const std::string file = h.dir.file("A.BIN");
    base::replaceFile(file, "data");
    WriterModel w(context(), WriterKind::Mail);
    w.FormShow(macro::MailSlot{"0", "", "EDIT", "", file, "TARNO002", "BMAIL"});
    w.setBody({"the file"});
    reserve(w);
    logIn();
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "EB;TARNO002\r");
    h.receive("\r\nFile name (0:end)>");
    h.ticks(2);
    EXPECT_EQ(h.takeSent(), "A.BIN\rY;Y\r");
    h.receive("\r\n");
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "the file\r");
    h.receive("\r\n");
    h.ticks(1);
    EXPECT_EQ(h.takeSent(), "//\rS\rM\r");
}
