#include "macro/TimerModel.h"

#include "tests/macro/TimerHarness.h"

#include <gtest/gtest.h>

#include <filesystem>

using base::sj;
using timer_test::entry;
using timer_test::TimerHarness;

namespace {

std::string clock(const base::LocalDateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", t.hour, t.minute, t.second);
    return buf;
}

std::vector<std::string> runTimes(const TimerHarness& h) {
    std::vector<std::string> out;
    for (const auto& r : h.macroHost.runs)
        out.push_back(std::to_string(r.net) + "@" + clock(r.at));
    return out;
}

const std::string kMinute30 = entry("o00", "ALPHA", "01 00:30", u8"日曜日", "1001000");

} // namespace

TEST(TimerModel, MinuteEntryFiresOnceInEveryHoursMinuteAndItsDoneFlagClearsAfterwards) {
    TimerHarness h;
    h.writeSchedule({kMinute30});
    EXPECT_TRUE(h.timer.clockEnabled());

    // Ticks at 09:29:54.999, 09:29:59.998, 09:30:04.997: the first tick in minute 30 fires.
    h.until(9, 30, 6);
    ASSERT_EQ(runTimes(h), (std::vector<std::string>{"0@09:30:04"}));
    EXPECT_EQ(h.macroHost.runs[0].dialLine, "DIAL{0}");
    EXPECT_TRUE(h.engine.running());
    EXPECT_FALSE(h.timer.clockEnabled()); // off while the run is on
    // The done flag is on disk at once.
    EXPECT_EQ(h.schedule(), base::Lines{entry("o00", "ALPHA", "01 00:30", u8"日曜日", "1001001")});

    // The run ends 15 s later; its import finishes; the clock runs again but the entry
    // stays done for the rest of the minute.
    h.until(9, 30, 59);
    EXPECT_FALSE(h.engine.running());
    EXPECT_TRUE(h.timer.clockEnabled());
    EXPECT_EQ(h.runHost.calls.back(), "runFinished");
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    EXPECT_EQ(h.schedule()[0].back(), '1');

    // The first tick of minute 31 clears it.
    h.until(9, 31, 5);
    EXPECT_EQ(h.schedule(), base::Lines{kMinute30});

    // Once in the next hour's minute 30, by the same entry.
    h.until(11, 0, 0);
    ASSERT_EQ(h.macroHost.runs.size(), 2u);
    EXPECT_EQ(h.macroHost.runs[1].at.hour, 10);
    EXPECT_EQ(h.macroHost.runs[1].at.minute, 30);
    EXPECT_LT(h.macroHost.runs[1].at.second, 5);
    EXPECT_EQ(h.macroHost.runs[1].net, 0);
    // Each start went the way of "ログイン": clock off, terminal, Convert, auto-login.
    const std::vector<std::string> start = {"selectMain:0", "stopTimer", "hideErrorLog",
                                            "showTerminal", "hideMacro", "autoLogin"};
    std::vector<std::string> expected = {"selector:3:-1"}; // the start-up's net list
    expected.insert(expected.end(), start.begin(), start.end());
    expected.insert(expected.end(), start.begin(), start.end());
    EXPECT_EQ(h.macroHost.calls, expected);
}

TEST(TimerModel, EntryWithoutConditionsFiresAtTheFirstTickAndThenStaysDone) {
    TimerHarness h;
    h.writeSchedule({entry("o01", sj(u8"ベータ"), "01 00:00", u8"日曜日", "1000000")});
    h.tick();
    ASSERT_EQ(runTimes(h), (std::vector<std::string>{"1@09:29:54"}));
    EXPECT_EQ(h.macroHost.runs[0].dialLine, "DIAL{1}");
    h.endRun();
    for (int i = 0; i < 20; ++i)
        h.tick();
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    EXPECT_EQ(h.schedule()[0].back(), '1');
}

