#include "viewers/BoardModel.h"

#include "tests/viewers/ViewerFixture.h"

#include <gtest/gtest.h>

using base::sj;
using viewers::BoardModel;
using viewers::BrowseMode;

namespace {

struct Board : ViewerFixture {
    BoardModel model{macro, nets, host, base::makeDateTime(2026, 12, 8, 9, 0, 0)};

    Board() {
        boards({"0001: ZATSU " + sj(u8"雑談"), "0002: PC " + sj(u8"パソコン"),
                "0003: INFO " + sj(u8"お知らせ")});
        chooseNet(0);
    }
    void open(bool browseNew = false, bool browseAll = true, bool tree = true) {
        model.FormShow(browseNew, browseAll, tree);
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& e : model.list())
            out.push_back(e.line);
        return out;
    }
    std::string marks() const {
        std::string out;
        for (const auto& e : model.list())
            out += e.line[0];
        return out;
    }
};

std::string head(int n, const std::string& author) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d-", n);
    return b + (author + std::string(21, ' ')).substr(0, 21);
}

} // namespace

TEST(BoardModel, RepliesStandBelowTheirParentNewestFirstWithTheirGlyphs) {
    Board f;
    f.write("MBOARD01.DAT", join({message(1, "SYSOP", "26/12/01 10:00:00", "A"),
                                  message(2, "TARNO002", "26/12/02 10:00:00", reply(1, "B")),
                                  message(3, "TARNO003", "26/12/03 10:00:00", reply(1, "C")),
                                  message(4, "TARNO004", "26/12/04 10:00:00", reply(1, "D")),
                                  message(5, "TARNO005", "26/12/04 11:00:00", reply(3, "E"))}));
    f.open();
    EXPECT_EQ(f.model.caption(), sj(u8"メッセージボード [テストネット] [0001: ZATSU 雑談]"));
    const std::string el = sj(u8"└"), te = sj(u8"├"), bar = sj(u8"│");
    EXPECT_EQ(f.lines(), (std::vector<std::string>{
                             "*   1:" + head(1, "SYSOP") + "  A",
                             "*   4:  " + te + head(4, "TARNO004") + "  Re:0001) D",
                             "*   3:  " + te + head(3, "TARNO003") + "  Re:0001) C",
                             "*   5:  " + bar + el + head(5, "TARNO005") + "  Re:0003) E",
                             "*   2:  " + el + head(2, "TARNO002") + "  Re:0001) B",
                         }));
    // Each line shows its own message.
    f.model.ListBox1Click(3);
    EXPECT_EQ(f.model.memoText().substr(0, 14), "Message  #0005");
    EXPECT_TRUE(f.model.resEnabled());

    // Without the tree every line is flat, in file order.
    f.model.setTree(false);
    f.model.Button2Click();
    EXPECT_EQ(f.lines()[1], "*   2:" + head(2, "TARNO002") + "  Re:0001) B");
    EXPECT_EQ(f.model.list()[4].seq, 5);
    EXPECT_FALSE(f.model.resEnabled()); // reloading clears the selection
}

TEST(BoardModel, OddRepliesDuplicatesAndShortMessagesKeepTheirOwnText) {
    Board f;
    f.write("MBOARD01.DAT",
            join({{"stray text before the first message"},
                  message(10, "SYSOP", "26/12/01 10:00:00", "first"),
                  message(11, "X", "26/12/01 10:00:00", "Re:00010) long number", {"x"}),
                  message(12, "Y", "26/12/01 10:00:00", reply(77, "orphan")),
                  message(13, "Z", "26/12/01 10:00:00", "dup one", {"body one"}),
                  {"Message  #0014   from: CUT", "Time: 26/12/01 10:00:00  Section 01: x"},
                  message(13, "Z", "26/12/01 10:00:00", "dup two", {"body two"})}));
    f.open();
    const auto ls = f.lines();
    ASSERT_EQ(ls.size(), 6u);
    // A reply to an article not on the board goes to the top, with its glyph.
    EXPECT_EQ(ls[0], "*   3:  " + sj(u8"└") + head(12, "Y") + "  Re:0077) orphan");
    EXPECT_EQ(ls[1], "*   1:" + head(10, "SYSOP") + "  first");
    // ")" at position 15 is no reply for the tree: listed flat, in file order.
    EXPECT_EQ(ls[2], "*   2:" + head(11, "X") + "  Re:00010) long number");
    // The message cut off before its subject keeps its own line, and the later ones theirs.
    EXPECT_EQ(ls[4], "*   5:" + head(14, "CUT") + " ");
    f.model.ListBox1Click(3);
    EXPECT_NE(f.model.memoText().find("body one"), std::string::npos);
    f.model.ListBox1Click(5);
    EXPECT_NE(f.model.memoText().find("body two"), std::string::npos);
    EXPECT_EQ(f.model.memoText().find("body one"), std::string::npos);
}

