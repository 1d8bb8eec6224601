#pragma once
// The net manager: the control centre for one net at a time, the current net. It holds
// that net's command list (MacroLines), its reservation list, the seven fixed steps a run
// performs, the unread date, the board list and the hand-over slots through which other
// windows pass a net, board, title, text and mode to a writer.
//
// Data flow: choosing a net sets the net number text (NetNo), which loads the net's
// NET.MAC from its folder (ticking the steps it holds, restoring the unread date and
// splitting its reservation blocks into the reservation list) or starts a new net from
// the NET.MAC template. Convert rebuilds the command list from the current state and
// writes NET.MAC again; it runs before a run, when the user leaves a net, when the window
// closes and after every reservation append. The window (TMacroForm) forwards user
// actions here and shows the state after MacroView::macroChanged; everything outside the
// net manager is reached through MacroHost.
//
// Paths: `baseFolder` is the data folder; net n's files are in baseFolder/<short name>,
// the template is baseFolder/NET.MAC. Every NET.MAC is Shift-JIS with CR LF and replaced
// atomically; a failed write is reported and leaves the previous file in place.
#include "base/LineFile.h"
#include "macro/MacroHost.h"
#include "macro/ReserveList.h"
#include "macro/UnreadDate.h"
#include "shell/NetList.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace macro {

// The fixed steps, each a check box that adds one command.
enum class Step { NEWMESSAGE, MEMBOR, QUIT, NewFile, MIDOKU, MBOARD, FBOARD };
constexpr int kStepCount = 7;

// Which board list is shown: "メッセージボード" (SpeedButton1) or "ファイルボード"
// (SpeedButton2); exactly one is down.
enum class BoardKind { Message, File };

// The net manager's buttons whose enabled state follows rules.
enum class Button {
    Login,         // "ログイン"
    Open,          // "開く"
    ArticleList,   // "ｱｰﾃｨｸﾙリスト"
    LogEdit,       // "ログの整理"
    MemberList,    // "メンバー一覧"
    MailBox,       // "メールボックス"
    Timer,         // "タイマーログイン"
    TextStyle,     // "ﾃｷｽﾄｽﾀｲﾙ"
    ReserveEditor, // "読み込み＆書きこみ予約の編集"
    LogImport,     // "LOG取込み"
    Write,         // "新規書込み" / "ｱｯﾌﾟﾛｰﾄﾞ"
    EditNets,      // "ネットの編集"
    ModemSettings, // "モデム設定"
    FontSettings,  // "フォント設定"
    Help,          // "ヘルプ !!"
};

// Hand-over slots. They hold the values of the last opening only; a writer copies what it
// needs when it opens. Net numbers are decimal text, modes "NEW", "EDIT" (mail also "RES").
struct ReplySlot {
    std::string ResNetName, ResText, ResNumber, ResMode, ResNetNo, ResBoard;
};
struct NewSlot {
    std::string NewText, NewNetName, NewNetNo, NewBoard, NewTitle, NewWriteMode, UpFileName;
};
struct MailSlot {
    std::string MailNetNo, MailNetName, MailMode, MailText, MailTitle, MailSendId, MailKind;
};

// A board-list line is "00" + two-digit number + ": " + name and more. The name is the
// text after the first ": " up to the next blank ("" without ": "); the number is
// characters 3 and 4.
std::string boardNameOf(std::string_view line);
std::string boardNumberOf(std::string_view line);

class MacroModel {
public:
    static constexpr int kCommandCapacity = 10000;
    // SETKTBBS, DIAL, LOGIN, six steps and QUIT: the reservations may fill the rest.
    static constexpr int kMaxFixedCommands = 10;
    static constexpr int kNoNet = 999;
    static constexpr int kMaxNet = 99;
    static constexpr const char* kMacroFile = "NET.MAC";
    static constexpr const char* kMacroBackup = "NET.BAK";

    // `nets` is only read; it and `host` must outlive the model.
    MacroModel(const shell::NetList& nets, MacroHost& host, std::string baseFolder = ".");
    void setView(MacroView* view) { view_ = view; }

