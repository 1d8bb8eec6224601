// A run from its start to its end: the capture log, the port, the engine tick with its
// watchdog, the hang-up and the end-of-run sequence.
#include "engine/VazevModel.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"

#include <random>

namespace engine {

namespace {

// " " and the reason, for a status text that has one.
std::string withReason(const std::string& reason) {
    return reason.empty() ? std::string() : " " + reason;
}

} // namespace

namespace {

int defaultRandomDigit() {
    static std::mt19937 gen{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, 9)(gen);
}

} // namespace

VazevModel::VazevModel(Deps d)
    : loop_(d.loop), port_(d.port), nets_(d.nets), modems_(d.modems), macro_(d.macro),
      errorLog_(d.errorLog), host_(d.host), folder_(std::move(d.folder)),
      randomDigit_(defaultRandomDigit), lines_(kLineCount), ring_(kRingSize),
      tick_(d.loop, kTickMs, [this] { Timer2Timer(); }),
      hangUpTimer_(d.loop, kGuardMs, [this] { hangUpStep(); }) {}

VazevModel::~VazevModel() {
    closeCaptureLog();
}

const shell::ModemSetting& VazevModel::modem() const {
    return modems_[static_cast<size_t>(modemSetting_)];
}

std::string VazevModel::netField(int k) const {
    return nets_.field(netIndex_, k);
}

std::string VazevModel::stampNow() const {
    base::LocalDateTime t = loop_.localNow();
    return base::shortDate(t) + " " + base::longTime(t);
}

void VazevModel::setStatus(const std::string& sjisText) {
    status_ = sjisText;
    if (view_)
        view_->status(sjisText);
}

void VazevModel::logError(const std::string& text) {
    errorLog_.add(base::ErrorLog::stamped(loop_.localNow(), text));
}

void VazevModel::beep() {
    if (view_)
        view_->beep();
}

// ---- Capture log ----

std::string VazevModel::monthlyLogPath() const {
    std::string shortName = netField(shell::kShortName);
    std::string date = base::shortDate(loop_.localNow());
    return shortName + "\\" + shortName + base::copy(date, 1, 2) + base::copy(date, 4, 2) + ".LOG";
}

bool VazevModel::openCaptureLog() {
    closeCaptureLog();
    capture_ = std::fopen(base::joinPath(folder_, kCaptureLog).c_str(), "wb");
    if (!capture_)
        return false;
    writeCaptureLine("*- TRN_TMP_LOG_FILE -*");
    writeCaptureLine(monthlyLogPath());
    writeCaptureLine(std::to_string(netNo_));
    writeCaptureLine("----------------------------");
    writeCaptureLine("    " + stampNow());
    writeCaptureLine("----------------------------");
    std::fflush(capture_);
    // Without its record the capture is still imported, only less strictly.
    commandRecord_ = std::fopen(base::joinPath(folder_, kCommandRecord).c_str(), "wb");
    return true;
}

void VazevModel::writeCaptureLine(const std::string& line) {
    if (!capture_)
        return;
    std::fwrite(line.data(), 1, line.size(), capture_);
    std::fwrite("\r\n", 1, 2, capture_);
}

void VazevModel::noteTypedCommand(std::string_view sent) {
    if (!commandRecord_)
        return;
    const std::string line = "C " + std::to_string(writePointer_) + " " +
                             std::string(sent.substr(0, sent.find('\r'))) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), commandRecord_);
    std::fflush(commandRecord_);
}

void VazevModel::closeCaptureLog() {
    if (commandRecord_) {
        std::fclose(commandRecord_);
        commandRecord_ = nullptr;
    }
    if (capture_) {
        std::fclose(capture_);
        capture_ = nullptr;
    }
}

// ---- Start ----

