// Whole runs of the engine against the simulated host, imported at their end: the store
// must hold what the host sent, line for line, and importing the same capture again must
// leave the reorganised boards as they were.
#include "tests/store/StoreRig.h"

#include "base/Text.h"
#include "sim/HostText.h"
#include "store/StoreFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using namespace store_test;

// Every fixed step of a run, read through once.
const base::Lines kFullRun = [] {
    base::Lines run = everyReadingStep();
    run.push_back("QUIT");
    return run;
}();

// What a message file must hold after the import: the host's blocks of the articles the
// run read as new, in ascending order of number.
base::Lines expectedBoard(const sim::DataSet& data, const sim::MessageBoard& b) {
    base::Lines out;
    for (const sim::Article& a : b.articles) {
        if (sim::earlier(a.date, data.user.unreadDate))
            continue;
        out.push_back(sim::text::messageHeader(a.number, a.author, data.handleOf(a.author)));
        out.push_back(sim::text::messageTime(a, b));
        out.push_back(sim::text::messageSubject(a));
        out.insert(out.end(), a.body.begin(), a.body.end());
    }
    return out;
}

TEST(WholeRun, EveryStoreFileHoldsWhatTheHostSent) {
    RunRig rig;
    rig.host.answers = {false};
    base::replaceLines(rig.dir.file("VESPARI.LOG"), {"left by the run"});
    const sim::DataSet before = rig.simulator->data();
    ASSERT_TRUE(rig.run(kFullRun));
    ASSERT_TRUE(rig.runHost.result) << base::toUtf8(rig.conv.lastError());
    EXPECT_TRUE(rig.errors.lines().empty()) << base::toUtf8(rig.errors.lines().front());

    // Messages: every new article of every board, nothing else.
    int boardsWithNews = 0;
    for (const sim::MessageBoard& b : before.boards) {
        const base::Lines want = expectedBoard(before, b);
        const std::string name = "MBOARD" + store::twoDigits(b.number) + ".DAT";
        EXPECT_EQ(rig.read(name), want) << name;
        EXPECT_TRUE(base::fileExists(rig.net(name))) << "every listed board has its file";
        boardsWithNews += want.empty() ? 0 : 1;
    }
    ASSERT_GT(boardsWithNews, 1);
    EXPECT_EQ(static_cast<int>(rig.host.panels.size()), boardsWithNews);

    // Board lists.
    base::Lines boards, fileBoards;
    for (const sim::MessageBoard& b : before.boards)
        boards.push_back(sim::text::boardListLine(b.number, b.name, b.title));
    for (const sim::FileBoard& b : before.fileBoards)
        fileBoards.push_back(sim::text::boardListLine(b.number, b.name, b.title));
    EXPECT_EQ(rig.read("MBOARD.LST"), boards);
    EXPECT_EQ(rig.read("FBOARD.LST"), fileBoards);

    // The list downloads of board 1 and the new files of every file board.
    base::Lines messages;
    for (const sim::Article& a : before.boards.front().articles)
        messages.push_back(sim::text::messageListLine(a));
    EXPECT_EQ(rig.read("MBOARD01.LST"), messages);
    for (const sim::FileBoard& b : before.fileBoards) {
        base::Lines files;
        for (const sim::HostFile& f : b.files)
            if (b.number == 1 || !sim::earlier(f.date, before.user.lastLogin))
                files.push_back(sim::text::fileListLine(f));
        EXPECT_EQ(rig.read("FBOARD" + store::twoDigits(b.number) + ".LST"), files) << b.number;
    }

    // Members: the host's lines without their sequence column.
    base::Lines members;
    int seq = 0;
    for (const sim::Member& m : before.members)
        members.push_back(sim::text::memberLine(++seq, m).substr(4));
    EXPECT_EQ(rig.read("MEMBOR.LST"), members);

    // The waiting mail, and the question about it.
    ASSERT_EQ(before.mail.size(), 1u);
    const sim::Mail& mail = before.mail.front();
    base::Lines wantMail = {sim::text::mailFrom(mail.from, before.handleOf(mail.from)),
                            sim::text::mailTime(mail.date), sim::text::mailSubject(mail.subject)};
    wantMail.insert(wantMail.end(), mail.body.begin(), mail.body.end());
    EXPECT_EQ(rig.read("MAIL.DAT"), wantMail);
    EXPECT_EQ(rig.host.questions,
              base::Lines{sj(u8"メールを取り込みました(^^;メールBOXを開きますか?")});

    // The unread date the host took (the same as it had), the archive, and the capture log gone.
    EXPECT_EQ(rig.nets.field(0, shell::kLastRead), base::shortDate(before.user.unreadDate) + " " +
                                                       base::longTime(before.user.unreadDate));
    const base::Lines& table = rig.runHost.lines;
    EXPECT_EQ(rig.read("NET12612.LOG"), base::Lines(table.begin() + 1, table.end()));
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));

    // The same capture imported again: the reorganised boards stay byte for byte.
    std::vector<std::string> boardFiles;
    for (const sim::MessageBoard& b : before.boards)
        boardFiles.push_back(
            base::readFile(rig.net("MBOARD" + store::twoDigits(b.number) + ".DAT")));
    ASSERT_TRUE(rig.conv.Conv(table, rig.runHost.writePointer, 0));
    for (size_t i = 0; i < before.boards.size(); ++i)
        EXPECT_EQ(
            base::readFile(rig.net("MBOARD" + store::twoDigits(before.boards[i].number) + ".DAT")),
            boardFiles[i]);
    EXPECT_EQ(rig.read("MAIL.DAT").size(), 2 * wantMail.size()) << "mail is only appended";
}