TEST(TimerModel, OnceOnlyEntryIsStoredDisabledAndDoneAndNeverFiresAgain) {
    TimerHarness h;
    h.writeSchedule({entry("o00", "ALPHA", "08 09:30", u8"火曜日", "0111111")});
    h.until(9, 30, 6);
    ASSERT_EQ(h.macroHost.runs.size(), 1u);
    // Saved before the run got going, so a crash or quit during it cannot fire it again.
    EXPECT_EQ(h.schedule(), base::Lines{entry("x00", "ALPHA", "08 09:30", u8"火曜日", "0111111")});
    h.endRun();
    h.until(9, 45, 0);
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    // Disabled entries keep their done flag: the clock only looks at enabled ones.
    EXPECT_EQ(h.schedule()[0].back(), '1');
}

TEST(TimerModel, OfTwoEntriesHoldingAtOnceOnlyTheFirstStartsAndTheOtherAfterTheRun) {
    TimerHarness h;
    h.writeSchedule({entry("o02", "X", "01 00:30", u8"日曜日", "1001000"), // name mismatch
                     entry("o99", "NONE", "01 00:30", u8"日曜日", "1001000"),
                     entry("o01", sj(u8"ベータ"), "01 00:30", u8"日曜日", "1001000"), kMinute30});
    h.until(9, 30, 6);
    ASSERT_EQ(runTimes(h), (std::vector<std::string>{"1@09:30:04"}));
    // While the run is on nothing else starts, whatever holds.
    h.until(9, 30, 19, 1000000);
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    h.endRun(); // 09:30:19; the clock's next tick follows within the second
    h.until(9, 30, 25);
    EXPECT_EQ(runTimes(h), (std::vector<std::string>{"1@09:30:04", "0@09:30:19"}));
    EXPECT_EQ(h.macroHost.runs[1].dialLine, "DIAL{0}");
    h.endRun();
    h.until(9, 35, 0);
    EXPECT_EQ(h.macroHost.runs.size(), 2u);
    // Net 99 names no net and is never marked; the renamed net's entry is refused too. Each
    // is reported once, as a status text with an error-log line: no box waits for anyone.
    EXPECT_EQ(h.schedule()[1], entry("o99", "NONE", "01 00:30", u8"日曜日", "1001000"));
    EXPECT_TRUE(h.host.warnings.empty());
    ASSERT_EQ(h.host.reports.size(), 2u);
    EXPECT_NE(h.host.reports[0].find(sj(u8"Xとても長いネットの名前")), std::string::npos);
    EXPECT_EQ(h.host.reports[0], sj(u8"タイマー予約 1 行目: ") + h.timer.problem(0));
    EXPECT_EQ(h.host.reports[1], sj(u8"タイマー予約 2 行目: ") + h.timer.problem(1));
    EXPECT_FALSE(h.timer.problem(1).empty());
    EXPECT_EQ(h.timer.problem(2), "");
}

TEST(TimerModel, NewEntryNeverStartsARun) {
    TimerHarness h;
    h.writeSchedule({macro::newTimerLine()});
    h.loop.setLocalNow(base::makeDateTime(2026, 12, 8, 12, 33, 50));
    h.until(12, 36, 0);
    EXPECT_TRUE(h.macroHost.runs.empty());
    EXPECT_EQ(h.schedule(), base::Lines{macro::newTimerLine()}); // never rewritten
}

TEST(TimerModel, NoRunStartsWhileAnImportIsGoingOn) {
    TimerHarness h;
    const std::string at31 = entry("o01", sj(u8"ベータ"), "01 00:31", u8"日曜日", "1001000");
    h.writeSchedule({kMinute30, at31});
    int ticksSeenDuringImport = 0;
    h.runHost.duringImport = [&] {
        // The import lets the loop run for 40 s, into minute 31.
        const size_t before = h.macroHost.runs.size();
        h.loop.advance(40000);
        ticksSeenDuringImport += static_cast<int>(h.macroHost.runs.size() - before);
        EXPECT_FALSE(h.timer.clockEnabled());
    };
    h.until(9, 30, 50, 40000); // the run ends at 09:30:45, the import until 09:31:25
    EXPECT_EQ(ticksSeenDuringImport, 0);
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    h.runHost.duringImport = nullptr;
    h.until(9, 31, 30);
    ASSERT_EQ(h.macroHost.runs.size(), 2u);
    EXPECT_EQ(clock(h.macroHost.runs[1].at), "09:31:29"); // one interval after the import
    EXPECT_EQ(h.macroHost.runs[1].net, 1);
}

