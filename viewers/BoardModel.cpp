#include "viewers/BoardModel.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "store/StoreFiles.h"

#include <algorithm>
#include <cstdio>

namespace viewers {

using base::copy;
using base::sj;

namespace {

bool isDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string seqText(int seq) {
    char b[16];
    std::snprintf(b, sizeof b, "%4d:", seq);
    return b;
}

std::string four(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d", n);
    return b;
}

// Where each list line stands: the reply tree is kept as nodes and flattened at the end,
// which puts every line where inserting it directly below its parent would have put it,
// without moving the lines after it on every insertion.
struct Node {
    int entry;                 // index into the entries made so far
    int parent = -1;           // node index, -1 for a line at the top level
    bool top = false;          // a top-level line inserted above everything
    int index = 0;             // place in its parent's (or the top level's) children
    std::vector<int> children; // in insertion order; the newest is shown first
};

struct Tree {
    std::vector<Node> nodes;
    std::vector<int> above; // top-level lines inserted at the top, in insertion order
    std::vector<int> roots; // top-level lines appended at the end

    int add(int entry, int parent, bool atTop) {
        Node n;
        n.entry = entry;
        n.parent = parent;
        n.top = atTop;
        const int id = static_cast<int>(nodes.size());
        std::vector<int>& siblings =
            parent >= 0 ? nodes[static_cast<size_t>(parent)].children : (atTop ? above : roots);
        n.index = static_cast<int>(siblings.size());
        siblings.push_back(id);
        nodes.push_back(std::move(n));
        return id;
    }

    // The order of a node among its siblings, smaller is shown earlier.
    long rank(int id) const {
        const Node& n = nodes[static_cast<size_t>(id)];
        if (n.parent >= 0)
            return -n.index;
        if (n.top) // above every appended line, the newest highest
            return -1000000000L - n.index;
        return n.index;
    }

    // True when node a is shown after node b.
    bool after(int a, int b) const {
        std::vector<int> pa, pb;
        for (int x = a; x >= 0; x = nodes[static_cast<size_t>(x)].parent)
            pa.push_back(x);
        for (int x = b; x >= 0; x = nodes[static_cast<size_t>(x)].parent)
            pb.push_back(x);
        std::reverse(pa.begin(), pa.end());
        std::reverse(pb.begin(), pb.end());
        for (size_t i = 0; i < pa.size() && i < pb.size(); ++i)
            if (pa[i] != pb[i])
                return rank(pa[i]) > rank(pb[i]);
        return pa.size() > pb.size(); // a descendant comes after its ancestor
    }

