#include "macro/MacroModel.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>
#include <utility>

namespace macro {

namespace {

const std::string kEmpty;

// The step commands in the order Convert writes them, between LOGIN and the reservations.
struct StepCommand {
    Step step;
    const char* command;
};
constexpr StepCommand kStepsBeforeReservations[] = {
    {Step::FBOARD, "FBOARD"}, {Step::MBOARD, "MBOARD"},         {Step::MEMBOR, "MEMBOR"},
    {Step::MIDOKU, nullptr},  {Step::NEWMESSAGE, "NEWMESSAGE"}, {Step::NewFile, "NEWFILE"},
};

// The words that tick a step when a line of NET.MAC begins with them.
constexpr StepCommand kStepWords[] = {
    {Step::MEMBOR, "MEMBOR"},   {Step::NEWMESSAGE, "NEWMESSAGE"},
    {Step::NewFile, "NEWFILE"}, {Step::FBOARD, "FBOARD"},
    {Step::QUIT, "QUIT"},       {Step::MBOARD, "MBOARD"},
};

// File errors name the file in the program's own text and the reason in plain ASCII.
std::string what(const std::exception& e) {
    return e.what();
}

} // namespace

std::string boardNameOf(std::string_view line) {
    const int p = base::pos(": ", line);
    if (p == 0)
        return {};
    std::string rest = base::copyFrom(line, p + 2);
    const size_t blank = rest.find(' ');
    return blank == std::string::npos ? rest : rest.substr(0, blank);
}

std::string boardNumberOf(std::string_view line) {
    return base::copy(line, 3, 2);
}

MacroModel::MacroModel(const shell::NetList& nets, MacroHost& host, std::string baseFolder)
    : nets_(nets), host_(host), base_(std::move(baseFolder)),
      reserve_(kCommandCapacity - kMaxFixedCommands) {}

const std::string& MacroModel::MacroLines(int i) const {
    if (i < 0 || i >= MacroCount())
        return kEmpty;
    return macroLines_[static_cast<size_t>(i)];
}

void MacroModel::notify() {
    if (view_)
        view_->macroChanged();
}

// --- Loading a net ---

std::string MacroModel::netFolder(int net) const {
    if (!nets_.has(net))
        return {};
    const std::string name = nets_.field(net, shell::kShortName);
    if (!shell::plainFolderName(name))
        return {}; // never the data folder itself nor a folder outside it
    return base::joinPath(base_, name);
}

std::string MacroModel::macroPath() const {
    return base::joinPath(folder_, kMacroFile);
}

void MacroModel::setNetNo(const std::string& text) {
    if (text == netNo_)
        return;
    netNo_ = text;
    NetNoChange();
}

void MacroModel::NetNoChange() {
    const auto number = base::strToInt(netNo_);
    currentNet_ = number ? *number : kNoNet;
    macroLines_.clear();
    reserve_.clear();
    netShown_ = false;
    canWrite_ = false;
    folder_.clear();
    boardLines_.clear();
    selectedBoard_ = -1;

    if (currentNet_ < 0 || currentNet_ > kMaxNet || !nets_.has(currentNet_)) {
        notify();
        return;
    }
    folder_ = netFolder(currentNet_);
    if (folder_.empty()) {
        // Without a plain folder name the net's NET.MAC would be the template itself, or a
        // file outside the data folder.
        host_.warn(base::sj(u8"ネットのフォルダ名（略称）が空か，フォルダ名に使えません．"
                            u8"ネットの編集で設定してください．"));
        notify();
        return;
    }
    netShown_ = true;
    canWrite_ = true;
    const std::string path = macroPath();
    if (base::fileExists(path))
        loadMacroFile(path);
    else
        startFromTemplate(folder_);
    loadBoardList();
    notify();
}

void MacroModel::loadMacroFile(const std::string& path) {
    base::Lines lines;
    try {
        lines = base::readLines(path);
    } catch (const base::FileError& e) {
        canWrite_ = false;
        host_.warn(
            base::sj(u8"NET.MAC を読み込めません．このネットの NET.MAC は書き換えません．\n") +
            what(e));
        return;
    }
    const base::Lines whole = lines;
    bool tooLong = false;
    if (lines.size() > static_cast<size_t>(kCommandCapacity)) {
        lines.resize(kCommandCapacity);
        tooLong = true;
    }
    macroLines_ = lines;

    const std::string lastRead = nets_.field(currentNet_, shell::kLastRead);
    if (base::contains(lastRead, "/"))
        if (auto d = parseHostDate(lastRead))
            setUnread(*d);

    readCommandLines(lines);
    if (!tooLong && !lostReservations_)
        return;

    // Part of the file does not fit; keep the whole of it beside, so that the next Convert
    // does not silently leave the net with less than it had.
    std::string message =
        base::sj(u8"NET.MAC が長すぎて全部は読み込めませんでした（コマンドと予約は合わせて 10000 "
                 u8"行まで）．");
    try {
        base::replaceLines(base::joinPath(folder_, kMacroBackup), whole);
        message += base::sj(u8"\n元のファイルは NET.BAK に保存しました．");
    } catch (const base::FileError& e) {
        canWrite_ = false;
        message +=
            base::sj(
                u8"\n元のファイルを保存できないため，このネットの NET.MAC は書き換えません．\n") +
            what(e);
    }
    host_.warn(message);
}

void MacroModel::readCommandLines(const base::Lines& lines) {
    steps_.fill(false);
    lostReservations_ = false;
    for (size_t i = 0; i < lines.size();) {
        const std::string& line = lines[i];
        for (const StepCommand& s : kStepWords)
            if (line.starts_with(s.command))
                steps_[static_cast<size_t>(s.step)] = true;
        if (line.starts_with("MIDOKU")) {
            steps_[static_cast<size_t>(Step::MIDOKU)] = true;
            if (auto d = parseHostDate(line))
                setUnread(*d);
        }
        const size_t next = reserve_.readBlock(lines, i, lostReservations_);
        i = next == i ? i + 1 : next;
    }
}

void MacroModel::startFromTemplate(const std::string& folder) {
    base::makeDirs(folder); // an existing folder or a failure shows at the first write
    const std::string path = base::joinPath(base_, kMacroFile);
    try {
        macroLines_ = base::readLines(path);
    } catch (const base::FileError& e) {
        host_.warn(base::sj(u8"NET.MAC のひな形を読み込めません．\n") + what(e));
        return;
    }
    if (macroLines_.size() > static_cast<size_t>(kCommandCapacity))
        macroLines_.resize(kCommandCapacity);
    if (macroLines_.size() >= 2)
        macroLines_[1] = "DIAL{" + std::to_string(currentNet_) + "}";
}

void MacroModel::loadBoardList() {
    boardLines_.clear();
    selectedBoard_ = -1;
    if (!netShown_)
        return;
    const char* name = boardKind_ == BoardKind::Message ? "MBOARD.LST" : "FBOARD.LST";
    try {
        base::readLinesIfExists(base::joinPath(folder_, name), boardLines_);
    } catch (const base::FileError& e) {
        host_.warn(base::sj(u8"ボードリストを読み込めません．\n") + what(e));
    }
}

// --- The net list and the window ---

void MacroModel::FormShow() {
    if (netNo_ != "999")
        return;
    netButtons_ = false;
    // Only nets 0 to 99 can be served (their numbers are two digits wherever they are
    // stored); a longer list keeps the rest in NETLIST.DAT, out of every window's reach.
    netNames_ = nets_.names();
    if (netNames_.size() > static_cast<size_t>(kMaxNet) + 1) {
        netNames_.resize(static_cast<size_t>(kMaxNet) + 1);
        if (!toldTooManyNets_)
            host_.warn(base::sj(u8"NETLIST.DAT には 100 件を超えるネットがあります．"
                                u8"101 件目から後のネットは使えません．"
                                u8"環境設定でネットを 100 件以下にしてください．"));
        toldTooManyNets_ = true;
    }
    selectedNet_ = -1;
    NetNoChange();
    host_.setMainNetSelector(netNames_, -1);
    notify();
}

void MacroModel::reloadNetList() {
    // The net shown is left as when another net is chosen. Its state goes to the folder it
    // was loaded from: the new list may have moved it to another number or removed it, and
    // its old number may now name another net.
    if (currentNet_ >= 0 && currentNet_ <= kMaxNet)
        Convert();
    setNetNo("999");
    FormShow();
}

void MacroModel::ListBox1Click(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()))
        return;
    netButtons_ = true;
    if (currentNet_ >= 0 && currentNet_ <= kMaxNet)
        Convert();
    selectedNet_ = index;
    setNetNo(std::to_string(index));
    host_.selectMainNet(index);
    notify();
}

