#pragma once
// The message board viewer's model: one board file of one net (MBOARDnn.DAT, or the
// removed-article file MBOARDnn.OLD), shown as one list line per message, as a reply tree
// or flat, with the messages of interest in the chosen browse mode marked "*".
//
// Data flow: FormShow takes the net, board and browse modes from the net manager and the
// main window; choosing a net reads its board list (MBOARD.LST), choosing a board reads
// the board file into messages and list lines. Each list line is tied to its message by
// position (list()[i].seq), never by a number printed into the line. Navigation moves the
// selection from mark to mark and across boards; deleting an article rewrites the board
// file from what it holds now. Replies and new messages go to the writers through the net
// manager's hand-over slots. The window shows the state after BoardView::boardChanged.
#include "base/DateTime.h"
#include "base/LineFile.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "store/StoreFiles.h"
#include "viewers/ViewerHost.h"

#include <string>
#include <vector>

namespace viewers {

// The store's one reader, as the viewers use it.
using store::boardNumberOfLine;
using store::DateKey;
using store::entryNumberOf;
using store::fileBoardListFile;
using store::findWord;
using store::messageBoardFile;
using store::parseStoreDate;
using store::parseStoreDateTime;
using store::readStoreLines;
using store::storeFile;
using store::yearOf;

enum class BrowseMode { New, All, Date, Search };

class BoardView {
public:
    virtual ~BoardView() = default;
    virtual void boardChanged() = 0;
};

// One line of the list and the message (1-based sequence number in file order) it shows.
struct BoardEntry {
    std::string line;
    int seq = 0;
    bool marked() const { return !line.empty() && line[0] == '*'; }
};

class BoardModel {
public:
    static constexpr int kArticles = 10000;
    // Replies deeper than this are drawn at this depth: the prefix of a line never grows
    // past 2 * kMaxDepth bytes.
    static constexpr int kMaxDepth = 26;

    // All references must outlive the model. `today` is the local date the date mode
    // starts from (three days before it).
    BoardModel(macro::MacroModel& macro, const shell::NetList& nets, ViewerHost& host,
               const base::LocalDateTime& today);
    void setView(BoardView* view) { view_ = view; }

    // The window is shown: browse modes from the main window's ticks, net and board from
    // the net manager, then the board is loaded.
    void FormShow(bool browseNew, bool browseAll, bool tree);

    // --- Net and board. ---
    const std::vector<std::string>& netNames() const { return netNames_; }
    int net() const { return net_; }
    void netnameChange(int index);
    const std::vector<std::string>& boardLines() const { return boardLines_; }
    int board() const { return board_; }
    void boardnameChange(int index);
    // "OK": reloads the board with the current settings.
    void Button2Click() { loadBoard(); }
    const std::string& fileKind() const { return fileKind_; }
    void FileKindClick();
    const std::string& caption() const { return caption_; }

    // --- Browse settings; they take effect when the board is reloaded. ---
    BrowseMode mode() const { return mode_; }
    void setMode(BrowseMode m) { mode_ = m; }
    bool tree() const { return tree_; }
    void setTree(bool on) { tree_ = on; }
    const std::string& searchword() const { return searchword_; }
    void setSearchword(std::string w) { searchword_ = std::move(w); }
    // Date of the date mode: four-digit year, month, day; setdate is its text.
    int year() const { return year_; }
    int month() const { return month_; }
    int day() const { return day_; }
    int dayMax() const { return dayMax_; }
    int yearMin() const { return yearMin_; }
    int yearMax() const { return yearMax_; }
    void setYear(int y);
    void setMonth(int m);
    void setDay(int d);
    const std::string& setdate() const { return setdate_; }

    // --- The list and the message shown. ---
    const std::vector<BoardEntry>& list() const { return list_; }
    // Goes up by one each time the list is made again, so a window refills it only then.
    int loadCount() const { return loadCount_; }
    int selected() const { return selected_; }
    void ListBox1Click(int index);
    // The text of the selected message (its lines, each followed by CR LF).
    std::string memoText() const;
    bool resEnabled() const { return resEnabled_; }
    bool deleteEnabled() const { return resEnabled_; }

    // --- Navigation. ---
    void DOWNButtonClick();
    void UPButtonClick();
    void previousLine();
    void nextLine();

    // --- Actions. ---
    void ResButtonClick();
    void Button1Click();
    // Removes the shown message from the board file; false when nothing was removed.
    bool deleteArticle();

    // The board name the writers get: the board line after its first ": ", up to a blank.
    std::string writerBoardName() const;

private:
    struct Message {
        base::Lines lines;
        bool deleted = false;
    };
    std::string netFolder() const;
    std::string boardFile() const;
    int boardNumber() const; // of the selected board line, -1 when none
    void loadBoard();
    void buildList(const std::vector<int>& articles, std::vector<int>& parents,
                   std::vector<std::string>& lines);
    void select(int index);
    void rewriteSetdate();
    void notify();

    macro::MacroModel& macro_;
    const shell::NetList& nets_;
    ViewerHost& host_;
    BoardView* view_ = nullptr;

    std::vector<std::string> netNames_;
    int net_ = -1;
    std::vector<std::string> boardLines_;
    int board_ = -1;
    std::string fileKind_ = ".DAT";
    std::string caption_;

    BrowseMode mode_ = BrowseMode::New;
    bool tree_ = true;
    std::string searchword_;
    DateKey threshold_ = 0;
    int year_, month_, day_, dayMax_ = 31, yearMin_, yearMax_;
    std::string setdate_;

    std::vector<Message> messages_; // index = sequence number - 1
    std::vector<BoardEntry> list_;
    int selected_ = -1;
    bool resEnabled_ = false;
    int loadCount_ = 0;
};

} // namespace viewers