TEST(TimerModel, TicksArePassedOverWhileAnotherWindowKeepsTheMainWindowDisabled) {
    TimerHarness h;
    h.writeSchedule({entry("o00", "ALPHA", "01 00:30", u8"日曜日", "1001001")});
    h.host.blocked = true;
    h.until(9, 31, 30);
    EXPECT_TRUE(h.macroHost.runs.empty());
    EXPECT_EQ(h.schedule()[0].back(), '1'); // not even the done flag changes
    // Its done flag would have been cleared before 09:30, so it came due at 09:30 and runs
    // now; a minute later its flag is cleared.
    h.host.blocked = false;
    h.until(9, 31, 40);
    ASSERT_EQ(h.macroHost.runs.size(), 1u);
    h.endRun();
    h.until(9, 32, 10);
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    EXPECT_EQ(h.schedule(), base::Lines{kMinute30});
}

TEST(TimerModel, StoredNameMustMatchTheNetAtItsNumber) {
    TimerHarness h;
    // The name as the format cuts it at 16 bytes (before the character that does not fit),
    // and as an older file cut it, through that character: both match the long net name.
    const std::string longName = sj(u8"Xとても長いネットの名前");
    const std::string tail = " 01 00:00 " + sj(u8"日曜日") + std::string(20, ' ') + "@1000000";
    h.writeSchedule(
        {"o02 " + sj(u8"Xとても長いネッ") + " " + tail, "o02 " + longName.substr(0, 16) + tail});
    EXPECT_EQ(h.timer.problem(0), "");
    EXPECT_EQ(h.timer.problem(1), "");
    h.tick();
    ASSERT_EQ(h.macroHost.runs.size(), 1u);
    EXPECT_EQ(h.macroHost.runs[0].net, 2);
    h.endRun();
    h.tick();
    ASSERT_EQ(h.macroHost.runs.size(), 2u);
    EXPECT_EQ(h.macroHost.runs[1].net, 2);
    h.endRun();

    // After net 0 is deleted, net 1 is "Xとても長い…": the entry for ベータ at 1 must not dial it.
    TimerHarness g;
    g.writeSchedule({entry("o01", sj(u8"ベータ"), "01 00:00", u8"日曜日", "1000000")});
    g.nets.remove(0);
    g.macro.reloadNetList();
    for (int i = 0; i < 5; ++i)
        g.tick();
    EXPECT_TRUE(g.macroHost.runs.empty());
    EXPECT_EQ(g.host.reports.size(), 1u);
    EXPECT_FALSE(g.timer.problem(0).empty());
}

