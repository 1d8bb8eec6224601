// The header rules on their own: which lines are headers, what a host's name becomes.
#include "transfer/MlinkHeader.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using base::sj;
using transfer::parseDownloadHeader;
using transfer::safeDownloadName;

namespace {

TEST(DownloadHeader, LinesOfOtherShapesAreNoHeaders) {
    for (const std::string& line : {
             sj(u8"ファイル転送に失敗しました。"),
             std::string("README.TXT"),
             std::string("README.TXT 2048"),
             std::string("README.TXT 2048 "),
             std::string(" 2048 26:12:02 12:00:00"),
             std::string("README.TXT  26:12:02 12:00:00"),
             sj(u8"FILE 01 (残り58分)>"),
             std::string("MAIN 58 >"),
         })
        EXPECT_FALSE(parseDownloadHeader(line)) << base::toUtf8(line);
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

} // namespace

TEST(UploadHeader, TwelveBytesOfTheNameAndNoLineEndInsideIt) {
    EXPECT_EQ(transfer::uploadHeader("LONGFILENAME.TXT", 5), "LONGFILENAME 5 80:00:00 00:00:00\r");
    // A name holding CR or LF would end the host's header line early.
    EXPECT_EQ(transfer::uploadHeader("A\rB\nC.TXT", 0), "A_B_C.TXT 0 80:00:00 00:00:00\r");
    // Twelve bytes never split a double-byte character.
    EXPECT_EQ(transfer::uploadHeader(sj(u8"Aあいうえおか"), 1),
              sj(u8"Aあいうえお") + " 1 80:00:00 00:00:00\r");
}
