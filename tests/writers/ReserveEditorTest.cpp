// The reservation editor: items found block by block, delete and edit by position, and
// a reopened block reserved again unchanged at the end of the list.
#include "writers/ReserveEditor.h"
#include "tests/writers/WriterFixture.h"

#include <gtest/gtest.h>

using writers::ReserveEditor;
using writers::WriterKind;
using writers::WriterModel;
using writers_test::sj;
using writers_test::WriterFixture;

namespace {

struct RecordingEditorHost : writers::ReserveEditorHost {
    std::vector<std::string> calls;
    std::vector<std::string> warnings;
    void setMainAndMacroEnabled(bool on) override { calls.push_back(on ? "enable" : "disable"); }
    void warn(const std::string& t) override { warnings.push_back(t); }
    std::string mainNetText() const override { return sj(u8"テストネット"); }
    void hideReserveEditor() override { calls.push_back("hide"); }
};

struct EditorFixture : WriterFixture {
    RecordingEditorHost editorHost;
    ReserveEditor editor{macro, nets, editorHost, [this] { return running; }};

    // Reservations as a net's NET.MAC holds them, loaded the way choosing the net loads them.
    void load(const base::Lines& blocks) {
        base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN"};
        mac.insert(mac.end(), blocks.begin(), blocks.end());
        mac.push_back("QUIT");
        base::replaceLines(dir.file("NETA/NET.MAC"), mac);
        macro.setNetNo("999"); // forget the net without saving it, then choose it again
        macro.ListBox1Click(0);
        editor.FormShow();
    }
};

// A body line that equals the header of the block after it, and two equal headers.
const base::Lines kTricky = {"RES :PC#0001", "MAIL :ABCD0123#Hi",
                             "//",           "MAIL :ABCD0123#Hi",
                             "second",       "//",
                             "MDOWN :PC#7",  "RES :PC#0001",
                             "twin",         "//"};

} // namespace

TEST(ReserveEditor, ShowsOneItemPerBlockWithBothButtonsDisabled) {
    EditorFixture f;
    f.load(kTricky);
    EXPECT_EQ(f.editor.caption(), sj(u8"書込み＆読み込み予約の編集 [テストネット]"));
    EXPECT_EQ(f.editor.items(), (std::vector<std::string>{"RES :PC#0001", "MAIL :ABCD0123#Hi",
                                                          "MDOWN :PC#7", "RES :PC#0001"}));
    EXPECT_FALSE(f.editor.deleteEnabled());
    EXPECT_FALSE(f.editor.editEnabled());
    EXPECT_EQ(f.editorHost.calls, (std::vector<std::string>{"disable"}));
    f.editor.ListBox1Click(2);
    EXPECT_TRUE(f.editor.deleteEnabled());
    EXPECT_FALSE(f.editor.editEnabled()); // a download has nothing to edit
    f.editor.ListBox1Click(1);
    EXPECT_TRUE(f.editor.editEnabled());
    f.editor.close();
    EXPECT_EQ(f.editorHost.calls, (std::vector<std::string>{"disable", "enable", "hide"}));
}

TEST(ReserveEditor, AnEmptyNetShowsNoItems) {
    EditorFixture f;
    f.editor.FormShow();
    EXPECT_TRUE(f.editor.items().empty());
    f.editor.ListBox1Click(0);
    EXPECT_FALSE(f.editor.deleteEnabled());
    EXPECT_FALSE(f.editor.deleteClick());
}

TEST(ReserveEditor, DeletingAddressesTheBlockByPositionNotByALineThatLooksLikeIt) {
    EditorFixture f;
    f.load(kTricky);
    // The mail item: its header also stands inside the first reply's body.
    f.editor.ListBox1Click(1);
    ASSERT_TRUE(f.editor.deleteClick());
    EXPECT_EQ(f.reserved(), (base::Lines{"RES :PC#0001", "MAIL :ABCD0123#Hi", "//", "MDOWN :PC#7",
                                         "RES :PC#0001", "twin", "//"}));
    EXPECT_EQ(f.editor.items().size(), 3u);
    EXPECT_FALSE(f.editor.deleteEnabled()); // refilled: nothing selected

    // The second of two equal headers.
    f.editor.ListBox1Click(2);
    ASSERT_TRUE(f.editor.deleteClick());
    EXPECT_EQ(f.reserved(),
              (base::Lines{"RES :PC#0001", "MAIL :ABCD0123#Hi", "//", "MDOWN :PC#7"}));
    // A download item is one line.
    f.editor.ListBox1Click(1);
    ASSERT_TRUE(f.editor.deleteClick());
    EXPECT_EQ(f.reserved(), (base::Lines{"RES :PC#0001", "MAIL :ABCD0123#Hi", "//"}));
    EXPECT_EQ(f.macro.reserve().ReserveLines(3), "//end//");
}

