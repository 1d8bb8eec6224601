#pragma once
// The terminal and its auto-pilot engine: everything the terminal window (TVazevForm)
// holds apart from its widgets.
//
// Data flow. Bytes that arrive on the line come in through Comm1CommReceive. In terminal
// mode (ReceiveMode 0) they become lines of the line table (Lines, WritePointer), each
// completed line is written to the capture log VESPARI.LOG and triggers one step of the
// state machine (Command); in raw mode (1) they fill the ring buffer that the file
// transfer reads; in the transfer modes (2, 3) they go to the Transfer. A run starts with
// AutoLoginClick, which writes the capture log's header and opens the port; from then on
// the 500 ms engine tick (Timer2Timer) runs a step too and watches for silence. Each step
// looks at one received line and the current command of the command list, sends the next
// modem or host command through the EnginePort and moves the state on; reservations that
// were carried out are removed from the net manager's reservation list. The run ends with
// the hang-up (COMABORT), the carrier drop (Comm1CommEvent) and the end-of-run sequence:
// port and capture log closed, windows back, Convert, then the import (RunHost::LogConv).
//
// Everything runs on the loop's thread; waits are states with deadlines on the loop's
// timers, never nested loops. Texts are Shift-JIS. Paths are relative to `folder`, the
// data folder.
#include "base/ErrorLog.h"
#include "base/EventLoop.h"
#include "engine/EnginePort.h"
#include "engine/EscapeFilter.h"
#include "engine/RunHost.h"
#include "engine/ScreenColours.h"
#include "engine/TerminalView.h"
#include "engine/Transfer.h"
#include "macro/MacroModel.h"
#include "shell/ModemSetting.h"
#include "shell/NetList.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// How the last run ended, for the headless runner's exit status.
enum class RunOutcome {
    None,       // no run yet, or still running
    Completed,  // the command list ran to its end and the line went down (or closed)
    LineLost,   // the carrier dropped before the command list was done
    TimedOut,   // the modem or the host stopped answering
    OpenFailed, // the port or the capture log could not be opened
    Forced,     // "強制通信終了" (or a signal to the headless runner)
    TableFull,  // more lines than the line table holds
    NoHangUp,   // the line stayed up after the hang-up
    NotStarted, // a capture left by an earlier run could not be imported first
};

class VazevModel {
public:
    static constexpr int kLineCount = 155000;
    // The end of a run writes "END." into the line at WritePointer and the two after it,
    // so the table stops taking lines three entries before its end.
    static constexpr int kLastWritePointer = kLineCount - 3;
    static constexpr int kRingSize = 50000;
    static constexpr int kNotRunning = 999;
    static constexpr const char* kCaptureLog = "VESPARI.LOG";
    // Beside the capture log: one line "C <line-table index> <command>" for every reading
    // command typed at the host's main prompt (the command up to its first CR), so the
    // import can tell the terminal's own command lines from text that merely looks like
    // them. Written as the run goes and replaced with the capture log.
    static constexpr const char* kCommandRecord = "VESPARI.CMD";
    static constexpr int kTickMs = 500;
    static constexpr int kGuardMs = 1200;
    // How long the line may stay up after "ATH" before the run ends without the carrier.
    static constexpr int kHangUpLimitMs = 10000;

    struct Deps {
        base::EventLoop& loop;
        EnginePort& port;
        const shell::NetList& nets;
        const shell::ModemSettings& modems;
        macro::MacroModel& macro;
        base::ErrorLog& errorLog;
        RunHost& host;
        std::string folder = ".";
    };

    explicit VazevModel(Deps deps);
    ~VazevModel();
    VazevModel(const VazevModel&) = delete;
    VazevModel& operator=(const VazevModel&) = delete;

    void setView(TerminalView* view) { view_ = view; }
    // The file transfer; none means a transfer cannot start (it fails at once).
    void setTransfer(Transfer* transfer) { transfer_ = transfer; }
    // The source of the random digit appended to a dialled number (0..9).
    void setRandomDigit(std::function<int()> fn) { randomDigit_ = std::move(fn); }

    // ---- Receive path ----
    // A receive notification with these bytes.
    void Comm1CommReceive(std::string_view bytes);
    // A carrier change of the line.
    void Comm1CommEvent(bool carrierOn);
    // The device went away (unplugged, closed by the far end, a network line that could not
    // be connected): the run ends at once, whatever it was doing.
    void Comm1LineLost();

    // The line table: entry 0 is always empty; WritePointer is the line being received.
    const std::string& line(int i) const;
    const std::vector<std::string>& Lines() const { return lines_; }
    int WritePointer() const { return writePointer_; }
    int ReadPointer() const { return readPointer_; }
    int ReceiveMode() const { return receiveMode_; }
    void setReceiveMode(int mode) { receiveMode_ = mode; }
    bool WaitNextLine() const { return waitNextLine_; }
    bool UploadSent() const { return uploadSent_; }
    void setUploadSent(bool on) { uploadSent_ = on; }