void VazevModel::AutoLoginClick() {
    if (running_)
        return;
    // A capture left by an interrupted run holds what the host handed over then (mail it
    // has deleted since): it is imported before this run empties the capture log.
    const int selected = macro_.selectedNet();
    switch (host_.recoverLeftOverCapture()) {
    case RunHost::Recovery::Nothing:
        break;
    case RunHost::Recovery::Imported:
        // The import may have chosen the capture's net; the run is for the one chosen here.
        if (macro_.selectedNet() != selected)
            macro_.ListBox1Click(selected);
        macro_.Convert();
        break;
    case RunHost::Recovery::Failed:
        outcome_ = RunOutcome::NotStarted;
        resultsSaved_ = true;
        setStatus(base::sj(
            u8"前回のキャプチャログ VESPARI.LOG を取り込めないため、通信を開始しません．"));
        logError(status_);
        host_.showMainWindow();
        host_.setMainAndMacroEnabled(true);
        host_.hideTerminal();
        host_.runFinished();
        return;
    }
    netIndex_ = macro_.selectedNet();
    netNo_ = macro_.currentNet();
    int setting = base::strToIntDef(netField(shell::kModemSetNo), 0);
    modemSetting_ = (setting >= 0 && setting < shell::kModemSettings) ? setting : 0;
    commands_ = macro_.commandList();

    running_ = true;
    connected_ = false;
    linesSent_ = 0;
    writeStart_ = 0;
    lines_.assign(kLineCount, std::string());
    escapes_.reset();
    colours_.clear();
    readPointer_ = writePointer_ = 1;
    currentPosting_.clear();
    postingOpen_ = false;
    postedReservation_.clear();
    currentTransfer_.clear();
    mailDeleteReply_ = "Y";
    waitNextLine_ = false;
    uploadSent_ = false;
    quitSent_ = false;
    receiveMode_ = 0;
    crRetries_ = 0;
    idleTicks_ = 0;
    lastMacroPointer_ = -1;
    lastLine_.clear();
    tableFull_ = false;
    hangUpPhase_ = HangUp::None;
    macroPointer_ = 0;
    stateOverride_ = "*";
    outcome_ = RunOutcome::None;
    resultsSaved_ = true;
    aborting_ = false;
    answerLine_ = 0;

    const std::string startStamp = stampNow();
    if (!openCaptureLog()) {
        setStatus(base::sj(u8"キャプチャログ VESPARI.LOG を作成できません."));
        errorLog_.add(startStamp + status_);
        setOutcome(RunOutcome::OpenFailed);
        COMABORT();
        return;
    }
    if (!port_.open(modem().port, modem().baudRate)) {
        setStatus(base::sj(u8"通信ポートをオープンできません.") + withReason(port_.failure()));
        errorLog_.add(startStamp + status_);
        setOutcome(RunOutcome::OpenFailed);
        const std::string status = status_;
        COMABORT();
        setStatus(status); // the run ends with the cause on show
        return;
    }
    std::fflush(capture_);
    startTick();
}

void VazevModel::startTick() {
    tick_.setEnabled(true);
}

void VazevModel::stopTick() {
    tick_.setEnabled(false);
}

// ---- The engine tick ----

void VazevModel::Timer2Timer() {
    if (macroPointer_ != lastMacroPointer_)
        crRetries_ = 0;
    lastMacroPointer_ = macroPointer_;
    if (view_)
        view_->blinkCursor(cursorPhase_);

    Command();
    if (!tick_.enabled())
        return; // the step ended the run or started the hang-up

    if (view_)
        view_->counters(countersText());
    const std::string& current = lines_[static_cast<size_t>(writePointer_)];
    if (current != lastLine_ && view_)
        view_->redraw();

    if (current != lastLine_ || !keyGard_ || (transfer_ && transfer_->visible())) {
        idleTicks_ = 0;
    } else {
        if (!lastLine_.empty() && idleTicks_ > 34 && macroPointer_ > 1) {
            setStatus(base::sj(u8"[CR]を送信しました．"));
            send("\r");
            idleTicks_ = 0;
            ++crRetries_;
            if (crRetries_ > 2)
                idleTicks_ = 999;
        }
        ++idleTicks_;
    }

    if (idleTicks_ > 100 && macroPointer_ > 1) {
        setStatus(base::sj(u8"タイムアウト.ホストまたはﾓﾃﾞﾑからの応答がありません"));
        errorLog_.add(base::ErrorLog::stampedTight(loop_.localNow(), status_));
        setOutcome(RunOutcome::TimedOut);
        COMABORT();
        return;
    }
    if (capture_)
        std::fflush(capture_);
    lastLine_ = lines_[static_cast<size_t>(writePointer_)];
    cursorPhase_ = !cursorPhase_;
}