void MacroModel::FormClose() {
    if (currentNet_ >= 0 && currentNet_ <= kMaxNet)
        Convert();
}

// --- Steps and the unread date ---

void MacroModel::setChecked(Step step, bool on) {
    steps_[static_cast<size_t>(step)] = on;
    notify();
}

void MacroModel::setYear(int v) {
    unread_.year = std::clamp(v, UnreadDate::kMinYear, UnreadDate::kMaxYear);
    notify();
}

void MacroModel::setMonth(int v) {
    unread_.month = std::clamp(v, 1, 12);
    monthChange();
}

void MacroModel::monthChange() {
    dayMax_ = monthDays(unread_.month);
    unread_.day = std::min(unread_.day, dayMax_);
    notify();
}

void MacroModel::setDay(int v) {
    unread_.day = std::clamp(v, 1, dayMax_);
    notify();
}

void MacroModel::setHour(int v) {
    unread_.hour = std::clamp(v, 0, 23);
    notify();
}

void MacroModel::setMinute(int v) {
    unread_.minute = std::clamp(v, 0, 59);
    notify();
}

void MacroModel::setUnread(const UnreadDate& d) {
    unread_.year = std::clamp(d.year, UnreadDate::kMinYear, UnreadDate::kMaxYear);
    unread_.month = std::clamp(d.month, 1, 12);
    dayMax_ = monthDays(unread_.month);
    unread_.day = std::clamp(d.day, 1, dayMax_);
    unread_.hour = std::clamp(d.hour, 0, 23);
    unread_.minute = std::clamp(d.minute, 0, 59);
    notify();
}

