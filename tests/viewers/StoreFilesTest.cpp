#include "store/StoreFiles.h"

#include "base/Sjis.h"

#include <gtest/gtest.h>

using namespace store;

TEST(StoreFiles, NamesAndListNumbers) {
    EXPECT_EQ(messageBoardFile("N", 5, ".DAT"), "N/MBOARD05.DAT");
    EXPECT_EQ(fileBoardListFile("N", 12), "N/FBOARD12.LST");
    EXPECT_EQ(boardNumberOfLine("0007: X"), 7);
    EXPECT_EQ(boardNumberOfLine("00A7: X"), -1);
    EXPECT_EQ(entryNumberOf("  12: a"), 12);
    EXPECT_EQ(entryNumberOf("x1: a"), 0);
    EXPECT_EQ(entryNumberOf("no colon"), 0);
}

TEST(StoreFiles, DatesInTheHostsFixedForm) {
    EXPECT_EQ(parseStoreDateTime("96/08/07 21:05:09"), 19960807210509LL);
    EXPECT_EQ(parseStoreDateTime("26/12/05 12:00"), 20261205120000LL);
    EXPECT_EQ(parseStoreDate("49/1/2"), 20490102000000LL);
    EXPECT_EQ(parseStoreDate("126/12/5"), 20261205000000LL);
    EXPECT_FALSE(parseStoreDate("26/02/30"));
    EXPECT_FALSE(parseStoreDateTime("26/12/05 25:00:00"));
    EXPECT_FALSE(parseStoreDateTime("26-12-05 10:00:00"));
    EXPECT_FALSE(parseStoreDate("26/12/05x"));
}

TEST(StoreFiles, WordsMatchOnlyAtCharacterBoundaries) {
    const std::string a = base::sj(u8"ア"); // 0x83 0x41
    EXPECT_EQ(findWord(a, "A"), 0);
    EXPECT_EQ(findWord(a + "A", "A"), 3);
    EXPECT_EQ(findWord("xx" + a, a), 3);
    EXPECT_EQ(findWord("abc", ""), 0);
}