// ---- Ends ----

void VazevModel::Button2Click() {
    if (!running_)
        return;
    setStatus(base::sj(u8"手動により通信が終了しました."));
    logError(status_);
    setOutcome(RunOutcome::Forced);
    COMABORT();
}

void VazevModel::COMABORT() {
    if (!running_)
        return;
    // From here on nothing but the hang-up goes out: no rule answers what still arrives.
    aborting_ = true;
    stopTick();
    if (transfer_ && transfer_->visible())
        transfer_->abort();
    if (connected_ && port_.networkLine()) {
        // No modem to escape to: closing the connection is the hang-up, and "+++" would
        // only reach the host as text.
        connected_ = false;
    }
    if (connected_) {
        setStatus(base::sj(u8"回線切断中です."));
        // "+++" is taken as an escape only after a guard time without sending.
        hangUpPhase_ = HangUp::Guard;
        std::int64_t quiet = loop_.nowMs() - lastSendMs_;
        hangUpTimer_.setEnabled(false);
        hangUpTimer_.setInterval(quiet >= kGuardMs ? 1 : static_cast<int>(kGuardMs - quiet));
        hangUpTimer_.setEnabled(true);
        return;
    }
    setOutcome(macroPointer_ >= MacroCount() ? RunOutcome::Completed : RunOutcome::LineLost);
    endRun();
    setStatus(base::sj(u8"強制終了シマシタ."));
    beep();
    endOfRunSequence();
}

void VazevModel::hangUpStep() {
    hangUpTimer_.setEnabled(false);
    switch (hangUpPhase_) {
    case HangUp::Guard:
        send("+++");
        hangUpPhase_ = HangUp::Pause;
        hangUpTimer_.setInterval(kGuardMs);
        hangUpTimer_.setEnabled(true);
        break;
    case HangUp::Pause:
        send("ATH\r\n");
        hangUpPhase_ = HangUp::WaitCarrier;
        hangUpTimer_.setInterval(kHangUpLimitMs);
        hangUpTimer_.setEnabled(true);
        break;
    case HangUp::WaitCarrier:
        endWithoutCarrier();
        break;
    case HangUp::DirectQuiet:
        hangUpPhase_ = HangUp::None;
        COMABORT();
        break;
    case HangUp::None:
        break;
    }
}

// The modem kept the line up after "ATH": the run ends without the carrier drop, and the
// status says so rather than reporting a drop that was never seen.
void VazevModel::endWithoutCarrier() {
    hangUpPhase_ = HangUp::None;
    connected_ = false;
    setOutcome(RunOutcome::NoHangUp);
    endRun();
    setStatus(base::sj(u8"回線切断の確認ができません．通信を終了します．"));
    logError(status_);
    beep();
    endOfRunSequence();
}

void VazevModel::cancelHangUp() {
    hangUpTimer_.setEnabled(false);
    hangUpPhase_ = HangUp::None;
}

