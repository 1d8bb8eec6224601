// The writers from their hand-over slots to the block in NET.MAC: quoting, the text style
// frame, the close questions, the checks before a block is made, byte-exact blocks.
#include "tests/writers/WriterFixture.h"

#include "writers/WriterText.h"

#include <gtest/gtest.h>

using writers::Answer;
using writers::WriterKind;
using writers::WriterModel;
using writers_test::sj;
using writers_test::WriterFixture;

namespace {

macro::ReplySlot replySlot(const std::string& mode = "NEW") {
    return {sj(u8"テストネット"),
            "No.0123  from: EFGH0456 Hanako\r\nTitle: Hello\r\n\r\nHello there\r\n\r\nBye\r\n",
            "0123",
            mode,
            "0",
            "PC"};
}

macro::NewSlot newSlot(const std::string& title = sj(u8"タイトルを入れてください")) {
    return {"", sj(u8"テストネット"), "0", "PC", title, "NEW", ""};
}

macro::MailSlot mailSlot(const std::string& mode, const std::string& text,
                         const std::string& sendId, const std::string& kind = "",
                         const std::string& title = "") {
    return {"0", sj(u8"テストネット"), mode, text, title, sendId, kind};
}

} // namespace

TEST(ReplyWriter, QuotesTheMessageFramesItWithTheReplyStyleAndReservesItByteExact) {
    WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY1.dat"), {"%h-san (%i)", "", "re %X", "-- %H %I"});
    WriterModel w(f.context(), WriterKind::Reply);
    w.FormShow(replySlot());
    EXPECT_EQ(w.caption(), sj(u8"レス作成"));
    EXPECT_EQ(w.boardname(), "PC");
    EXPECT_EQ(w.RESNO(), "0123");
    EXPECT_EQ(w.body(), (base::Lines{">Hello there", ">", ">Bye", ">"}));
    EXPECT_TRUE(f.styles.shown());
    EXPECT_EQ(f.styles.checked(), writers::Style::RES);
    EXPECT_EQ(f.styles.values().ComID, "EFGH0456");
    EXPECT_EQ(f.styles.values().ComHandle, "Hanako");
    EXPECT_EQ(f.styles.values().MeID, "ABCD0123");
    EXPECT_EQ(f.styles.values().MeHandle, sj(u8"太郎"));

    // Nothing is framed while the dialog is open; once it closes, the next tick frames.
    f.loop.advance(3000);
    EXPECT_EQ(w.body().size(), 4u);
    f.closeStyle();
    f.loop.advance(1000);
    EXPECT_FALSE(w.timer1Running());
    const base::Lines framed = {"Hanako-san (EFGH0456)",
                                "",
                                "re 0123",
                                ">Hello there",
                                ">",
                                ">Bye",
                                ">",
                                "-- " + sj(u8"太郎") + " ABCD0123",
                                ""};
    EXPECT_EQ(w.body(), framed);
    f.loop.advance(5000);
    EXPECT_EQ(w.body(), framed); // framed once only

    w.up();
    EXPECT_TRUE(w.FormCloseQuery());
    EXPECT_TRUE(f.dialogs.asked.empty()); // "UP" asks nothing
    base::Lines block = {"RES :PC#0123"};
    block.insert(block.end(), framed.begin(), framed.end());
    block.push_back("//");
    EXPECT_EQ(f.reserved(), block);
    EXPECT_EQ(f.netMac().back(), "QUIT");
}

TEST(ReplyWriter, ALoneTerminatorLineIsEscapedInTheBlockAndInTheWindow) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Reply);
    w.FormShow(replySlot("EDIT"));
    EXPECT_FALSE(f.styles.shown()); // re-editing opens no style
    EXPECT_FALSE(w.timer1Running());
    w.setBody({"Hello", "//", "//not the end"});
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(w.body(), (base::Lines{"Hello", ">//", "//not the end"}));
    EXPECT_EQ(f.reserved(), (base::Lines{"RES :PC#0123", "Hello", ">//", "//not the end", "//"}));
}

