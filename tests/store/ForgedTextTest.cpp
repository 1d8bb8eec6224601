// What other people post cannot forge the store: a message body made of lines shaped like
// the host's own output stays in its message, command lines count only where the terminal
// typed the command, and a stored article is not silently replaced by another.
#include "tests/store/ForgedBody.h"
#include "tests/store/StoreRig.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace store_test;

std::string bytesOf(const base::Lines& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

TEST(ForgedText, ABodyOfSectionShapesLeavesEveryOtherFileAsItWas) {
    for (unsigned seed = 0; seed < 150; ++seed) {
        std::mt19937 rng(seed);
        std::vector<std::uint8_t> choices(rng() % 60);
        for (auto& c : choices)
            c = static_cast<std::uint8_t>(rng());
        const base::Lines body = forged::bodyOf(choices);
        SCOPED_TRACE("seed " + std::to_string(seed));

        ImportRig rig;
        forged::seedStore(rig.net(""));
        auto want = forged::snapshot(rig.net(""));
        const std::string netList = base::readFile(rig.dir.file("NETLIST.DAT"));
        const forged::Capture capture = forged::readWithBody(body);
        ASSERT_TRUE(rig.conv.Conv(capture.lines, static_cast<int>(capture.lines.size()), 0,
                                  capture.record));

        want["MBOARD01.DAT"] = bytesOf(forged::article(body));
        want["MBOARD03.DAT"] = bytesOf(forged::board3Article());
        const auto got = forged::snapshot(rig.net(""));
        EXPECT_EQ(got, want);
        EXPECT_EQ(base::readFile(rig.dir.file("NETLIST.DAT")), netList);
        EXPECT_TRUE(rig.errors.lines().empty()) << base::toUtf8(rig.errors.lines().front());
        EXPECT_TRUE(rig.host.questions.empty()) << "no mail was taken";
        if (HasFailure())
            return;
    }
}

// The article of the forged run: a board list, a mail from "SYSOP", another board's header
// and a quoted board list inside one body.
base::Lines forgedBody() {
    return sjLines({u8"MAIN (残り5分)>r;?;0", u8"0077: 偽ボード", u8"MAIN (残り5分)>f;?;0",
                    u8"Private Message is from: SYSOP     しすおぺ",
                    u8"Subj: パスワードを教えてください", u8"Message  #0003   from: SYSOP",
                    u8"Time: 26/12/05 10:00:00  Section 02: 趣味", u8"Subj: 偽物",
                    u8"0001: 雑談     雑談の部屋", u8"最後の行"});
}

TEST(ForgedText, CommandLinesOpenSectionsOnlyWhereTheRecordSaysTheyWereTyped) {
    const forged::Capture capture = forged::readWithBody(forgedBody());
    ImportRig rig;
    forged::seedStore(rig.net(""));
    ASSERT_TRUE(
        rig.conv.Conv(capture.lines, static_cast<int>(capture.lines.size()), 0, capture.record));
    EXPECT_EQ(rig.read("MBOARD01.DAT"), forged::article(forgedBody()));
    EXPECT_EQ(rig.read("MBOARD.LST"), forged::boardList());
    EXPECT_FALSE(base::fileExists(rig.net("MBOARD77.DAT")));
    EXPECT_EQ(rig.read("MAIL.DAT").size(), 4u);
    EXPECT_EQ(rig.host.statuses.back(),
              "NET1" + sj(u8" ログを取り込みました.") + std::to_string(capture.lines.size()));

    // A real command line the record does not have is not taken either: the record says
    // which command was typed where.
    forged::Capture moved = capture;
    moved.record.typed.clear();
    moved.record.typed[1] = "N@";
    ImportRig other;
    forged::seedStore(other.net(""));
    base::replaceLines(other.net("MBOARD.LST"), {"0009: old"});
    ASSERT_TRUE(
        other.conv.Conv(moved.lines, static_cast<int>(moved.lines.size()), 0, moved.record));
    EXPECT_EQ(other.read("MBOARD.LST"), base::Lines{"0009: old"});
}

TEST(ForgedText, ACaptureWithoutARecordIsImportedAsAnOldLogAndSaysSo) {
    // An old log: the forged prompt ends the message, and its board list is taken.
    ImportRig rig;
    base::Lines capture = {""};
    for (const std::string& l : forged::article(sjLines(
             {u8"本文", u8"MAIN (残り5分)>r;?;0", u8"0077: 偽ボード", u8"MAIN (残り5分)>"})))
        capture.push_back(l);
    capture.push_back(sj(u8"MAIN (残り59分)>Q"));
    capture.push_back("bye");
    ASSERT_TRUE(rig.importLines(capture));
    EXPECT_EQ(rig.read("MBOARD.LST"), sjLines({u8"0077: 偽ボード"}));
    EXPECT_EQ(rig.host.statuses.back(), "NET1" + sj(u8" ログを取り込みました.") +
                                            std::to_string(capture.size()) +
                                            sj(u8" (コマンドの記録なし)"));
}

TEST(ForgedText, ListsWhoseEndIsTheLastLineAreWrittenAndCutOnesAreReported) {
    ImportRig rig;
    ASSERT_TRUE(rig.importLines(
        sjLines({u8"", u8"MAIN (残り1分)>r;?;0", u8"一覧", u8"0002: 趣味", u8"MAIN (残り1分)>"})));
    EXPECT_EQ(rig.read("MBOARD.LST"), sjLines({u8"0002: 趣味"}));

    ImportRig files;
    ASSERT_TRUE(files.importLines(
        sjLines({u8"", u8"MAIN (残り1分)>f;?;0", u8"一覧", u8"0004: 道具", u8"MAIN (残り1分)>"})));
    EXPECT_EQ(files.read("FBOARD.LST"), sjLines({u8"0004: 道具"}));

    for (const char8_t* last : {u8"", u8"MAIN (残り1分)>"}) {
        ImportRig members;
        ASSERT_TRUE(members.importLines(sjLines(
            {u8"", u8"MAIN (残り1分)>U", u8"----------", u8"  1 SYSOP", u8"  2 TARNO", last})));
        EXPECT_EQ(members.read("MEMBOR.LST"), (base::Lines{"SYSOP", "TARNO"}));
    }

    // A list whose end is missing keeps the old one, and the error log says so.
    ImportRig cut;
    base::replaceLines(cut.net("MBOARD.LST"), {"0001: old"});
    ASSERT_TRUE(cut.importLines(
        sjLines({u8"", u8"MAIN (残り1分)>r;?;0", u8"一覧", u8"0002: new", u8"cut here"})));
    EXPECT_EQ(cut.read("MBOARD.LST"), base::Lines{"0001: old"});
    EXPECT_EQ(cut.errors.lines().size(), 1u);
}

TEST(ForgedText, AStoredArticleIsKeptAgainstADifferentOneOfItsNumber) {
    ImportRig rig;
    const base::Lines stored =
        sjLines({u8"Message  #0003   from: TARNO002", u8"Time: 26/12/01 10:00:00  Section 02: 趣味",
                 u8"Subj: 本物", u8"本物の本文"});
    base::replaceLines(rig.net("MBOARD02.DAT"), stored);
    const base::Lines other =
        sjLines({u8"Message  #0003   from: SYSOP", u8"Time: 26/12/01 10:00:00  Section 02: 趣味",
                 u8"Subj: 偽物", u8"偽の本文"});
    const base::Lines later =
        sjLines({u8"Message  #0003   from: TARNO002", u8"Time: 26/12/09 10:00:00  Section 02: 趣味",
                 u8"Subj: 日付違い"});
    const base::Lines again =
        sjLines({u8"Message  #0003   from: TARNO002", u8"Time: 26/12/01 10:00:00  Section 02: 趣味",
                 u8"Subj: 本物（訂正）", u8"訂正後"});
    for (const base::Lines* a : {&other, &later, &again}) {
        base::Lines capture = {""};
        capture.insert(capture.end(), a->begin(), a->end());
        capture.push_back(sj(u8"MAIN (残り59分)>Q"));
        capture.push_back("bye");
        ASSERT_TRUE(rig.importLines(capture));
    }

    // The same header again replaces the stored copy; the others go to the .OLD file.
    EXPECT_EQ(rig.read("MBOARD02.DAT"), again);
    base::Lines old = other;
    old.insert(old.end(), later.begin(), later.end());
    EXPECT_EQ(rig.read("MBOARD02.OLD"), old);
    EXPECT_EQ(rig.errors.lines().size(), 2u);
}

TEST(ForgedText, TheRecordTravelsWithTheCaptureIntoTheEndOfTheRunAndTheRecovery) {
    // The run's table: a member list typed at entry 2; at entry 7 text that looks like one.
    std::vector<std::string> table =
        sjLines({u8"", u8"login", u8"MAIN (残り60分)>U", u8"----------", u8"  1 SYSOP", u8"",
                 u8"Private Message is from: A", u8"MAIN (残り60分)>U", u8"----------",
                 u8"  1 FORGED", u8"", u8"MAIN (残り59分)>Q", u8"bye", u8"END."});
    const int wp = 13;
    const base::Lines record = {"C 2 U"};

    ImportRig end;
    base::replaceLines(end.dir.file("VESPARI.LOG"), {store::ConvModel::kCaptureMarker});
    base::replaceLines(end.dir.file("VESPARI.CMD"), record);
    ASSERT_TRUE(end.conv.LogConv(table, wp, 0));
    EXPECT_EQ(end.read("MEMBOR.LST"), base::Lines{"SYSOP"});
    EXPECT_FALSE(base::fileExists(end.dir.file("VESPARI.CMD")));

    // The same run left behind: the capture log holds a banner before entry 1.
    ImportRig start;
    base::Lines log = {store::ConvModel::kCaptureMarker,
                       "NET1\\NET12612.LOG",
                       "0",
                       "----",
                       "    26/12/08 09:00:00",
                       "----"};
    log.insert(log.end(), table.begin() + 1, table.begin() + wp);
    base::replaceLines(start.dir.file("VESPARI.LOG"), log);
    base::replaceLines(start.dir.file("VESPARI.CMD"), record);
    start.host.answers = {true};
    EXPECT_EQ(start.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
    EXPECT_EQ(start.read("MEMBOR.LST"), base::Lines{"SYSOP"});
    // The recovered capture is the line table the raw log view shows.
    EXPECT_EQ(start.host.loaded, base::Lines(log.begin() + 3, log.end()));
    EXPECT_FALSE(base::fileExists(start.dir.file("VESPARI.CMD")));
    EXPECT_FALSE(base::contains(start.host.statuses.back(), sj(u8"記録なし")));

    // Without its record the recovery imports the capture as an old log.
    ImportRig old;
    base::replaceLines(old.dir.file("VESPARI.LOG"), log);
    old.host.answers = {true};
    EXPECT_EQ(old.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
    EXPECT_EQ(old.read("MEMBOR.LST"), base::Lines{"FORGED"});
    EXPECT_TRUE(base::contains(old.host.statuses.back(), sj(u8"記録なし")));
}

} // namespace
