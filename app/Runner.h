#pragma once
// The unattended run without windows: `tarno --run NET`. The same models as the desktop
// program (net list, settings, net manager, terminal engine, serial line) on a StdLoop,
// with hosts that have no windows: status texts go to standard output, questions are
// answered as an unattended user would want, and the run's end is the program's end.
#include "base/ErrorLog.h"
#include "base/StdLoop.h"
#include "comm/TComm.h"
#include "engine/RunHost.h"
#include "engine/TCommPort.h"
#include "engine/TerminalView.h"
#include "engine/VazevModel.h"
#include "macro/MacroHost.h"
#include "macro/MacroModel.h"
#include "shell/FrameModel.h"
#include "shell/NetList.h"
#include "shell/SettingModel.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"
#include "transfer/EngineTransfer.h"

#include <cstdio>
#include <memory>
#include <string>

namespace sim {
class SimLinePeer;
}

namespace app {

class Runner : public shell::SettingHost,
               public shell::FrameHost,
               public macro::MacroHost,
               public engine::RunHost,
               public engine::TerminalView,
               public store::ImportHost {
public:
    struct Options {
        std::string net;         // the net's number (the first is 0) or its short name
        bool showScreen = false; // print the received lines
        // The simulated host's data set for nets on the "sim:" line; empty: none.
        std::string simFixture;
        std::FILE* out = stdout; // status texts (and the screen), UTF-8
        std::FILE* err = stderr; // the one-line reason of a failure, warnings
    };

    // Exit statuses.
    static constexpr int kDone = 0;   // the run logged out and the line went down
    static constexpr int kFailed = 1; // time-out, lost line, failed open, forced end
    static constexpr int kUsage = 2;  // bad arguments, unusable data folder
    // What the run did could not be saved (NET.MAC not rewritten, the import failed), or a
    // capture left by an earlier run could not be imported and the run did not start.
    static constexpr int kNotSaved = 3;

    // The exit status of a run that ended this way.
    static int exitStatus(engine::RunOutcome outcome, bool resultsSaved);

    // In the data folder (the working folder).
    explicit Runner(Options options);
    ~Runner() override;

    // Makes the run; returns the exit status.
    int run();

    // The end of the run as SIGINT and SIGTERM ask for it (safe from a signal handler).
    static void requestStop();

    engine::VazevModel& engine() { return vazev_; }
    macro::MacroModel& macroModel() { return macroModel_; }
    shell::NetList& nets() { return nets_; }
    sim::SimLinePeer* simPeer() { return simPeer_.get(); }

    // SettingHost, FrameHost, MacroHost
    void warn(const std::string& sjisText) override;
    void setMainAndMacroEnabled(bool) override {}
    void reloadMacroNetList() override { macroModel_.reloadNetList(); }
    void setMacroNetNo(const std::string& netNo) override { macroModel_.setNetNo(netNo); }
    void setMainNetSelector(const std::vector<std::string>&, int) override {}
    void selectMainNet(int) override {}
    void showSettings(shell::SettingPage) override {}
    void showAbout() override {}
    void hideMacroWindow() override {}
    bool provides(macro::Feature f) const override { return f == macro::Feature::Run; }
    void startAutoLogin() override { vazev_.AutoLoginClick(); }

    // RunHost
    bool LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) override;
    void runFinished() override;
    Recovery recoverLeftOverCapture() override;

    // TerminalView
    void status(const std::string& sjisText) override;
    void lineCompleted(int index) override;

private:
    // The net named on the command line; -1 (with the reason on err) when there is none.
    int findNet() const;
    void checkStopRequest();

    Options options_;
    base::StdLoop loop_;
    shell::NetList nets_;
    shell::FrameModel frameModel_;
    shell::SettingModel settingModel_;
    macro::MacroModel macroModel_;
    base::ErrorLog errorLog_;
    std::unique_ptr<sim::SimLinePeer> simPeer_;
    comm::TComm comm_;
    engine::TCommPort port_;
    engine::VazevModel vazev_;
    // The end of the run imports the capture as the desktop program does; its questions
    // (the mail box) are answered No.
    store::LogEditModel logEdit_;
    store::ConvModel conv_;
    transfer::EngineTransfer transfer_{vazev_, "."};
    base::Timer stopWatch_;
    bool stopping_ = false;
    bool finished_ = false;
    std::string notSaved_; // why what the run did could not be saved (UTF-8)
};

// The one-line reason for a run's outcome (English, for standard error), empty for a run
// that completed.
std::string outcomeReason(engine::RunOutcome outcome);

// The import of a capture left behind by an interrupted run, as a run asks for it before it
// starts: no question is asked (a timed or unattended run must never wait on one).
engine::RunHost::Recovery recoverBeforeRun(store::ConvModel& conv);

// The signals of an unattended run: SIGINT, SIGTERM and SIGHUP ask for the forced end
// (hang up, keep the capture, save NET.MAC); SIGPIPE is ignored, so a reader of standard
// output that goes away (`tarno --run NET | head`) never ends a run.
void installRunSignals();

} // namespace app