    // The ring buffer of raw mode.
    bool Rsrecv() const { return ringWrite_ != ringRead_; }
    int RsGetC();
    void clearRing() { ringWrite_ = ringRead_ = 0; }
    // Bytes that turned out to be received text after all (after a transfer): handled as
    // in terminal mode, whatever the mode is.
    void receiveAsText(std::string_view bytes);

    // ---- The screen ----
    // First line drawn when the status bar's top edge is at `statusTop` pixels.
    int firstRow(int statusTop) const;
    // Row text: the line padded or cut to 80 bytes.
    static std::string rowText(std::string_view line);
    // The back view: lines max(0, WP - 500) .. WP - 1, each with CR LF.
    std::string backViewText() const;
    // Label2: idle ticks, "WP", WritePointer, ",RP", ReadPointer, ",MP", MacroPointer, "/",
    // the number of commands.
    std::string countersText() const;
    bool cursorPhase() const { return cursorPhase_; }
    // The colours of the received text (the lines themselves stay plain).
    const ScreenColours& colours() const { return colours_; }

    // ---- Keyboard ----
    // "キー入力禁止" (checked by default, and again on every show).
    bool KeyGard() const { return keyGard_; }
    void setKeyGard(bool on) { keyGard_ = on; }
    // A key typed at the terminal; sent as one byte when the port is open, keys are not
    // forbidden, the screen has the focus and no transfer is shown.
    void TextKeyPress(char key, bool screenHasFocus);
    // "送信": the one-line input followed by CR.
    void SendButton(const std::string& text);
    // The window was shown (FormShow): keys forbidden, idle counter zeroed, ring emptied.
    void FormShow();

    // ---- Runs ----
    // Starts a run of the net selected in the net manager with its command list (which
    // Convert has just built).
    void AutoLoginClick();
    // The engine tick (every 500 ms during a run).
    void Timer2Timer();
    // "強制通信終了".
    void Button2Click();
    // Hangs up, or ends the run when there is no line to hang up.
    void COMABORT();
    // One step of the state machine.
    void Command();
    // Removes one carried-out item from the reservation list.
    void KillYoyaku(const std::string& item);

    bool running() const { return running_; }
    bool Connected() const { return connected_; }
    int MacroPointer() const { return macroPointer_; }
    int MacroCount() const { return static_cast<int>(commands_.size()); }
    const std::string& StateOverride() const { return stateOverride_; }
    int IdleTicks() const { return idleTicks_; }
    int CrRetries() const { return crRetries_; }
    int NetIndex() const { return netIndex_; }
    const std::string& status() const { return status_; }
    const std::string& CurrentPosting() const { return currentPosting_; }
    const std::string& PostedReservation() const { return postedReservation_; }
    const std::string& CurrentTransfer() const { return currentTransfer_; }
    bool hangingUp() const { return hangUpPhase_ != HangUp::None; }
    RunOutcome outcome() const { return outcome_; }
    // False when the last run could not save what it did: NET.MAC could not be rewritten
    // after a reservation was carried out, or the end-of-run import failed. Its carried-out
    // reservations may then come back on the next run.
    bool resultsSaved() const { return resultsSaved_; }

    // Shows a status text (also for the transfer).
    void setStatus(const std::string& sjisText);
    // A line of the error log: date, space, time, text.
    void logError(const std::string& text);
    base::ErrorLog& errorLog() { return errorLog_; }
    base::EventLoop& loop() { return loop_; }
    EnginePort& port() { return port_; }
    // Sends bytes to the line.
    void send(std::string_view bytes);
    // The first line of the table that may answer the last command a rule sent: a line the
    // host began after that command. Lines before it are never matched against a rule.
    int AnswerLine() const { return answerLine_; }

private:
    enum class HangUp { None, Guard, Pause, WaitCarrier, DirectQuiet };
    enum class StepEnd { Continue, Stop };