    std::vector<int> order() const {
        std::vector<int> out;
        out.reserve(nodes.size());
        std::vector<int> stack;
        auto pushReversed = [&](const std::vector<int>& v, bool newestFirst) {
            if (newestFirst)
                stack.insert(stack.end(), v.begin(), v.end());
            else
                stack.insert(stack.end(), v.rbegin(), v.rend());
        };
        pushReversed(roots, false);
        pushReversed(above, true);
        while (!stack.empty()) {
            const int id = stack.back();
            stack.pop_back();
            out.push_back(nodes[static_cast<size_t>(id)].entry);
            pushReversed(nodes[static_cast<size_t>(id)].children, true);
        }
        return out;
    }
};

} // namespace

BoardModel::BoardModel(macro::MacroModel& macro, const shell::NetList& nets, ViewerHost& host,
                       const base::LocalDateTime& today)
    : macro_(macro), nets_(nets), host_(host) {
    const base::LocalDateTime d = base::addMilliseconds(today, -3LL * 24 * 3600 * 1000);
    year_ = d.year;
    month_ = d.month;
    day_ = d.day;
    yearMin_ = std::min(d.year, today.year);
    yearMax_ = today.year;
    dayMax_ = macro::monthDays(month_);
    searchword_ = sj(u8"検索ワード");
    caption_ = sj(u8"メッセージボード");
    rewriteSetdate();
}

void BoardModel::FormShow(bool browseNew, bool browseAll, bool tree) {
    mode_ = browseAll && !browseNew ? BrowseMode::All : BrowseMode::New;
    tree_ = tree;
    netNames_ = macro_.netNames();
    const int net = macro_.currentNet();
    int board = macro_.boardKind() == macro::BoardKind::Message ? macro_.selectedBoard() : 0;
    if (net < 0 || net >= static_cast<int>(netNames_.size()) || !nets_.has(net)) {
        // No net chosen: nothing is read, and the user is told why the list is empty.
        net_ = -1;
        host_.warn(sj(u8"ネットが選ばれていません．ネットマネージャーでネットを選んでください．"));
        notify();
        return;
    }
    netnameChange(net);
    if (board > 0 && board < static_cast<int>(boardLines_.size()))
        boardnameChange(board);
}

std::string BoardModel::netFolder() const {
    return net_ >= 0 ? macro_.netFolder(net_) : std::string();
}

void BoardModel::netnameChange(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()) || !nets_.has(index))
        return;
    net_ = index;
    const std::string last = nets_.field(index, shell::kLastRead);
    if (last.find('/') != std::string::npos) {
        if (auto k = parseStoreDateTime(base::trim(last)))
            threshold_ = *k;
    }
    caption_ = sj(u8"メッセージボード [") + netNames_[static_cast<size_t>(index)] + "]";
    boardLines_ = readStoreLines(storeFile(netFolder(), "MBOARD.LST"));
    board_ = boardLines_.empty() ? -1 : 0;
    loadBoard();
}

void BoardModel::boardnameChange(int index) {
    if (index < 0 || index >= static_cast<int>(boardLines_.size()))
        return;
    board_ = index;
    loadBoard();
}

void BoardModel::FileKindClick() {
    fileKind_ = fileKind_ == ".DAT" ? ".OLD" : ".DAT";
    loadBoard();
}

int BoardModel::boardNumber() const {
    return board_ >= 0 && board_ < static_cast<int>(boardLines_.size())
               ? boardNumberOfLine(boardLines_[static_cast<size_t>(board_)])
               : -1;
}

std::string BoardModel::boardFile() const {
    if (net_ < 0 || board_ < 0)
        return {};
    const int nn = boardNumberOfLine(boardLines_[static_cast<size_t>(board_)]);
    return nn < 0 ? std::string() : messageBoardFile(netFolder(), nn, fileKind_);
}

void BoardModel::setYear(int y) {
    year_ = std::clamp(y, yearMin_, yearMax_);
    rewriteSetdate();
    notify();
}

void BoardModel::setMonth(int m) {
    month_ = std::clamp(m, 1, 12);
    dayMax_ = macro::monthDays(month_);
    day_ = std::min(day_, dayMax_);
    rewriteSetdate();
    notify();
}

void BoardModel::setDay(int d) {
    day_ = std::clamp(d, 1, dayMax_);
    rewriteSetdate();
    notify();
}

// Written as the hosts write dates, without leading zeros: 2026-12-5 is "26/12/5", read
// back through the two-digit year window.
void BoardModel::rewriteSetdate() {
    setdate_ =
        std::to_string(year_ % 100) + "/" + std::to_string(month_) + "/" + std::to_string(day_);
}

// --- Loading ---

