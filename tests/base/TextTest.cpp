#include "base/Text.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using namespace base;

TEST(Text, PosAndCopyCountFromOneAndNeverFail) {
    EXPECT_EQ(pos("b", "abcb"), 2);
    EXPECT_EQ(pos("x", "abc"), 0);
    EXPECT_EQ(pos("", "abc"), 0);
    EXPECT_EQ(posFrom("b", "abcb", 3), 4);
    EXPECT_EQ(posFrom("b", "abcb", 9), 0);

    EXPECT_EQ(copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(copy("abcdef", 5, 100), "ef");
    EXPECT_EQ(copy("abcdef", 7, 1), "");
    EXPECT_EQ(copy("abcdef", 0, 2), "ab");
    EXPECT_EQ(copy("abcdef", -5, 2), "ab");
    EXPECT_EQ(copy("abcdef", 2, -1), "");
    EXPECT_EQ(copyFrom("abcdef", 4), "def");
}

// A field of at most n bytes (a command, a file name, a title): whole characters only.
TEST(Text, ByteCutsNeverSplitADoubleByteCharacter) {
    EXPECT_EQ(cutBytes(sj(u8"あいう"), 5), sj(u8"あい"));
    EXPECT_EQ(cutBytes(sj(u8"aあい"), 4), sj(u8"aあ"));
    EXPECT_EQ(cutBytes(sj(u8"aあい"), 2), "a");
    EXPECT_EQ(cutBytes("abc", 10), "abc");
    EXPECT_EQ(cutBytes("abc", 0), "");
    EXPECT_EQ(cutBytes("abc", -3), "");
    // A half-width katakana is one byte; a lone lead byte at the very end is kept.
    EXPECT_EQ(cutBytes("\xB1\xB2\xB3", 2), "\xB1\xB2");
    EXPECT_EQ(cutBytes("ab\x82", 3), "ab\x82");
}

// A fixed-width field of a list or screen line: whole characters only, a blank standing
// in for the first half of one the width would cut, so the width is kept.
TEST(Text, CopyColumnsKeepsWholeCharactersAndTheWidth) {
    const std::string a = sj(u8"あ"), i = sj(u8"い");
    struct Case {
        std::string text;
        int from, count;
        std::string expected;
    } cases[] = {
        {a + i, 1, 4, a + i},               // fits
        {a + i, 1, 3, a + " "},             // cut through い
        {"x" + a + i, 1, 4, "x" + a + " "}, // odd start of the wide text
        {"ab" + a, 2, 2, "b "},             // from inside the field
        {"ab" + a, 3, 2, a},                // from a lead byte
        {a + "\\" + i, 3, 9, "\\" + i},     // a single-byte character after a wide one
        {"abc", 2, 10, "bc"},               // past the end: as copy
        {a, 1, 0, ""},
        {std::string(1, a[0]), 1, 5, " "}, // a text that itself ends in half a character
    };
    for (const Case& c : cases) {
        const std::string got = copyColumns(c.text, c.from, c.count);
        EXPECT_EQ(got, c.expected) << c.from << "," << c.count;
        EXPECT_EQ(got.size(), copy(c.text, c.from, c.count).size()) << "the width is kept";
    }
}

TEST(Text, LineTests) {
    EXPECT_TRUE(startsWith("MAIN>", "MAIN"));
    EXPECT_FALSE(startsWith("xMAIN", "MAIN"));
    EXPECT_FALSE(startsWith("abc", ""));
    EXPECT_TRUE(contains("User ID  =", "ID  ="));
    EXPECT_FALSE(contains("abc", ""));
    EXPECT_TRUE(equals("", ""));
    EXPECT_FALSE(equals("a", "a "));

    EXPECT_TRUE(endsInMenuMark("MAIN(1)>"));
    EXPECT_TRUE(endsInMenuMark(">"));
    EXPECT_FALSE(endsInMenuMark("MAIN>>"));
    EXPECT_FALSE(endsInMenuMark("a>b"));
    EXPECT_FALSE(endsInMenuMark(""));

    // "Ends with" looks at the first occurrence only.
    EXPECT_TRUE(endsWith("file.LZH", ".LZH"));
    EXPECT_FALSE(endsWith("abcabc", "abc"));
    EXPECT_FALSE(endsWith("abc", "xabc"));
    EXPECT_FALSE(endsWith("abc", "z"));
}

TEST(Text, DelimiterSearchStepsOverDoubleByteCharacters) {
    const std::string po = sj(u8"ポ");    // 0x83 0x7C: second byte is '|'
    const std::string so = sj(u8"ソ");    // 0x83 0x5C: second byte is '\'
    const std::string hyo = sj(u8"表");   // 0x95 0x5C
    const std::string space = sj(u8"　"); // 0x81 0x40: second byte is '@'

    EXPECT_EQ(findDelimiter(po + "|x", '|'), 3);
    EXPECT_EQ(findDelimiter(po + po, '|'), 0);
    EXPECT_EQ(findDelimiter("A" + so + "\\", '\\'), 4);
    EXPECT_EQ(findLastDelimiter("a\\" + hyo + so, '\\'), 2);
    EXPECT_EQ(findLastDelimiter(hyo, '\\'), 0);
    EXPECT_EQ(findDelimiter(space + "@" + space, '@'), 3);
    EXPECT_EQ(findDelimiter("a|b|c", '|', 3), 4);
    // A delimiter exactly at the start of the search is found there, even the first byte or
    // the last; a trail byte at the start is still part of its character.
    EXPECT_EQ(findDelimiter("a|b|c", '|', 2), 2);
    EXPECT_EQ(findDelimiter("|", '|', 1), 1);
    EXPECT_EQ(findDelimiter("ab|", '|', 3), 3);
    EXPECT_EQ(findDelimiter("ab|", '|', 4), 0);
    EXPECT_EQ(findDelimiter(po + "|", '|', 2), 3);
    EXPECT_EQ(posFrom("b", "abcb", 2), 2);
    EXPECT_EQ(posFrom("cb", "abcb", 3), 3);
    EXPECT_EQ(posFrom("b", "abcb", 4), 4);
    // A lead byte at the very end has no partner and stands alone.
    EXPECT_EQ(findDelimiter("ab\x83", '\x83'), 3);

    EXPECT_TRUE(isTrailByteAt(so, 2));
    EXPECT_FALSE(isTrailByteAt(so, 1));
    EXPECT_FALSE(isTrailByteAt("a\\", 2));
    EXPECT_TRUE(isTrailByteAt("a" + hyo + "b", 3));
    EXPECT_FALSE(isTrailByteAt("a" + hyo + "b", 4));
}

TEST(Text, NumbersAsTheProgramReadsThem) {
    EXPECT_EQ(strToInt("42"), 42);
    EXPECT_EQ(strToInt("  -7"), -7);
    EXPECT_EQ(strToInt("+3"), 3);
    EXPECT_EQ(strToInt("$FF"), 255);
    EXPECT_EQ(strToInt("0x10"), 16);
    EXPECT_EQ(strToInt("$80000008"), static_cast<int>(0x80000008u));
    EXPECT_EQ(strToInt("2147483647"), 2147483647);
    EXPECT_EQ(strToInt("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(strToInt("2147483648"));
    EXPECT_FALSE(strToInt(""));
    EXPECT_FALSE(strToInt("12 "));
    EXPECT_FALSE(strToInt("1a"));
    EXPECT_FALSE(strToInt("-"));
    EXPECT_FALSE(strToInt("$"));
    EXPECT_EQ(strToIntDef("x", 9), 9);
}

TEST(Text, TrimAndReplace) {
    EXPECT_EQ(trim("  a b \t\r"), "a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trimRight(" a "), " a");
    EXPECT_EQ(replaceAll("a//b//", "//", ">//"), "a>//b>//");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}
