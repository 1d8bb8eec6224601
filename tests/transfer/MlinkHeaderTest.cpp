// The header rules on their own: which lines are headers, what a host's name becomes.
#include "transfer/MlinkHeader.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using base::sj;
using transfer::parseDownloadHeader;
using transfer::safeDownloadName;

namespace {

TEST(DownloadHeader, LinesWithoutANameAndASizeFieldAreNoHeaders) {
    for (const std::string& line : {
             sj(u8"ファイル転送に失敗しました。"),
             std::string("README.TXT"),
             std::string(" 2048 26:12:02 12:00:00"),
         })
        EXPECT_FALSE(parseDownloadHeader(line)) << base::toUtf8(line);
}

// Only the name and the size count; whatever follows them is the sender's business.
TEST(DownloadHeader, AnyStampOrNoneIsAccepted) {
    struct Case {
        std::string line;
        std::string name;
        std::int64_t size;
    };
    const Case cases[] = {
        {"README.TXT 2048 26:12:02 12:00:00", "README.TXT", 2048},
        {"README.TXT 2048 Dec  2 12:00", "README.TXT", 2048},
        {"README.TXT 2048 " + sj(u8"令和8年12月2日"), "README.TXT", 2048},
        {"README.TXT 2048 ?", "README.TXT", 2048},
        {"README.TXT 2048", "README.TXT", 2048},
        {"README.TXT 2048 ", "README.TXT", 2048},
        {"A 0 x", "A", 0},
    };
    for (const Case& c : cases) {
        const auto h = parseDownloadHeader(c.line);
        ASSERT_TRUE(h) << base::toUtf8(c.line);
        EXPECT_EQ(h->name, c.name);
        ASSERT_TRUE(h->size) << base::toUtf8(c.line);
        EXPECT_EQ(*h->size, c.size);
    }
}

// A name and a field where the size belongs that is no number: a header, but one that has
// no size (the download refuses it).
TEST(DownloadHeader, ASizeFieldThatIsNoNumberGivesNoSize) {
    for (const std::string& line : {
             std::string("README.TXT  26:12:02 12:00:00"),
             std::string("X.TXT 12a 26:12:02 12:00:00"),
             std::string("X.TXT -5"),
             sj(u8"FILE ０１ (残り58分)>"),
             std::string("X.TXT 1234567890123456789 26:12:02 12:00:00"),
         }) {
        const auto h = parseDownloadHeader(line);
        ASSERT_TRUE(h) << base::toUtf8(line);
        EXPECT_FALSE(h->size) << base::toUtf8(line);
    }
}

TEST(DownloadName, KeepsOnlyAPlainName) {
    EXPECT_EQ(safeDownloadName("README.TXT"), "README.TXT");
    EXPECT_EQ(safeDownloadName("../../tmp/x"), "x");
    EXPECT_EQ(safeDownloadName("a\\b\\c.txt"), "c.txt");
    EXPECT_EQ(safeDownloadName("C:x.txt"), "x.txt");
    EXPECT_EQ(safeDownloadName(".."), "");
    EXPECT_EQ(safeDownloadName("."), "");
    EXPECT_EQ(safeDownloadName("..."), "");
    EXPECT_EQ(safeDownloadName("dir/"), "");
    EXPECT_EQ(safeDownloadName(" . .bashrc"), "bashrc");
    EXPECT_EQ(safeDownloadName("a..b"), "a..b"); // dots inside a name are harmless
    EXPECT_EQ(safeDownloadName(std::string("a\x01\x7f\x1b"
                                           "b\tc",
                                           7)),
              "abc");
}

TEST(DownloadName, DoubleByteCharactersStayWholeAndBrokenOnesGo) {
    // ソ and 表 end in 0x5C, the byte of "\".
    EXPECT_EQ(safeDownloadName(sj(u8"ソフト表.LZH")), sj(u8"ソフト表.LZH"));
    EXPECT_EQ(safeDownloadName(std::string("\x83") + "/x"), "x"); // lead byte, no trail
    EXPECT_EQ(safeDownloadName(std::string("ab\x83")), "ab");     // lead byte at the end
    EXPECT_EQ(safeDownloadName(std::string("\xb1\xb2.TXT")), "\xb1\xb2.TXT"); // half-width kana
    const std::string longName(200, 'x');
    EXPECT_EQ(safeDownloadName(longName).size(), static_cast<size_t>(transfer::kMaxNameBytes));
}

TEST(DownloadName, ATakenNameGetsANumberedOneOfTheSameShape) {
    using transfer::numberedName;
    EXPECT_EQ(numberedName("README.TXT", 1), "README~1.TXT");
    EXPECT_EQ(numberedName("NOTES", 2), "NOTES~2");
    EXPECT_EQ(numberedName("a.tar.gz", 1), "a.tar~1.gz");
    EXPECT_EQ(numberedName("DOC", 12), "DOC~12");
    // ソ and 表 end in 0x5C; the number goes after whole characters.
    EXPECT_EQ(numberedName(sj(u8"ソフト表.LZH"), 3), sj(u8"ソフト表~3.LZH"));

    // A name at the longest loses the end of its stem, never half a character, never its
    // extension.
    const int max = transfer::kMaxNameBytes;
    const std::string longStem(static_cast<size_t>(max) - 4, 'x');
    EXPECT_EQ(numberedName(longStem + ".TXT", 1), std::string(max - 6, 'x') + "~1.TXT");
    std::string kanji;
    while (static_cast<int>(kanji.size()) + 2 <= max - 4)
        kanji += sj(u8"表");
    const std::string cut = numberedName(kanji + ".TXT", 7);
    EXPECT_LE(static_cast<int>(cut.size()), max);
    EXPECT_EQ(cut.substr(cut.size() - 6), "~7.TXT");
    EXPECT_EQ(transfer::safeDownloadName(cut), cut); // still a plain name, whole characters
    EXPECT_EQ(cut.size() % 2, 0u);
    // An "extension" that fills the name is no extension: the number goes at the end.
    const std::string dotted = "A." + std::string(static_cast<size_t>(max) - 2, 'e');
    const std::string renamed = numberedName(dotted, 1);
    EXPECT_EQ(static_cast<int>(renamed.size()), max);
    EXPECT_EQ(renamed.substr(renamed.size() - 2), "~1");
}

} // namespace

TEST(UploadHeader, TwelveBytesOfTheNameAndNoLineEndInsideIt) {
    EXPECT_EQ(transfer::uploadHeader("LONGFILENAME.TXT", 5), "LONGFILENAME 5 80:00:00 00:00:00\r");
    // A name holding CR or LF would end the host's header line early.
    EXPECT_EQ(transfer::uploadHeader("A\rB\nC.TXT", 0), "A_B_C.TXT 0 80:00:00 00:00:00\r");
    // Twelve bytes never split a double-byte character.
    EXPECT_EQ(transfer::uploadHeader(sj(u8"Aあいうえおか"), 1),
              sj(u8"Aあいうえお") + " 1 80:00:00 00:00:00\r");
}
