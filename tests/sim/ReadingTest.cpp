// The reading commands as the auto-pilot types them, checked line by line against the
// shapes the capture-log import reads (positions are 1-based bytes).
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/HostText.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using base::copy;
using base::sj;
using simtest::screenLines;
using simtest::SimClient;

namespace {

// The screen lines of a command's answer, without the echoed command line.
std::vector<std::string> answer(SimClient& c, const std::string& typed) {
    std::vector<std::string> lines = screenLines(c.command(typed));
    lines.erase(lines.begin());
    return lines;
}

bool isMainPrompt(const std::string& line) {
    return base::startsWith(line, "MAIN") && base::endsInMenuMark(line) &&
           base::endsWith(line, ")>");
}

} // namespace

TEST(MainPrompt, StartsWithMainHasOneMarkAndEchoesTheCommandAfterIt) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> lines = screenLines(c.command("N@\r"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(isMainPrompt(lines.back())) << lines.back();
    EXPECT_EQ(lines.back(), sj(u8"MAIN (残り60分)>"));
    // The whole captured line of the command: prompt and echo.
    std::vector<std::string> all = screenLines(c.all());
    auto it = std::find(all.begin(), all.end(), sj(u8"MAIN (残り60分)>N@"));
    EXPECT_NE(it, all.end());
    EXPECT_FALSE(base::endsInMenuMark(sj(u8"MAIN (残り60分)>N@")));

    std::vector<std::string> wrong = answer(c, "XYZ;1;2\r");
    EXPECT_EQ(wrong.front(), sj(u8"コマンドが違います。"));
    EXPECT_TRUE(isMainPrompt(wrong.back()));
}

TEST(NewMessages, SinceLineThenMessageBlocksInTheImportedShape) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> l = answer(c, "N@\r");
    ASSERT_EQ(l.size(), 17u);
    // The unread date is named, but not in the words of the unread-date command's answer:
    // a terminal takes those for the date the host now uses.
    EXPECT_EQ(l[0], sj(u8"未読日付 26/12/05 00:00:00 からの新着メッセージです。"));
    EXPECT_EQ(base::pos(sj(u8"以降のものを読みます。"), l[0]), 0);
    EXPECT_EQ(l[1], "0001: " + sj(u8"雑談 の新着メッセージ 2件"));

    // A reply: header, Time/Section, Subj with Re: and ")" at 14, body.
    EXPECT_EQ(copy(l[2], 1, 10), "Message  #");
    EXPECT_EQ(copy(l[2], 11, 4), "0003");
    EXPECT_EQ(base::trimRight(copy(l[2], 24, 21)), "TARNO003 " + sj(u8"じろう"));
    EXPECT_EQ(base::copyFrom(l[2], base::pos("from:", l[2]) + 6), "TARNO003 " + sj(u8"じろう"));
    EXPECT_EQ(copy(l[3], 1, 5), "Time:");
    EXPECT_EQ(copy(l[3], 7, 17), "26/12/05 21:15:00");
    int section = base::pos("Section", l[3]);
    ASSERT_GE(section, 2);
    std::string ten = copy(l[3], section + 7, 10);
    EXPECT_EQ(base::strToIntDef(ten.substr(0, ten.find(':')), -1), 1);
    EXPECT_EQ(copy(l[4], 1, 9), "Subj: Re:");
    EXPECT_EQ(base::pos(")", l[4]), 14);
    EXPECT_EQ(base::strToIntDef(copy(l[4], 10, 4), 0), 2);
    EXPECT_EQ(l[5], sj(u8"じろうです。こちらこそよろしく。"));
    EXPECT_EQ(l[6], sj(u8"ソフト、ポイント、表示のテスト行です。")); // trail bytes 0x5C, 0x7C

    // A message that is not a reply; the next board's heading ends it.
    EXPECT_EQ(l[9], "Subj: " + sj(u8"今朝は寒いですね"));
    EXPECT_EQ(l[11], "0002: " + sj(u8"パソコン の新着メッセージ 1件"));
    EXPECT_EQ(copy(l[13], 7, 8), "26/12/06");
    EXPECT_NE(l[13].find("Section 02: "), std::string::npos);
    // Nothing stands between the last body line and the main prompt.
    EXPECT_EQ(l[15], sj(u8"うちは ATZ だけです。"));
    EXPECT_TRUE(isMainPrompt(l[16]));

    // Reading moved the unread date to now: nothing new the second time.
    std::vector<std::string> again = answer(c, "N@\r");
    EXPECT_EQ(copy(again[0], 10, 14), "26/12/08 09:00");
    EXPECT_EQ(again[1], sj(u8"新しいメッセージはありません。"));
}

