#pragma once
// The download list's model: the article list (MBOARDnn.LST) or file list (FBOARDnn.LST)
// of one board of one net, and the two reservations made from it: a refresh of the list
// from an article number on ("MLISTDOWN :nn#n", "FLISTDOWN :nn#n") and the download of
// one article or file ("MDOWN :name#n", "FDOWN :name#n"). A reservation is one line
// appended to the net's reservation list through the net manager, which writes NET.MAC.
#include "base/Text.h"
#include "macro/MacroModel.h"
#include "viewers/ViewerHost.h"

#include <string>
#include <vector>

namespace viewers {

class ArticleListView {
public:
    virtual ~ArticleListView() = default;
    virtual void articleListChanged() = 0;
};

class ArticleListModel {
public:
    static constexpr int kMaxArticle = 9999;
    static constexpr int kMaxFile = 999;

    ArticleListModel(macro::MacroModel& macro, ViewerHost& host) : macro_(macro), host_(host) {}
    void setView(ArticleListView* view) { view_ = view; }

    // Board kind, net and board from the net manager.
    void FormShow();

    const std::vector<std::string>& netNames() const { return netNames_; }
    int net() const { return net_; }
    void NetChange(int index);
    bool fileBoards() const { return file_; }
    void MboardClick();
    void FboardClick();
    const std::vector<std::string>& boardLines() const { return boardLines_; }
    int board() const { return board_; }
    void BoardChange(int index);

    const std::vector<std::string>& list() const { return list_; }
    int selected() const { return selected_; }
    void ListBox1Click(int index);

    // The number fields as typed; text that is not a number becomes "0".
    const std::string& LDownNo() const { return lDownNo_; }
    const std::string& DownNo() const { return downNo_; }
    void setLDownNo(const std::string& text);
    void setDownNo(const std::string& text);
    // Reserving needs a net and a board; a download also a number other than 0.
    bool LDownEnabled() const { return net_ >= 0 && board_ >= 0; }
    bool DownEnabled() const { return LDownEnabled() && base::strToIntDef(downNo_, 0) != 0; }

    // Ask, then append the reservation; true when it was appended.
    bool LDownClick();
    bool DownClick();

private:
    void loadBoards();
    bool numberInRange(const std::string& text);
    bool reserve(const std::string& question, const std::string& line);
    void notify();

    macro::MacroModel& macro_;
    ViewerHost& host_;
    ArticleListView* view_ = nullptr;
    std::vector<std::string> netNames_;
    int net_ = -1;
    bool file_ = false;
    std::vector<std::string> boardLines_;
    int board_ = -1;
    std::vector<std::string> list_;
    int selected_ = -1;
    std::string lDownNo_ = "1";
    std::string downNo_ = "0";
};

} // namespace viewers
