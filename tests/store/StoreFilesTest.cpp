// The store's shared rules: names, numbers of list lines, the list table, cuts that keep
// double-byte characters whole, stored paths, and the raw log view's text.
#include "store/StoreFiles.h"
#include "store/ConvModel.h"

#include "base/Sjis.h"

#include <gtest/gtest.h>

namespace {

using base::sj;

TEST(StoreFiles, NamesAndNumbers) {
    EXPECT_EQ(store::archiveName("DEMO", "96/08/10"), "DEMO\\DEMO9608.LOG");

    EXPECT_EQ(store::entryNumberOf("0042: x"), 42);
    EXPECT_EQ(store::entryNumberOf("042:x"), 42);
    EXPECT_EQ(store::entryNumberOf("abc: x"), 0);
    EXPECT_EQ(store::entryNumberOf("no colon"), 0);
    // One rule for the import and the viewers: a number without its ":" is no entry.
    EXPECT_EQ(store::entryNumberOf("12"), 0);
    EXPECT_EQ(store::entryNumberOf("  12: a"), 12);

    EXPECT_EQ(store::articleNumberOf("Message  #0012   from: A"), 12);
    EXPECT_EQ(store::articleNumberOf("Message  #12345  from: A"), 0);
    EXPECT_EQ(store::articleNumberOf("Message  #0000   from: A"), 0);
    EXPECT_EQ(store::articleNumberOf("Message  #-001   from: A"), 0);
    EXPECT_EQ(store::articleNumberOf("Message  #"), 0);
}

TEST(StoreFiles, AnArticleBeginsAtAHeaderUnlessItsTimeLineNamesAnotherBoard) {
    const base::Lines board = {"Message  #0010   from: A",
                               "Time: 26/12/05 10:00:00  Section 01: x",
                               "Subj: quoting",
                               "Message  #0003   from: SYSOP",
                               "Time: 26/12/05 10:00:00  Section 02: y",
                               "Message  #0011   from: B",
                               "Time: 26/12/05 10:00:00  Board 01",
                               "Message  #0012   from: C",
                               "body",
                               "Message  #0013   from: D"};
    std::vector<size_t> begins;
    for (size_t i = 0; i < board.size() + 1; ++i)
        if (store::beginsArticle(board, i, 1))
            begins.push_back(i);
    EXPECT_EQ(begins, (std::vector<size_t>{0, 5, 7, 9}));
    // In board 02's file the same pair is an article of its own, and the others are not.
    EXPECT_TRUE(store::beginsArticle(board, 3, 2));
    EXPECT_FALSE(store::beginsArticle(board, 0, 2));
    EXPECT_EQ(store::sectionOf(" Section 7: x"), 7);
    EXPECT_EQ(store::sectionOf("Section 07: x"), std::nullopt) << "not at position 2 or later";
}

TEST(StoreFiles, ListTableTakesNumberedLinesAtTheirFixedSeparator) {
    store::ListTable t;
    t.clear(store::kFileList);
    EXPECT_TRUE(t.enter("002: second"));
    EXPECT_TRUE(t.enter("001: first"));
    EXPECT_TRUE(t.enter("002: second again"));
    EXPECT_FALSE(t.enter("0003: four digits in a file list"));
    EXPECT_FALSE(t.enter("000: zero"));
    EXPECT_FALSE(t.enter("abc: letters"));
    EXPECT_FALSE(t.enter("12"));
    EXPECT_EQ(t.lines(), (base::Lines{"001: first", "002: second again"}));

    t.clear(store::kMessageList);
    EXPECT_TRUE(t.enter("9999: last"));
    EXPECT_FALSE(t.enter("10000: past the table"));
    EXPECT_EQ(t.lines(), base::Lines{"9999: last"});
}

TEST(StoreFiles, CutsNeverSplitADoubleByteCharacter) {
    const std::string s = "ab" + sj(u8"日本語"); // 2 + 6 bytes
    EXPECT_EQ(store::copyWhole(s, 1, 3), "ab");
    EXPECT_EQ(store::copyWhole(s, 1, 4), "ab" + sj(u8"日"));
    EXPECT_EQ(store::copyWhole(s, 4, 4), sj(u8"本")) << "a start on a trail byte drops it";
    EXPECT_EQ(store::copyWhole(s, 3, 100), sj(u8"日本語"));
    EXPECT_EQ(store::copyWhole(s, 20, 5), "");
    // A trail byte that looks like a blank or a backslash is still half of its character.
    const std::string so = sj(u8"ソ") + "x"; // 0x83 0x5C
    EXPECT_EQ(store::copyWhole(so, 1, 1), "");
    EXPECT_EQ(store::copyWhole(so, 2, 2), "x");
}

TEST(StoreFiles, StoredPathsStayInsideTheDataFolder) {
    EXPECT_TRUE(store::isSafeStorePath("DEMO\\DEMO2612.LOG"));
    EXPECT_TRUE(store::isSafeStorePath(sj(u8"ソフト\\ソフト2612.LOG")));
    EXPECT_FALSE(store::isSafeStorePath(""));
    EXPECT_FALSE(store::isSafeStorePath("..\\x.LOG"));
    EXPECT_FALSE(store::isSafeStorePath("DEMO\\..\\..\\x.LOG"));
    EXPECT_FALSE(store::isSafeStorePath("\\etc\\x"));
    EXPECT_FALSE(store::isSafeStorePath("/etc/x"));
    EXPECT_FALSE(store::isSafeStorePath("C:\\x.LOG"));
    EXPECT_FALSE(store::isSafeStorePath("a\x01"
                                        "b"));
}

TEST(StoreFiles, RawLogShowsTheLastThousandLinesWithinItsBuffer) {
    // Fewer than 1,000 lines: from line 0 to the line being received.
    std::vector<std::string> lines = {"", "one", "two", "part"};
    EXPECT_EQ(store::namaLogText(lines, 3), "\r\none\r\ntwo\r\npart\r\n");

    std::vector<std::string> many(3000);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = std::to_string(i);
    const std::string text = store::namaLogText(many, 2500);
    EXPECT_EQ(text.substr(0, 6), "1500\r\n");
    EXPECT_EQ(text.substr(text.size() - 6), "2500\r\n");

    // Lines that overflow the buffer: cut at its end, never between the two bytes of a
    // character. Here the 150,000th byte is the first half of "漢".
    std::vector<std::string> wide(1001, sj(u8"漢") + std::string(196, 'z'));
    wide[0] = std::string(197, 'a');
    const std::string cut = store::namaLogText(wide, 1000);
    EXPECT_EQ(cut.size(), store::kNamaLogBuffer - 1);
    EXPECT_EQ(cut.substr(cut.size() - 2), "\r\n");
    wide[0] = std::string(196, 'a');
    EXPECT_EQ(store::namaLogText(wide, 1000).size(), store::kNamaLogBuffer);
}

} // namespace