void BoardModel::loadBoard() {
    const std::string line = board_ >= 0 ? boardLines_[static_cast<size_t>(board_)] : std::string();
    if (net_ >= 0)
        caption_ =
            sj(u8"メッセージボード [") + netNames_[static_cast<size_t>(net_)] + "] [" + line + "]";
    host_.showStatus(sj(u8"読み込み中です.") + line);
    host_.showProgress(0);
    messages_.clear();
    list_.clear();
    ++loadCount_;
    selected_ = -1;
    resEnabled_ = false;

    const std::string path = boardFile();
    base::Lines lines = path.empty() ? base::Lines() : readStoreLines(path);
    const int nn = boardNumber();

    // Split into messages where the store's rule says an article begins; text before the
    // first header belongs to none.
    size_t i = 0;
    while (i < lines.size() && !store::beginsArticle(lines, i, nn))
        ++i;
    for (; i < lines.size(); ++i) {
        if (store::beginsArticle(lines, i, nn))
            messages_.push_back({});
        messages_.back().lines.push_back(std::move(lines[i]));
    }

    const auto setKey = mode_ == BrowseMode::Date ? parseStoreDate(setdate_) : std::nullopt;
    std::vector<int> badDates;
    std::vector<int> depth(kArticles, 0);
    std::vector<std::string> prefix(kArticles);
    std::vector<int> replies(kArticles, 0);
    std::vector<int> lastNode(kArticles, -1);
    Tree tree;
    std::vector<BoardEntry> entries;
    entries.reserve(messages_.size());

    for (size_t m = 0; m < messages_.size(); ++m) {
        const base::Lines& ls = messages_[m].lines;
        const std::string& h = ls[0];
        const int seq = static_cast<int>(m) + 1;
        // A header without a number (0) still gets its line, but no reply hangs under it.
        const int article = store::articleNumberOf(h);
        const std::string n = copy(h, 11, 4);
        const std::string head = (isDigits(n) ? four(std::stoi(n)) : n) + "-" +
                                 base::copyColumns(h + std::string(25, ' '), 24, 21);
        char mark = mode_ == BrowseMode::All ? '*' : '_';
        const std::string& word = searchword_;
        const bool search = mode_ == BrowseMode::Search;
        if (search && findWord(h, word))
            mark = '*';
        if (ls.size() > 1 && base::startsWith(ls[1], "Time:")) {
            const std::string& t = ls[1];
            if (mode_ == BrowseMode::Date || mode_ == BrowseMode::New) {
                const auto k = mode_ == BrowseMode::Date ? parseStoreDate(copy(t, 7, 8))
                                                         : parseStoreDateTime(copy(t, 7, 17));
                if (!k) {
                    badDates.push_back(article);
                } else {
                    yearMin_ = std::max(1950, std::min(yearMin_, yearOf(*k)));
                    yearMax_ = std::min(2049, std::max(yearMax_, yearOf(*k)));
                    if (mode_ == BrowseMode::Date ? (setKey && *k >= *setKey) : *k >= threshold_)
                        mark = '*';
                }
            } else if (search && findWord(t, word)) {
                mark = '*';
            }
        }
        for (size_t k = 2; search && mark != '*' && k < ls.size(); ++k)
            if (findWord(ls[k], word))
                mark = '*';

        // A message cut short before its subject line still gets its line, with no subject.
        const std::string subj = ls.size() > 2 ? ls[2] : std::string();
        const int close = base::pos(")", subj);
        const bool reply = tree_ && copy(subj, 7, 3) == "Re:" && close >= 11 && close <= 14;
        const int entry = static_cast<int>(entries.size());
        int node;
        if (!reply) {
            const int sp = base::pos("Subj:", subj);
            const std::string text = sp > 0 ? base::copyColumns(subj, sp + 5, 80) : std::string();
            entries.push_back({std::string(1, mark) + seqText(seq) + head + " " + text, seq});
            node = tree.add(entry, -1, false);
        } else {
            int parent = base::strToIntDef(copy(subj, 10, close - 10), 0);
            if (parent < 0 || parent >= kArticles)
                parent = 0;
            const int d = std::min(depth[static_cast<size_t>(parent)] + 1, kMaxDepth);
            if (article > 0)
                depth[static_cast<size_t>(article)] = d;
            std::string p =
                copy(prefix[static_cast<size_t>(parent)] + std::string(52, ' '), 1, 2 * d);
            std::string& pp = prefix[static_cast<size_t>(parent)];
            if (replies[static_cast<size_t>(parent)] == 0) {
                pp = p + sj(u8"└");
                if (article > 0)
                    prefix[static_cast<size_t>(article)] = p;
            } else {
                pp = p + sj(u8"├");
                if (article > 0)
                    prefix[static_cast<size_t>(article)] = p + sj(u8"│");
            }
            ++replies[static_cast<size_t>(parent)];
            entries.push_back({std::string(1, mark) + seqText(seq) + pp + head + " " +
                                   base::copyColumns(subj, 6, 50),
                               seq});
            const int under = lastNode[static_cast<size_t>(parent)];
            node = tree.add(entry, under, under < 0);
        }
        // A line appended at the end comes after every other; only a line put into the
        // tree needs its place compared with an earlier copy of the same article.
        int& last = lastNode[static_cast<size_t>(article)];
        if (article > 0 && (last < 0 || !reply || tree.after(node, last)))
            last = node;
    }
    for (int e : tree.order())
        list_.push_back(std::move(entries[static_cast<size_t>(e)]));

    if (!badDates.empty()) {
        std::string text = sj(u8"日付を取り込めません #") + four(badDates.front());
        if (badDates.size() > 1)
            text += sj(u8" ほか ") + std::to_string(badDates.size() - 1) + sj(u8" 件");
        host_.warn(text);
    }
    year_ = std::clamp(year_, yearMin_, yearMax_);
    host_.showStatus(sj(u8"読み込み完了しました."));
    host_.showProgress(100);
    notify();
}

