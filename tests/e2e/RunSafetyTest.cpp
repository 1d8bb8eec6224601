// Whole runs against a host that misbehaves the way real ones do (late answers, silence,
// keep-alive bytes, a missing file, a direct line), and runs that are killed or cannot
// save: nothing is posted twice, nothing the host handed over is lost, every run ends in
// bounded time and says truly how it ended.
#include "app/Runner.h"
#include "tests/e2e/RunRig.h"
#include "tests/support/TempDir.h"

#include "base/Text.h"
#include "sim/Fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using base::sj;
using e2e_test::RunRig;

sim::DataSet demoData() {
    return sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
}
sim::DataSet textMailOnly() {
    sim::DataSet d = demoData();
    std::erase_if(d.mail, [](const sim::Mail& m) { return m.binary; });
    return d;
}

base::Lines withFixed(std::initializer_list<std::string> reservations) {
    base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN"};
    mac.insert(mac.end(), reservations.begin(), reservations.end());
    mac.push_back("QUIT");
    return mac;
}

int savedPosts(const sim::SessionRecord& rec) {
    return static_cast<int>(std::count_if(rec.posts.begin(), rec.posts.end(),
                                          [](const sim::PostRecord& p) { return p.saved; }));
}

const std::string kReplyBody = sj(u8"返信の本文");
const std::string kNewTitle = sj(u8"新しい話題");

// A host that answers late: the prompt that was on the screen when a command went out
// never stands in for the answer to it, so each posting is confirmed by its own answer
// and none stays behind to be posted again.
TEST(RunSafety, LateAnswersConfirmEachPostingOnce) {
    struct Case {
        const char* name;
        int echoDelayMs;
        int answerDelayMs;
    };
    for (const Case& c : {Case{"slow echo 2 s", 2000, 0}, Case{"slow echo 3 s", 3000, 0},
                          Case{"answers 1.2 s late", 0, 1200}, Case{"answers 5 s late", 0, 5000}}) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir dir;
        sim::SimOptions o;
        o.host.echoDelayMs = c.echoDelayMs;
        o.host.answerDelayMs = c.answerDelayMs;
        RunRig r(dir.path(), textMailOnly(), o);
        r.writeNetMac(withFixed({"RES :1#2", kReplyBody, "//", "NEWW :2#" + kNewTitle, "b", "//",
                                 "MAIL :TARNO002#" + sj(u8"お元気ですか"), sj(u8"本文"), "//"}));
        r.start();
        ASSERT_TRUE(r.runFor(30 * 60 * 1000));
        const sim::SessionRecord& rec = r.sim.record();
        EXPECT_EQ(savedPosts(rec), 2);
        ASSERT_EQ(rec.mails.size(), 1u);
        EXPECT_TRUE(rec.mails[0].saved);
        EXPECT_EQ(rec.mails[0].title, sj(u8"お元気ですか"));
        EXPECT_TRUE(r.reservationsLeft().empty());
        EXPECT_FALSE(r.statusSeen(sj(u8"メールの宛先が受け付けられませんでした．")));
        EXPECT_EQ(r.model.outcome(), engine::RunOutcome::Completed);
        EXPECT_EQ(rec.logouts, 1);
    }
}

// A host that falls silent after a posting and keeps only sending keep-alive bytes: the
// next reservation is never typed into the stale prompt, the run ends on the watchdog
// within its bound, and the hang-up is all that goes out after the time-out.
TEST(RunSafety, ASilentHostWithKeepAlivesEndsTheRunAndKeepsTheRest) {
    testing_support::TempDir dir;
    sim::SimOptions o;
    o.host.freezeAtMenu = 2; // the prompt after the posting never comes
    o.host.keepAliveMs = 1000;
    RunRig r(dir.path(), textMailOnly(), o);
    r.writeNetMac(withFixed({"NEWW :1#" + kNewTitle, "a", "//", "MDOWN :1#1"}));
    const std::int64_t start = r.loop.nowMs();
    r.start();
    ASSERT_TRUE(r.runFor(10 * 60 * 1000));
    // Three CRs 17.5 s apart after the last change, then the hang-up: well under 2 minutes.
    EXPECT_LT(r.loop.nowMs() - start, 3 * 60 * 1000);
    EXPECT_EQ(r.model.outcome(), engine::RunOutcome::TimedOut);
    EXPECT_EQ(savedPosts(r.sim.record()), 1);
    EXPECT_EQ(r.sim.record().fromTerminal().find("R;1;I;1"), std::string::npos);
    EXPECT_EQ(r.reservationsLeft(), base::Lines{"MDOWN :1#1"});
    const std::string& sent = r.port.sent;
    const size_t escape = sent.find("+++");
    ASSERT_NE(escape, std::string::npos);
    EXPECT_EQ(sent.substr(escape), "+++ATH\r\n");
}