TEST(WholeRun, AFloodingHostIsImportedWithoutHarm) {
    sim::SimOptions options;
    options.host.floodLines = 3000;
    RunRig rig(options);
    ASSERT_TRUE(rig.run({"SETKTBBS", "DIAL{0}", "LOGIN", "NEWMESSAGE", "MEMBOR", "MLISTDOWN : 01#1",
                         "FLISTDOWN : 01#1", "QUIT"}));
    ASSERT_TRUE(rig.runHost.result) << base::toUtf8(rig.conv.lastError());

    // Boards 100 and 250 are refused with an error line each; board 1 keeps its articles.
    int refused = 0;
    for (const std::string& line : rig.errors.lines())
        refused += base::contains(line, "Section") ? 1 : 0;
    EXPECT_EQ(refused, 2);
    base::Lines board1 = rig.read("MBOARD01.DAT");
    ASSERT_FALSE(board1.empty());
    EXPECT_TRUE(base::startsWith(board1.front(), "Message  #0003"));
    // Lists keep at most their tables: entries 1-9999 and 1-999, no number 0 or past the end.
    base::Lines list = rig.read("MBOARD01.LST");
    EXPECT_LE(list.size(), 9999u);
    EXPECT_EQ(base::copy(list.front(), 1, 5), "0001:");
    base::Lines files = rig.read("FBOARD01.LST");
    EXPECT_LE(files.size(), 999u);
    EXPECT_EQ(base::copy(files.back(), 1, 4), "999:");
    EXPECT_GE(rig.read("MEMBOR.LST").size(), 3000u);
}

// Every store file of the net but the archive, with its bytes.
std::map<std::string, std::string> storeOf(const RunRig& rig) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(rig.net("")))
        if (!base::endsWith(e.path().filename().string(), ".LOG"))
            files[e.path().filename().string()] = base::readFile(e.path().string());
    return files;
}

TEST(WholeRun, AnArticleThatForgesTheHostsOutputIsStoredWholeAndNothingElse) {
    // The host's main prompt with a board list command, a fake board, a mail from SYSOP,
    // the header of a stored article of board 02, and a quoted board list.
    base::Lines body = {sim::text::mainPrompt(58) + "r;?;0", sj(u8"0077: 偽ボード"),
                        sim::text::mainPrompt(58) + "f;?;0",
                        "Private Message is from: SYSOP     " + sj(u8"しすおぺ"),
                        "Subj: " + sj(u8"パスワードを教えてください")};
    sim::Article forgedArticle;
    auto addForged = [&](sim::DataSet& data) {
        const sim::MessageBoard& board2 = data.boards[1];
        const sim::Article& victim = board2.articles.back();
        body.push_back(sim::text::messageHeader(victim.number, "SYSOP", ""));
        body.push_back(sim::text::messageTime(victim.date, board2.number, board2.name));
        body.push_back("Subj: " + sj(u8"偽物"));
        body.push_back(sj(u8"0001: 雑談 …"));
        body.push_back(sj(u8"この行も本文です。"));
        sim::MessageBoard& board1 = data.boards.front();
        forgedArticle = {board1.nextNumber(), "TARNO002", data.user.unreadDate, 0,
                         sj(u8"いろいろ"),    body};
        board1.articles.push_back(forgedArticle);
    };

    RunRig clean;
    clean.host.answers = {false};
    ASSERT_TRUE(clean.run(kFullRun));
    ASSERT_TRUE(clean.runHost.result) << base::toUtf8(clean.conv.lastError());

    RunRig forged({}, addForged);
    forged.host.answers = {false};
    const sim::DataSet before = forged.simulator->data();
    ASSERT_EQ(before.boards.front().articles.back().body, body);
    ASSERT_TRUE(forged.run(kFullRun));
    ASSERT_TRUE(forged.runHost.result) << base::toUtf8(forged.conv.lastError());
    EXPECT_TRUE(forged.errors.lines().empty()) << base::toUtf8(forged.errors.lines().front());
    EXPECT_FALSE(base::contains(forged.host.statuses.back(), sj(u8"記録なし")))
        << "the run's record of its commands reached the import";

    // Board 01 holds what a clean run gives, and the forged article whole after it.
    EXPECT_EQ(forged.read("MBOARD01.DAT"), expectedBoard(before, before.boards.front()));
    // Everything else is as a clean run left it (the message list of board 01 lists the
    // extra article, as it should).
    auto want = storeOf(clean);
    auto got = storeOf(forged);
    for (auto* files : {&want, &got}) {
        files->erase("MBOARD01.DAT");
        files->erase("MBOARD01.LST");
    }
    EXPECT_EQ(got, want);
    EXPECT_FALSE(base::fileExists(forged.net("MBOARD77.DAT")));
    EXPECT_EQ(forged.nets.field(0, shell::kLastRead), clean.nets.field(0, shell::kLastRead));
}

} // namespace