TEST(ReplyWriter, TheCloseBoxAsksAndCancelAsksAgainNextTime) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Reply);
    w.FormShow(replySlot("EDIT"));
    w.setBody({});
    f.dialogs.answers3 = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(w.CloseState(), sj(u8"しらん"));
    EXPECT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.asked, (std::vector<std::string>(2, sj(u8"アップロード予約しますか."))));
    EXPECT_TRUE(f.reserved().empty());

    WriterModel yes(f.context(), WriterKind::Reply);
    yes.FormShow(replySlot("EDIT"));
    yes.setBody({});
    f.dialogs.answers3 = {Answer::Yes};
    EXPECT_TRUE(yes.FormCloseQuery());
    // An empty body gives the header and the terminator.
    EXPECT_EQ(f.reserved(), (base::Lines{"RES :PC#0123", "//"}));
}

TEST(ReplyWriter, ARefusedFieldKeepsTheWindowOpenWithItsText) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Reply);
    macro::ReplySlot s = replySlot("EDIT");
    s.ResNumber = "12a";
    w.FormShow(s);
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    ASSERT_EQ(f.dialogs.warnings.size(), 1u);
    EXPECT_NE(f.dialogs.warnings[0].find(sj(u8"レス番号")), std::string::npos);
    EXPECT_FALSE(w.decided());
    EXPECT_FALSE(w.body().empty());
    EXPECT_TRUE(f.reserved().empty());

    w.setBoardname("P;C");
    f.dialogs.answers3 = {Answer::Yes};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_NE(f.dialogs.warnings.back().find(sj(u8"ボード")), std::string::npos);
}

TEST(NewWriter, TheCaptionFollowsTheTitleAndTheTitleIsChecked) {
    WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY0.dat"), {"top"});
    WriterModel w(f.context(), WriterKind::NewMessage);
    w.FormShow(newSlot());
    EXPECT_EQ(w.caption(), sj(u8"タイトルを入れてください"));
    EXPECT_EQ(f.styles.checked(), writers::Style::New);
    f.closeStyle();
    f.loop.advance(1000);
    EXPECT_EQ(w.body(), (base::Lines{"top", "", ""}));
    w.setBody({"top", "", "", "text"});

    w.setTitle("one;two");
    EXPECT_EQ(w.caption(), "one;two");
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    w.setTitle(std::string(51, 'x'));
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.warnings.size(), 2u);
    EXPECT_TRUE(f.reserved().empty());

    // ":" and "#" may follow the first "#"; "DOWN" is only text.
    w.setTitle("DOWNTOWN: a #1");
    w.up();
    EXPECT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.reserved(), (base::Lines{"NEWW :PC#DOWNTOWN: a #1", "top", "", "", "text", "//"}));
}

TEST(MailWriter, ANewMailTakesTheIDAndTheHandleFromTheMemberLine) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot("NEW", "", "ABCD0123  Taro Yamada"));
    EXPECT_EQ(f.styles.values().ComID, "ABCD0123");
    EXPECT_EQ(f.styles.values().ComHandle, "Taro");
    EXPECT_EQ(f.styles.values().ResNo, "0000");
    EXPECT_EQ(f.styles.checked(), writers::Style::Mail);
    EXPECT_EQ(w.SendId(), "ABCD0123  Taro Yamada");
    EXPECT_EQ(w.title(), sj(u8"タイトルを入れてください."));
    f.closeStyle();
    f.loop.advance(1000);
    w.setTitle("Hi; there");
    w.setBody({"Hello"});
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.reserved(), (base::Lines{"MAIL :ABCD0123#Hi; there", "Hello", "//"}));
}

