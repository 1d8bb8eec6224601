#include "macro/ReserveList.h"

#include <gtest/gtest.h>

using macro::BlockKind;
using macro::ReserveList;

namespace {

ReserveList listOf(const base::Lines& lines) {
    ReserveList list;
    EXPECT_TRUE(list.append(lines));
    return list;
}

// A reply, a download item, a mail and a list download, back to back.
const base::Lines kFour = {"RES :PC#0123", "Hello",       ">//",
                           "//",           "MDOWN :PC#7", "MAIL :SYSOP#Hi",
                           "line",         "//",          "MLISTDOWN :01#5"};

} // namespace

TEST(ReserveList, MakeBlockEscapesOnlyALoneTerminator) {
    EXPECT_EQ(ReserveList::makeBlock("RES :PC#0123", {"Hello", "//", "//not the end", " //"}),
              (base::Lines{"RES :PC#0123", "Hello", ">//", "//not the end", " //", "//"}));
    EXPECT_EQ(ReserveList::makeBlock("NEWW :PC#t"), (base::Lines{"NEWW :PC#t", "//"}));
    EXPECT_EQ(ReserveList::makeBlock("FDOWN :BIN#3", {"ignored"}), (base::Lines{"FDOWN :BIN#3"}));
}

TEST(ReserveList, RemovingFirstMiddleAndLastBlocksKeepsTheOrderAndMarksTheEnd) {
    ReserveList first = listOf(kFour);
    EXPECT_TRUE(first.removeBlock("RES :PC#0123"));
    EXPECT_EQ(first.lines(),
              (base::Lines{"MDOWN :PC#7", "MAIL :SYSOP#Hi", "line", "//", "MLISTDOWN :01#5"}));
    EXPECT_EQ(first.ReserveLines(5), "//end//");

    ReserveList middle = listOf(kFour);
    EXPECT_TRUE(middle.removeBlock("MAIL :SYSOP#Hi"));
    EXPECT_EQ(middle.lines(), (base::Lines{"RES :PC#0123", "Hello", ">//", "//", "MDOWN :PC#7",
                                           "MLISTDOWN :01#5"}));

    ReserveList last = listOf(kFour);
    EXPECT_TRUE(last.removeBlock("MLISTDOWN :01#5"));
    EXPECT_EQ(last.ReserveCount(), 8);
    EXPECT_EQ(last.ReserveLines(8), "//end//");

    ReserveList item = listOf(kFour);
    EXPECT_TRUE(item.removeBlock("MDOWN :PC#7"));
    EXPECT_EQ(item.ReserveCount(), 8);
    EXPECT_EQ(item.ReserveLines(4), "MAIL :SYSOP#Hi");

    EXPECT_FALSE(item.removeBlock("RES :PC#9999"));
    EXPECT_EQ(item.ReserveCount(), 8);
}

TEST(ReserveList, ANewMessageTitledDownLosesItsBodyWhenRemoved) {
    ReserveList list = listOf({"NEWW :PC#DOWNLOAD the FDOWN", "body", "//", "FDOWN :BIN#3"});
    EXPECT_TRUE(list.removeBlock("NEWW :PC#DOWNLOAD the FDOWN"));
    EXPECT_EQ(list.lines(), (base::Lines{"FDOWN :BIN#3"}));
}

TEST(ReserveList, EqualHeadersAreFoundAndRemovedFirstOneFirst) {
    ReserveList list = listOf({"RES :PC#1", "first", "//", "RES :PC#1", "second", "//"});
    EXPECT_EQ(list.find("RES :PC#1"), 0);
    EXPECT_TRUE(list.removeBlock("RES :PC#1"));
    EXPECT_EQ(list.lines(), (base::Lines{"RES :PC#1", "second", "//"}));
    // The engine searches only part of the list.
    EXPECT_EQ(list.find("RES :PC#1", 0), -1);
}