    // --- The command list the engine works through (valid after Convert). ---
    int MacroCount() const { return static_cast<int>(macroLines_.size()); }
    const std::string& MacroLines(int i) const;
    const base::Lines& commandList() const { return macroLines_; }

    // --- The reservation list of the current net. This model is its one owner: windows
    // append with appendReservation and remove with removeReservationAt, each of which
    // writes NET.MAC at once, so the list in memory and the file never differ. The engine
    // removes the blocks it carried out through reserve() and saves each removal with
    // saveNetMac. ---
    ReserveList& reserve() { return reserve_; }
    const ReserveList& reserve() const { return reserve_; }

    // Appends a block (ReserveList::makeBlock) for net `net` and writes that net's NET.MAC.
    // For the net shown the block joins its list; for another net, that net is loaded, the
    // block appended and its file written, and then the net shown comes back exactly as it
    // was in memory (never read again from its file, which could bring back blocks already
    // carried out or taken out for editing). The net number then follows the net selected
    // in the net list ("999" when none is). Refused with a warning, and nothing already
    // reserved lost: while a run is on, a block that would not fit, a block that is not
    // well formed (ReserveList::wellFormed), a net that cannot be loaded. True when the
    // block was appended and NET.MAC written.
    bool appendReservation(int net, const base::Lines& block);
    // Removes the block that starts at line `line` of the current net's list and writes
    // NET.MAC. Refused (false, with the warning) while a run is on, or out of range.
    bool removeReservationAt(int line);

    // True while a run is on.
    bool runActive() const { return host_.runActive(); }
    // While a run is on: warns that nothing can be reserved now and returns true. Every
    // window that reserves, or opens a writer, asks this first.
    bool refusedDuringRun();

    // --- The current net. ---
    const std::string& NetNo() const { return netNo_; }
    // Setting a different text loads that net (NetNoChange); the same text changes nothing.
    void setNetNo(const std::string& text);
    // Loads the net NetNo names: 0-99 and in the net list, else no net (lists empty).
    void NetNoChange();
    // NetNo as a number; 999 for no net, and for text that is not a number.
    int currentNet() const { return currentNet_; }
    // True when a net is loaded and its NET.MAC may be written.
    bool netLoaded() const { return canWrite_; }
    // Net n's folder (base folder + its short name), "" for a net not in the list or one
    // whose short name is not one plain folder name.
    std::string netFolder(int net) const;

    // --- The net list (ListBox1) and the window's lifecycle. ---
    const std::vector<std::string>& netNames() const { return netNames_; }
    int selectedNet() const { return selectedNet_; }
    // Shown with no net ("999"): lists the nets again, none selected, and tells the main
    // window's net selector. Does nothing while a net is loaded.
    void FormShow();
    // The net list was saved: saves the net shown into the folder it was loaded from, as
    // leaving it does, then forgets it (NetNo "999") and runs FormShow.
    void reloadNetList();
    // Chooses net `index` of the net list: saves the net being left, loads the
    // chosen one and selects it in the main window's net selector. An index outside the
    // list is ignored.
    void ListBox1Click(int index);
    // Leaving the window saves the current net.
    void FormClose();

    // --- Fixed steps. ---
    bool checked(Step step) const { return steps_[static_cast<size_t>(step)]; }
    void setChecked(Step step, bool on);

    // --- The unread date. Setters clamp to the fields' ranges (year 50-149, i.e.
    // 1950-2049); setting the month applies the month rule (monthChange). ---
    const UnreadDate& unread() const { return unread_; }
    int dayMax() const { return dayMax_; }
    void setYear(int yearsSince1900);
    void setMonth(int month);
    void setDay(int day);
    void setHour(int hour);
    void setMinute(int minute);
    void setUnread(const UnreadDate& d);
    // The day's maximum becomes the month's length (February 29); a day above it is lowered.
    void monthChange();

    // Rebuilds the command list and writes the current net's NET.MAC. False when no net
    // is loaded (the list is still built) or the write failed (reported through warn).
    bool Convert();
    // Writes the current net's NET.MAC from the current state, as Convert does, but leaves
    // the command list alone: a run in progress works through that list while the carried-
    // out reservations leave the reservation list, and each removal is saved at once so a
    // crash cannot bring a confirmed posting back. False when no net is loaded or the write
    // failed (the previous file stays); the caller reports it, since a question box in the
    // middle of an unattended run would help nobody.
    bool saveNetMac();

