// The capture-log import on captures written for the purpose: hand-made files in
// tests/data/store and small tables built here for what a well-behaved host never sends.
#include "tests/store/StoreRig.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace store_test;

TEST(Conv, MessagesGoToTheirBoardsInCaptureOrderAndAreReorganised) {
    ImportRig rig;
    ASSERT_TRUE(rig.importFile("capture_boards.LOG"));

    // Boards 12, 05, 12: board 12 ends with the later copy of 20, then 21.
    EXPECT_EQ(rig.read("MBOARD12.DAT"),
              sjLines({u8"Message  #0020   from: TARNO002 はなこ",
                       u8"Time: 26/12/05 13:00:00  Section 12: 技術", u8"Subj: モデムの話（訂正）",
                       u8"訂正後の本文です。", u8"Message  #0021   from: TARNO003 じろう",
                       u8"Time: 26/12/05 11:00:00  Section 12: 技術", u8"Subj: Re:0020) モデムの話",
                       u8"", u8"二番目の本文（空行のあと）。"}));
    EXPECT_EQ(rig.read("MBOARD05.DAT"), sjLines({u8"Message  #0003   from: TARNO004 さくら",
                                                 u8"Time: 26/12/05 12:00:00  Section 05: 趣味",
                                                 u8"Subj: 温泉", u8"ソフト、ポイント、表示。"}));
    // Table entry 0 of a manual import is never examined; a message without "Section" is
    // neither stored nor counted.
    EXPECT_FALSE(base::fileExists(rig.net("MBOARD07.DAT")));
    EXPECT_EQ(base::joinLines(rig.read("MBOARD12.DAT")).find(sj(u8"取り込まれません")),
              std::string::npos);

    // Both boards reorganised, in ascending order, with removal off; then the net reloads.
    EXPECT_EQ(rig.host.panels, sjLines({u8"0005:- ログ整理中 -", u8"0012:- ログ整理中 -"}));
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"showLogEdit", "go:keep", "go:keep",
                                                        "closeLogEdit", "NetNoChange"}));
    EXPECT_TRUE(rig.logEdit.CheckBox1) << "the removal box is ticked again afterwards";

    // Only the first unread date counts.
    EXPECT_EQ(rig.nets.field(0, shell::kLastRead), "26/12/05 00:00:00");
    shell::NetList saved{rig.dir.path()};
    saved.load();
    EXPECT_EQ(saved.field(0, shell::kLastRead), "26/12/05 00:00:00");

    const int wp = static_cast<int>(
        base::readLines(std::string(TARNO_SOURCE_DIR) + "/tests/data/store/capture_boards.LOG")
            .size());
    EXPECT_EQ(rig.host.maxProgress, wp);
    EXPECT_EQ(rig.host.statuses,
              (std::vector<std::string>{"NET1" + sj(u8" ログの取り込み中 ") + std::to_string(wp),
                                        "NET1" + sj(u8" ログを取り込みました.") +
                                            std::to_string(wp) + sj(u8" (コマンドの記録なし)")}));
    EXPECT_TRUE(rig.host.questions.empty()) << "no mail, no question";
    EXPECT_TRUE(rig.errors.lines().empty());
}