// An older file may hold a name (or weekday) cut at its 16 (6) bytes through a double-byte
// character. The list, the panel and the problem text show a blank for the half character;
// the stored line stays as it is until the entry is edited.
TEST(TimerModel, ANameAnOlderFileCutInTwoIsShownWithWholeCharacters) {
    TimerHarness h;
    const std::string longName = sj(u8"Xとても長いネットの名前");
    const std::string day = sj(u8"日曜日");
    const std::string tail = std::string(20, ' ') + "@1000000";
    const base::Lines stored = {"o02 " + longName.substr(0, 16) + " 01 00:00 " + day + tail,
                                "o01 " + longName.substr(0, 16) + " 01 00:00 " +
                                    ("x" + day).substr(0, 6) + tail};
    h.writeSchedule(stored);
    const std::string cut = sj(u8"Xとても長いネッ") + " ";
    EXPECT_EQ(h.timer.shownLine(0), "o02 " + cut + " 01 00:00 " + day + tail);
    EXPECT_EQ(h.timer.shownLine(1), "o01 " + cut + " 01 00:00 x" + sj(u8"日曜") + " " + tail);
    EXPECT_EQ(h.timer.shownLine(5), "");

    h.timer.ListBox1Click(1);
    EXPECT_EQ(h.timer.panel().netName, sj(u8"Xとても長いネッ"));
    EXPECT_EQ(h.timer.panel().weekday, "x" + sj(u8"日曜"));
    const std::string problem = h.timer.problem(1); // net 1 is not that net
    EXPECT_NE(problem.find(sj(u8"「Xとても長いネッ」")), std::string::npos);

    h.timer.ListBox1Click(-1); // nothing was changed: nothing is rewritten
    EXPECT_EQ(h.timer.lines(), stored);
}

TEST(TimerModel, UnreadableLinesAreKeptDisabledAndReportedOnce) {
    TimerHarness h;
    const base::Lines lines = {"garbage", kMinute30,
                               entry("o0x", "ALPHA", "01 00:30", u8"日曜日", "1001000")};
    h.writeSchedule(lines);
    ASSERT_EQ(h.host.warnings.size(), 1u);
    EXPECT_NE(h.host.warnings[0].find("1, 3"), std::string::npos);
    EXPECT_FALSE(h.timer.problem(0).empty());
    h.until(9, 30, 6);
    EXPECT_EQ(h.macroHost.runs.size(), 1u);
    EXPECT_EQ(h.macroHost.runs[0].net, 0);
    base::Lines expected = lines;
    expected[1].back() = '1';
    EXPECT_EQ(h.schedule(), expected); // the other lines exactly as they were

    // Looking at an unreadable entry and leaving it does not rewrite it; editing it does.
    h.timer.ListBox1Click(2);
    EXPECT_FALSE(h.timer.panel().Enable);
    h.timer.ListBox1Click(0);
    EXPECT_EQ(h.timer.lines()[2], lines[2]);
    macro::TimerPanel p = h.timer.panel();
    p.Enable = true;
    h.timer.setPanel(p);
    h.timer.ListBox1Click(-1);
    EXPECT_EQ(h.timer.lines()[0], "o99 age" + std::string(13, ' ') + " 01 00:00 " +
                                      std::string(6 + 20, ' ') + "@0000000");
}

TEST(TimerModel, StartingCopyIsReadWhenTimerDatIsMissingAndNeverWritten) {
    TimerHarness h;
    base::replaceLines(h.dir.file("Timer.NEW"), {macro::newTimerLine()});
    h.timer.load();
    EXPECT_EQ(h.timer.lines(), base::Lines{macro::newTimerLine()});
    EXPECT_TRUE(h.host.warnings.empty());
    h.timer.FormShow();
    h.timer.FormClose();
    EXPECT_EQ(h.host.enabledCalls, (std::vector<bool>{false, true}));
    EXPECT_EQ(h.schedule(), base::Lines{macro::newTimerLine()});
    EXPECT_EQ(base::readLines(h.dir.file("Timer.NEW")), base::Lines{macro::newTimerLine()});

    // Neither file: told, and the list is empty; the clock passes over an empty list.
    TimerHarness g;
    g.timer.load();
    EXPECT_EQ(g.host.warnings.size(), 1u);
    EXPECT_TRUE(g.timer.lines().empty());
    g.tick();
    EXPECT_TRUE(g.macroHost.runs.empty());
}

