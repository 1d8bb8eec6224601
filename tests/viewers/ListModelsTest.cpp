#include "viewers/ArticleListModel.h"
#include "viewers/BoardModel.h"
#include "viewers/MailModel.h"
#include "viewers/MemberListModel.h"

#include "tests/viewers/ViewerFixture.h"

#include <functional>
#include <gtest/gtest.h>

using base::sj;
using viewers::ArticleListModel;
using viewers::MailModel;
using viewers::MemberListModel;

namespace {

base::Lines mail(const std::string& from, const std::string& subject, const base::Lines& body) {
    base::Lines out = {"Private Message is from: " + from, "Time: 26/12/06 08:00:00",
                       "Subj: " + subject};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

base::Lines macFile(const ViewerFixture& f) {
    return base::readLines(f.file("NET.MAC"));
}

} // namespace

TEST(MailModel, ListsEachMailAndSelectsTheNewest) {
    ViewerFixture f;
    f.write("MAIL.DAT",
            join({{"noise before the first mail"},
                  mail("ABCD0123 Nick", "Hello", {"body 1"}),
                  mail("SYSOP", sj(u8"お知らせ"),
                       {" Private Message is from: inside", "Private Messages here", "end"}),
                  {"Private Message is from: SHORT", "Time: 26/12/07 09:00:00"},
                  mail("LAST", "third", {})}));
    f.chooseNet(0);
    MailModel m(f.macro, f.host);
    m.FormShow();
    ASSERT_EQ(m.list().size(), 3u);
    EXPECT_EQ(m.list()[0].line, "   1| ABCD0123 Nick" + std::string(11, ' ') + " | Hello");
    // A line that only begins "Private Message", or has the marker after a blank, is body.
    EXPECT_EQ(m.list()[1].line.substr(0, 5), "   2|");
    // The mail without a subject line is numbered but not listed.
    EXPECT_EQ(m.list()[2].line.substr(0, 5), "   4|");
    EXPECT_EQ(m.selected(), 2);
    EXPECT_EQ(m.memoText(), base::joinLines(mail("LAST", "third", {})));
    EXPECT_TRUE(m.resEnabled());
    m.DOWNButtonClick();
    EXPECT_EQ(m.selected(), 2);
    m.UPButtonClick();
    m.UPButtonClick();
    EXPECT_EQ(m.selected(), 0);
    m.UPButtonClick();
    EXPECT_EQ(m.selected(), 0);
    m.ListBox1Click(1);
    EXPECT_NE(m.memoText().find("Private Messages here\r\nend\r\n"), std::string::npos);

    // Answering hands over the whole text, its first three lines included.
    m.ResButtonClick();
    const macro::MailSlot& s = f.macro.mailSlot();
    EXPECT_EQ(s.MailText, m.memoText());
    EXPECT_EQ(s.MailText.substr(0, 30), "Private Message is from: SYSOP");
    EXPECT_EQ(s.MailMode, "RES");
    EXPECT_EQ(s.MailNetNo, "0");
    EXPECT_EQ(s.MailTitle, sj(u8"タイトルを入れてください"));
    EXPECT_EQ(f.macroHost.calls.back(), "mailWriter");
    m.Button1Click();
    EXPECT_EQ(f.host.memberListShown, 1);
}

TEST(MailModel, MissingFileNoNetAndTooManyMails) {
    ViewerFixture f;
    MailModel m(f.macro, f.host);
    m.FormShow(); // no net chosen
    EXPECT_EQ(m.net(), -1);
    EXPECT_TRUE(f.host.calls.empty());
    f.chooseNet(1);
    m.FormShow();
    EXPECT_TRUE(m.list().empty());
    EXPECT_FALSE(m.resEnabled());
    EXPECT_EQ(f.host.only("status").back(), sj(u8"読み込み完了しました."));

    base::Lines many;
    for (int i = 1; i <= MailModel::kMaxMails + 2; ++i) {
        const base::Lines one = mail("M" + std::to_string(i), "s", {});
        many.insert(many.end(), one.begin(), one.end());
    }
    base::replaceLines(f.dir.file("SNET/MAIL.DAT"), many);
    m.netnameChange(1);
    EXPECT_EQ(m.leftOut(), 2);
    ASSERT_EQ(m.list().size(), 9999u);
    EXPECT_EQ(m.list().front().line.substr(0, 8), "   1| M3");
    EXPECT_EQ(m.list().back().line.substr(0, 12), "9999| M10001");
    EXPECT_EQ(f.host.only("warn").size(), 1u);
}

TEST(ArticleListModel, LoadsTheBoardsListAndProposesTheNewest) {
    ViewerFixture f;
    f.boards({"0005: ZATSU " + sj(u8"雑談"), "0006: EMPTY"});
    f.write("FBOARD.LST", {"0002: TOOLS " + sj(u8"ツール")});
    f.write("MBOARD05.LST", {"0118: 26/12/01 10:00 SYSOP    a", "0119: 26/12/02 10:00 B b"});
    f.write("FBOARD02.LST", {"  7: TARNO.LZH 1234", " 12: X.TXT"});
    f.chooseNet(0);
    f.macro.selectBoard(0);
    ArticleListModel m(f.macro, f.host);
    m.FormShow();
    EXPECT_FALSE(m.fileBoards());
    EXPECT_EQ(m.list().size(), 2u);
    EXPECT_EQ(m.LDownNo(), "120");
    EXPECT_EQ(m.DownNo(), "119");
    EXPECT_TRUE(m.DownEnabled());

    m.BoardChange(1); // no list file
    EXPECT_EQ(m.LDownNo(), "1");
    EXPECT_EQ(m.DownNo(), "0");
    EXPECT_FALSE(m.DownEnabled());
    EXPECT_TRUE(m.LDownEnabled());

    m.FboardClick();
    EXPECT_EQ(m.list().size(), 2u);
    m.ListBox1Click(0); // the number has leading blanks
    EXPECT_EQ(m.DownNo(), "7");
    m.setDownNo("abc");
    EXPECT_EQ(m.DownNo(), "0");
    m.setDownNo("999999");
    EXPECT_EQ(m.DownNo(), "0");
    EXPECT_FALSE(m.DownEnabled());
}

TEST(ArticleListModel, ReservationsGoIntoTheNetsMacroFile) {
    ViewerFixture f;
    f.boards({"0005: ZATSU " + sj(u8"雑談")});
    f.write("FBOARD.LST", {"0002: TOOLS " + sj(u8"ツール")});
    f.chooseNet(0);
    ArticleListModel m(f.macro, f.host);
    m.FormShow();
    m.setLDownNo("120");
    ASSERT_TRUE(m.LDownClick());
    EXPECT_EQ(f.host.only("ask"), (std::vector<std::string>{sj(u8"一覧読み取りを予約しますか.")}));
    EXPECT_EQ(macFile(f).back(), "MLISTDOWN :05#120");

    m.FboardClick();
    m.setDownNo("7");
    f.host.answers = {false};
    EXPECT_FALSE(m.DownClick()); // No changes nothing
    EXPECT_EQ(macFile(f).back(), "MLISTDOWN :05#120");
    ASSERT_TRUE(m.DownClick());
    EXPECT_EQ(f.host.only("ask").back(), sj(u8"ダウンロードを予約しますか."));
    const base::Lines mac = macFile(f);
    EXPECT_EQ(mac[mac.size() - 2], "MLISTDOWN :05#120");
    EXPECT_EQ(mac.back(), "FDOWN :TOOLS#7");
    EXPECT_EQ(f.macro.reserve().ReserveCount(), 2);
    EXPECT_EQ(f.macro.NetNo(), "0"); // back to the net selected in the net manager

    // File numbers stop at 999, article numbers at 9999.
    m.setDownNo("1000");
    EXPECT_FALSE(m.DownClick());
    m.MboardClick();
    m.setDownNo("1000");
    EXPECT_TRUE(m.DownClick());
    EXPECT_EQ(macFile(f).back(), "MDOWN :ZATSU#1000");
    m.setLDownNo("10000");
    EXPECT_FALSE(m.LDownClick());
    EXPECT_EQ(f.host.only("warn").size(), 2u);
    EXPECT_EQ(macFile(f).back(), "MDOWN :ZATSU#1000");
}

TEST(ArticleListModel, WithoutANetNothingIsLoadedOrReserved) {
    ViewerFixture f;
    f.boards({"0005: ZATSU"});
    ArticleListModel m(f.macro, f.host);
    m.FormShow();
    EXPECT_EQ(m.net(), -1);
    EXPECT_TRUE(m.boardLines().empty());
    EXPECT_FALSE(m.LDownEnabled());
    EXPECT_FALSE(m.LDownClick());
    EXPECT_TRUE(f.host.only("ask").empty());
}

TEST(MemberListModel, AddressesAMailToTheChosenMember) {
    ViewerFixture f;
    f.write("MEMBOR.LST", {"SYSOP     " + sj(u8"しすおぺ"), "TARNO002  " + sj(u8"はなこ")});
    MemberListModel m(f.macro);
    m.FormShow();
    EXPECT_TRUE(m.list().empty()); // no net yet
    f.chooseNet(0);
    m.FormShow();
    ASSERT_EQ(m.list().size(), 2u);
    EXPECT_FALSE(m.mailEnabled());
    m.MailClick();
    EXPECT_TRUE(f.macroHost.calls.empty() || f.macroHost.calls.back() != "mailWriter");
    m.ListBox1Click(1);
    m.MailClick();
    const macro::MailSlot& s = f.macro.mailSlot();
    EXPECT_EQ(s.MailSendId, "TARNO002  " + sj(u8"はなこ"));
    EXPECT_EQ(s.MailMode, "NEW");
    EXPECT_EQ(s.MailText, "");
    EXPECT_EQ(s.MailNetName, sj(u8"テストネット"));
    EXPECT_EQ(f.macroHost.calls.back(), "mailWriter");
    m.NetNameChange(1);
    EXPECT_TRUE(m.list().empty());
    EXPECT_FALSE(m.mailEnabled());
}

// A run works through the net's list: neither list reserves nor opens a writer then, and
// neither asks its question first.
TEST(ListModels, NothingIsReservedOrWrittenWhileARunIsOn) {
    ViewerFixture f;
    f.boards({"0005: ZATSU"});
    f.write("MEMBOR.LST", {"TARNO002  H"});
    f.chooseNet(0);
    ArticleListModel articles(f.macro, f.host);
    articles.FormShow();
    MemberListModel members(f.macro);
    members.FormShow();
    members.ListBox1Click(0);
    f.macroHost.calls.clear();
    f.macroHost.running = true;

    articles.setDownNo("3");
    EXPECT_FALSE(articles.LDownClick());
    EXPECT_FALSE(articles.DownClick());
    members.MailClick();
    EXPECT_TRUE(f.host.only("ask").empty());
    EXPECT_EQ(f.macroHost.calls, std::vector<std::string>(3, "warn"));
    EXPECT_EQ(f.macroHost.warnings.back(),
              sj(u8"通信中は予約できません．通信が終わってからもう一度予約してください．"));
    EXPECT_TRUE(f.macro.mailSlot().MailSendId.empty()); // an open writer's slot is untouched
    EXPECT_TRUE(f.macro.reserve().empty());
}

namespace {
// True when no double-byte character of the line is cut in two.
bool wholeCharacters(const std::string& line) {
    size_t i = 0;
    while (i < line.size())
        i += base::isLeadByte(line[i]) ? 2 : 1;
    return i == line.size();
}
std::string repeat(const char8_t* c, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += sj(c);
    return out;
}
} // namespace

// Senders and subjects are cut to their columns at character boundaries, never mid-way
// through a double-byte character.
TEST(ListLines, LongJapaneseSendersAndSubjectsAreCutAtCharacterBoundaries) {
    ViewerFixture f;
    f.write("MAIL.DAT", mail(repeat(u8"は", 13), repeat(u8"あ", 40), {"body"}));
    f.chooseNet(0);
    MailModel m(f.macro, f.host);
    m.FormShow();
    ASSERT_EQ(m.list().size(), 1u);
    EXPECT_TRUE(wholeCharacters(m.list()[0].line)) << m.list()[0].line;
    EXPECT_EQ(m.list()[0].line, "   1| " + repeat(u8"は", 12) + " | " + repeat(u8"あ", 24) + " ");

    f.write("MBOARD.LST", {"0001: ZATSU"});
    f.write("MBOARD01.DAT",
            message(1, repeat(u8"い", 11), "26/12/01 10:00:00", repeat(u8"あ", 40)));
    viewers::BoardModel b(f.macro, f.nets, f.host, base::makeDateTime(2026, 12, 8, 9, 0, 0));
    f.chooseNet(0);
    b.FormShow(false, true, true);
    ASSERT_EQ(b.list().size(), 1u);
    EXPECT_TRUE(wholeCharacters(b.list()[0].line)) << b.list()[0].line;
}

// A board name is taken from at most 80 bytes after the list line's ": "; a name that runs
// longer ends before the character the 80 bytes would cut, in every reservation made from
// a board list (it is written to NET.MAC and sent to the host).
TEST(ListLines, LongBoardNamesEndAtACharacterBoundary) {
    const std::string name = "a" + repeat(u8"あ", 40); // byte 80 of the name is a lead byte
    const std::string kept = "a" + repeat(u8"あ", 39);
    struct Case {
        const char* where;
        std::function<std::string(ViewerFixture&)> reserve; // the board name as reserved
    };
    const Case cases[] = {
        {"download from the article list",
         [](ViewerFixture& f) {
             ArticleListModel m(f.macro, f.host);
             m.FormShow();
             m.setDownNo("7");
             EXPECT_TRUE(m.DownClick());
             const std::string line = macFile(f).back();
             EXPECT_EQ(line.rfind("MDOWN :", 0), 0u) << line;
             return base::copy(line, 8, base::pos("#", line) - 8);
         }},
        {"reply from the board viewer",
         [](ViewerFixture& f) {
             f.write("MBOARD01.DAT", message(1, "SYSOP", "26/12/01 10:00:00", "hello"));
             viewers::BoardModel b(f.macro, f.nets, f.host,
                                   base::makeDateTime(2026, 12, 8, 9, 0, 0));
             b.FormShow(false, true, true);
             b.ListBox1Click(0);
             b.ResButtonClick();
             return f.macro.replySlot().ResBoard;
         }},
    };
    for (const Case& c : cases) {
        ViewerFixture f;
        f.write("MBOARD.LST", {"0001: " + name});
        f.chooseNet(0);
        const std::string board = c.reserve(f);
        EXPECT_TRUE(wholeCharacters(board)) << c.where;
        EXPECT_EQ(board, kept) << c.where;
    }
}