TEST(BoardModel, BrowseModesMarkWhatEachModeSelects) {
    Board f;
    const std::string a = sj(u8"ア");
    f.write("MBOARD01.DAT",
            join({message(1, "SYSOP", "26/12/01 10:00:00", "old", {"about " + a}),
                  message(2, "B", "26/12/05 11:59:59", "before the unread date"),
                  message(3, "C", "26/12/05 12:00:00", "at it", {"word tarno here"}),
                  message(4, "D", "27/01/02 08:00:00", "next year")}));
    // New: from the net's last-read date "26/12/05 12:00:00" on.
    f.open(true, false);
    EXPECT_EQ(f.model.mode(), BrowseMode::New);
    EXPECT_EQ(f.marks(), "__**");
    f.model.setMode(BrowseMode::All);
    f.model.Button2Click();
    EXPECT_EQ(f.marks(), "****");

    // Date: the spinners hold four-digit years and reach the years of the store.
    EXPECT_EQ(f.model.setdate(), "26/12/5"); // three days before 2026-12-08
    EXPECT_EQ(f.model.yearMax(), 2027);
    f.model.setMode(BrowseMode::Date);
    f.model.setDay(2);
    f.model.Button2Click();
    EXPECT_EQ(f.marks(), "_***");
    f.model.setYear(2027);
    f.model.setMonth(1);
    f.model.Button2Click();
    EXPECT_EQ(f.model.setdate(), "27/1/2");
    EXPECT_EQ(f.marks(), "___*");

    // Search: the body counts; "A" is not found inside "ア" (0x83 0x41).
    f.model.setMode(BrowseMode::Search);
    f.model.setSearchword("tarno");
    f.model.Button2Click();
    EXPECT_EQ(f.marks(), "__*_");
    f.model.setSearchword("A");
    f.model.Button2Click();
    EXPECT_EQ(f.marks(), "____");
    f.model.setSearchword(a);
    f.model.Button2Click();
    EXPECT_EQ(f.marks(), "*___");
    EXPECT_TRUE(f.host.only("warn").empty());
}

TEST(BoardModel, UnreadableDatesGiveOneSummaryWarning) {
    Board f;
    f.write("MBOARD01.DAT", join({message(1, "A", "26/13/01 10:00:00", "bad month"),
                                  message(2, "B", "yesterday", "bad"),
                                  message(3, "C", "26/12/07 10:00:00", "good")}));
    f.open(true, false);
    EXPECT_EQ(f.host.only("warn"),
              (std::vector<std::string>{sj(u8"日付を取り込めません #0001 ほか 1 件")}));
    EXPECT_EQ(f.marks(), "__*");
}

TEST(BoardModel, JumpsGoFromMarkToMarkAcrossBoards) {
    Board f;
    f.write("MBOARD01.DAT", join({message(1, "A", "26/12/01 10:00:00", "old"),
                                  message(2, "B", "26/12/06 10:00:00", "new")}));
    // Board 02 has nothing new, board 03 has one new message.
    f.write("MBOARD02.DAT", message(1, "C", "26/12/01 10:00:00", "old", {}, 2));
    f.write("MBOARD03.DAT", join({message(7, "D", "26/12/01 10:00:00", "old", {}, 3),
                                  message(8, "E", "26/12/07 10:00:00", "new", {}, 3)}));
    f.open(true, false);
    f.model.DOWNButtonClick();
    EXPECT_EQ(f.model.selected(), 1);
    f.model.DOWNButtonClick();
    EXPECT_EQ(f.model.board(), 2);
    EXPECT_EQ(f.model.selected(), 1);
    EXPECT_EQ(f.model.memoText().substr(0, 14), "Message  #0008");
    f.model.DOWNButtonClick();
    EXPECT_EQ(f.host.only("sorry"),
              (std::vector<std::string>{sj(u8"次のアーティクルはありません")}));
    EXPECT_EQ(f.model.board(), 2);

    // Up goes back over board 02 (nothing marked) to board 01's marked message.
    f.model.UPButtonClick();
    EXPECT_EQ(f.model.board(), 0);
    EXPECT_EQ(f.model.selected(), 1);
    f.model.UPButtonClick();
    EXPECT_EQ(f.host.only("sorry").back(), sj(u8"前のアーティクルはありません"));
    f.model.previousLine();
    EXPECT_EQ(f.model.selected(), 0);
    f.model.previousLine();
    EXPECT_EQ(f.model.selected(), 0);
    f.model.nextLine();
    EXPECT_EQ(f.model.selected(), 1);
}

