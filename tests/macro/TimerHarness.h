#pragma once
// The timer schedule wired as the program wires it, on a VirtualLoop: the real net manager
// and the real terminal engine over a recording line, a net manager host that stops the
// clock when a run starts and hands the start to the engine, and a run host that turns the
// clock on again when the run and its import have finished. Tests set the local time and
// move it on tick by tick.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "macro/TimerModel.h"
#include "shell/NetList.h"
#include "tests/engine/EngineHarness.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <string>
#include <vector>

namespace timer_test {

inline base::Lines threeNets() {
    base::Lines out;
    // The third name is cut at 16 bytes inside a double-byte character.
    const std::string names[] = {"ALPHA", base::sj(u8"ベータ"),
                                 base::sj(u8"Xとても長いネットの名前")};
    const char* folders[] = {"NA", "NB", "NC"};
    for (int i = 0; i < 3; ++i) {
        const base::Lines r = {names[i], folders[i], "999", "0", "ID", "PW", "H", "KTBBS", "", ""};
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

// Columns 1-36 and the flags of an entry line, written out by hand (ASCII names only).
inline std::string entry(const std::string& flagAndNet, const std::string& name,
                         const std::string& dayTime, const std::u8string& weekday,
                         const std::string& flags) {
    return flagAndNet + " " + name + std::string(16 - name.size(), ' ') + " " + dayTime + " " +
           base::sj(weekday) + std::string(20, ' ') + "@" + flags;
}

struct Run {
    int net;
    base::LocalDateTime at;
    std::string dialLine;
};

struct TimerMacroHost : RecordingMacroHost {
    macro::TimerModel* timer = nullptr;
    engine::VazevModel* engine = nullptr;
    macro::MacroModel* macro = nullptr;
    base::EventLoop* loop = nullptr;
    std::vector<Run> runs;
    void stopTimerClock() override {
        RecordingMacroHost::stopTimerClock();
        timer->setClockEnabled(false);
    }
    void startAutoLogin() override {
        RecordingMacroHost::startAutoLogin();
        runs.push_back({macro->selectedNet(), loop->localNow(), macro->MacroLines(1)});
        engine->AutoLoginClick();
    }
};

struct TimerRunHost : engine_test::RecordingRunHost {
    macro::TimerModel* timer = nullptr;
    std::function<void()> duringImport;
    bool LogConv(const std::vector<std::string>& lines, int wp, int net) override {
        RecordingRunHost::LogConv(lines, wp, net);
        if (duringImport)
            duringImport();
        return true;
    }
    void runFinished() override {
        RecordingRunHost::runFinished();
        timer->setClockEnabled(true);
    }
};

struct TimerHostRecorder : macro::TimerHost {
    engine::VazevModel* engine = nullptr;
    bool blocked = false;              // another window keeps the main window disabled
    std::vector<std::string> warnings; // message boxes
    std::vector<std::string> reports;  // status texts with an error-log line
    std::vector<bool> enabledCalls;
    bool mayStartRun() override { return !blocked && !engine->running(); }
    void warn(const std::string& text) override { warnings.push_back(text); }
    void report(const std::string& text) override { reports.push_back(text); }
    void setMainAndMacroEnabled(bool on) override { enabledCalls.push_back(on); }
};

struct TimerHarness {
    testing_support::TempDir dir;
    base::VirtualLoop loop{base::makeDateTime(2026, 12, 8, 9, 29, 50)}; // a Tuesday
    shell::NetList nets{dir.path(), threeNets()};
    shell::ModemSettings modems = shell::defaultModemSettings();
    TimerMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    engine_test::FakePort port;
    TimerRunHost runHost;
    engine::VazevModel engine{{loop, port, nets, modems, macro, errors, runHost, dir.path()}};
    TimerHostRecorder host;
    macro::TimerModel timer{loop, macro, host, dir.path()};

    TimerHarness() {
        macroHost.provided.insert(macro::Feature::Run);
        macroHost.timer = &timer;
        macroHost.engine = &engine;
        macroHost.macro = &macro;
        macroHost.loop = &loop;
        runHost.timer = &timer;
        host.engine = &engine;
        port.loop = &loop;
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
        macro.FormShow(); // the program lists the nets at start-up
    }

    void writeSchedule(const base::Lines& lines) {
        base::replaceLines(dir.file("Timer.dat"), lines);
        timer.load();
    }
    base::Lines schedule() const { return base::readLines(dir.file("Timer.dat")); }

    void tick() { loop.advance(macro::TimerModel::kClockMs); }
    // Moves on until the local time reaches h:m:s, tick by tick; when `runMs` is set, a
    // run that has lasted that long is ended by hand.
    void until(int h, int m, int s, std::int64_t runMs = 15000) {
        for (;;) {
            base::LocalDateTime t = loop.localNow();
            if (t.hour * 3600 + t.minute * 60 + t.second >= h * 3600 + m * 60 + s)
                return;
            loop.advance(1000);
            if (engine.running() && !macroHost.runs.empty() &&
                base::millisecondsBetween(macroHost.runs.back().at, loop.localNow()) >= runMs)
                engine.Button2Click();
        }
    }
    void endRun() { engine.Button2Click(); }
};

} // namespace timer_test