// A second writer opened while the dialog serves the first waits for it: each mail greets
// its own addressee.
TEST(MailWriter, OneStyleDialogServesOneWriterAtATime) {
    WriterFixture f;
    WriterModel first(f.context(), WriterKind::Mail);
    first.FormShow(mailSlot("NEW", "", "ABCD0123  Taro"));
    f.styles.setMemo1({"Dear %h (%i)"});
    WriterModel second(f.context(), WriterKind::Mail);
    second.FormShow(mailSlot("NEW", "", "EFGH0456  Hanako"));
    EXPECT_EQ(f.styles.values().ComID, "ABCD0123");
    EXPECT_EQ(f.styles.memo4().front(), "Dear Taro (ABCD0123)");

    f.closeStyle();
    f.loop.advance(2000);
    EXPECT_EQ(first.body().front(), "Dear Taro (ABCD0123)");
    ASSERT_TRUE(f.styles.shown()); // now for the second writer
    EXPECT_EQ(f.styles.values().ComID, "EFGH0456");
    EXPECT_TRUE(second.timer1Running());
    f.closeStyle();
    f.loop.advance(1000);
    EXPECT_EQ(second.body().front(), "Dear Hanako (EFGH0456)");
    EXPECT_EQ(first.body().front(), "Dear Taro (ABCD0123)");
    EXPECT_FALSE(second.timer1Running());

    // A writer closed while it waits gives the dialog up to the next one.
    {
        WriterModel gone(f.context(), WriterKind::Mail);
        gone.FormShow(mailSlot("NEW", "", "GONE0001  Gone"));
    }
    f.closeStyle();
    WriterModel third(f.context(), WriterKind::Mail);
    third.FormShow(mailSlot("NEW", "", "IJKL0789  Jiro"));
    EXPECT_TRUE(f.styles.shown());
    EXPECT_EQ(f.styles.values().ComID, "IJKL0789");
}

// The proposed "RE:" title is one the writer accepts: cut to the title's length at a
// character boundary.
TEST(MailWriter, TheProposedRETitleIsOneItAccepts) {
    WriterFixture f;
    std::string subject;
    for (int i = 0; i < 40; ++i)
        subject += sj(u8"あ");
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot(
        "RES", "from: EFGH0456 Hanako\r\nDate: 26/12/01\r\nSubj: " + subject + "\r\nHi\r\n", ""));
    EXPECT_EQ(w.title(), "RE: " + subject.substr(0, 46)); // the blank after "Subj:" and 23 あ
    EXPECT_EQ(w.checkFields(), std::nullopt);
}

TEST(MailWriter, AnAnswerProposesRETitleAndQuotesTheMail) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot(
        "RES", "from: EFGH0456 Hanako Sato\r\nDate: 26/12/01\r\nSubj: Hello\r\nHi\r\n", ""));
    EXPECT_EQ(w.title(), "RE: Hello");
    EXPECT_EQ(w.caption(), "RE: Hello");
    EXPECT_EQ(w.SendId(), "EFGH0456");
    EXPECT_EQ(f.styles.values().ComHandle, "Hanako");
    EXPECT_EQ(w.body(), (base::Lines{">Hi", ">"}));
    f.closeStyle();
    f.loop.advance(1000);
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.reserved().front(), "MAIL :EFGH0456#RE: Hello");
}

TEST(MailWriter, CancelAsksAgainInsteadOfDiscardingLater) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot("EDIT", "kept\r\n", "ABCD0123", "MAIL ", "t"));
    f.dialogs.answers3 = {Answer::Cancel, Answer::Yes};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.asked.size(), 2u);
    EXPECT_EQ(f.reserved(), (base::Lines{"MAIL :ABCD0123#t", "kept", "//"}));
}