// Only a drop of the carrier counts: the rise that comes with a connection is not a loss.
void VazevModel::Comm1CommEvent(bool carrierOn) {
    if (!running_ || !connected_ || carrierOn)
        return;
    connected_ = false;
    cancelHangUp();
    beep();
    if (macroPointer_ < MacroCount()) {
        setStatus(base::sj(u8"マクロを実行し終える前に回線切断を検出しました."));
        logError(status_);
        setOutcome(RunOutcome::LineLost);
        COMABORT();
        return;
    }
    stopTick();
    setOutcome(RunOutcome::Completed);
    endRun();
    setStatus(base::sj(u8"回線が切れました."));
    beep();
    endOfRunSequence();
}

void VazevModel::Comm1LineLost() {
    if (!running_)
        return;
    const std::string failure = port_.failure();
    if (hangUpPhase_ == HangUp::DirectQuiet) {
        // A direct line after the log-out: the host closing it is the normal end.
        cancelHangUp();
        COMABORT();
        return;
    }
    if (connected_ && failure.empty()) {
        // With a call up, a lost device is the carrier's loss.
        Comm1CommEvent(false);
        return;
    }
    // Dialling or initialising, nothing else would ever tell the run; and a network line
    // whose connection was never made has no call to lose.
    if (!failure.empty()) {
        setStatus(base::sj(u8"通信ポートをオープンできません.") + withReason(failure));
        setOutcome(RunOutcome::OpenFailed);
    } else {
        setStatus(base::sj(u8"通信回線が失われました.") + withReason(port_.deviceName()));
        setOutcome(RunOutcome::LineLost);
    }
    logError(status_);
    const std::string status = status_;
    connected_ = false;
    cancelHangUp();
    COMABORT();
    setStatus(status); // the cause, not the forced end, is what the run ends with
}

// What both ends of a run share before the end-of-run sequence.
void VazevModel::endRun() {
    aborting_ = true;
    settleConfirmations();
    cancelHangUp();
    stopTick();
    host_.showMainWindow();
    keepUnfinishedLine();
    readPointer_ = writePointer_;
    for (int i = 0; i < 3; ++i)
        lines_[static_cast<size_t>(writePointer_ + i)] = "END.";
    macroPointer_ = kNotRunning;
}

// The state machine takes one received line per step, so the host's last lines may not
// have been looked at when the run ends (a host that confirms a posting and drops the line
// at once). A confirmation among them still removes its reservation: one the host has
// saved must never be posted again on the next run.
void VazevModel::settleConfirmations() {
    for (int i = readPointer_; i <= writePointer_ && i < kLineCount; ++i) {
        const std::string& L = lines_[static_cast<size_t>(i)];
        if (!postedReservation_.empty() &&
            base::contains(L, base::sj(u8"書き込み中　...終了しました"))) {
            deletePostedBlock();
            postedReservation_.clear();
        }
        if (!currentTransfer_.empty() && stateOverride_ == "WAITTRAN" &&
            base::contains(L, base::sj(u8"転送終了"))) {
            KillYoyaku(currentTransfer_);
            currentTransfer_.clear();
        }
    }
}

// The host's last words may come without a line end (a goodbye, the line dropped in the
// middle of a line): they stay a line of the table and of the capture, before "END.".
void VazevModel::keepUnfinishedLine() {
    std::string& current = lines_[static_cast<size_t>(writePointer_)];
    if (current.empty() || writePointer_ >= kLastWritePointer)
        return;
    writeCaptureLine(current);
    ++writePointer_;
    lines_[static_cast<size_t>(writePointer_)].clear();
}

void VazevModel::endOfRunSequence() {
    running_ = false;
    connected_ = false;
    receiveMode_ = 0;
    port_.close();
    closeCaptureLog();
    host_.setMainAndMacroEnabled(true);
    host_.hideTerminal();
    if (!macro_.Convert() && macro_.netLoaded())
        resultsSaved_ = false;
    if (!host_.LogConv(lines_, writePointer_, netNo_))
        resultsSaved_ = false;
    host_.runFinished();
}

} // namespace engine