TEST(Conv, ListsMergeMemberListAndRestrictedFileBoardList) {
    ImportRig rig;
    base::replaceLines(rig.net("MBOARD12.LST"),
                       sjLines({u8"0002: 26/11/30 09:00 SYSOP    古い二番目",
                                u8"0003: 26/11/30 09:00 SYSOP    古い三番目", u8"x003: 壊れた行",
                                u8"0010 区切りがない"}));
    base::replaceLines(rig.net("FBOARD.LST"), sjLines({u8"0001: ツール   前からの一覧"}));
    base::replaceLines(rig.net("MBOARD12.DAT"), sjLines({u8"Message  #0001   from: SYSOP"}));
    ASSERT_TRUE(rig.importFile("capture_lists.LOG"));

    // Two downloads in a row: the second command line ends the first list and starts the
    // second; capture lines win over the file's, broken lines are dropped from both.
    EXPECT_EQ(rig.read("MBOARD12.LST"),
              sjLines({u8"0001: 26/12/01 10:00 SYSOP    一番目",
                       u8"0002: 26/11/30 09:00 SYSOP    古い二番目",
                       u8"0003: 26/12/03 10:00 TARNO002 三番目（新しい行）",
                       u8"0005: 26/12/05 10:00 TARNO003 五番目"}));
    // The ruler is not stored; the list ends at the first empty line; a fourth character
    // that is not a blank keeps the line whole; a long line is cut to whole characters.
    EXPECT_EQ(rig.read("MEMBOR.LST"),
              sjLines({u8"SYSOP     しすおぺ", u8"TARNO001  たーの",
                       u8"LONGNAME1234 四桁目が空白でない行",
                       u8"TARNO010 とてもとてもとてもとてもとてもとてもとてもとてもとてもとても長い"
                       u8"ハンド"}));
    // "規制時間中" keeps the file board list as it was.
    EXPECT_EQ(rig.read("FBOARD.LST"), sjLines({u8"0001: ツール   前からの一覧"}));
    // The board list is replaced; a listed board gets an empty message file, an existing
    // one is left alone.
    EXPECT_EQ(rig.read("MBOARD.LST"),
              sjLines({u8"0005: 趣味     趣味の話", u8"0012: 技術     技術の話"}));
    EXPECT_TRUE(base::fileExists(rig.net("MBOARD05.DAT")));
    EXPECT_TRUE(rig.read("MBOARD05.DAT").empty());
    EXPECT_EQ(rig.read("MBOARD12.DAT").size(), 1u);
    EXPECT_FALSE(base::fileExists(rig.net("MBOARD00.LST")));
    EXPECT_EQ(rig.host.panels.size(), 0u) << "no messages, no reorganisation";
}

TEST(Conv, CaptureWithoutAnyPromptEndsAndTheLastLineIsNotImported) {
    ImportRig rig;
    // Every section that runs to the next prompt meets the sentinel instead.
    base::Lines capture =
        sjLines({u8"----", u8"Private Message is from: B", u8"Time: 26/12/05 10:00:00",
                 u8"Subj: mail", u8"このメールを削除しますか (Y/N)>Y", u8"Message  #0001   from: A",
                 u8"Time: 26/12/05 10:00:00  Section 03: 雑談", u8"Subj: one", u8"body",
                 u8"last line, replaced by the sentinel"});
    ASSERT_TRUE(rig.importLines(capture));
    EXPECT_EQ(rig.read("MBOARD03.DAT"),
              sjLines({u8"Message  #0001   from: A", u8"Time: 26/12/05 10:00:00  Section 03: 雑談",
                       u8"Subj: one", u8"body"}));
    EXPECT_EQ(rig.read("MAIL.DAT"), sjLines({u8"Private Message is from: B",
                                             u8"Time: 26/12/05 10:00:00", u8"Subj: mail"}));
    EXPECT_EQ(rig.host.questions, sjLines({u8"メールを取り込みました(^^;メールBOXを開きますか?"}));
    EXPECT_EQ(rig.host.calls.back(), "ask") << "answered No: the mail box is not opened";

    // A list whose end was cut off by the end of the capture leaves the old list.
    ImportRig cut;
    base::replaceLines(cut.net("MBOARD.LST"), {"0001: old"});
    ASSERT_TRUE(cut.importLines(
        sjLines({u8"", u8"MAIN (残り1分)>r;?;0", u8"一覧", u8"0002: new", u8"cut here"})));
    EXPECT_EQ(cut.read("MBOARD.LST"), base::Lines{"0001: old"});
    EXPECT_TRUE(base::fileExists(cut.net("MBOARD02.DAT")));
    ImportRig cutMembers;
    base::replaceLines(cutMembers.net("MEMBOR.LST"), {"OLDMEMBER"});
    ASSERT_TRUE(cutMembers.importLines(
        sjLines({u8"", u8"MAIN (残り1分)>U", u8"----------", u8"  1 NEW", u8"cut here"})));
    EXPECT_EQ(cutMembers.read("MEMBOR.LST"), base::Lines{"OLDMEMBER"});
}

