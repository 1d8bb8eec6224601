#pragma once
// What the net manager needs of the rest of the program, and how it tells its own window
// that something changed. MacroModel calls MacroHost for everything outside itself: the
// main window's net selector, the settings window and about box, and the windows that
// later parts of the program provide (the terminal and its run, the viewers, the writers,
// the timer window, ...). The composition root implements it; tests record the calls.
//
// A later window is offered to the user only when provides() says it exists, so a button
// stays disabled until its window is connected. The hooks of such windows default to
// doing nothing, because without provides() the model never calls them.
#include "base/LineFile.h"
#include "shell/SettingPage.h"

#include <string>
#include <vector>

namespace macro {

// Windows that the net manager opens but does not own.
enum class Feature {
    Run,           // terminal and auto-login: "ログイン"
    BoardViewer,   // "開く", double click on a message board
    ArticleList,   // "ｱｰﾃｨｸﾙリスト"
    LogEdit,       // "ログの整理"
    MemberList,    // "メンバー一覧"
    MailBox,       // "メールボックス"
    Timer,         // "タイマーログイン"
    TextStyle,     // "ﾃｷｽﾄｽﾀｲﾙ"
    ReserveEditor, // "読み込み＆書きこみ予約の編集"
    LogImport,     // "LOG取込み"
    NewWriter,     // the writing button with message boards
    UploadRequest, // the writing button with file boards
    ReplyWriter,
    MailWriter,
};

class MacroHost {
public:
    virtual ~MacroHost() = default;

    // A warning box ("警告です．") with this Shift-JIS text.
    virtual void warn(const std::string& sjisText) = 0;
    // The main window's net selector takes these names, this selected index (-1 for none)
    // and that entry's text.
    virtual void setMainNetSelector(const std::vector<std::string>& names, int selected) = 0;
    // The main window's net selector selects this index. It must not call back into
    // ListBox1Click for a selection the model made itself.
    virtual void selectMainNet(int index) = 0;
    virtual void showSettings(shell::SettingPage page) = 0;
    virtual void showAbout() = 0;
    virtual void hideMacroWindow() = 0;

    // True when the window behind a feature exists; false until a later part connects it.
    virtual bool provides(Feature) const { return false; }
    // True while a run works through the command list: nothing may then change the
    // reservation list but the run itself.
    virtual bool runActive() const { return false; }

    // Starting a run, in the order BitBtn2Click calls them; Convert runs between
    // hideMacroWindow and startAutoLogin. The engine reads the command list, the net
    // number and the selected net from the model.
    virtual void stopTimerClock() {}
    virtual void hideErrorLog() {}
    virtual void showTerminal() {}
    virtual void startAutoLogin() {}

    // Windows opened from the net manager; each reads what it needs from the model (the
    // current net, the board list and its selection, the hand-over slots).
    virtual void openBoardViewer() {}
    virtual void openArticleList() {}
    virtual void showLogEdit() {}
    virtual void showMemberList() {}
    virtual void openMailViewer() {}
    virtual void showTimerWindow() {}
    virtual void showTextStyle() {}
    virtual void showReserveEditor() {}
    virtual void openReplyWriter() {}
    virtual void openNewWriter() {}
    virtual void openMailWriter() {}
    virtual void openUploadRequest() {}
    // A saved log file's lines become the terminal's received-line table and are imported
    // for the current net.
    virtual void importLog(const base::Lines&) {}
};

// The net manager's window: told after every change so it can show the model again.
class MacroView {
public:
    virtual ~MacroView() = default;
    virtual void macroChanged() = 0;
};

} // namespace macro
