// Replies, new messages and mail as the auto-pilot sends them (command, body lines typed
// ahead, "//", "S"), the board that refuses writing, the group-mail prompts and a slow echo.
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/HostText.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using base::sj;
using simtest::screenLines;
using simtest::SimClient;

namespace {

std::string typed(const std::string& header, const base::Lines& body, const std::string& end) {
    std::string s = header;
    for (const std::string& l : body)
        s += l + "\r";
    return s + end;
}

} // namespace

TEST(Posting, ReplyKeepsTheBodyExactlyAndBecomesAnArticle) {
    SimClient c;
    c.loginToMenu();
    base::Lines body = {sj(u8">じろうです。"), ">//", "//not the end", "  " + sj(u8"ソポ表\\"), ""};
    std::string out = c.command(typed("ER;01;2;Y\r", body, "//\rS\r"));
    std::vector<std::string> lines = screenLines(out);
    EXPECT_EQ(lines[1], "Re:2) " + sj(u8"はじめまして に返信します。"));
    EXPECT_EQ(lines[lines.size() - 2], sj(u8"書き込み中　...終了しました。"));

    const sim::SessionRecord& r = c.sim.record();
    ASSERT_EQ(r.posts.size(), 1u);
    const sim::PostRecord& p = r.posts[0];
    EXPECT_EQ(p.kind, sim::PostRecord::Kind::Reply);
    EXPECT_EQ(p.boardRef, "01");
    EXPECT_EQ(p.board, 1);
    EXPECT_EQ(p.replyTo, 2);
    EXPECT_EQ(p.body, body);
    EXPECT_TRUE(p.saved);
    EXPECT_EQ(p.article, 5);

    const sim::Article& a = c.sim.data().boards[0].articles.back();
    EXPECT_EQ(a.number, 5);
    EXPECT_EQ(a.author, "TARNO001");
    EXPECT_EQ(a.replyTo, 2);
    EXPECT_EQ(a.body, body);
    std::vector<std::string> list = screenLines(c.command("R;01;L;5;0;0\r"));
    EXPECT_EQ(list[2], "0005: 26/12/08 09:00 TARNO001 Re:0002) " + sj(u8"はじめまして"));
}

TEST(Posting, NewMessageByBoardName) {
    SimClient c;
    c.loginToMenu();
    c.command(
        typed("EW;" + sj(u8"パソコン") + ";" + sj(u8"新しい話題") + ";Y\r", {"a", "b"}, "//\rS\r"));
    ASSERT_EQ(c.sim.record().posts.size(), 1u);
    const sim::PostRecord& p = c.sim.record().posts[0];
    EXPECT_EQ(p.kind, sim::PostRecord::Kind::NewMessage);
    EXPECT_EQ(p.board, 2);
    EXPECT_EQ(p.title, sj(u8"新しい話題"));
    EXPECT_TRUE(p.saved);
    EXPECT_EQ(c.sim.data().boards[1].articles.back().subject, sj(u8"新しい話題"));
}