TEST(BoardModel, DeletingRewritesTheFileAsItIsNow) {
    Board f;
    const base::Lines m1 = message(1, "A", "26/12/01 10:00:00", "one", {"x"});
    const base::Lines m2 = message(2, "B", "26/12/02 10:00:00", "two", {"y"});
    const base::Lines m3 = message(3, "C", "26/12/03 10:00:00", "three");
    f.write("MBOARD01.DAT", join({m1, m2, m3}));
    f.open();
    BoardModel other(f.macro, f.nets, f.host, base::makeDateTime(2026, 12, 8));
    other.FormShow(false, true, true);

    // Imported after both viewers were loaded.
    const base::Lines m4 = message(4, "D", "26/12/08 10:00:00", "four");
    base::appendLines(f.file("MBOARD01.DAT"), m4);

    f.model.ListBox1Click(1);
    ASSERT_TRUE(f.model.deleteArticle());
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")), base::joinLines(join({m1, m3, m4})));
    EXPECT_EQ(f.model.memoText(), "");
    EXPECT_FALSE(f.model.deleteEnabled());
    EXPECT_EQ(f.model.list().size(), 3u); // the list is not reloaded

    // The other viewer still shows message 2; deleting message 1 there keeps both changes.
    other.ListBox1Click(0);
    ASSERT_TRUE(other.deleteArticle());
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")), base::joinLines(join({m3, m4})));
    other.ListBox1Click(1);
    EXPECT_FALSE(other.deleteArticle());
    EXPECT_EQ(f.host.only("warn").back(),
              sj(u8"このアーティクルはもうボードのファイルにありません．"));
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")), base::joinLines(join({m3, m4})));
}

TEST(BoardModel, ReplyAndNewMessageFillTheHandOverSlots) {
    Board f;
    f.write("MBOARD01.DAT", message(123, "SYSOP", "26/12/01 10:00:00", "hello", {"text"}));
    f.open();
    f.model.ListBox1Click(0);
    f.model.ResButtonClick();
    const macro::ReplySlot& r = f.macro.replySlot();
    EXPECT_EQ(r.ResNetNo, "0");
    EXPECT_EQ(r.ResNetName, sj(u8"テストネット"));
    EXPECT_EQ(r.ResNumber, "0123");
    EXPECT_EQ(r.ResBoard, "ZATSU");
    EXPECT_EQ(r.ResMode, "NEW");
    EXPECT_EQ(r.ResText,
              base::joinLines(message(123, "SYSOP", "26/12/01 10:00:00", "hello", {"text"})));
    f.model.boardnameChange(1);
    f.model.Button1Click();
    const macro::NewSlot& n = f.macro.newSlot();
    EXPECT_EQ(n.NewBoard, "PC");
    EXPECT_EQ(n.NewTitle, sj(u8"タイトルを入れてください"));
    EXPECT_EQ(n.NewWriteMode, "NEW");
    EXPECT_EQ(f.macroHost.calls.back(), "newWriter");
    EXPECT_EQ(f.macroHost.calls[f.macroHost.calls.size() - 2], "replyWriter");
}

TEST(BoardModel, NoNetLoadsNothingAndSaysSo) {
    Board f;
    f.macro.setNetNo("999");
    f.model.FormShow(true, false, true);
    EXPECT_EQ(f.model.net(), -1);
    EXPECT_TRUE(f.model.list().empty());
    EXPECT_TRUE(f.model.boardLines().empty());
    ASSERT_EQ(f.host.only("warn").size(), 1u);
    f.model.DOWNButtonClick();
    EXPECT_EQ(f.host.only("sorry").size(), 1u);
}

TEST(BoardModel, TheRemovedArticleFileIsShownAndEditedLikeTheBoard) {
    Board f;
    const base::Lines kept = message(3, "A", "26/12/01 10:00:00", "kept");
    const base::Lines gone = message(4, "B", "26/12/01 10:00:00", "gone");
    f.write("MBOARD01.DAT", message(9, "C", "26/12/01 10:00:00", "current"));
    f.write("MBOARD01.OLD", join({kept, gone}));
    f.open();
    ASSERT_EQ(f.model.list().size(), 1u);
    f.model.FileKindClick();
    EXPECT_EQ(f.model.fileKind(), ".OLD");
    ASSERT_EQ(f.model.list().size(), 2u);
    f.model.ListBox1Click(1);
    ASSERT_TRUE(f.model.deleteArticle());
    EXPECT_EQ(base::readFile(f.file("MBOARD01.OLD")), base::joinLines(kept));
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")),
              base::joinLines(message(9, "C", "26/12/01 10:00:00", "current")));
    f.model.FileKindClick();
    EXPECT_EQ(f.model.fileKind(), ".DAT");
}