// --- Convert ---

base::Lines MacroModel::buildCommandList() const {
    base::Lines lines = {"SETKTBBS", "DIAL{" + netNo_ + "}", "LOGIN"};
    for (const StepCommand& s : kStepsBeforeReservations) {
        if (!checked(s.step))
            continue;
        lines.push_back(s.command ? std::string(s.command) : "MIDOKU :" + midokuDate(unread_));
    }
    const base::Lines reserved = reserve_.lines();
    lines.insert(lines.end(), reserved.begin(), reserved.end());
    if (checked(Step::QUIT))
        lines.push_back("QUIT");
    return lines;
}

bool MacroModel::writeMacroFile(const base::Lines& lines, bool warnUser) {
    if (!canWrite_ || folder_.empty())
        return false;
    try {
        base::replaceLines(macroPath(), lines);
    } catch (const base::FileError& e) {
        if (warnUser)
            host_.warn(
                base::sj(
                    u8"NET.MAC を書き込めませんでした．前のファイルはそのまま残っています．\n") +
                what(e));
        return false;
    }
    return true;
}

bool MacroModel::Convert() {
    macroLines_ = buildCommandList();
    return writeMacroFile(macroLines_, true);
}

bool MacroModel::saveNetMac() {
    return writeMacroFile(buildCommandList(), false);
}