    // --- Boards. ---
    BoardKind boardKind() const { return boardKind_; }
    void SpeedButton1Click() { setBoardKind(BoardKind::Message); }
    void SpeedButton2Click() { setBoardKind(BoardKind::File); }
    void setBoardKind(BoardKind kind);
    const std::vector<std::string>& boardLines() const { return boardLines_; }
    int selectedBoard() const { return selectedBoard_; }
    // A click in the board list; -1 or an index outside the list chooses no board.
    void selectBoard(int index);
    // Double click in the board list: opens a board viewer when message boards are shown.
    void boardDoubleClick();

    // --- Buttons. ---
    bool enabled(Button b) const;
    // The button's action when it is enabled; nothing otherwise. LogImport and Login have
    // their own operations below (the window asks for the file first).
    void press(Button b);
    // Starts a run of the selected net: stops the timer clock, hides the error log, shows
    // the terminal, hides this window, runs Convert and starts the auto-login. False (and
    // nothing done) without a selected net or without the run being available.
    bool BitBtn2Click();
    // The writing button: fills the new-message slot from the chosen board and opens a
    // new-message writer (message boards) or an upload request (file boards).
    void writeButtonClick();
    // Reads a saved log file and hands its lines to the import for the current net. A
    // file that cannot be read is reported.
    void importSavedLog(const std::string& path);

    // --- Hand-over slots and the writer openers other windows call after filling one. ---
    ReplySlot& replySlot() { return replySlot_; }
    NewSlot& newSlot() { return newSlot_; }
    MailSlot& mailSlot() { return mailSlot_; }
    // A writer is not opened while a run is on (the warning says why): it could not
    // reserve, and the run has hidden the windows it would appear over.
    void resformcleateClick();
    void newwriteformcleateClick();
    void MailWriteFormCleateClick();
    void openUploadRequest();

private:
    // Everything loading a net replaces: kept while a reservation is appended for another
    // net and put back afterwards.
    struct NetState {
        base::Lines macroLines;
        ReserveList reserve;
        std::string netNo;
        int currentNet;
        std::string folder;
        bool netShown, canWrite, lostReservations;
        std::array<bool, kStepCount> steps;
        UnreadDate unread;
        int dayMax;
        std::vector<std::string> boardLines;
        int selectedBoard;
    };
    NetState netState() const;
    void restoreNetState(NetState&& s);
    bool appendHere(const base::Lines& block);

    std::string macroPath() const;
    base::Lines buildCommandList() const;
    bool writeMacroFile(const base::Lines& lines, bool warnUser);
    void loadMacroFile(const std::string& path);
    void startFromTemplate(const std::string& folder);
    void readCommandLines(const base::Lines& lines);
    void loadBoardList();
    void notify();

    const shell::NetList& nets_;
    MacroHost& host_;
    MacroView* view_ = nullptr;
    std::string base_;

    base::Lines macroLines_;
    ReserveList reserve_;
    std::string netNo_ = "999";
    int currentNet_ = kNoNet;
    // The folder the current net was loaded from: its NET.MAC is written there even after a
    // new net list moved the net to another number or removed it.
    std::string folder_;
    bool netShown_ = false;         // a net of the list with a folder name is loaded
    bool canWrite_ = false;         // ... and its NET.MAC may be replaced
    bool lostReservations_ = false; // loading dropped blocks that did not fit

    std::vector<std::string> netNames_;
    int selectedNet_ = -1;
    bool netButtons_ = false; // login, member list, mailbox, log import
    bool toldTooManyNets_ = false;

    std::array<bool, kStepCount> steps_{};
    UnreadDate unread_;
    int dayMax_ = 31;

    BoardKind boardKind_ = BoardKind::Message;
    std::vector<std::string> boardLines_;
    int selectedBoard_ = -1;

    ReplySlot replySlot_;
    NewSlot newSlot_;
    MailSlot mailSlot_;
};

} // namespace macro