// --- Selection and navigation ---

void BoardModel::select(int index) {
    selected_ = index;
    const int seq = list_[static_cast<size_t>(index)].seq;
    resEnabled_ = !messages_[static_cast<size_t>(seq - 1)].deleted;
}

void BoardModel::ListBox1Click(int index) {
    if (index < 0 || index >= static_cast<int>(list_.size()))
        return;
    select(index);
    notify();
}

std::string BoardModel::memoText() const {
    if (selected_ < 0)
        return {};
    const Message& m =
        messages_[static_cast<size_t>(list_[static_cast<size_t>(selected_)].seq - 1)];
    return m.deleted ? std::string() : base::joinLines(m.lines);
}

void BoardModel::DOWNButtonClick() {
    int from = selected_ + 1;
    for (;;) {
        for (int i = from; i < static_cast<int>(list_.size()); ++i) {
            if (list_[static_cast<size_t>(i)].marked()) {
                ListBox1Click(i);
                return;
            }
        }
        if (board_ < 0 || board_ + 1 >= static_cast<int>(boardLines_.size())) {
            host_.sorry(sj(u8"次のアーティクルはありません"));
            return;
        }
        boardnameChange(board_ + 1);
        from = 0;
    }
}

void BoardModel::UPButtonClick() {
    int from = selected_ - 1; // nothing above when no line is selected
    for (;;) {
        for (int i = from; i >= 0; --i) {
            if (list_[static_cast<size_t>(i)].marked()) {
                ListBox1Click(i);
                return;
            }
        }
        if (board_ <= 0) {
            host_.sorry(sj(u8"前のアーティクルはありません"));
            return;
        }
        // The previous board with messages; its last line is the first candidate.
        int b = board_ - 1;
        boardnameChange(b);
        while (list_.empty() && b > 0)
            boardnameChange(--b);
        if (list_.empty()) {
            host_.sorry(sj(u8"前のアーティクルはありません"));
            return;
        }
        from = static_cast<int>(list_.size()) - 1;
        ListBox1Click(from);
        if (list_[static_cast<size_t>(from)].marked())
            return;
        --from;
    }
}

void BoardModel::previousLine() {
    if (selected_ > 0)
        ListBox1Click(selected_ - 1);
}

void BoardModel::nextLine() {
    if (selected_ >= 0 && selected_ + 1 < static_cast<int>(list_.size()))
        ListBox1Click(selected_ + 1);
}