TEST(BoardLists, MessageAndFileBoardListsAndRestrictedHours) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> m = answer(c, "r;?;0\r");
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0], sj(u8"メッセージボード一覧"));
    EXPECT_EQ(m[1], "0001: " + sj(u8"雑談     なんでも雑談ボード"));
    EXPECT_EQ(m[3], "0003: " + sj(u8"お知らせ シスオペからのお知らせ (書き込み不可)"));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(copy(m[i], 1, 2), "00");
        EXPECT_EQ(base::strToIntDef(copy(m[i], 3, 2), 0), i);
    }
    EXPECT_TRUE(isMainPrompt(m[4]));

    std::vector<std::string> f = answer(c, "f;?;0\r");
    EXPECT_EQ(f,
              (std::vector<std::string>{sj(u8"ファイルボード一覧"),
                                        "0001: " + sj(u8"ツール   通信ツール・ユーティリティ"),
                                        "0002: " + sj(u8"データ   いろいろなデータ"), f.back()}));

    // 23:30 lies in the demo's restricted hours (23 to 6).
    c.loop.setLocalNow(base::makeDateTime(2026, 12, 8, 23, 30, 0));
    std::vector<std::string> r = answer(c, "f;?;0\r");
    EXPECT_EQ(r[0], sj(u8"現在は規制時間中です。(23:00-06:00)"));
    EXPECT_TRUE(isMainPrompt(r[1]));
    c.loop.setLocalNow(base::makeDateTime(2026, 12, 9, 6, 0, 0));
    EXPECT_EQ(answer(c, "f;?;0\r")[0], sj(u8"ファイルボード一覧"));

    sim::SimOptions always;
    always.host.alwaysRestricted = true;
    SimClient a(always);
    a.loginToMenu();
    EXPECT_NE(answer(a, "f;?;0\r")[0].find(sj(u8"規制時間中")), std::string::npos);
}

TEST(NewFiles, BoardHeadingsWithSearchTextThenEntriesAndAnEmptyPrompt) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> l = answer(c, "FN\r\r");
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l[0], sj(u8"前回ログイン(26/12/04 21:00:00)以降の新着ファイル"));
    EXPECT_EQ(l[1], "0001: " + sj(u8"ツール を検索中..."));
    EXPECT_EQ(copy(l[1], 3, 2), "01");
    EXPECT_EQ(copy(l[2], 1, 4), "002:"); // README.TXT (before the last login) is not new
    EXPECT_EQ(copy(l[3], 1, 4), "003:");
    EXPECT_NE(l[3].find("BLOCK.BIN       1024 26/12/06 TARNO003"), std::string::npos);
    EXPECT_EQ(l[4], "0002: " + sj(u8"データ を検索中..."));
    EXPECT_EQ(copy(l[5], 1, 4), "002:");
    EXPECT_TRUE(isMainPrompt(l[6]));
    EXPECT_TRUE(isMainPrompt(l[7])); // the second CR
}