TEST(Conv, MailsInARowAndAfterALoginPromptAreAllKept) {
    ImportRig rig;
    rig.host.answers = {true};
    ASSERT_TRUE(rig.importLines(
        sjLines({u8"", u8"未読のメールが 2 通あります [RET]:読む>", u8"Private Message is from: A",
                 u8"Subj: first", u8"Private Message is from: B", u8"Subj: second",
                 u8"このメールを削除しますか (Y/N)>Y", u8"Private Message is from: C",
                 u8"Subj: third", u8"MAIN (残り60分)>Q", u8"bye"})));
    EXPECT_EQ(rig.read("MAIL.DAT"), sjLines({u8"Private Message is from: A", u8"Subj: first",
                                             u8"Private Message is from: B", u8"Subj: second",
                                             u8"Private Message is from: C", u8"Subj: third"}));
    EXPECT_EQ(rig.host.calls.back(), "openMailBox");
}

TEST(Conv, NewFilesListMergesPerBoardAndSkipsBoardZero) {
    ImportRig rig;
    base::replaceLines(rig.net("FBOARD01.LST"), {"001: OLD.TXT", "005: KEEP.TXT"});
    ASSERT_TRUE(rig.importLines(sjLines(
        {u8"", u8"MAIN (残り60分)>FN", u8"前回ログイン(26/12/04 21:00:00)以降の新着ファイル",
         u8"0001: ツール を検索中...", u8"001: NEW.TXT", u8"1000: TOO.BIG",
         u8"0000: ゼロ を検索中...", u8"002: ZERO.TXT", u8"0002: 空 を検索中...",
         u8"0003: データ を検索中...", u8"009: DATA.LZH", u8"MAIN (残り60分)>",
         u8"MAIN (残り60分)>Q", u8"bye"})));
    EXPECT_EQ(rig.read("FBOARD01.LST"), (base::Lines{"001: NEW.TXT", "005: KEEP.TXT"}));
    EXPECT_FALSE(base::fileExists(rig.net("FBOARD00.LST")));
    // A heading straight after another still gets its (empty) list.
    EXPECT_TRUE(base::fileExists(rig.net("FBOARD02.LST")));
    EXPECT_EQ(rig.read("FBOARD03.LST"), base::Lines{"009: DATA.LZH"});
}

TEST(Conv, NumbersOutOfRangeAreSkippedWithAnErrorLineAndTheImportGoesOn) {
    ImportRig rig;
    ASSERT_TRUE(rig.importLines(sjLines({u8"",
                                         u8"Message  #0001   from: A",
                                         u8"Time: 26/12/05 10:00:00  Section 100: big",
                                         u8"Subj: board 100",
                                         u8"Message  #12345   from: B",
                                         u8"Time: 26/12/05 10:00:00  Section 02: ok",
                                         u8"Subj: article 12345",
                                         u8"Message  #0a01   from: C",
                                         u8"Time: 26/12/05 10:00:00  Section 02: ok",
                                         u8"Message  #0002   from: D",
                                         u8"Time: 26/12/05 10:00:00  Section 二: bad",
                                         u8"Message  #0003   from: E",
                                         u8"Time: 26/12/05 10:00:00  Section 02: ok",
                                         u8"Subj: kept",
                                         u8"MAIN (残り60分)>R;123;L;1;0;0",
                                         u8"heading",
                                         u8"0001: x",
                                         u8"MAIN (残り60分)>F;abc;L;1;0;0",
                                         u8"heading",
                                         u8"001: y",
                                         u8"MAIN (残り60分)>Q",
                                         u8"bye"})));
    EXPECT_EQ(rig.read("MBOARD02.DAT"),
              sjLines({u8"Message  #0003   from: E", u8"Time: 26/12/05 10:00:00  Section 02: ok",
                       u8"Subj: kept"}));
    EXPECT_EQ(rig.errors.lines().size(), 5u);
    for (const std::string& line : rig.errors.lines())
        EXPECT_TRUE(base::startsWith(line, "26/12/08 09:00:00")) << base::toUtf8(line);
    EXPECT_EQ(rig.host.panels, sjLines({u8"0002:- ログ整理中 -"}));
    for (const auto& entry : std::filesystem::directory_iterator(rig.dir.file("NET1"))) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "MBOARD02.DAT") << name;
    }
}