// --- Writers ---

std::string BoardModel::writerBoardName() const {
    if (board_ < 0)
        return {};
    // At most 80 bytes of name, ended before a character they would cut in two.
    return macro::boardNameOf(
        base::copyColumns(boardLines_[static_cast<size_t>(board_)], 1,
                          base::pos(": ", boardLines_[static_cast<size_t>(board_)]) + 81));
}

void BoardModel::ResButtonClick() {
    if (!resEnabled_ || net_ < 0)
        return;
    const Message& m =
        messages_[static_cast<size_t>(list_[static_cast<size_t>(selected_)].seq - 1)];
    macro::ReplySlot& s = macro_.replySlot();
    s.ResNetNo = std::to_string(net_);
    s.ResNetName = netNames_[static_cast<size_t>(net_)];
    s.ResText = base::joinLines(m.lines);
    s.ResMode = "NEW";
    const std::string& first = m.lines.front();
    s.ResNumber = copy(first, base::pos("#", first) + 1, 4);
    s.ResBoard = writerBoardName();
    macro_.resformcleateClick();
}

void BoardModel::Button1Click() {
    if (net_ < 0 || board_ < 0)
        return;
    macro::NewSlot& s = macro_.newSlot();
    s.NewText.clear();
    s.NewNetName = netNames_[static_cast<size_t>(net_)];
    s.NewNetNo = std::to_string(net_);
    s.NewBoard = writerBoardName();
    s.NewTitle = sj(u8"タイトルを入れてください");
    s.UpFileName.clear();
    s.NewWriteMode = "NEW";
    macro_.newwriteformcleateClick();
}

// --- Deleting ---

// The board file is read again and the shown message is taken out of what it holds now,
// so messages imported since the board was loaded, and deletions made in another viewer,
// are kept. Identical copies are told apart by their order.
bool BoardModel::deleteArticle() {
    if (!resEnabled_)
        return false;
    const int seq = list_[static_cast<size_t>(selected_)].seq;
    Message& msg = messages_[static_cast<size_t>(seq - 1)];
    int occurrence = 0;
    for (int s = 0; s < seq - 1; ++s)
        if (!messages_[static_cast<size_t>(s)].deleted &&
            messages_[static_cast<size_t>(s)].lines == msg.lines)
            ++occurrence;

    const std::string path = boardFile();
    base::Lines now;
    try {
        if (!base::readLinesIfExists(path, now)) {
            host_.warn(sj(u8"ボードのファイルがありません．削除できませんでした．"));
            return false;
        }
    } catch (const base::FileError&) {
        host_.warn(sj(u8"ボードのファイルを読めません．削除できませんでした．"));
        return false;
    }
    size_t start = 0;
    bool found = false;
    for (size_t i = 0; i < now.size() && !found; ++i) {
        if (!store::beginsArticle(now, i, boardNumber()) || now.size() - i < msg.lines.size())
            continue;
        size_t end = i + 1;
        while (end < now.size() && !store::beginsArticle(now, end, boardNumber()))
            ++end;
        if (end - i == msg.lines.size() &&
            std::equal(msg.lines.begin(), msg.lines.end(), now.begin() + static_cast<long>(i))) {
            if (occurrence-- == 0) {
                start = i;
                found = true;
            }
        }
    }
    if (!found) {
        host_.warn(sj(u8"このアーティクルはもうボードのファイルにありません．"));
        return false;
    }
    now.erase(now.begin() + static_cast<long>(start),
              now.begin() + static_cast<long>(start + msg.lines.size()));
    try {
        base::replaceLines(path, now);
    } catch (const base::FileError&) {
        host_.warn(sj(u8"ボードのファイルを書けません．削除できませんでした．"));
        return false;
    }
    msg.deleted = true;
    resEnabled_ = false;
    notify();
    return true;
}

void BoardModel::notify() {
    if (view_)
        view_->boardChanged();
}

} // namespace viewers