TEST(ReserveList, ABlockWithoutTerminatorRunsToTheEndOfTheList) {
    ReserveList list = listOf({"MDOWN :PC#1", "RES :PC#2", "cut off", "MDOWN :PC#3"});
    EXPECT_EQ(list.blockEnd(1), 3);
    list.removeBlockAt(1);
    EXPECT_EQ(list.lines(), (base::Lines{"MDOWN :PC#1"}));
    EXPECT_EQ(list.ReserveLines(1), "//end//");
}

TEST(ReserveList, HeadersSkipBodiesEvenWhenABodyLineLooksLikeAHeader) {
    ReserveList list = listOf({"MAIL :ID#quoting", "RES :PC#5", "MDOWN :PC#6", "//",
                               "UPFILE :BIN#t|C:\\A.LZH", "desc", "//", "FDOWN :BIN#2"});
    EXPECT_EQ(list.headers(), (std::vector<std::string>{
                                  "MAIL :ID#quoting", "UPFILE :BIN#t|C:\\A.LZH", "FDOWN :BIN#2"}));
}

TEST(ReserveList, BlocksThatDoNotFitAreRefusedWholeAndNothingIsLost) {
    ReserveList list(3);
    bool overflow = false;
    const base::Lines file = {"MDOWN :PC#1", "RES :PC#2", "b", "//", "FDOWN :X#1", "NEWW :PC#t"};
    for (size_t i = 0; i < file.size();)
        i = list.readBlock(file, i, overflow);
    EXPECT_TRUE(overflow);
    // The reply is skipped whole; the unterminated last block is skipped too.
    EXPECT_EQ(list.lines(), (base::Lines{"MDOWN :PC#1", "FDOWN :X#1"}));
    EXPECT_FALSE(list.append({"MDOWN :PC#3", "MDOWN :PC#4"}));
    EXPECT_EQ(list.ReserveCount(), 2);
}

TEST(ReserveList, LineBreaksInsideABodyLineSplitItAndNeverReachTheFileAsTheyAre) {
    EXPECT_EQ(ReserveList::makeBlock("RES :PC#1", {"one\r\ntwo", "//\nQUIT", "three\rfour\r\n", "",
                                                   "\r\n", "five\n\nsix"}),
              (base::Lines{"RES :PC#1", "one", "two", ">//", "QUIT", "three", "four", "", "",
                           "five", "", "six", "//"}));
    // A header is one line: its breaks become blanks, whatever the kind.
    EXPECT_EQ(ReserveList::makeBlock("NEWW :PC#a\r\nQUIT", {"x"}),
              (base::Lines{"NEWW :PC#a QUIT", "x", "//"}));
    EXPECT_EQ(ReserveList::makeBlock("MDOWN :PC#7\nRES :PC#8"),
              (base::Lines{"MDOWN :PC#7 RES :PC#8"}));
    for (const std::string& line : ReserveList::makeBlock("MAIL :A#b", {"\r\r\n\n\r"}))
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

TEST(ReserveList, OnlyWellFormedBlocksAreBlocks) {
    EXPECT_TRUE(ReserveList::wellFormed(ReserveList::makeBlock("RES :PC#1", {"a", "//"})));
    EXPECT_TRUE(ReserveList::wellFormed({"MDOWN :PC#7"}));
    EXPECT_TRUE(ReserveList::wellFormed({"NEWW :PC#t", "//"}));
    for (const base::Lines& bad : std::vector<base::Lines>{
             {},
             {"QUIT"},                       // a command, not a reservation
             {"RES :PC#1", "body"},          // no terminator
             {"RES :PC#1", "//", "x", "//"}, // a terminator in the middle
             {"MDOWN :PC#7", "extra"},       // a download item is one line
             {"RES :PC#1", "a\r\nb", "//"},  // a line break inside a line
             {"FDOWN :BIN#1\r\nQUIT"},
         })
        EXPECT_FALSE(ReserveList::wellFormed(bad)) << ::testing::PrintToString(bad);
}