TEST(TimerModel, TimerDatThatCannotBeReadIsNeverOverwritten) {
    TimerHarness h;
    base::makeDirs(h.dir.file("Timer.dat")); // there, but no file to read
    base::replaceLines(h.dir.file("Timer.NEW"), {kMinute30});
    h.timer.load();
    EXPECT_TRUE(h.timer.lines().empty());
    EXPECT_EQ(h.host.warnings.size(), 1u);
    h.timer.addNew();
    EXPECT_FALSE(h.timer.save());
    EXPECT_FALSE(h.timer.save());
    EXPECT_EQ(h.host.warnings.size(), 2u); // told once
    EXPECT_TRUE(base::dirExists(h.dir.file("Timer.dat")));
}

TEST(TimerModel, CommittingThePanel) {
    TimerHarness h;
    h.writeSchedule({macro::newTimerLine(), kMinute30});
    h.timer.FormShow();
    ASSERT_EQ(h.timer.netNames().size(), 3u);

    // With no net chosen the entry keeps its net number: the new entry stays 99.
    h.timer.ListBox1Click(0);
    EXPECT_EQ(h.timer.panel().netIndex, -1);
    EXPECT_EQ(h.timer.panel().netName, sj(u8"新規予約項目"));
    h.timer.ListBox1Click(1);
    EXPECT_EQ(h.timer.lines()[0],
              sj(u8"o99 新規予約項目     01 12:34 月曜日") + std::string(20, ' ') + "@1011000");
    EXPECT_EQ(h.timer.panel().netIndex, 0);
    EXPECT_EQ(h.timer.panel().weekdayPosition, 1);

    // Choosing a net, the up-down and the flags.
    h.timer.chooseNet(2);
    h.timer.setWeekdayPosition(7);
    h.timer.setWeekdayPosition(9); // stops at Saturday
    macro::TimerPanel p = h.timer.panel();
    p.onceOnly = true;
    p.everyTime = false;
    p.weekdayCondition = true;
    p.minute = 75; // clamped
    h.timer.setPanel(p);
    h.timer.addNew();
    EXPECT_EQ(h.timer.edited(), -1);
    EXPECT_EQ(h.timer.lines()[1], "o02 " + sj(u8"Xとても長いネッ") + "  01 00:59 " +
                                      sj(u8"土曜日") + std::string(20, ' ') + "@0101010");
    ASSERT_EQ(h.timer.count(), 3);
    EXPECT_EQ(h.timer.lines()[2], macro::newTimerLine());

    h.timer.ListBox1Click(2);
    h.timer.deleteEntry(0);
    EXPECT_EQ(h.timer.count(), 2);
    EXPECT_EQ(h.timer.edited(), -1);
    // The third entry was committed before the first went.
    EXPECT_EQ(h.timer.lines()[1],
              sj(u8"o99 新規予約項目     01 12:34 月曜日") + std::string(20, ' ') + "@1011000");
    h.timer.deleteEntry(5); // nothing selected there
    EXPECT_EQ(h.timer.count(), 2);
}

TEST(TimerModel, AnUnreadableTimerDatIsNotReplacedByTheEmptySchedule) {
    // A link to a schedule that is not there (kept on a drive that is not mounted, say):
    // something stands at the name, but it cannot be read, and it is the user's.
    TimerHarness h;
    std::filesystem::create_symlink("elsewhere/Timer.dat", h.dir.file("Timer.dat"));
    h.timer.load();
    EXPECT_TRUE(h.timer.lines().empty());
    h.timer.addNew();
    EXPECT_FALSE(h.timer.save());
    h.tick();
    ASSERT_TRUE(std::filesystem::is_symlink(h.dir.file("Timer.dat")));
    EXPECT_EQ(std::filesystem::read_symlink(h.dir.file("Timer.dat")).string(),
              "elsewhere/Timer.dat");
    EXPECT_FALSE(std::filesystem::exists(h.dir.file("elsewhere")));
}