// A posting the host refuses is not confirmed by the menu prompt after it, so a later
// line that quotes the confirmation (another person's message) does not delete it.
TEST(RunSafety, ARefusedPostingStaysWhateverIsReadAfterIt) {
    testing_support::TempDir dir;
    sim::DataSet data = textMailOnly();
    sim::Article quote;
    quote.number = static_cast<int>(data.boards[0].articles.size()) + 1;
    quote.author = "TARNO002";
    quote.subject = sj(u8"引用");
    quote.body = {sj(u8"書き込み中　...終了しました。"), sj(u8"と出たら成功です。")};
    data.boards[0].articles.push_back(quote);
    RunRig r(dir.path(), data);
    r.writeNetMac(withFixed(
        {"RES :3#1", sj(u8"書けないボード"), "//", "MDOWN :1#" + std::to_string(quote.number)}));
    r.start();
    ASSERT_TRUE(r.runFor(30 * 60 * 1000));
    EXPECT_EQ(savedPosts(r.sim.record()), 0);
    EXPECT_EQ(r.reservationsLeft(), (base::Lines{"RES :3#1", sj(u8"書けないボード"), "//"}));
}

// Each confirmation is saved to NET.MAC at once: a kill right after it, then a second
// run, posts nothing twice; the mail the host deleted in the killed run reaches MAIL.DAT
// through the recovery before the second run.
TEST(RunSafety, AKilledRunLosesNoConfirmationAndNoMail) {
    testing_support::TempDir dir;
    const std::string first = "NEWW :1#" + sj(u8"一通目");
    const base::Lines mac = withFixed({first, "a", "//", "NEWW :2#" + sj(u8"二通目"), "b", "//"});
    sim::DataSet hostData = textMailOnly();
    ASSERT_FALSE(hostData.mail.empty());
    const std::string mailSubject = hostData.mail[0].subject;
    int savedInFirst = 0;
    {
        RunRig r(dir.path(), hostData);
        r.writeNetMac(mac);
        r.start();
        for (int i = 0; i < 100000 && r.macro.reserve().findBlock(first) >= 0; ++i)
            r.loop.advance(10);
        ASSERT_LT(r.macro.reserve().findBlock(first), 0) << "the first posting was confirmed";
        // On disk before anything of the run's end has happened.
        const base::Lines onDisk = base::readLines(r.netMacPath());
        EXPECT_EQ(std::find(onDisk.begin(), onDisk.end(), first), onDisk.end());
        EXPECT_FALSE(r.sim.record().deletedMail.empty()) << "the host deleted the mail";
        savedInFirst = savedPosts(r.sim.record());
        r.kill();
        hostData = r.sim.data();
        EXPECT_TRUE(base::fileExists(dir.file("VESPARI.LOG")));
    }
    RunRig second(dir.path(), hostData);
    second.start();
    ASSERT_TRUE(second.runFor(30 * 60 * 1000));
    EXPECT_EQ(second.model.outcome(), engine::RunOutcome::Completed);
    EXPECT_EQ(savedInFirst + savedPosts(second.sim.record()), 2);
    EXPECT_TRUE(second.reservationsLeft().empty());
    int withSubject = 0;
    for (const std::string& l : base::readLines(dir.file("NET1/MAIL.DAT")))
        withSubject += l == "Subj: " + mailSubject ? 1 : 0;
    EXPECT_EQ(withSubject, 1) << "the recovered mail, once:\n"
                              << base::toUtf8(base::readFile(dir.file("NET1/MAIL.DAT")));
}

// A file the host no longer has: the host says so and shows its menu. The download fails
// like a failed transfer, stays reserved, and the run goes on to the next reservation.
TEST(RunSafety, AMissingFileFailsItsDownloadAndTheRunGoesOn) {
    testing_support::TempDir dir;
    RunRig r(dir.path(), textMailOnly());
    r.writeNetMac(withFixed({"FDOWN :1#99", "MDOWN :1#1"}));
    const std::int64_t start = r.loop.nowMs();
    r.start();
    ASSERT_TRUE(r.runFor(30 * 60 * 1000));
    EXPECT_EQ(r.model.outcome(), engine::RunOutcome::Completed);
    EXPECT_LT(r.loop.nowMs() - start, 60 * 1000) << "no watchdog time-out";
    EXPECT_NE(r.sim.record().fromTerminal().find("R;1;I;1"), std::string::npos);
    EXPECT_EQ(r.reservationsLeft(), base::Lines{"FDOWN :1#99"});
    EXPECT_TRUE(r.statusSeen(sj(u8"ホストがファイルを送りませんでした．")));
    bool logged = false;
    for (const std::string& l : r.errors.lines())
        logged = logged || base::contains(l, "FDOWN :1#99");
    EXPECT_TRUE(logged);
}