TEST(Conv, AFailedWriteStopsTheImportAndKeepsTheCaptureLog) {
    ImportRig rig;
    // A folder where the message file should be: it cannot be opened for appending.
    base::makeDirs(rig.net("MBOARD01.DAT"));
    base::replaceLines(rig.dir.file("VESPARI.LOG"), {store::ConvModel::kCaptureMarker});
    std::vector<std::string> table = sjLines(
        {u8"", u8"Message  #0001   from: A", u8"Time: 26/12/05 10:00:00  Section 01: x",
         u8"Private Message is from: B", u8"Subj: never reached", u8"MAIN (残り60分)>Q", u8"END."});
    EXPECT_FALSE(rig.conv.LogConv(table, 6, 0));
    EXPECT_TRUE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    EXPECT_FALSE(base::fileExists(rig.net("MAIL.DAT"))) << "lines after the failure stay";
    EXPECT_TRUE(rig.host.questions.empty());
    EXPECT_EQ(rig.host.warnings.size(), 1u);
    EXPECT_EQ(rig.errors.lines().size(), 1u);
    // The archive got the run all the same: entries 1..WP.
    base::Lines archive = base::readLines(rig.net("NET12612.LOG"));
    EXPECT_EQ(archive, base::Lines(table.begin() + 1, table.end()));
}

TEST(Conv, LogConvArchivesImportsAndDeletesTheCaptureLog) {
    ImportRig rig;
    base::replaceLines(rig.dir.file("VESPARI.LOG"), {store::ConvModel::kCaptureMarker});
    base::replaceLines(rig.net("NET12612.LOG"), {"earlier run"});
    std::vector<std::string> table(20);
    table[1] = "Message  #0009   from: A";
    table[2] = sj(u8"Time: 26/12/05 10:00:00  Section 04: x");
    table[3] = "Subj: s";
    table[4] = sj(u8"MAIN (残り60分)>Q");
    table[5] = "last whole line";
    table[6] = "END.";
    ASSERT_TRUE(rig.conv.LogConv(table, 6, 0));
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    base::Lines archive = base::readLines(rig.net("NET12612.LOG"));
    ASSERT_EQ(archive.size(), 7u);
    EXPECT_EQ(archive.front(), "earlier run");
    EXPECT_EQ(archive.back(), "END.");
    EXPECT_EQ(rig.read("MBOARD04.DAT").size(), 3u);
}

TEST(Conv, RecoveryOffersALeftOverCaptureAndImportsItIntoItsNet) {
    ImportRig rig;
    rig.nets.addNew();
    rig.nets.setField(1, shell::kShortName, "NET2");
    base::makeDirs(rig.dir.file("NET2"));
    base::Lines log = {store::ConvModel::kCaptureMarker, "NET2\\NET22612.LOG", "1",
                       "----------------------------"};
    for (const std::string& l :
         sjLines({u8"Message  #0001   from: A", u8"Time: 26/12/05 10:00:00  Section 06: x",
                  u8"Subj: recovered", u8"MAIN (残り60分)>Q", u8"bye"}))
        log.push_back(l);
    base::replaceLines(rig.dir.file("VESPARI.LOG"), log);

    rig.host.answers = {true};
    EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
    EXPECT_EQ(rig.host.questions,
              sjLines({u8"何らかの原因で取りこまれていないログがあります．取り込みますか．"}));
    EXPECT_EQ(rig.host.calls[1], "selectNet:1");
    EXPECT_EQ(base::readLines(rig.dir.file("NET2/MBOARD06.DAT")).size(), 3u);
    EXPECT_EQ(base::readLines(rig.dir.file("NET2/NET22612.LOG")),
              base::Lines(log.begin() + 3, log.end()));
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));

    // No keeps it aside under a dated name, where the next run cannot empty it; a second
    // one declined in the same second gets a name of its own.
    for (int i = 0; i < 2; ++i) {
        base::replaceLines(rig.dir.file("VESPARI.LOG"), log);
        EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Declined);
        EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    }
    std::vector<std::string> kept;
    for (const auto& e : std::filesystem::directory_iterator(rig.dir.path()))
        if (e.path().filename().string().rfind("VESPARI-", 0) == 0)
            kept.push_back(e.path().filename().string());
    ASSERT_EQ(kept.size(), 2u);
    for (const std::string& k : kept)
        EXPECT_EQ(base::readLines(rig.dir.file(k)), log) << k;
    // Before a run nothing is asked: the capture is imported.
    base::replaceLines(rig.dir.file("VESPARI.LOG"), log);
    const size_t questions = rig.host.questions.size();
    EXPECT_EQ(rig.conv.recoverCaptureLog(false), store::ConvModel::Recovery::Imported);
    EXPECT_EQ(rig.host.questions.size(), questions);
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    base::replaceLines(rig.dir.file("VESPARI.LOG"), {"something else", "x", "0"});
    const size_t asked = rig.host.questions.size();
    EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::NotMarked);
    EXPECT_EQ(rig.host.questions.size(), asked);
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::NoLog);
}