TEST(MemberList, RulerThenIdAndHandleColumnsUpToAnEmptyLine) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> l = answer(c, "U\r\r");
    ASSERT_EQ(l.size(), 13u);
    EXPECT_EQ(l[0], sj(u8"検索するID (RET:全員)>"));
    EXPECT_EQ(l[3], std::string(42, '-'));
    for (int i = 4; i <= 9; ++i) {
        EXPECT_EQ(l[i][3], ' ');
        std::string stored = copy(l[i], 5, 80);
        EXPECT_EQ(stored.substr(8, 2), "  ");
        if (i == 6) {
            EXPECT_EQ(copy(stored, 1, 8), "TARNO002");
            EXPECT_EQ(copy(stored, 11, 80), sj(u8"はなこ"));
        }
    }
    EXPECT_EQ(l[10], "");
    EXPECT_EQ(l[11], sj(u8"以上 6 名"));
    EXPECT_TRUE(isMainPrompt(l[12]));

    std::vector<std::string> some = answer(c, "U\rtarno00\r");
    EXPECT_EQ(some[some.size() - 2], sj(u8"以上 5 名"));
}

TEST(UnreadDate, SetByInfoCommandAndUsedByTheNextRead) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> l = answer(c, "i;r\r26/12/06 12:00:00\r0\r");
    EXPECT_EQ(l[0], sj(u8"現在の未読日付は 26/12/05 00:00:00 です。"));
    EXPECT_EQ(l[1], sj(u8"新しい日付 (YY/MM/DD HH:MM:SS)>26/12/06 12:00:00"));
    EXPECT_EQ(l[2], sj(u8"日付が 26/12/06 12:00:00 以降のものを読みます。"));
    EXPECT_EQ(copy(l[2], 8, 17), "26/12/06 12:00:00");
    EXPECT_EQ(l[3], sj(u8"INFO (R:未読日付の変更 0:終了)>0"));
    EXPECT_TRUE(isMainPrompt(l[4]));
    EXPECT_EQ(c.sim.record().unreadDateSet, std::optional<std::string>("26/12/06 12:00:00"));

    // Only the one message after noon of the 6th is new now.
    std::vector<std::string> n = answer(c, "N@\r");
    EXPECT_EQ(n[1], "0002: " + sj(u8"パソコン の新着メッセージ 1件"));

    std::vector<std::string> bad = answer(c, "i;r\r26/13/01 00:00:00\r0\r");
    EXPECT_EQ(bad[2], sj(u8"日付の形式が違います。"));
    EXPECT_EQ(*c.sim.record().unreadDateSet, "26/12/06 12:00:00");
}

TEST(ListReads, MessageAndFileListsFromANumberAndOneMessage) {
    SimClient c;
    c.loginToMenu();
    std::vector<std::string> m = answer(c, "R;01;L;3;0;0\r");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0], sj(u8"ボード 01 雑談 の一覧 (3 番から)"));
    EXPECT_EQ(m[1], "0003: 26/12/05 21:15 TARNO003 Re:0002) " + sj(u8"はじめまして"));
    EXPECT_EQ(copy(m[2], 1, 5), "0004:");
    EXPECT_TRUE(isMainPrompt(m[3]));

    // The download list names boards by name; the number works too.
    std::vector<std::string> f = answer(c, "F;" + sj(u8"ツール") + ";L;1;0;0\r");
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[1], "001: README.TXT        95 26/12/01 SYSOP    " + sj(u8"ファイルボードの説明"));
    EXPECT_EQ(copy(f[3], 1, 4), "003:");
    EXPECT_TRUE(isMainPrompt(f[4]));

    EXPECT_EQ(answer(c, "R;02;L;9;0;0\r")[1], sj(u8"該当するメッセージはありません。"));

    std::vector<std::string> one = answer(c, "R;" + sj(u8"パソコン") + ";I;1;0;0;0\r");
    ASSERT_EQ(one.size(), 6u);
    EXPECT_EQ(one[0], "Message  #0001   from: TARNO005 " + sj(u8"けんた"));
    EXPECT_EQ(one[1], "Time: 26/12/02 22:00:00  Section 02: " + sj(u8"パソコン"));
    EXPECT_TRUE(isMainPrompt(one[5]));

    std::vector<std::string> missing = answer(c, "R;02;I;7;0;0;0\r");
    EXPECT_EQ(missing[0], sj(u8"その番号のメッセージはありません。"));
    EXPECT_TRUE(isMainPrompt(missing[1])); // the zeros typed ahead still lead out
}
