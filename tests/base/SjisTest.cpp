#include "base/Sjis.h"

#include <gtest/gtest.h>

using base::fromUtf8;
using base::sj;
using base::toUtf8;

namespace {
std::string u8(std::u8string_view s) {
    return std::string(s.begin(), s.end());
}
} // namespace

TEST(Sjis, LiteralsBecomeCodePage932Bytes) {
    EXPECT_EQ(sj(u8"質問です．"), "\x8E\xBF\x96\xE2\x82\xC5\x82\xB7\x81\x44");
    EXPECT_EQ(sj(u8"ポソ表　"), "\x83\x7C\x83\x5C\x95\x5C\x81\x40");
    EXPECT_EQ(sj(u8"ｱｰﾃｨｸﾙ"), "\xB1\xB0\xC3\xA8\xB8\xD9");
    EXPECT_EQ(sj(u8"ABC\\~"), "ABC\\~");
}

TEST(Sjis, ExtensionCharactersRoundTrip) {
    // NEC special characters (row 13), NEC-selected and IBM extensions, user-defined area.
    const std::string text = u8(u8"①⑳ⅠⅩ㍉㈱≒∮纊褜鍈ⅰⅹ￢￤＇＂髙﨑");
    std::string bytes = fromUtf8(text);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    EXPECT_EQ(toUtf8(bytes), text);

    // Canonical Shift-JIS codes survive the trip through UTF-8 unchanged.
    const std::string codes = "\x87\x40\x87\x8A\xFA\x40\xFA\x5C\xFB\xFC\xF0\x40\x81\x5F\xB1";
    EXPECT_EQ(fromUtf8(toUtf8(codes)), codes);
}

TEST(Sjis, DuplicateCodesFoldToOneForm) {
    // The NEC-selected IBM rows duplicate the IBM rows; writing back uses the IBM form,
    // as the original platform's converter does.
    EXPECT_EQ(toUtf8("\xED\x40"), toUtf8("\xFA\x5C"));
    EXPECT_EQ(fromUtf8(toUtf8("\xED\x40")), "\xFA\x5C");
}

TEST(Sjis, InvalidBytesNeverLoseValidText) {
    const std::string rep = "\xEF\xBF\xBD";
    EXPECT_EQ(toUtf8("A\x80"
                     "B"),
              "A" + rep + "B");
    EXPECT_EQ(toUtf8("A\x82"), "A" + rep);                      // truncated at the end
    EXPECT_EQ(toUtf8("\x82 \x82\xA0"), rep + " " + u8(u8"あ")); // bad trail byte
    EXPECT_EQ(toUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(toUtf8(""), "");

    EXPECT_EQ(fromUtf8(u8(u8"x😀y")), "x?y");
    EXPECT_EQ(fromUtf8("a\xC3"), "a?");
    EXPECT_EQ(fromUtf8("a\xE3\x81z"), "a?z");
}

TEST(Sjis, LeadBytes) {
    EXPECT_TRUE(base::isLeadByte('\x81'));
    EXPECT_TRUE(base::isLeadByte('\x9F'));
    EXPECT_TRUE(base::isLeadByte('\xE0'));
    EXPECT_TRUE(base::isLeadByte('\xFC'));
    EXPECT_FALSE(base::isLeadByte('\xA0'));
    EXPECT_FALSE(base::isLeadByte('\xB1')); // half-width katakana is one byte
    EXPECT_FALSE(base::isLeadByte('\x80'));
    EXPECT_FALSE(base::isLeadByte('A'));
}

// Whether a name survives being stored: every code page 932 character does, including the
// NEC and IBM extensions and half-width katakana; an emoji, a character outside the code
// page or a broken UTF-8 sequence does not.
TEST(Sjis, FitsTellsWhichTextSurvivesConversion) {
    for (const char* fits : {"", "/tmp/A.TXT", "\xE8\xB3\x87\xE6\x96\x99", "\xE2\x91\xA0",
                             "\xE7\xBA\x8A", "\xEF\xBD\xB1", "?"})
        EXPECT_TRUE(base::fitsSjis(fits)) << fits;
    for (const char* lost : {"\xF0\x9F\x98\x80", "a\xE2\x99\x94", "\xC3\xA9", "\xE8\xB3", "\xFF"})
        EXPECT_FALSE(base::fitsSjis(lost)) << lost;
}

TEST(Sjis, CharactersCodePage932CannotHoldAreFoundAndNamed) {
    const std::string text = u8(u8"a\U0001F600 \u2252\u7E8A \U00020BB7\U0001F600 \u00E9 ?\u00A9");
    // U+2252 and U+7E8A are in the code page (0x81E0, 0xFA5C); "?" typed is no loss.
    EXPECT_EQ(base::unmappableChars(text),
              (std::vector<std::string>{u8(u8"\U0001F600"), u8(u8"\U00020BB7"), u8(u8"\u00E9"),
                                        u8(u8"\u00A9")}));
    EXPECT_TRUE(base::unmappableChars(u8(u8"ｱ漢字 plain")).empty());
    EXPECT_EQ(base::codePointName(u8(u8"\U0001F600")), "U+1F600");
    EXPECT_EQ(base::codePointName(u8(u8"\U00020BB7")), "U+20BB7");
    EXPECT_EQ(base::codePointName(u8(u8"\u00E9")), "U+00E9");
    EXPECT_EQ(base::codePointName(u8(u8"\u2252")), "U+2252");
}
