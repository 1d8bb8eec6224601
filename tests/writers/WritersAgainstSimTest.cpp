// A whole run against the simulated modem and host: what the writers reserved offline is
// posted by the auto-pilot, and the host's record holds each posting exactly as typed.
#include "base/ErrorLog.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "engine/VazevModel.h"
#include "sim/Fixture.h"
#include "sim/Simulator.h"
#include "tests/support/SimPort.h"
#include "tests/writers/WriterFixture.h"

#include <gtest/gtest.h>

using base::sj;
using writers::WriterKind;
using writers::WriterModel;

namespace {

struct EndOfRun : engine::RunHost {
    bool done = false;
    bool LogConv(const std::vector<std::string>&, int, int) override {
        done = true;
        return true;
    }
};

struct NoView : engine::TerminalView {
    void status(const std::string&) override {}
};

} // namespace

TEST(WritersAgainstSim, AWholeRunPostsWhatTheWritersReservedExactlyAsTyped) {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    // The demo data set without its waiting mail: a binary mail would need the transfer.
    sim::DataSet data = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
    data.mail.clear();
    sim::Simulator host(loop, std::move(data));
    const base::Lines record = {sj(u8"デモネット"), "DEMO",  "0312345678", "0", "TARNO001", "tarno",
                                sj(u8"たーの"),     "KTBBS", "",           ""};
    shell::NetList nets{dir.path(), record};
    shell::ModemSettings modems = shell::defaultModemSettings();
    modems[0] = {"M", "ATDT", "ATZ", 30, 1, 38400, false};
    RecordingMacroHost macroHost;
    macroHost.provided.insert(macro::Feature::Run);
    macro::MacroModel macro{nets, macroHost, dir.path()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    testing_support::SimPort port{loop, host};
    EndOfRun runHost;
    NoView view;
    engine::VazevModel engine{{loop, port, nets, modems, macro, errors, runHost, dir.path()}};
    engine.setView(&view);
    port.connect(engine);

    base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
    writers_test::installStyles(dir.path());
    writers_test::RecordingStyleHost styleHost;
    writers::TextStyleModel styles{loop, styleHost, dir.path()};
    writers_test::ScriptedDialogs dialogs;
    macro.FormShow();
    macro.ListBox1Click(0);
    macro.setChecked(macro::Step::QUIT, true);
    const writers::WriterContext ctx{loop,   nets,    macro,
                                     styles, dialogs, [&] { return engine.running(); }};

    // A reply to article 2 of board 1, typed with a line "//" and one that only starts so.
    WriterModel reply(ctx, WriterKind::Reply);
    reply.FormShow(macro::ReplySlot{"", "", "2", "EDIT", "0", "1"});
    reply.setBody({sj(u8"はなこさん、こんにちは。"), "//", "//x", ""});
    reply.up();
    ASSERT_TRUE(reply.FormCloseQuery());
    // A new message on board 2, framed by the shipped style.
    WriterModel news(ctx, WriterKind::NewMessage);
    news.FormShow(macro::NewSlot{sj(u8"新しい本文"), "", "0", "2", "", "NEW", ""});
    styles.close();
    loop.advance(1000);
    news.setTitle(sj(u8"ソフトの話: #1"));
    news.up();
    ASSERT_TRUE(news.FormCloseQuery());
    // A mail to a member.
    WriterModel mail(ctx, WriterKind::Mail);
    mail.FormShow(macro::MailSlot{"0", "", "EDIT", sj(u8"よろしく\r\n"), "Hi", "TARNO002  ", ""});
    mail.up();
    ASSERT_TRUE(mail.FormCloseQuery());
    ASSERT_TRUE(dialogs.warnings.empty());
    const base::Lines newsBody = news.body();

    engine.AutoLoginClick();
    for (int i = 0; i < 2000 && !runHost.done; ++i)
        loop.advance(100);
    ASSERT_TRUE(runHost.done);

    const sim::SessionRecord& r = host.record();
    ASSERT_EQ(r.posts.size(), 2u) << base::toUtf8(r.toText());
    EXPECT_EQ(r.posts[0].kind, sim::PostRecord::Kind::Reply);
    EXPECT_EQ(r.posts[0].board, 1);
    EXPECT_EQ(r.posts[0].replyTo, 2);
    EXPECT_EQ(r.posts[0].body, (base::Lines{sj(u8"はなこさん、こんにちは。"), ">//", "//x", ""}));
    EXPECT_TRUE(r.posts[0].saved);
    EXPECT_EQ(r.posts[1].kind, sim::PostRecord::Kind::NewMessage);
    EXPECT_EQ(r.posts[1].board, 2);
    EXPECT_EQ(r.posts[1].title, sj(u8"ソフトの話: #1"));
    EXPECT_EQ(r.posts[1].body, newsBody);
    EXPECT_TRUE(r.posts[1].saved);
    ASSERT_EQ(r.mails.size(), 1u);
    EXPECT_EQ(r.mails[0].to, "TARNO002");
    EXPECT_EQ(r.mails[0].title, "Hi");
    EXPECT_EQ(r.mails[0].body, (base::Lines{sj(u8"よろしく")}));
    EXPECT_TRUE(r.mails[0].saved);
    // Carried out, the reservations are gone from the net.
    EXPECT_TRUE(macro.reserve().empty());
    EXPECT_EQ(base::readLines(dir.file("DEMO/NET.MAC")),
              (base::Lines{"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"}));
}