    // receive path
    void terminalBytes(std::string_view bytes);
    size_t terminalText(std::string_view bytes);
    void completeLine();
    void ringPut(std::string_view bytes);
    void tableFull();
    // capture log
    bool openCaptureLog();
    void writeCaptureLine(const std::string& line);
    void closeCaptureLog();
    void noteTypedCommand(std::string_view sent);
    std::string monthlyLogPath() const;
    // run
    void startTick();
    void stopTick();
    void endRun();
    void settleConfirmations();
    // The first reason given for the end of a run is the one that counts.
    void setOutcome(RunOutcome o) {
        if (outcome_ == RunOutcome::None)
            outcome_ = o;
    }
    void endOfRunSequence();
    void hangUpStep();
    void cancelHangUp();
    void beep();
    // rules
    StepEnd applyRules(const std::string& S, const std::string& K, const std::string& L,
                       const std::string& P);
    void stay(const std::string& state) { stateOverride_ = state; }
    void advance() { ++macroPointer_; }
    void menuRule(const std::string& L);
    StepEnd waitConnectRule(const std::string& S, const std::string& L);
    StepEnd waitOkRule(const std::string& L);
    void waitRetRule(const std::string& S, const std::string& L);
    void setKtbbsRule();
    void readingRule(const std::string& S);
    void loginRule(const std::string& S, const std::string& L, const std::string& P);
    void dialRule();
    void quitRule();
    // reservations
    void resRule(const std::string& S);
    void newwRule(const std::string& S);
    void listReadRule(const std::string& S);
    void fdownRule(const std::string& S);
    void download1Rule(const std::string& L, const std::string& P);
    void upfileRule(const std::string& S, const std::string& L);
    void upload1Rule(const std::string& K);
    void upload2Rule(const std::string& L, const std::string& P);
    void bmailRule(const std::string& S);
    void bm2Rule(const std::string& L);
    void waitTranRule(const std::string& L, const std::string& P);
    void mailRule(const std::string& S);
    void m2Rule(const std::string& K, const std::string& L);
    void writeRule(const std::string& K);
    void writeRefusalRule(const std::string& L);
    void beginPosting(const std::string& S);
    bool refuseTypeAhead(const std::string& S, const std::string& board, const std::string& field);
    void skipBlock();
    void startDownload();
    void startUpload(const std::string& path);
    void deletePostedBlock();
    // A command to the host (or the modem) that the next rule waits on.
    void sendCommand(std::string_view bytes);
    // True when the host answered a transfer request with one of its menus instead of the
    // transfer: the transfer failed before it began.
    bool menuInsteadOfTransfer(const std::string& L, const std::string& what);
    // Writes NET.MAC after a reservation left the list during the run.
    void saveReservations();
    // The line being received when the run ends is kept as a line of its own.
    void keepUnfinishedLine();
    void endWithoutCarrier();

    const shell::ModemSetting& modem() const;
    std::string netField(int k) const;
    std::string stampNow() const;

    base::EventLoop& loop_;
    EnginePort& port_;
    const shell::NetList& nets_;
    const shell::ModemSettings& modems_;
    macro::MacroModel& macro_;
    base::ErrorLog& errorLog_;
    RunHost& host_;
    std::string folder_;
    TerminalView* view_ = nullptr;
    Transfer* transfer_ = nullptr;
    std::function<int()> randomDigit_;

    // terminal
    std::vector<std::string> lines_;
    EscapeFilter escapes_;
    ScreenColours colours_;
    int writePointer_ = 1;
    int readPointer_ = 1;
    int receiveMode_ = 0;
    std::vector<char> ring_;
    int ringWrite_ = 0;
    int ringRead_ = 0;
    bool waitNextLine_ = false;
    bool uploadSent_ = false;
    int answerLine_ = 0;
    bool quitSent_ = false; // "Q" went to the host: the modem's "NO CARRIER" is the hang-up
    bool cursorPhase_ = false;
    bool keyGard_ = true;
    std::FILE* capture_ = nullptr;
    std::FILE* commandRecord_ = nullptr;
    bool tableFull_ = false;

    // run
    bool running_ = false;
    RunOutcome outcome_ = RunOutcome::None;
    bool resultsSaved_ = true;
    // Set when the hang-up or the end of the run has begun: no rule applies any more.
    bool aborting_ = false;
    // A direct line after "QUIT": the run ends after this long without a received byte.
    static constexpr int kDirectQuietMs = 3000;
    int netIndex_ = -1;
    int netNo_ = macro::MacroModel::kNoNet;
    int modemSetting_ = 0;
    bool connected_ = false;
    std::vector<std::string> commands_;
    int macroPointer_ = kNotRunning;
    std::string stateOverride_ = "*";
    int idleTicks_ = 0;
    int crRetries_ = 0;
    int lastMacroPointer_ = -1;
    std::string lastLine_;
    std::string status_;
    base::Timer tick_;
    // hang-up
    HangUp hangUpPhase_ = HangUp::None;
    base::Timer hangUpTimer_;
    std::int64_t lastSendMs_ = -1000000;

    // auto-pilot
    std::string currentPosting_;
    std::string postedReservation_;
    std::string currentTransfer_;
    std::string mailDeleteReply_ = "Y";
    int writeStart_ = 0;
    // A posting from its header up to the menu prompt after it.
    bool postingOpen_ = false;
    bool refusalReported_ = false;
    int postingLine_ = 0; // the line being received when the header went out
    int linesSent_ = 0;
};

} // namespace engine