TEST(ReserveEditor, EditingAndReservingAgainGivesTheSameBlockAtTheEnd) {
    EditorFixture f;
    const base::Lines news = {"NEWW :PC#DOWNTOWN|a#b", ">//", "", "last", "//"};
    base::Lines blocks = news;
    blocks.insert(blocks.end(), {"FDOWN :BIN#3"});
    f.load(blocks);
    f.editor.ListBox1Click(0);
    EXPECT_TRUE(f.editor.editEnabled()); // "DOWN" in a title is not a download
    ASSERT_TRUE(f.editor.editClick());
    EXPECT_EQ(f.macroHost.calls.back(), "newWriter");
    EXPECT_EQ(f.editorHost.calls.back(), "hide");
    const macro::NewSlot& s = f.macro.newSlot();
    EXPECT_EQ(s.NewBoard, "PC");
    EXPECT_EQ(s.NewTitle, "DOWNTOWN|a#b"); // only an upload is split at "|"
    EXPECT_EQ(s.NewText, ">//\r\n\r\nlast\r\n");
    EXPECT_EQ(s.NewWriteMode, "EDIT");
    EXPECT_EQ(s.NewNetNo, "0");
    // Taken out of the list and out of NET.MAC: the writer reserves it anew.
    EXPECT_EQ(f.macro.reserve().lines(), (base::Lines{"FDOWN :BIN#3"}));
    EXPECT_EQ(f.reserved(), (base::Lines{"FDOWN :BIN#3"}));

    WriterModel w(f.context(), WriterKind::NewMessage);
    w.FormShow(s);
    EXPECT_EQ(w.body(), (base::Lines{">//", "", "last"})); // no empty line added at the end
    w.up();
    ASSERT_TRUE(w.FormCloseQuery());
    base::Lines expected = {"FDOWN :BIN#3"};
    expected.insert(expected.end(), news.begin(), news.end());
    EXPECT_EQ(f.reserved(), expected);
}

TEST(ReserveEditor, EditingEachKindFillsItsSlot) {
    EditorFixture f;
    f.load({"UPFILE :GAME#New version|C:\\DATA\\TOOL.LZH", "desc", "//",
            "BMAIL :ABCD0123#\\tmp\\A.BIN", "//", "RES :PC#0123", ">quoted", "//"});
    f.editor.ListBox1Click(0);
    ASSERT_TRUE(f.editor.editClick());
    EXPECT_EQ(f.macroHost.calls.back(), "uploadRequest");
    EXPECT_EQ(f.macro.newSlot().NewTitle, "New version");
    EXPECT_EQ(f.macro.newSlot().UpFileName, "C:/DATA/TOOL.LZH");
    EXPECT_EQ(f.macro.newSlot().NewText, "desc\r\n");

    f.editor.FormShow();
    f.editor.ListBox1Click(0);
    ASSERT_TRUE(f.editor.editClick());
    EXPECT_EQ(f.macroHost.calls.back(), "mailWriter");
    const macro::MailSlot& m = f.macro.mailSlot();
    EXPECT_EQ(m.MailSendId, "ABCD0123");
    EXPECT_EQ(m.MailTitle, "\\tmp\\A.BIN");
    EXPECT_EQ(m.MailKind, "BMAIL");
    EXPECT_EQ(m.MailMode, "EDIT");
    EXPECT_EQ(m.MailText, "");
    WriterModel mail(f.context(), WriterKind::Mail);
    mail.FormShow(m);
    EXPECT_TRUE(mail.BMAIL());
    EXPECT_EQ(mail.title(), "/tmp/A.BIN");

    f.editor.FormShow();
    f.editor.ListBox1Click(0);
    ASSERT_TRUE(f.editor.editClick());
    EXPECT_EQ(f.macroHost.calls.back(), "replyWriter");
    const macro::ReplySlot& r = f.macro.replySlot();
    EXPECT_EQ(r.ResBoard, "PC");
    EXPECT_EQ(r.ResNumber, "0123");
    EXPECT_EQ(r.ResText, ">quoted\r\n");
    EXPECT_EQ(r.ResMode, "EDIT");
    EXPECT_TRUE(f.macro.reserve().empty());
}

TEST(ReserveEditor, NothingChangesWhileARunIsOn) {
    EditorFixture f;
    f.load(kTricky);
    f.running = true;
    f.editor.ListBox1Click(0);
    EXPECT_FALSE(f.editor.deleteClick());
    EXPECT_FALSE(f.editor.editClick());
    EXPECT_EQ(f.editorHost.warnings.size(), 2u);
    EXPECT_EQ(f.macro.reserve().lines(), kTricky);
    EXPECT_EQ(f.reserved(), kTricky);
}

// Reserving for another net while an edited block is out in its writer must not bring the
// original back: the edited text is then reserved once, and only once.
TEST(ReserveEditor, AReopenedBlockDoesNotComeBackWhenAnotherNetIsReservedMeanwhile) {
    EditorFixture f;
    f.load({"NEWW :PC#Hello", "old text", "//", "MDOWN :PC#7"});
    f.editor.ListBox1Click(0);
    ASSERT_TRUE(f.editor.editClick());
    WriterModel edited(f.context(), WriterKind::NewMessage);
    edited.FormShow(f.macro.newSlot());

    // Something for net B is reserved before the edited text is.
    WriterModel other(f.context(), WriterKind::NewMessage);
    macro::NewSlot b;
    b.NewNetNo = "1";
    b.NewNetName = "NET B";
    b.NewBoard = "FREE";
    b.NewTitle = "Other";
    b.NewWriteMode = "EDIT";
    b.NewText = "for b\r\n";
    other.FormShow(b);
    other.up();
    ASSERT_TRUE(other.FormCloseQuery());
    EXPECT_EQ(f.macro.reserve().lines(), (base::Lines{"MDOWN :PC#7"}));

    edited.setBody({"new text"});
    edited.up();
    ASSERT_TRUE(edited.FormCloseQuery());
    EXPECT_EQ(f.reserved(), (base::Lines{"MDOWN :PC#7", "NEWW :PC#Hello", "new text", "//"}));
    EXPECT_EQ(f.macro.reserve().lines(), f.reserved());
    const base::Lines netB = f.netMac("NETB");
    EXPECT_EQ(base::Lines(netB.end() - 4, netB.end()),
              (base::Lines{"NEWW :FREE#Other", "for b", "//", "QUIT"}));
}