// --- Reservations ---

bool MacroModel::refusedDuringRun() {
    if (!host_.runActive())
        return false;
    host_.warn(base::sj(u8"通信中は予約できません．通信が終わってからもう一度予約してください．"));
    return true;
}

MacroModel::NetState MacroModel::netState() const {
    return {macroLines_,   reserve_,          netNo_, currentNet_, folder_, netShown_,
            canWrite_,     lostReservations_, steps_, unread_,     dayMax_, boardLines_,
            selectedBoard_};
}

void MacroModel::restoreNetState(NetState&& s) {
    macroLines_ = std::move(s.macroLines);
    reserve_ = std::move(s.reserve);
    netNo_ = std::move(s.netNo);
    currentNet_ = s.currentNet;
    folder_ = std::move(s.folder);
    netShown_ = s.netShown;
    canWrite_ = s.canWrite;
    lostReservations_ = s.lostReservations;
    steps_ = s.steps;
    unread_ = s.unread;
    dayMax_ = s.dayMax;
    boardLines_ = std::move(s.boardLines);
    selectedBoard_ = s.selectedBoard;
}

bool MacroModel::appendHere(const base::Lines& block) {
    if (!canWrite_) {
        host_.warn(base::sj(u8"予約するネットを読み込めません．この予約は追加しませんでした．"));
        return false;
    }
    if (!reserve_.append(block)) {
        host_.warn(base::sj(u8"予約リストがいっぱいです（") + std::to_string(reserve_.limit()) +
                   base::sj(u8" 行まで）．この予約は追加しませんでした．"));
        return false;
    }
    return Convert();
}

bool MacroModel::appendReservation(int net, const base::Lines& block) {
    if (!ReserveList::wellFormed(block)) {
        // Nothing but whole blocks may reach NET.MAC, or a stray line would become a
        // command or end another block on the next load. Refused before the net shown is
        // touched.
        host_.warn(base::sj(u8"予約の形が正しくありません．この予約は追加しませんでした．"));
        return false;
    }
    if (refusedDuringRun())
        return false;
    bool done = false;
    if (netShown_ && net == currentNet_) {
        done = appendHere(block);
    } else {
        // The net shown stays in memory as it is; only the other net is read and written.
        NetState shown = netState();
        netNo_ = std::to_string(net);
        NetNoChange();
        done = appendHere(block);
        restoreNetState(std::move(shown));
    }
    setNetNo(selectedNet_ >= 0 ? std::to_string(selectedNet_) : "999");
    notify();
    return done;
}

bool MacroModel::removeReservationAt(int line) {
    if (line < 0 || line >= reserve_.ReserveCount() || refusedDuringRun())
        return false;
    reserve_.removeBlockAt(line);
    Convert();
    notify();
    return true;
}

void MacroModel::resformcleateClick() {
    if (!refusedDuringRun())
        host_.openReplyWriter();
}

void MacroModel::newwriteformcleateClick() {
    if (!refusedDuringRun())
        host_.openNewWriter();
}

void MacroModel::MailWriteFormCleateClick() {
    if (!refusedDuringRun())
        host_.openMailWriter();
}

void MacroModel::openUploadRequest() {
    if (!refusedDuringRun())
        host_.openUploadRequest();
}

// --- Boards ---

void MacroModel::setBoardKind(BoardKind kind) {
    boardKind_ = kind;
    loadBoardList();
    notify();
}

void MacroModel::selectBoard(int index) {
    selectedBoard_ = index >= 0 && index < static_cast<int>(boardLines_.size()) ? index : -1;
    notify();
}

void MacroModel::boardDoubleClick() {
    if (boardKind_ == BoardKind::Message)
        press(Button::Open);
}

// --- Buttons ---

