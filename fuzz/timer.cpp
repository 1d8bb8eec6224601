// Timer.dat: every line reads without harm; a readable entry is written in the format's
// columns and reads back to the same entry; the schedule loaded from any file and saved
// untouched is written back line for line, unreadable entries exactly as they were.
#include "base/LineFile.h"
#include "base/VirtualLoop.h"
#include "fuzz/FuzzSupport.h"
#include "macro/MacroModel.h"
#include "macro/TimerModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"

using macro::TimerEntry;

namespace {

struct QuietTimerHost : macro::TimerHost {
    int warnings = 0;
    bool mayStartRun() override { return false; }
    void warn(const std::string&) override { ++warnings; }
    void report(const std::string&) override {}
    void setMainAndMacroEnabled(bool) override {}
};

void checkEntry(const std::string& line) {
    TimerEntry e = macro::parseTimerLine(line);
    FUZZ_CHECK(e.readable == e.problem.empty());
    std::string formatted = macro::formatTimerLine(e);
    FUZZ_CHECK(formatted.size() == 64);
    FUZZ_CHECK(formatted[TimerEntry::kFlagColumn - 1] == '@');
    if (!e.readable)
        return;
    FUZZ_CHECK(e.net >= 0 && e.net <= TimerEntry::kMaxNet);
    FUZZ_CHECK(e.day >= 1 && e.day <= 31 && e.hour >= 0 && e.hour <= 23);
    FUZZ_CHECK(e.minute >= 0 && e.minute <= 59);
    TimerEntry back = macro::parseTimerLine(formatted);
    FUZZ_CHECK(back.readable);
    FUZZ_CHECK(macro::formatTimerLine(back) == formatted);
    FUZZ_CHECK(back.enabled == e.enabled && back.net == e.net && back.day == e.day &&
               back.hour == e.hour && back.minute == e.minute);
    FUZZ_CHECK(back.everyTime == e.everyTime && back.onceOnly == e.onceOnly &&
               back.hourCondition == e.hourCondition && back.minuteCondition == e.minuteCondition &&
               back.dateCondition == e.dateCondition &&
               back.weekdayCondition == e.weekdayCondition && back.done == e.done);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const base::Lines lines = base::splitLines(bytes);
    for (const auto& l : lines)
        checkEntry(l);

    base::replaceFile(box.file(macro::TimerModel::kFileName), bytes);
    base::VirtualLoop loop;
    shell::NetList nets{box.data(), {}};
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, box.data()};
    QuietTimerHost host;
    macro::TimerModel timer{loop, macro, host, box.data()};
    timer.load();
    FUZZ_CHECK(timer.lines() == lines);
    for (int i = -1; i <= timer.count(); ++i)
        (void)timer.problem(i);
    FUZZ_CHECK(timer.save());
    FUZZ_CHECK(base::readLines(box.file(macro::TimerModel::kFileName)) == lines);
    // Clicking through every entry without editing changes none of them.
    for (int i = 0; i < timer.count(); ++i)
        timer.ListBox1Click(i);
    timer.ListBox1Click(-1);
    FUZZ_CHECK(timer.count() == static_cast<int>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        TimerEntry was = macro::parseTimerLine(lines[i]);
        const std::string& now = timer.lines()[i];
        if (was.readable)
            FUZZ_CHECK(macro::formatTimerLine(macro::parseTimerLine(now)) ==
                       macro::formatTimerLine(was));
        else
            FUZZ_CHECK(now == lines[i]);
    }
    box.checkContained();
    return 0;
}