TEST(Conv, RecoveryRefusesAPathOutsideTheDataFolderAndAnUnknownNet) {
    // Deep enough that an archive which did escape lands inside the test's own tree.
    ImportRig rig(4);
    base::Lines log = {store::ConvModel::kCaptureMarker, "..\\..\\escaped.LOG", "0", "x", "y"};
    base::replaceLines(rig.dir.file("VESPARI.LOG"), log);
    rig.host.answers = {true, true};
    EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
    EXPECT_FALSE(std::filesystem::exists(rig.dir.path() + "/../../escaped.LOG"));
    for (const auto& e : std::filesystem::recursive_directory_iterator(rig.dir.root()))
        EXPECT_EQ(e.path().filename().string().find("escaped"), std::string::npos) << e.path();
    EXPECT_EQ(rig.errors.lines().size(), 1u);

    log[2] = "7";
    base::replaceLines(rig.dir.file("VESPARI.LOG"), log);
    EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Failed);
    EXPECT_TRUE(base::fileExists(rig.dir.file("VESPARI.LOG"))) << "kept for the next start";
}

TEST(Conv, AMailEndsAtAPostingsConfirmation) {
    ImportRig rig;
    ASSERT_TRUE(
        rig.importLines(sjLines({u8"", u8"Private Message is from: A", u8"Subj: hello", u8"body",
                                 u8"書き込み中　...終了しました。", u8"after the confirmation",
                                 u8"MAIN (残り60分)>Q", u8"bye"})));
    EXPECT_EQ(rig.read("MAIL.DAT"),
              sjLines({u8"Private Message is from: A", u8"Subj: hello", u8"body"}));
}

TEST(Conv, Board99IsTheLastOrdinaryBoard) {
    ImportRig rig;
    ASSERT_TRUE(rig.importLines(
        sjLines({u8"", u8"MAIN (残り60分)>N@", u8"Message  #0002   from: A",
                 u8"Time: 26/12/05 10:00:00  Section 99: last", u8"Subj: two",
                 u8"Message  #0001   from: B", u8"Time: 26/12/05 09:00:00  Section 99: last",
                 u8"Subj: one", u8"MAIN (残り60分)>R;99;L;1;0;0", u8"heading",
                 u8"0001: 26/12/05 09:00 B        one", u8"MAIN (残り60分)>F;99;L;1;0;0",
                 u8"heading", u8"001: A.TXT", u8"MAIN (残り60分)>Q", u8"bye"})));
    EXPECT_EQ(rig.read("MBOARD99.LST"), sjLines({u8"0001: 26/12/05 09:00 B        one"}));
    EXPECT_EQ(rig.read("FBOARD99.LST"), sjLines({u8"001: A.TXT"}));
    // Its messages are put in order like any board's.
    EXPECT_EQ(rig.host.panels, sjLines({u8"0099:- ログ整理中 -"}));
    EXPECT_EQ(rig.read("MBOARD99.DAT"),
              sjLines({u8"Message  #0001   from: B", u8"Time: 26/12/05 09:00:00  Section 99: last",
                       u8"Subj: one", u8"Message  #0002   from: A",
                       u8"Time: 26/12/05 10:00:00  Section 99: last", u8"Subj: two"}));
    EXPECT_TRUE(rig.errors.lines().empty());
}

} // namespace