TEST(Posting, RefusingBoardSaysSoAtOnceAndNeverRunsTheBodyAsCommands) {
    SimClient c;
    c.loginToMenu();
    // Board 03 refuses writing; the body holds lines that are commands at the main prompt.
    std::string out = c.command(typed("EW;03;test;Y\r", {"Q", "N@", "EM"}, "//\rS\r"));
    std::vector<std::string> lines = screenLines(out);
    EXPECT_EQ(lines[0], "EW;03;test;Y");
    EXPECT_EQ(lines[1], sj(u8"そのボードには書き込めません。")); // right after the command
    // Said once only: the save ends the posting without repeating it.
    EXPECT_EQ(lines[lines.size() - 2], sj(u8"S:保存 A:中止>S"));
    EXPECT_EQ(out.find(sj(u8"そのボードには書き込めません。")),
              out.rfind(sj(u8"そのボードには書き込めません。")));
    EXPECT_EQ(out.find(sj(u8"書き込み中")), std::string::npos);
    EXPECT_EQ(out.find(sj(u8"以降のものを読みます")), std::string::npos);
    EXPECT_TRUE(c.carrier());
    ASSERT_EQ(c.sim.record().posts.size(), 1u);
    EXPECT_FALSE(c.sim.record().posts[0].saved);
    EXPECT_EQ(c.sim.data().boards[2].articles.size(), 1u);

    // A board made read-only by option, and a reply to an article that does not exist.
    sim::SimOptions o;
    o.host.readOnlyBoards = {sj(u8"雑談")};
    SimClient ro(o);
    ro.loginToMenu();
    EXPECT_EQ(screenLines(ro.command("ER;1;2;Y\rx\r//\rS\r"))[2],
              sj(u8"そのボードには書き込めません。"));
    EXPECT_EQ(screenLines(ro.command("ER;2;77;Y\rx\r//\rS\r"))[1],
              sj(u8"その番号のメッセージはありません。"));
    EXPECT_FALSE(ro.sim.record().posts[0].saved);
    EXPECT_FALSE(ro.sim.record().posts[1].saved);
}

TEST(Mail, PlainPromptTakesTheTitleThenTheBody) {
    SimClient c;
    c.loginToMenu();
    c.take();
    c.type("EM\rTARNO002\r");
    std::string prompt = screenLines(c.take()).back();
    EXPECT_NE(prompt.find("C:cancel 0:end)>"), std::string::npos);
    EXPECT_EQ(prompt.find("G:group"), std::string::npos);
    c.command(typed(sj(u8"オフ会の件") + "\rY\r", {sj(u8"参加します。")}, "//\rS\r"));
    ASSERT_EQ(c.sim.record().mails.size(), 1u);
    const sim::MailRecord& m = c.sim.record().mails[0];
    EXPECT_EQ(m.to, "TARNO002");
    EXPECT_EQ(m.title, sj(u8"オフ会の件"));
    EXPECT_EQ(m.body, (base::Lines{sj(u8"参加します。")}));
    EXPECT_TRUE(m.saved);

    // An address that is not a member goes back to the main prompt.
    EXPECT_EQ(screenLines(c.command("EM\rNOBODY\r"))[2], sj(u8"そのIDは登録されていません。"));
}

TEST(Mail, GroupPromptIsEndedWithZeroBeforeTheTitle) {
    sim::SimOptions o;
    o.host.groupMail = true;
    SimClient c(o);
    c.loginToMenu();
    c.take();
    c.type("EM\rTARNO002\r");
    std::string prompt = screenLines(c.take()).back();
    EXPECT_NE(prompt.find("G:group"), std::string::npos);
    EXPECT_NE(prompt.find("C:cancel 0:end)>"), std::string::npos);
    std::string out = c.command(typed("0\rtitle\rY\r", {"body"}, "//\rS\r"));
    EXPECT_NE(out.find(sj(u8"書き込み中　...終了しました。")), std::string::npos);
    ASSERT_EQ(c.sim.record().mails.size(), 1u);
    EXPECT_EQ(c.sim.record().mails[0].title, "title");
    EXPECT_TRUE(c.sim.record().mails[0].group.empty());
}

TEST(SlowEcho, EchoAndWhatFollowsComeLateButInOrder) {
    sim::SimOptions o;
    o.host.echoDelayMs = 800;
    SimClient c(o);
    c.loginToMenu();
    c.advance(1000);
    c.take();
    c.type("ER;01;1;Y\rone\rtwo\rthree\r");
    c.advance(799);
    EXPECT_EQ(c.take(), "");
    c.advance(1);
    std::vector<std::string> lines = screenLines(c.take());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "ER;01;1;Y");
    EXPECT_EQ(lines[3], "one");
    EXPECT_EQ(lines[5], "three");
}