// A direct line has no carrier to wait for: after "QUIT" the host's goodbye still reaches
// the capture, and the last line without a line end is kept before "END.".
TEST(RunSafety, ADirectLineKeepsTheHostsGoodbye) {
    testing_support::TempDir dir;
    sim::SimOptions o;
    o.modem.direct = true;
    RunRig r(dir.path(), textMailOnly(), o);
    r.nets.setField(0, shell::kTelNo, "999");
    r.modems[0].initCommand.clear(); // no modem to answer one
    r.writeNetMac(withFixed({}));
    r.start();
    ASSERT_TRUE(r.runFor(30 * 60 * 1000));
    EXPECT_EQ(r.model.outcome(), engine::RunOutcome::Completed);
    const std::vector<std::string>& lines = r.model.Lines();
    const int wp = r.model.WritePointer();
    EXPECT_EQ(lines[static_cast<size_t>(wp)], "END.");
    bool goodbye = false;
    for (int i = 1; i < wp; ++i)
        goodbye = goodbye || base::contains(lines[static_cast<size_t>(i)],
                                            sj(u8"ご利用ありがとうございました。"));
    EXPECT_TRUE(goodbye);
}

// What the run did cannot be saved: the import fails at the end, or NET.MAC cannot be
// rewritten after a confirmation. The run says so, and the unattended exit status too.
TEST(RunSafety, AFailedSaveIsNotReportedAsSuccess) {
    {
        testing_support::TempDir dir;
        RunRig r(dir.path(), textMailOnly());
        r.failImport = true;
        r.writeNetMac(withFixed({"MDOWN :1#1"}));
        r.start();
        ASSERT_TRUE(r.runFor(30 * 60 * 1000));
        EXPECT_EQ(r.model.outcome(), engine::RunOutcome::Completed);
        EXPECT_FALSE(r.model.resultsSaved());
        EXPECT_EQ(app::Runner::exitStatus(r.model.outcome(), r.model.resultsSaved()),
                  app::Runner::kNotSaved);
    }
    {
        testing_support::TempDir dir;
        RunRig r(dir.path(), textMailOnly());
        r.writeNetMac(withFixed({"NEWW :1#" + kNewTitle, "a", "//"}));
        r.start();
        // NET.MAC's place is taken by a folder: no rewrite can replace it.
        for (int i = 0; i < 100000 && r.model.MacroPointer() < 3; ++i)
            r.loop.advance(10);
        std::filesystem::remove(r.netMacPath());
        std::filesystem::create_directory(r.netMacPath());
        ASSERT_TRUE(r.runFor(30 * 60 * 1000));
        EXPECT_EQ(savedPosts(r.sim.record()), 1);
        EXPECT_FALSE(r.model.resultsSaved());
        EXPECT_TRUE(r.statusSeen(sj(u8"NET.MAC を書き込めませんでした．")));
        EXPECT_EQ(app::Runner::exitStatus(r.model.outcome(), r.model.resultsSaved()),
                  app::Runner::kNotSaved);
    }
    using O = engine::RunOutcome;
    EXPECT_EQ(app::Runner::exitStatus(O::Completed, true), app::Runner::kDone);
    EXPECT_EQ(app::Runner::exitStatus(O::LineLost, true), app::Runner::kFailed);
    EXPECT_EQ(app::Runner::exitStatus(O::TimedOut, true), app::Runner::kFailed);
    EXPECT_EQ(app::Runner::exitStatus(O::NotStarted, true), app::Runner::kNotSaved);
}

// A capture that cannot be imported before a run keeps the run from starting: the
// capture stays, nothing is dialled.
TEST(RunSafety, ALeftOverCaptureThatCannotBeImportedStopsTheRun) {
    testing_support::TempDir dir;
    RunRig r(dir.path(), textMailOnly());
    // A capture of a net the list does not have.
    base::replaceLines(dir.file("VESPARI.LOG"),
                       {store::ConvModel::kCaptureMarker, "NET9\\NET92612.LOG", "7", "x"});
    r.writeNetMac(withFixed({"MDOWN :1#1"}));
    r.start();
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.model.outcome(), engine::RunOutcome::NotStarted);
    EXPECT_FALSE(r.port.opened);
    EXPECT_TRUE(r.port.sent.empty());
    EXPECT_EQ(base::readLines(dir.file("VESPARI.LOG")).size(), 4u);
    EXPECT_EQ(r.reservationsLeft(), base::Lines{"MDOWN :1#1"});
}

} // namespace