bool MacroModel::enabled(Button b) const {
    const bool board = selectedBoard_ >= 0;
    const bool message = boardKind_ == BoardKind::Message;
    switch (b) {
    case Button::Login:
        return netButtons_ && host_.provides(Feature::Run);
    case Button::MemberList:
        return netButtons_ && host_.provides(Feature::MemberList);
    case Button::MailBox:
        return netButtons_ && host_.provides(Feature::MailBox);
    case Button::LogImport:
        return netButtons_ && host_.provides(Feature::LogImport);
    case Button::Open:
        return board && message && host_.provides(Feature::BoardViewer);
    case Button::LogEdit:
        return board && message && host_.provides(Feature::LogEdit);
    case Button::ArticleList:
        return board && host_.provides(Feature::ArticleList);
    case Button::Write:
        return board && host_.provides(message ? Feature::NewWriter : Feature::UploadRequest);
    case Button::Timer:
        return host_.provides(Feature::Timer);
    case Button::TextStyle:
        return host_.provides(Feature::TextStyle);
    case Button::ReserveEditor:
        return host_.provides(Feature::ReserveEditor);
    case Button::EditNets:
    case Button::ModemSettings:
    case Button::FontSettings:
    case Button::Help:
        return true;
    }
    return false;
}

void MacroModel::press(Button b) {
    if (!enabled(b))
        return;
    switch (b) {
    case Button::Open:
        host_.openBoardViewer();
        host_.hideMacroWindow();
        break;
    case Button::ArticleList:
        host_.openArticleList();
        break;
    case Button::LogEdit:
        host_.showLogEdit();
        break;
    case Button::MemberList:
        host_.showMemberList();
        break;
    case Button::MailBox:
        host_.openMailViewer();
        host_.hideMacroWindow();
        break;
    case Button::Timer:
        host_.showTimerWindow();
        break;
    case Button::TextStyle:
        host_.showTextStyle();
        break;
    case Button::ReserveEditor:
        host_.showReserveEditor();
        break;
    case Button::EditNets:
        host_.showSettings(shell::SettingPage::Net);
        break;
    case Button::ModemSettings:
        host_.showSettings(shell::SettingPage::Modem);
        break;
    case Button::FontSettings:
        host_.showSettings(shell::SettingPage::Font);
        break;
    case Button::Help:
        host_.showAbout();
        break;
    case Button::Write:
        writeButtonClick();
        break;
    case Button::Login:
        BitBtn2Click();
        break;
    case Button::LogImport:
        break; // the window asks for the file, then calls importSavedLog
    }
}

bool MacroModel::BitBtn2Click() {
    if (!host_.provides(Feature::Run) || !nets_.has(selectedNet_))
        return false;
    host_.stopTimerClock();
    host_.hideErrorLog();
    host_.showTerminal();
    host_.hideMacroWindow();
    Convert();
    host_.startAutoLogin();
    return true;
}

void MacroModel::writeButtonClick() {
    if (!enabled(Button::Write))
        return;
    newSlot_.NewNetName = nets_.field(currentNet_, shell::kNetName);
    newSlot_.NewNetNo = netNo_;
    newSlot_.NewBoard = boardNameOf(boardLines_[static_cast<size_t>(selectedBoard_)]);
    newSlot_.NewTitle = base::sj(u8"タイトルを入れてください");
    newSlot_.NewText.clear();
    newSlot_.NewWriteMode = "NEW";
    newSlot_.UpFileName.clear();
    if (boardKind_ == BoardKind::Message)
        newwriteformcleateClick();
    else
        openUploadRequest();
}

void MacroModel::importSavedLog(const std::string& path) {
    if (!enabled(Button::LogImport))
        return;
    base::Lines lines;
    try {
        lines = base::readLines(path);
    } catch (const base::FileError& e) {
        host_.warn(base::sj(u8"ログファイルを読み込めません．\n") + what(e));
        return;
    }
    host_.importLog(lines);
}

} // namespace macro
