#include "viewers/ArticleListModel.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/ReserveList.h"
#include "store/StoreFiles.h"

namespace viewers {

using store::boardNumberOfLine;
using store::entryNumberOf;
using store::fileBoardListFile;
using store::messageBoardFile;
using store::readStoreLines;
using store::storeFile;

using base::sj;

namespace {

// A number field: an integer stays as typed, anything else (and 999999) becomes "0".
std::string numberField(const std::string& text) {
    const auto v = base::strToInt(text);
    return v && *v != 999999 ? text : "0";
}

} // namespace

void ArticleListModel::FormShow() {
    file_ = macro_.boardKind() == macro::BoardKind::File;
    netNames_ = macro_.netNames();
    const int sel = macro_.selectedNet();
    net_ = sel >= 0 && sel < static_cast<int>(netNames_.size()) ? sel : -1;
    loadBoards();
    const int b = macro_.selectedBoard();
    if (b >= 0 && b < static_cast<int>(boardLines_.size()))
        BoardChange(b);
}

void ArticleListModel::NetChange(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()))
        return;
    net_ = index;
    loadBoards();
}

void ArticleListModel::MboardClick() {
    file_ = false;
    loadBoards();
}

void ArticleListModel::FboardClick() {
    file_ = true;
    loadBoards();
}

void ArticleListModel::loadBoards() {
    boardLines_.clear();
    list_.clear();
    board_ = -1;
    if (net_ >= 0)
        boardLines_ =
            readStoreLines(storeFile(macro_.netFolder(net_), file_ ? "FBOARD.LST" : "MBOARD.LST"));
    BoardChange(boardLines_.empty() ? -1 : 0);
}

void ArticleListModel::BoardChange(int index) {
    list_.clear();
    selected_ = -1;
    board_ = index >= 0 && index < static_cast<int>(boardLines_.size()) ? index : -1;
    const int nn = board_ >= 0 ? boardNumberOfLine(boardLines_[static_cast<size_t>(board_)]) : -1;
    if (nn < 0) {
        board_ = -1; // a line without a board number names no board
    } else {
        const std::string folder = macro_.netFolder(net_);
        list_ = readStoreLines(file_ ? fileBoardListFile(folder, nn)
                                     : messageBoardFile(folder, nn, ".LST"));
    }
    int n = 0;
    if (!list_.empty()) {
        selected_ = static_cast<int>(list_.size()) - 1;
        n = entryNumberOf(list_.back());
    }
    lDownNo_ = std::to_string(n + 1);
    downNo_ = std::to_string(n);
    notify();
}

void ArticleListModel::ListBox1Click(int index) {
    if (index < 0 || index >= static_cast<int>(list_.size()))
        return;
    selected_ = index;
    downNo_ = std::to_string(entryNumberOf(list_[static_cast<size_t>(index)]));
    notify();
}

void ArticleListModel::setLDownNo(const std::string& text) {
    lDownNo_ = numberField(text);
    notify();
}

void ArticleListModel::setDownNo(const std::string& text) {
    downNo_ = numberField(text);
    notify();
}

bool ArticleListModel::numberInRange(const std::string& text) {
    const int max = file_ ? kMaxFile : kMaxArticle;
    const int v = base::strToIntDef(text, 0);
    if (v >= 1 && v <= max)
        return true;
    host_.warn(sj(u8"番号は 1 から ") + std::to_string(max) +
               sj(u8" までです．予約しませんでした．"));
    return false;
}

bool ArticleListModel::LDownClick() {
    if (!LDownEnabled() || !numberInRange(lDownNo_))
        return false;
    const std::string nn = base::copy(boardLines_[static_cast<size_t>(board_)], 3, 2);
    const std::string n = std::to_string(base::strToIntDef(lDownNo_, 0));
    return reserve(sj(u8"一覧読み取りを予約しますか."),
                   (file_ ? "FLISTDOWN :" : "MLISTDOWN :") + nn + "#" + n);
}

bool ArticleListModel::DownClick() {
    if (!DownEnabled() || !numberInRange(downNo_))
        return false;
    const std::string& line = boardLines_[static_cast<size_t>(board_)];
    // At most 80 bytes of name, ended before a character they would cut in two.
    const std::string name =
        macro::boardNameOf(base::copyColumns(line, 1, base::pos(": ", line) + 81));
    if (name.empty()) {
        host_.warn(sj(u8"ボードの名前がわかりません．予約しませんでした．"));
        return false;
    }
    const std::string n = std::to_string(base::strToIntDef(downNo_, 0));
    return reserve(sj(u8"ダウンロードを予約しますか."),
                   (file_ ? "FDOWN :" : "MDOWN :") + name + "#" + n);
}

bool ArticleListModel::reserve(const std::string& question, const std::string& line) {
    if (macro_.refusedDuringRun() || !host_.ask(question))
        return false;
    // The net manager switches to the net, appends, writes NET.MAC and switches back.
    return macro_.appendReservation(net_, macro::ReserveList::makeBlock(line));
}

void ArticleListModel::notify() {
    if (view_)
        view_->articleListChanged();
}

} // namespace viewers