TEST(TimerModel, AnEntryWhoseRunCannotStartIsNotUsedUp) {
    const std::string onceOnly = entry("o00", "ALPHA", "08 09:30", u8"火曜日", "0111110");
    for (const std::string& line : {onceOnly, kMinute30}) {
        SCOPED_TRACE(line);
        TimerHarness h;
        h.writeSchedule({line});
        h.macroHost.provided.erase(macro::Feature::Run); // the run cannot be started now
        h.until(9, 30, 12);
        EXPECT_TRUE(h.macroHost.runs.empty());
        EXPECT_EQ(h.timer.lines(), base::Lines{line});
        EXPECT_EQ(h.schedule(), base::Lines{line});
        // Within the same minute the run can start again: the entry still fires.
        h.macroHost.provided.insert(macro::Feature::Run);
        h.until(9, 30, 18);
        EXPECT_EQ(h.macroHost.runs.size(), 1u);
    }
}

// Whatever held the clock back, an entry that came due meanwhile runs when it is free again.
TEST(TimerModel, EntriesThatCameDueWhileARunOrAnImportWentOnRunWhenTheyEnd) {
    const std::string at31 = entry("o01", sj(u8"ベータ"), "01 00:31", u8"日曜日", "1001000");
    const std::string at32 =
        entry("o02", sj(u8"Xとても長いネッ"), "01 00:32", u8"日曜日", "1001000");
    {
        // The 09:30 run lasts 15 s, its import until 09:33:05, past both other entries'
        // minutes: they follow it, one after the other, in the order they came due.
        TimerHarness h;
        h.writeSchedule({kMinute30, at32, at31});
        h.runHost.duringImport = [&] {
            h.runHost.duringImport = nullptr;
            h.loop.advance(165000);
        };
        h.until(9, 33, 30);
        EXPECT_EQ(runTimes(h),
                  (std::vector<std::string>{"0@09:30:04", "1@09:33:09", "2@09:33:29"}));
        h.until(9, 40, 0);
        EXPECT_EQ(h.macroHost.runs.size(), 3u);
        // Each fired once and its done flag is cleared again.
        EXPECT_EQ(h.schedule(), (base::Lines{kMinute30, at32, at31}));
        EXPECT_TRUE(h.host.reports.empty());
    }
    {
        // The import after the run goes on into minute 32.
        TimerHarness h;
        h.writeSchedule({kMinute30, at31});
        h.runHost.duringImport = [&] {
            h.runHost.duringImport = nullptr;
            h.loop.advance(120000);
        };
        h.until(9, 30, 50, 40000); // run until 09:30:45, import until 09:32:45
        EXPECT_EQ(h.macroHost.runs.size(), 1u);
        h.until(9, 32, 55);
        EXPECT_EQ(runTimes(h), (std::vector<std::string>{"0@09:30:04", "1@09:32:49"}));
    }
}

TEST(TimerModel, AnHourlyEntryHeldBackByAnHourLongRunRunsOnceMoreAfterIt) {
    TimerHarness h;
    h.writeSchedule({kMinute30});
    // The import of the run started at 09:30 goes on for 70 minutes: the 10:30 start was
    // held back by it.
    h.runHost.duringImport = [&] {
        h.runHost.duringImport = nullptr;
        h.loop.advance(70 * 60 * 1000);
    };
    h.until(10, 50, 0);
    ASSERT_EQ(h.macroHost.runs.size(), 2u);
    EXPECT_EQ(h.macroHost.runs[1].at.hour, 10);
    EXPECT_EQ(h.macroHost.runs[1].at.minute, 40);
    h.until(11, 29, 0);
    EXPECT_EQ(h.macroHost.runs.size(), 2u); // not a third time in between
    EXPECT_EQ(h.schedule(), base::Lines{kMinute30});
    h.until(11, 31, 0);
    EXPECT_EQ(h.macroHost.runs.size(), 3u);
}

