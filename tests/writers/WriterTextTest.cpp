// The text rules of the writers: body lines, quoting, the addressee and the field checks.
#include "writers/WriterText.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using base::sj;
using namespace writers;

TEST(WriterText, BodyLinesNeverHoldALineBreak) {
    EXPECT_EQ(bodyFromText("a\r\nb\nc\rd\r\n"), (base::Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(textFromBody({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(bodyFromText(textFromBody({"a", "", "b"})), (base::Lines{"a", "", "b"}));
    EXPECT_EQ(splitInnerBreaks({"one\r\ntwo", "three\rfour\nfive", "six"}),
              (base::Lines{"one", "two", "three", "four", "five", "six"}));
    EXPECT_EQ(splitInnerBreaks({"end\n"}), (base::Lines{"end", ""}));
}

TEST(WriterText, TheAddresseeSplitsAtItsFirstBlank) {
    EXPECT_EQ(beforeFirstSpace("ABCD0123  Taro"), "ABCD0123");
    EXPECT_EQ(beforeFirstSpace("ABCD0123"), "ABCD0123");
    EXPECT_EQ(afterFirstSpace("ABCD0123"), "");
}

TEST(WriterText, PathsAreStoredWithBackslashesAndNamesCountBytes) {
    EXPECT_EQ(storedPath("/home/taro/TOOL.LZH"), "\\home\\taro\\TOOL.LZH");
    EXPECT_EQ(storedPath("C:\\DATA\\TOOL.LZH"), "C:\\DATA\\TOOL.LZH");
    // ソ ends in 0x5C; it is a character, not a separator, and "/" is never its byte.
    EXPECT_EQ(storedPath(sj(u8"/tmp/ソフト/a.txt")), sj(u8"\\tmp\\ソフト\\a.txt"));
    EXPECT_TRUE(fileNameFits("/home/taro/ABCDEFGH.TXT"));
    EXPECT_FALSE(fileNameFits("/home/taro/LONGNAME.TEXT"));
    EXPECT_TRUE(fileNameFits("C:\\DATA\\ABCDEFGH.TXT"));
    EXPECT_FALSE(fileNameFits("\\home\\LONGNAME.TEXT"));
    // Six Japanese characters are twelve bytes; seven are too many.
    EXPECT_TRUE(fileNameFits(sj(u8"/tmp/写真一二三四")));
    EXPECT_FALSE(fileNameFits(sj(u8"/tmp/写真一二三四五")));
}

TEST(WriterText, EveryFieldTheAutoPilotSplitsOnIsChecked) {
    EXPECT_FALSE(checkBoard("PC"));
    EXPECT_FALSE(checkBoard(sj(u8"ソフト")));
    for (const char* bad : {"", "P:C", "P#C", "P;C", "P\rC"})
        EXPECT_TRUE(checkBoard(bad)) << bad;
    EXPECT_NE(checkBoard("P;C")->find(sj(u8"ボード")), std::string::npos);

    EXPECT_FALSE(checkAddressee("ABCD0123", false));
    EXPECT_FALSE(checkAddressee("AB;CD", false)); // a mail's address goes on a line of its own
    EXPECT_TRUE(checkAddressee("AB;CD", true));   // a binary mail's follows "EB;"
    for (const char* bad : {"", "AB:CD", "AB#CD"})
        EXPECT_TRUE(checkAddressee(bad, false)) << bad;
    EXPECT_NE(checkAddressee("", false)->find(sj(u8"宛先ID")), std::string::npos);

    EXPECT_FALSE(checkReplyNumber("0123"));
    EXPECT_FALSE(checkReplyNumber("12345"));
    for (const char* bad : {"", "123456", "12a", " 12", "-1"})
        EXPECT_TRUE(checkReplyNumber(bad)) << bad;
    EXPECT_NE(checkReplyNumber("x")->find(sj(u8"レス番号")), std::string::npos);

    EXPECT_FALSE(checkNewTitle(std::string(50, 'x')));
    EXPECT_FALSE(checkNewTitle("a: b # c"));
    EXPECT_TRUE(checkNewTitle(std::string(51, 'x')));
    EXPECT_TRUE(checkNewTitle("one;two"));
    EXPECT_NE(checkNewTitle("one;two")->find(sj(u8"タイトル")), std::string::npos);
    EXPECT_FALSE(checkMailTitle("one;two"));
    EXPECT_TRUE(checkMailTitle(std::string(51, 'x')));

    EXPECT_FALSE(checkUploadComment(sj(u8"新しいポイント"))); // ポ holds a "|" byte
    EXPECT_TRUE(checkUploadComment("a|b"));
    EXPECT_TRUE(checkUploadComment("a;b"));
    EXPECT_NE(checkUploadComment("a|b")->find(sj(u8"コメント")), std::string::npos);

    EXPECT_FALSE(checkPath("\\x\\" + std::string(125, 'a')));
    EXPECT_TRUE(checkPath("\\x\\" + std::string(126, 'a')));
    EXPECT_TRUE(checkPath(""));
}
