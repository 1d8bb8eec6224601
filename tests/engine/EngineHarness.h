#pragma once
// One terminal model over a recording line, a recording host and view, a net list of one
// net, and the real net manager on a temporary data folder, all on a VirtualLoop: a whole
// run can be driven byte by byte and tick by tick.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"

#include <string>
#include <vector>

namespace engine_test {

struct FakePort : engine::EnginePort {
    bool openResult = true;
    bool opened = false;
    bool network = false;
    int openedPort = 0, openedRate = 0;
    std::string sent;    // everything written, in order
    size_t consumed = 0; // how much of it a test has checked already
    std::vector<std::int64_t> writeTimes;
    base::EventLoop* loop = nullptr;

    bool open(int port, int rate) override {
        openedPort = port;
        openedRate = rate;
        opened = openResult;
        return opened;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void write(std::string_view b) override {
        if (!opened)
            return;
        sent.append(b);
        if (loop)
            writeTimes.push_back(loop->nowMs());
    }
    bool networkLine() const override { return network; }
    std::string failureText; // why the line failed, as the port would say it
    std::string failure() const override { return failureText; }
    std::string deviceName() const override { return "/dev/ttyUSB0"; }
    std::string unconsumed() const { return sent.substr(consumed); }
};

struct RecordingRunHost : engine::RunHost {
    std::vector<std::string> calls;
    std::vector<std::string> importedLines;
    int importedWritePointer = -1;
    int importedNet = -1;
    void showMainWindow() override { calls.push_back("showMain"); }
    void setMainAndMacroEnabled(bool on) override { calls.push_back(on ? "enable" : "disable"); }
    void hideTerminal() override { calls.push_back("hideTerminal"); }
    bool LogConv(const std::vector<std::string>& lines, int wp, int net) override {
        calls.push_back("LogConv");
        importedLines.assign(lines.begin(), lines.begin() + wp + 1);
        importedWritePointer = wp;
        importedNet = net;
        return true;
    }
    void runFinished() override { calls.push_back("runFinished"); }
};

struct RecordingView : engine::TerminalView {
    std::vector<std::string> statuses; // Shift-JIS
    std::vector<std::string> states;
    int beeps = 0;
    void status(const std::string& s) override { statuses.push_back(s); }
    void stateLabel(const std::string& s) override { states.push_back(s); }
    void beep() override { ++beeps; }
};

// The starting net: "TEST" in folder NET1, dialled through setting 0.
inline base::Lines netRecord() {
    return {base::sj(u8"テストネット"), "NET1",  "0312345678",        "0", "TARNO001", "tarno",
            base::sj(u8"たーの"),       "KTBBS", "96/08/10 12:00:00", ""};
}

// A transfer that records what the terminal hands it.
struct RecordingTransfer : engine::Transfer {
    engine::VazevModel* model = nullptr;
    std::string downloaded;
    std::vector<size_t> uploadNotifications;
    int ringNotes = 0, overruns = 0;
    bool shown = false;
    void startDownload() override {}
    void startUpload(const std::string&) override {}
    bool visible() const override { return shown; }
    void abort() override {}
    void downloadData(const char* d, size_t n) override { downloaded.append(d, n); }
    void uploadReceive(size_t n) override { uploadNotifications.push_back(n); }
    void ringData() override { ++ringNotes; }
    void ringOverrun() override {
        ++overruns;
        model->setReceiveMode(0);
    }
};

struct EngineHarness {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    shell::NetList nets{dir.path(), netRecord()};
    shell::ModemSettings modems = shell::defaultModemSettings();
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    FakePort port;
    RecordingRunHost host;
    RecordingView view;
    engine::VazevModel model{{loop, port, nets, modems, macro, errors, host, dir.path()}};

    EngineHarness() {
        port.loop = &loop;
        modems[0] = {"M", "ATDT", "ATZ", 30, 1, 38400, false};
        model.setView(&view);
        model.setRandomDigit([] { return 7; });
        macroHost.provided.insert(macro::Feature::Run);
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
        setMacro({"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
    }

    // NET.MAC of the net, then the net chosen in the net manager.
    void setMacro(const base::Lines& lines) {
        base::makeDirs(dir.file(nets.field(0, shell::kShortName)));
        base::replaceLines(dir.file(nets.field(0, shell::kShortName) + "/NET.MAC"), lines);
    }
    void start() {
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
        model.AutoLoginClick();
    }
    // A run on a direct line (no modem, no log-in) of these commands, two ticks in.
    void startDirect(const base::Lines& commands) {
        nets.setField(0, shell::kTelNo, "999");
        modems[0].initCommand.clear();
        setMacro(commands);
        start();
        ticks(2);
    }
    // Starts the run and goes up to the main prompt after the log-in, on a modem line.
    void logIn() {
        start();
        reachMainPrompt();
    }
    // The same for a run already started.
    void reachMainPrompt() {
        receive("ATZ\r\r\nOK\r\n");
        ticks(2);
        receive("CONNECT\r\nUser ID  =");
        ticks(3);
        receive("x\r\nPassword =");
        ticks(3);
        receive(base::sj(u8"\r\nMAIN (残り59分)>"));
        ticks(4);
    }
    void receive(const std::string& sjis) { model.Comm1CommReceive(sjis); }
    void ticks(int n) { loop.advance(static_cast<std::int64_t>(n) * engine::VazevModel::kTickMs); }
    // What was sent since the last call.
    std::string takeSent() {
        std::string s = port.unconsumed();
        port.consumed = port.sent.size();
        return s;
    }
    bool statusSeen(const std::string& sjis) const {
        for (const auto& s : view.statuses)
            if (s == sjis)
                return true;
        return false;
    }
};

} // namespace engine_test