TEST(BoardModel, AVeryDeepReplyChainKeepsItsPrefixBounded) {
    Board f;
    base::Lines board = message(1, "A", "26/12/01 10:00:00", "root");
    for (int n = 2; n <= 60; ++n) {
        const base::Lines m = message(n, "A", "26/12/01 10:00:00", reply(n - 1, "deeper"));
        board.insert(board.end(), m.begin(), m.end());
    }
    f.write("MBOARD01.DAT", board);
    f.open();
    ASSERT_EQ(f.model.list().size(), 60u);
    // Each reply directly below its parent: the chain keeps file order.
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(f.model.list()[static_cast<size_t>(i)].seq, i + 1);
    const std::string& last = f.model.list().back().line;
    EXPECT_EQ(last.find("0060-"), 6u + 2 * BoardModel::kMaxDepth + 2);
}

TEST(BoardModel, DeletingAShortCopyLeavesALongerMessageThatStartsTheSame) {
    // A message imported twice, once cut short: the short copy starts like the whole one.
    Board f;
    const base::Lines whole = message(7, "A", "26/12/01 10:00:00", "same", {"first", "second"});
    const base::Lines cut = message(7, "A", "26/12/01 10:00:00", "same", {"first"});
    const base::Lines after = message(8, "B", "26/12/02 10:00:00", "next");
    f.write("MBOARD01.DAT", join({whole, cut, after}));
    f.open(false, true, false);
    ASSERT_EQ(f.model.list().size(), 3u);
    f.model.ListBox1Click(1);
    ASSERT_EQ(f.model.list()[1].seq, 2);
    ASSERT_TRUE(f.model.deleteArticle());
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")), base::joinLines(join({whole, after})));
}

TEST(BoardModel, RepliesGoBelowTheCopyOfTheirParentThatIsShownLast) {
    {
        SCOPED_TRACE("a later copy placed in the tree");
        Board f;
        f.write("MBOARD01.DAT", join({message(1, "A", "26/12/01 10:00:00", "A"),
                                      message(2, "B", "26/12/02 10:00:00", reply(1, "B")),
                                      message(3, "C", "26/12/03 10:00:00", "C"),
                                      message(2, "B", "26/12/04 10:00:00", reply(3, "B again")),
                                      message(4, "D", "26/12/05 10:00:00", reply(2, "D"))}));
        f.open();
        std::vector<int> seqs;
        for (const auto& e : f.model.list())
            seqs.push_back(e.seq);
        // Message 4 answers article 2, whose second copy (under 3) stands lower.
        EXPECT_EQ(seqs, (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_EQ(f.lines()[4], "*   5:    " + sj(u8"└") + head(4, "D") + "  Re:0002) D");
    }
    {
        SCOPED_TRACE("replies to articles not on the board");
        Board f;
        f.write("MBOARD01.DAT", join({message(1, "A", "26/12/01 10:00:00", "root"),
                                      message(2, "B", "26/12/02 10:00:00", reply(77, "x")),
                                      message(3, "C", "26/12/03 10:00:00", reply(78, "y"))}));
        f.open();
        std::vector<int> seqs;
        for (const auto& e : f.model.list())
            seqs.push_back(e.seq);
        // Each goes in at the top, so the newest stands highest.
        EXPECT_EQ(seqs, (std::vector<int>{3, 2, 1}));
    }
    {
        SCOPED_TRACE("two copies of an article inserted at the top");
        Board f;
        f.write("MBOARD01.DAT", join({message(5, "A", "26/12/01 10:00:00", reply(77, "x")),
                                      message(5, "A", "26/12/02 10:00:00", reply(78, "x")),
                                      message(6, "B", "26/12/03 10:00:00", reply(5, "z"))}));
        f.open();
        std::vector<int> seqs;
        for (const auto& e : f.model.list())
            seqs.push_back(e.seq);
        // The second copy went in above the first, so the first is the lower one.
        EXPECT_EQ(seqs, (std::vector<int>{2, 1, 3}));
    }
}

TEST(BoardModel, BothBrowseFlagsTickedMeanNew) {
    // Only a hand-edited settings file ticks both: the narrower mode wins.
    Board f;
    f.write("MBOARD01.DAT", join({message(1, "A", "26/12/01 10:00:00", "old"),
                                  message(2, "B", "26/12/06 10:00:00", "new")}));
    f.open(true, true);
    EXPECT_EQ(f.model.mode(), BrowseMode::New);
    EXPECT_EQ(f.marks(), "_*");
    f.open(false, false);
    EXPECT_EQ(f.model.mode(), BrowseMode::New);
    f.open(false, true);
    EXPECT_EQ(f.model.mode(), BrowseMode::All);
    EXPECT_EQ(f.marks(), "**");
}