TEST(TimerModel, AnEntryHeldBackByAnOpenWindowRunsWhenItClosesUnlessItWasChanged) {
    const std::string at31 = entry("o01", sj(u8"ベータ"), "01 00:31", u8"日曜日", "1001000");
    {
        TimerHarness h;
        h.writeSchedule({kMinute30});
        h.host.blocked = true; // a message box or the settings window is open
        h.until(9, 45, 0);
        EXPECT_TRUE(h.macroHost.runs.empty());
        EXPECT_EQ(h.schedule(), base::Lines{kMinute30}); // nothing written meanwhile
        EXPECT_EQ(h.timer.missed(), base::Lines{kMinute30});
        h.host.blocked = false;
        h.tick();
        ASSERT_EQ(h.macroHost.runs.size(), 1u);
        EXPECT_EQ(h.macroHost.runs[0].net, 0);
        EXPECT_TRUE(h.timer.missed().empty());
        h.endRun();
        h.until(9, 50, 0);
        EXPECT_EQ(h.macroHost.runs.size(), 1u);
        EXPECT_EQ(h.schedule(), base::Lines{kMinute30});
    }
    {
        // The timer window was open: the entry the user changed there, or deleted, or
        // disabled, is not the one that came due.
        TimerHarness h;
        const std::string disabled31 = "x" + at31.substr(1);
        h.writeSchedule({kMinute30, at31, entry("o02", "X", "01 00:30", u8"日曜日", "1001000")});
        h.timer.FormShow();
        h.host.blocked = true;
        h.until(9, 32, 0);
        EXPECT_EQ(h.timer.missed().size(), 3u);
        h.timer.ListBox1Click(1);
        macro::TimerPanel p = h.timer.panel();
        p.Enable = false;
        h.timer.setPanel(p);
        h.timer.deleteEntry(0);
        h.timer.FormClose();
        h.host.blocked = false;
        h.until(9, 33, 0);
        EXPECT_TRUE(h.macroHost.runs.empty());
        EXPECT_EQ(h.schedule(),
                  (base::Lines{disabled31, entry("o02", "X", "01 00:30", u8"日曜日", "1001000")}));
        ASSERT_EQ(h.host.reports.size(), 1u); // the name that does not match, once
        EXPECT_TRUE(h.host.warnings.empty());
    }
}

// Deleting a net moves the later nets up: their entries go with them, and an entry whose
// net is gone can never dial the net that took its number.
TEST(TimerModel, EntriesFollowTheirNetsWhenANetIsDeleted) {
    TimerHarness h;
    const std::string beta = entry("o01", sj(u8"ベータ"), "01 00:30", u8"日曜日", "1001000");
    const std::string longName = entry("o02", "", "01 00:30", u8"日曜日", "1001000");
    // The third net's name as the window writes it (cut at a character boundary).
    macro::TimerEntry e = macro::parseTimerLine(longName);
    e.name = sj(u8"Xとても長いネットの名前");
    const std::string third = macro::formatTimerLine(e);
    const std::string alphaOff = "x" + kMinute30.substr(1);
    h.writeSchedule({kMinute30, beta, third, alphaOff, macro::newTimerLine()});

    h.nets.remove(1);
    h.macro.reloadNetList();
    h.timer.followNets({0, 2}, 3);
    e.net = 1;
    const std::string thirdMoved = macro::formatTimerLine(e);
    const base::Lines expected = {kMinute30, "x" + beta.substr(1), thirdMoved, alphaOff,
                                  macro::newTimerLine()};
    EXPECT_EQ(h.timer.lines(), expected);
    EXPECT_EQ(h.schedule(), expected); // saved at once
    EXPECT_EQ(h.timer.problem(2), "");

    // At 09:30 the entries of the two nets left fire, each for its own net.
    h.until(9, 30, 40);
    ASSERT_EQ(runTimes(h).size(), 2u);
    EXPECT_EQ(h.macroHost.runs[0].net, 0);
    EXPECT_EQ(h.macroHost.runs[1].net, 1);
    EXPECT_EQ(h.macroHost.runs[1].dialLine, "DIAL{1}");
    EXPECT_EQ(h.macro.netNames()[1], sj(u8"Xとても長いネットの名前"));
    EXPECT_TRUE(h.host.reports.empty());
}