TEST(MailWriter, ABinaryMailChecksTheFileAndItsName) {
    WriterFixture f;
    const std::string twelve = f.dir.file("ABCDEFGH.TXT");
    const std::string thirteen = f.dir.file("LONGNAME.TEXT");
    base::replaceFile(twelve, "x");
    base::replaceFile(thirteen, "x");
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot("EDIT", "", "ABCD0123", "BMAIL", thirteen));
    EXPECT_TRUE(w.BMAIL());
    EXPECT_EQ(w.titleLabel(), sj(u8"ファイル名"));
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.warnings,
              (std::vector<std::string>{sj(u8"ファイル名は8.3のDOS形式でなくてはなりません。")}));
    EXPECT_EQ(w.CloseState(), "?");

    // A missing file is a question; No keeps the window open.
    w.setTitle(f.dir.file("NOFILE.TXT"));
    w.up();
    f.dialogs.answers2 = {false};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.asked.back(),
              sj(u8"ファイルが存在しません。このまま予約してよろしいですが?"));
    EXPECT_TRUE(f.reserved().empty());

    w.setTitle(twelve);
    w.setBody({"see the file"});
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.reserved(), (base::Lines{"BMAIL :ABCD0123#" + writers::storedPath(twelve),
                                         "see the file", "//"}));
    w.setBMAIL(false);
    EXPECT_EQ(w.titleLabel(), sj(u8"タイトル"));
}

TEST(UploadRequest, ReservesTheFileWithItsCommentAndDescription) {
    WriterFixture f;
    f.macro.SpeedButton2Click();
    WriterModel w(f.context(), WriterKind::Upload);
    macro::NewSlot s = newSlot("New version");
    s.NewBoard = "GAME";
    s.UpFileName = "C:\\DATA\\TOOL.LZH";
    w.FormShow(s);
    EXPECT_FALSE(f.styles.shown()); // no style for uploads
    EXPECT_EQ(w.caption(), sj(u8"ファイルのアップロード"));
    w.up();
    f.dialogs.answers2 = {true}; // the file is not on this machine: reserve anyway
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.reserved(), (base::Lines{"UPFILE :GAME#New version|C:\\DATA\\TOOL.LZH", "//"}));
}

TEST(UploadRequest, RefusesLongNamesBarsInTheCommentAndCancelAsksAgain) {
    WriterFixture f;
    const std::string thirteen = f.dir.file("LONGNAME.TEXT");
    const std::string twelve = f.dir.file("ABCDEFGH.TXT");
    base::replaceFile(thirteen, "x");
    base::replaceFile(twelve, "x");
    WriterModel w(f.context(), WriterKind::Upload);
    macro::NewSlot s = newSlot("v2");
    s.UpFileName = thirteen;
    w.FormShow(s);
    w.setBody({"about", "//"});
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(w.CloseState(), sj(u8"しらん"));
    w.setFName(twelve);
    w.setTitle("a|b");
    f.dialogs.answers3 = {Answer::Cancel, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_FALSE(w.FormCloseQuery()); // Yes, then the comment is refused
    EXPECT_NE(f.dialogs.warnings.back().find(sj(u8"コメント")), std::string::npos);
    w.setTitle(sj(u8"ポイント版"));
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.asked.size(), 3u);
    EXPECT_EQ(f.reserved(),
              (base::Lines{"UPFILE :PC#" + sj(u8"ポイント版") + "|" + writers::storedPath(twelve),
                           "about", ">//", "//"}));
}

// Names on this disk are UTF-8: a file in a folder with a Japanese name is found under
// that spelling, by the check here as by the transfer that sends it.
TEST(UploadRequest, FindsAFileInAJapaneseFolderAndRefusesANameShiftJISCannotHold) {
    WriterFixture f;
    const std::string folderUtf8 = f.dir.file(base::toUtf8(sj(u8"資料")));
    ASSERT_TRUE(base::makeDirs(folderUtf8));
    base::replaceFile(folderUtf8 + "/TOOL.LZH", "x");
    const std::string stored = f.dir.file(sj(u8"資料")) + "/TOOL.LZH";
    EXPECT_EQ(base::diskSpelling(stored), folderUtf8 + "/TOOL.LZH");
    EXPECT_EQ(base::diskSpelling(f.dir.file("NONE.LZH")), f.dir.file("NONE.LZH"));

    WriterModel w(f.context(), WriterKind::Upload);
    macro::NewSlot s = newSlot("v1");
    s.UpFileName = stored;
    w.FormShow(s);
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_TRUE(f.dialogs.asked.empty()); // no "missing file" question
    EXPECT_EQ(f.reserved(), (base::Lines{"UPFILE :PC#v1|" + writers::storedPath(stored), "//"}));

    // A folder named with a character outside Shift-JIS would be stored as "?".
    const std::string emoji = f.dir.path() + "/\xF0\x9F\x98\x80/TOOL.LZH";
    ASSERT_FALSE(base::fitsSjis(emoji));
    ASSERT_TRUE(base::fitsSjis(folderUtf8));
    WriterModel u(f.context(), WriterKind::Upload);
    u.FormShow(newSlot("v2"));
    u.setFName(base::fromUtf8(emoji), false);
    u.up();
    f.dialogs.answers2 = {true, true};
    EXPECT_FALSE(u.FormCloseQuery());
    ASSERT_FALSE(f.dialogs.warnings.empty());
    EXPECT_NE(f.dialogs.warnings.back().find(sj(u8"シフトJIS")), std::string::npos);
    EXPECT_EQ(f.reserved().size(), 2u); // only the first request
    u.setFName(stored);
    u.up();
    ASSERT_TRUE(u.FormCloseQuery());
    EXPECT_EQ(f.reserved().size(), 4u);
}

TEST(MailWriter, ABinaryMailFindsItsFileInAJapaneseFolderAndRefusesALostName) {
    WriterFixture f;
    const std::string folderUtf8 = f.dir.file(base::toUtf8(sj(u8"送る物")));
    ASSERT_TRUE(base::makeDirs(folderUtf8));
    base::replaceFile(folderUtf8 + "/A.TXT", "x");
    WriterModel w(f.context(), WriterKind::Mail);
    w.FormShow(mailSlot("EDIT", "", "ABCD0123", "BMAIL", "X.TXT"));
    w.setTitle(f.dir.path() + "/\xE2\x99\x94/A.TXT", false);
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    ASSERT_FALSE(f.dialogs.warnings.empty());
    EXPECT_NE(f.dialogs.warnings.back().find(sj(u8"シフトJIS")), std::string::npos);
    const std::string stored = f.dir.file(sj(u8"送る物")) + "/A.TXT";
    w.setTitle(stored);
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    EXPECT_TRUE(f.dialogs.asked.empty());
    EXPECT_EQ(f.reserved().front(), "BMAIL :ABCD0123#" + writers::storedPath(stored));
}

TEST(Writers, ReserveForTheirOwnNetAndLeaveTheShownNetAlone) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::NewMessage);
    macro::NewSlot s = newSlot("for B");
    s.NewNetNo = "1";
    s.NewWriteMode = "EDIT";
    s.NewText = "body\r\n";
    w.FormShow(s);
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    // A net without NET.MAC starts with the steps ticked for the net shown (QUIT here).
    EXPECT_EQ(f.netMac("NETB"), (base::Lines{"SETKTBBS", "DIAL{1}", "LOGIN", "NEWW :PC#for B",
                                             "body", "//", "QUIT"}));
    EXPECT_EQ(f.macro.NetNo(), "0");
    EXPECT_TRUE(f.reserved().empty());
}

TEST(Writers, RefuseWhenTheNetListChangedOrARunIsOn) {
    WriterFixture f;
    WriterModel w(f.context(), WriterKind::NewMessage);
    macro::NewSlot s = newSlot("t");
    s.NewWriteMode = "EDIT";
    w.FormShow(s);

    f.running = true;
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    f.running = false;

    // Net 0 was deleted: net 1 moved into its place.
    f.nets.remove(0);
    w.up();
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_EQ(f.dialogs.warnings.size(), 2u);
    EXPECT_FALSE(base::fileExists(f.dir.file("NETB/NET.MAC")));
    EXPECT_TRUE(f.reserved().empty());
}
