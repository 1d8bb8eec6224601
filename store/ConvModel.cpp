#include "store/ConvModel.h"

#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "store/StoreFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

namespace store {

using base::contains;
using base::sj;
using base::startsWith;

namespace {

const std::string kSentinel = "MAIN>";
const std::string kNone = "10000"; // no board file open
const std::string kEmpty;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The reading commands the terminal types at the main prompt, as they stand after it.
constexpr std::string_view kTypedCommands[] = {"N@",    "FN", "r;?;0", "i;r",
                                               "f;?;0", "U",  "R;",    "F;"};

std::uintmax_t sizeOf(const std::string& path) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

// Cuts a file that an interrupted import appended to back to its size before.
void truncateTo(const std::string& path, std::uintmax_t size) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && sizeOf(path) > size) {
        std::filesystem::resize_file(path, size, ec);
        if (ec)
            throw base::FileError(path + ": cannot be cut back: " + ec.message());
    }
}

} // namespace

// ---- CommandRecord ----

bool CommandRecord::typedAt(int index, std::string_view command) const {
    auto it = typed.find(index);
    return it != typed.end() && startsWith(it->second, command);
}

CommandRecord CommandRecord::read(const std::string& path, int shift) {
    CommandRecord r;
    base::Lines lines;
    try {
        if (!base::readLinesIfExists(path, lines))
            return r;
    } catch (const base::FileError&) {
        return r;
    }
    r.present = true;
    for (const std::string& line : lines) {
        const std::string word = base::copy(line, 1, base::pos(" ", line + " ") - 1);
        const std::string rest = base::copy(line, static_cast<int>(word.size()) + 2, 1 << 20);
        if (word == "N") {
            r.present = false;
        } else if (word == "C") {
            const int space = base::pos(" ", rest + " ");
            const auto index = base::strToInt(base::copy(rest, 1, space - 1));
            if (index)
                r.typed[*index + shift] = base::copy(rest, space + 1, 1 << 20);
        } else if (word == "A") {
            if (const auto n = base::strToInt(rest); n && *n >= 0 && !r.archiveBefore)
                r.archiveBefore = static_cast<std::uintmax_t>(*n);
        } else if (word == "a") {
            r.archived = true;
        } else if (word == "M") {
            if (const auto n = base::strToInt(rest); n && *n >= 0 && !r.mailBefore)
                r.mailBefore = static_cast<std::uintmax_t>(*n);
        } else if (word == "s") {
            r.scanned = true;
        }
    }
    return r;
}

// One import: the working state of the main scan and its nine sections. Positions in the
// table only move forward: a section that steps back never goes before the line it
// started at, so every capture ends.
struct ConvModel::Scan {
    ConvModel& m;
    const std::vector<std::string>& lines;
    const int wp;
    const int end; // entries at or beyond this do not exist
    const int net;
    const std::string shortName;
    const std::string netFolder; // native path of the net folder
    // Where the terminal typed its commands; null for a capture without a record.
    const CommandRecord* record = nullptr;
    // An earlier import of this capture appended everything already: nothing is appended
    // again, the rest is done as usual.
    bool appendsDone = false;
    int cur = 1;
    std::array<int, kMaxBoard + 1> counters{};
    std::string openBoard = kNone;
    // Message files stay open once opened, so messages that alternate between boards do
    // not reopen a file for each one; all are closed when the scan ends.
    std::array<std::unique_ptr<AppendFile>, kMaxBoard + 1> boardFiles;
    AppendFile* boardFile = nullptr;
    // Per board, the header and date of each article stored before this import.
    std::array<std::unique_ptr<std::map<int, std::string>>, kMaxBoard + 1> storedArticles;
    ListTable table;
    bool mailSeen = false;
    bool dateTaken = false;
    // Whole-file rewrites wait here until the scan ends, so a file that a long capture
    // rewrites many times (a list downloaded in every run) reaches the disk once.
    std::vector<std::pair<std::string, base::Lines>> pending;
    std::map<std::string, size_t> pendingAt;
    // Texts compared with often, in Shift-JIS.
    const std::string unreadMark = sj(u8"以降のものを読みます。");
    const std::string unreadStart = sj(u8"日付が");
    const std::string searching = sj(u8"検索中");
    const std::string restricted = sj(u8"規制時間中");
    const std::string deleteAsk = sj(u8"削除しますか");
    const std::string writeDone = sj(u8"書き込み中　...終了しました。");

    Scan(ConvModel& model, const std::vector<std::string>& l, int writePointer, int n,
         std::string shortNm, std::string folder)
        : m(model), lines(l), wp(writePointer),
          end(std::min(static_cast<int>(l.size()), std::max(writePointer, 0) + 3)), net(n),
          shortName(std::move(shortNm)), netFolder(std::move(folder)) {}

    const std::string& at(int i) const {
        if (i == wp - 1)
            return kSentinel;
        if (i < 0 || i >= end)
            return kEmpty;
        return lines[static_cast<size_t>(i)];
    }
    bool more() const { return cur < end; }
    // The section ended on the sentinel: the capture stopped before the host's prompt.
    bool cutOff() const { return cur >= wp - 1; }
    // The section ended on the sentinel, and the line the sentinel stands for is one that
    // ends it: the list was whole.
    template <class Ends> bool endedOnLastLine(Ends ends) const {
        return cur == wp - 1 && wp - 1 < static_cast<int>(lines.size()) &&
               ends(lines[static_cast<size_t>(wp - 1)]);
    }
    // A command line opens its section only where the terminal typed the command; a
    // capture without a record opens it on the line's shape alone.
    bool typed(int at, std::string_view command) const {
        return !record || record->typedAt(at, command);
    }
    bool endsMessage(int i, int board, int number) const;
    std::string file(const std::string& name) const { return base::joinPath(netFolder, name); }

    void error(const std::string& text) {
        m.logError(sj(u8"ログ取込み: ") + text + sj(u8" (") + std::to_string(cur) + sj(u8" 行目)"));
    }

    void run();
    void boardList(int start);
    void memberList(int start);
    void newFiles(int start);
    void listDownload(const std::string& L, int start, bool files);
    void mail(const std::string& L, int start);
    void fileBoardList(int start);
    void unreadDate(const std::string& L);
    void message(const std::string& L, int start);
    void storeMessage(const std::string& L, int board, int number, int from, int to);
    const std::map<int, std::string>& stored(int board);
    void mergeInto(const std::string& path, ListKind kind);
    void closeBoardFile();
    void rewrite(const std::string& path, base::Lines lines);
    void flush();
};

void ConvModel::Scan::run() {
    while (cur < wp - 1) {
        m.host_.progress(cur);
        const int start = cur;
        const std::string& L = at(cur);
        if (startsWith(L, "MAIN") && base::endsWith(L, ">r;?;0") && typed(start, "r;?;0"))
            boardList(start);
        if (contains(L, "MAIN") && base::endsWith(L, ">U") && typed(start, "U"))
            memberList(cur);
        if (startsWith(L, "MAIN") && contains(L, ")>FN") && typed(start, "FN"))
            newFiles(cur);
        if (contains(L, "MAIN") && contains(L, ")>F;") && typed(start, "F;"))
            listDownload(L, cur, true);
        if (contains(L, "MAIN") && contains(L, ")>R;") && typed(start, "R;"))
            listDownload(L, cur, false);
        if (startsWith(L, "Private Message is from:"))
            mail(L, cur);
        if (contains(L, "MAIN") && base::endsWith(L, ">f;?;0") && typed(start, "f;?;0"))
            fileBoardList(cur);
        if (base::pos(unreadMark, L) >= 2)
            unreadDate(L);
        if (startsWith(L, "Message  #"))
            message(L, cur);
        ++cur;
    }
    closeBoardFile();
}

// Section 1: the message board list. Board lines go to MBOARD.LST, and every board listed
// gets its (possibly empty) message file.
void ConvModel::Scan::boardList(int start) {
    ++cur;
    base::Lines out;
    while (more() && !contains(at(cur), "MAIN")) {
        const std::string& line = at(cur);
        if (startsWith(line, "00")) {
            out.push_back(line);
            const std::string nn = boardNumberOf(line);
            if (nn.size() == 2 && isDigit(nn[0]) && isDigit(nn[1]))
                createIfMissing(file(boardFileName(nn, ".DAT")));
        }
        ++cur;
    }
    if (!cutOff() || endedOnLastLine([](const std::string& l) { return contains(l, "MAIN"); }))
        rewrite(file(kBoardList), std::move(out));
    else
        error(sj(u8"終わりのないボード一覧は取り込みませんでした"));
    cur = std::max(cur - 2, start);
}

// Section 2: the member list, from the ruler to the first empty line.
void ConvModel::Scan::memberList(int start) {
    ++cur;
    while (more() && !startsWith(at(cur), "----------") && !startsWith(at(cur), "*CH") &&
           !startsWith(at(cur), "MAIN"))
        ++cur;
    if (!more() || startsWith(at(cur), "MAIN")) {
        // No list before the next prompt: the old list stays, and the prompt is examined.
        cur = std::max(cur - 1, start);
        return;
    }
    ++cur;
    base::Lines out;
    while (more() && !at(cur).empty() && !startsWith(at(cur), "MAIN")) {
        const std::string& line = at(cur);
        out.push_back(line.size() >= 4 && line[3] == ' ' ? copyWhole(line, 5, 80) : line);
        ++cur;
    }
    const bool ended = more() && at(cur).empty();
    if (ended || (more() && !cutOff()) ||
        endedOnLastLine([](const std::string& l) { return l.empty() || startsWith(l, "MAIN"); }))
        rewrite(file(kMemberList), std::move(out));
    else
        error(sj(u8"終わりのないメンバー一覧は取り込みませんでした"));
    if (!ended)
        cur = std::max(cur - 1, start); // the prompt that ended a list is examined next
}

void ConvModel::Scan::rewrite(const std::string& path, base::Lines lines) {
    auto [it, added] = pendingAt.emplace(path, pending.size());
    if (added)
        pending.emplace_back(path, std::move(lines));
    else
        pending[it->second].second = std::move(lines);
}

// Writes every waiting rewrite, each atomically, in the order they were first made. A
// failure leaves the ones not yet written waiting.
void ConvModel::Scan::flush() {
    size_t done = 0;
    try {
        for (; done < pending.size(); ++done)
            base::replaceLines(pending[done].first, pending[done].second);
    } catch (const base::FileError&) {
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(done));
        pendingAt.clear();
        for (size_t i = 0; i < pending.size(); ++i)
            pendingAt[pending[i].first] = i;
        throw;
    }
    pending.clear();
    pendingAt.clear();
}

void ConvModel::Scan::mergeInto(const std::string& path, ListKind kind) {
    table.clear(kind);
    auto it = pendingAt.find(path);
    if (it != pendingAt.end()) {
        for (const std::string& line : pending[it->second].second)
            table.enter(line);
        return;
    }
    createIfMissing(path);
    for (const std::string& line : base::readLines(path))
        table.enter(line);
}

// Section 3: the new files list, one heading ("検索中") per file board with new files.
void ConvModel::Scan::newFiles(int start) {
    ++cur;
    while (more() && !startsWith(at(cur), "MAIN")) {
        const int heading = cur;
        const std::string& S = at(cur);
        ++cur;
        if (!contains(S, searching))
            continue;
        const int board = base::strToIntDef(base::copy(S, 3, 2), 0);
        if (board < 1 || board > kMaxBoard)
            continue;
        const std::string path = file(fileListName(twoDigits(board)));
        mergeInto(path, kFileList);
        while (more()) {
            const std::string& line = at(cur);
            if (startsWith(line, "MAIN") || startsWith(line, "*CH") ||
                (startsWith(line, "00") && base::copy(line, 5, 2) == ": "))
                break;
            table.enter(line);
            ++cur;
        }
        cur = std::max(cur - 1, heading + 1);
        rewrite(path, table.lines());
    }
    // The prompt that ends the list is examined too, in case a command stands on it.
    cur = std::max(cur - 1, start);
}

// Sections 4 and 5: a file list or message list download, merged into the board's list.
void ConvModel::Scan::listDownload(const std::string& L, int start, bool files) {
    const char* marker = files ? ">F;" : ">R;";
    const std::string command = base::copy(L, base::pos(marker, L) + 3, 80);
    const int semi = base::pos(";L;", command);
    const int board = semi > 0 ? base::strToIntDef(base::copy(command, 1, semi - 1), 0) : 0;
    if (board == 0)
        return;
    if (board < 0 || board > kMaxBoard) {
        error(sj(u8"ボード番号が範囲外の一覧を読み飛ばしました"));
        return;
    }
    const std::string nn = twoDigits(board);
    const std::string path = file(files ? fileListName(nn) : boardFileName(nn, ".LST"));
    mergeInto(path, files ? kFileList : kMessageList);
    cur += 2;
    while (more() && !startsWith(at(cur), "*CH") && !startsWith(at(cur), "MAIN")) {
        table.enter(at(cur));
        ++cur;
    }
    rewrite(path, table.lines());
    cur = std::max(cur - 1, start + 1);
}

// Section 6: one received mail, appended to MAIL.DAT.
void ConvModel::Scan::mail(const std::string& L, int start) {
    mailSeen = true;
    AppendFile out;
    if (!appendsDone)
        out.open(file(kMailFile));
    out.line(L);
    ++cur;
    bool nextIsExamined = false;
    while (more()) {
        const std::string& line = at(cur);
        if (contains(line, deleteAsk) || startsWith(line, writeDone))
            break;
        if (startsWith(line, "Private Message is from:") ||
            (startsWith(line, "MAIN") && base::posFrom(">", line, 5) > 0)) {
            nextIsExamined = true;
            break;
        }
        out.line(line);
        ++cur;
    }
    out.close();
    m.stage("mail");
    // A mail header or a prompt right after the mail is examined: it may start more.
    if (nextIsExamined)
        cur = std::max(cur - 1, start);
}

// Section 7: the file board list, unless the host refused it during restricted hours.
void ConvModel::Scan::fileBoardList(int start) {
    ++cur;
    for (int i = 0; i < 3; ++i)
        if (contains(at(cur + i), restricted))
            return;
    base::Lines out;
    while (more() && !contains(at(cur), "MAIN")) {
        if (startsWith(at(cur), "00"))
            out.push_back(at(cur));
        ++cur;
    }
    if (!cutOff() || endedOnLastLine([](const std::string& l) { return contains(l, "MAIN"); }))
        rewrite(file(kFileBoardList), std::move(out));
    else
        error(sj(u8"終わりのないファイルボード一覧は取り込みませんでした"));
    cur = std::max(cur - 2, start);
}

// Section 8: the first unread date of the import goes into the net list.
void ConvModel::Scan::unreadDate(const std::string& L) {
    m.host_.repaint();
    if (!startsWith(L, unreadStart) || dateTaken)
        return;
    dateTaken = true;
    m.nets_.setField(net, shell::kLastRead, base::copy(L, 8, 17));
    m.nets_.save();
}

void ConvModel::Scan::closeBoardFile() {
    openBoard = kNone;
    boardFile = nullptr;
    std::optional<base::FileError> failure;
    for (auto& f : boardFiles) {
        if (!f)
            continue;
        try {
            f->close();
        } catch (const base::FileError& e) {
            if (!failure)
                failure = e;
        }
        f.reset();
    }
    if (failure)
        throw *failure;
}

// Inside a message of `board` numbered `number`: true when line i is the host's own and
// ends the message. Anything else is body, whatever it looks like, since a body is the
// verbatim text of whoever posted it. The host's own lines are
// - its main prompt: a "MAIN" line with ">" after the word; with a record, a reading
//   command standing on it must have been typed there by the terminal;
// - the next header: "Message  #" with a "Time:" line after it naming the same board and
//   a higher number, as the host prints a board's articles in order;
// - a board separator: "00nn: " followed by a header whose "Time:" line names board nn,
//   another board than this one.
bool ConvModel::Scan::endsMessage(int i, int board, int number) const {
    if (i >= wp - 1)
        return true;
    const std::string& line = at(i);
    if (startsWith(line, "MAIN")) {
        const int prompt = base::posFrom(">", line, 5);
        if (prompt == 0)
            return false;
        if (record) {
            const std::string after = base::copy(line, prompt + 1, 1 << 20);
            for (std::string_view command : kTypedCommands)
                if (startsWith(after, command) && !record->typedAt(i, command))
                    return false;
        }
        return true;
    }
    if (startsWith(line, "Message  #")) {
        const std::string& next = at(i + 1);
        if (!startsWith(next, "Time:"))
            return false;
        // A header the import cannot place (no board, a board or number out of range) is
        // taken as the host's, to be skipped with an error line.
        const int n = articleNumberOf(line);
        const auto section = sectionOf(next);
        if (n == 0 || !section || *section < 0 || *section > kMaxBoard)
            return true;
        return *section == board && n > number;
    }
    if (startsWith(line, "00") && base::copy(line, 5, 2) == ": ") {
        const auto separated = base::strToInt(base::copy(line, 3, 2));
        return separated && *separated != board && startsWith(at(i + 1), "Message  #") &&
               sectionOf(at(i + 2)) == *separated;
    }
    return false;
}

// The articles stored in a board's message file before this import: number -> header
// line and the date and time of its second line.
const std::map<int, std::string>& ConvModel::Scan::stored(int board) {
    auto& known = storedArticles[static_cast<size_t>(board)];
    if (known)
        return *known;
    known = std::make_unique<std::map<int, std::string>>();
    base::Lines old;
    base::readLinesIfExists(file(boardFileName(twoDigits(board), ".DAT")), old);
    for (size_t i = 0; i < old.size(); ++i) {
        if (!beginsArticle(old, i, board))
            continue;
        const int n = articleNumberOf(old[i]);
        const std::string time = i + 1 < old.size() ? base::copy(old[i + 1], 7, 17) : "";
        if (n > 0)
            (*known)[n] = old[i] + "\n" + time;
    }
    return *known;
}

// Section 9: a new message, appended to the message file of the board its "Section" names.
void ConvModel::Scan::message(const std::string& L, int start) {
    ++cur;
    const std::string& S = at(cur);
    if (base::pos("Section", S) < 2)
        return;
    const auto board = sectionOf(S);
    auto ends = [](const std::string& line) {
        return startsWith(line, "MAIN") || startsWith(line, "Message  #") ||
               (startsWith(line, "00") && base::copy(line, 5, 2) == ": ");
    };
    std::string refused;
    if (!board || *board < 0 || *board > kMaxBoard)
        refused = sj(u8"ボード番号 (Section) が読めないメッセージを読み飛ばしました");
    else if (articleNumberOf(L) == 0)
        refused = sj(u8"番号が読めないメッセージを読み飛ばしました");
    if (!refused.empty()) {
        error(refused);
        while (more() && !ends(at(cur)))
            ++cur;
        cur = std::max(cur - 1, start);
        return;
    }

    const int number = articleNumberOf(L);
    const int from = cur;
    while (more() && !endsMessage(cur, *board, number))
        ++cur;
    storeMessage(L, *board, number, from, cur);
    cur = std::max(cur - 1, start);
    m.host_.progress(cur);
}

// Appends the header L and lines from..to-1 to the board's message file, or to its
// removed-article file when a different article of the same number is stored already.
void ConvModel::Scan::storeMessage(const std::string& L, int board, int number, int from, int to) {
    ++counters[static_cast<size_t>(board)];
    if (appendsDone)
        return;
    const std::string nn = twoDigits(board);
    const auto& known = stored(board);
    const auto it = known.find(number);
    if (it != known.end() && it->second != L + "\n" + base::copy(at(from), 7, 17)) {
        error(sj(u8"保存済みの記事と番号が同じで内容の違う記事を ") + boardFileName(nn, ".OLD") +
              sj(u8" に移しました: ") + L);
        AppendFile old;
        old.open(file(boardFileName(nn, ".OLD")));
        old.line(L);
        for (int i = from; i < to; ++i)
            old.line(at(i));
        old.close();
        return;
    }
    if (nn != openBoard) {
        auto& f = boardFiles[static_cast<size_t>(board)];
        if (!f) {
            f = std::make_unique<AppendFile>();
            f->open(file(boardFileName(nn, ".DAT")));
        }
        boardFile = f.get();
        openBoard = nn;
    }
    boardFile->line(L);
    for (int i = from; i < to; ++i)
        boardFile->line(at(i));
}

// ---- ConvModel ----

ConvModel::ConvModel(Deps deps)
    : loop_(deps.loop), nets_(deps.nets), logEdit_(deps.logEdit), errors_(deps.errors),
      host_(deps.host), folder_(std::move(deps.folder)) {}

void ConvModel::logError(const std::string& text) {
    errors_.add(base::ErrorLog::stamped(loop_.localNow(), text));
}

bool ConvModel::failed(const std::string& shortName, const std::string& text) {
    lastError_ = text;
    host_.status(shortName + sj(u8" ログの取り込みを中止しました."));
    logError(text);
    host_.warn(text);
    return false;
}

void ConvModel::note(const std::string& stageLine) {
    const std::string path = base::joinPath(folder_, kCommandRecord);
    AppendFile out;
    out.open(path);
    out.line(stageLine);
    out.close();
}

bool ConvModel::LogConv(const std::vector<std::string>& lines, int writePointer, int net) {
    lastError_.clear();
    const std::string shortName = nets_.field(net, shell::kShortName);
    if (base::trim(shortName).empty())
        return failed(shortName, sj(u8"ログを取り込むネットがありません．"));
    const std::string archive = base::joinPath(
        folder_, base::nativePath(archiveName(shortName, base::shortDate(loop_.localNow()))));
    const CommandRecord record = CommandRecord::read(base::joinPath(folder_, kCommandRecord), 0);
    const int last = std::min(writePointer, static_cast<int>(lines.size()) - 1);
    return archiveAndImport(lines, 1, last, writePointer, net, archive, record, true);
}

bool ConvModel::archiveAndImport(const std::vector<std::string>& lines, int from, int to,
                                 int writePointer, int net, const std::string& archive,
                                 const CommandRecord& record, bool archiveFailureStops) {
    const std::string shortName = nets_.field(net, shell::kShortName);
    try {
        if (!record.present && !record.archiveBefore)
            note("N");
        if (!record.archived) {
            if (record.archiveBefore)
                truncateTo(archive, *record.archiveBefore);
            else
                note("A " + std::to_string(sizeOf(archive)));
            stage("archive");
            AppendFile out;
            out.open(archive);
            for (int i = from; i <= to; ++i)
                out.line(lines[static_cast<size_t>(i)]);
            out.close();
            stage("archived");
            note("a");
        }
    } catch (const base::FileError& e) {
        if (archiveFailureStops)
            return failed(shortName, sj(u8"ログを保存できません: ") + e.what());
        logError(sj(u8"ログを保存できません: ") + e.what());
    }
    if (!convert(lines, writePointer, net, &record, true))
        return false;
    stage("imported");
    base::removeFile(base::joinPath(folder_, kCaptureLog));
    base::removeFile(base::joinPath(folder_, kCommandRecord));
    return true;
}

bool ConvModel::Conv(const std::vector<std::string>& lines, int writePointer, int net) {
    return convert(lines, writePointer, net, nullptr, false);
}

bool ConvModel::Conv(const std::vector<std::string>& lines, int writePointer, int net,
                     const CommandRecord& record) {
    return convert(lines, writePointer, net, &record, false);
}

bool ConvModel::convert(const std::vector<std::string>& lines, int writePointer, int net,
                        const CommandRecord* record, bool journal) {
    lastError_.clear();
    const std::string shortName = nets_.field(net, shell::kShortName);
    if (!nets_.has(net) || base::trim(shortName).empty())
        return failed(shortName, sj(u8"ログを取り込むネットがありません．"));
    writePointer = std::clamp(writePointer, 0, static_cast<int>(lines.size()));

    host_.progressMax(writePointer);
    host_.status(shortName + sj(u8" ログの取り込み中 ") + std::to_string(writePointer));
    host_.repaint();

    Scan scan(*this, lines, writePointer, net, shortName,
              base::joinPath(folder_, base::nativePath(shortName)));
    if (record && record->present)
        scan.record = record;
    try {
        if (journal && record) {
            // Mail is never trimmed by the reorganiser: what an interrupted import of this
            // capture appended goes before it is appended again.
            const std::string mailFile = scan.file(kMailFile);
            scan.appendsDone = record->scanned;
            if (!record->scanned && record->mailBefore)
                truncateTo(mailFile, *record->mailBefore);
            else if (!record->scanned)
                note("M " + std::to_string(sizeOf(mailFile)));
        }
        scan.run();
        scan.flush();
        stage("scanned");
        if (journal && record && !record->scanned)
            note("s");
    } catch (const base::FileError& e) {
        // What was taken from the lines before the failure is kept as far as it can be.
        try {
            scan.closeBoardFile();
            scan.flush();
        } catch (const base::FileError&) {
        }
        return failed(shortName, sj(u8"ログの取り込み中に書き込めませんでした: ") + e.what());
    }

    host_.openReorganiser();
    host_.repaint();
    logEdit_.setNetFolder(shortName);
    logEdit_.CheckBox1 = false;
    for (int board = 1; board <= kMaxBoard; ++board) {
        if (scan.counters[static_cast<size_t>(board)] == 0)
            continue;
        char head[16];
        std::snprintf(head, sizeof head, "%.4d", board);
        logEdit_.Panel1 = head + sj(u8":- ログ整理中 -");
        host_.reorganiserChanged();
        host_.repaint();
        logEdit_.go();
        host_.repaint();
    }
    logEdit_.CheckBox1 = true;
    host_.closeReorganiser();

    host_.NetNoChange();
    if (scan.mailSeen)
        host_.offerMailBox(sj(u8"メールを取り込みました(^^;メールBOXを開きますか?"));
    std::string done = shortName + sj(u8" ログを取り込みました.") + std::to_string(writePointer);
    if (!scan.record)
        done += sj(u8" (コマンドの記録なし)");
    host_.status(done);
    return true;
}

// ---- Recovery ----

bool isSafeStorePath(std::string_view stored) {
    if (stored.empty())
        return false;
    for (char c : stored)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    const std::string native = base::nativePath(stored);
    if (native.front() == '/' || base::findDelimiter(native, ':') > 0)
        return false;
    size_t begin = 0;
    while (begin <= native.size()) {
        size_t slash = begin;
        while (slash < native.size() && native[slash] != '/') {
            if (base::isLeadByte(native[slash]) && slash + 1 < native.size())
                ++slash;
            ++slash;
        }
        if (native.compare(begin, slash - begin, "..") == 0)
            return false;
        begin = slash + 1;
    }
    return true;
}

// The declined capture may hold mail the host has deleted since: it is moved aside under
// a name with the date and time, where the next run's capture cannot empty it.
bool ConvModel::keepDeclinedCapture(const std::string& path) {
    const base::LocalDateTime t = loop_.localNow();
    char name[64];
    std::snprintf(name, sizeof name, "VESPARI-%04d%02d%02d-%02d%02d%02d.LOG", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    std::string kept = base::joinPath(folder_, name);
    for (int n = 1; base::fileExists(kept); ++n)
        kept = base::joinPath(folder_, std::string(name, std::strlen(name) - 4) + "-" +
                                           std::to_string(n) + ".LOG");
    if (std::rename(path.c_str(), kept.c_str()) == 0)
        return true;
    lastError_ =
        sj(u8"取り込まないキャプチャログを保存できません．VESPARI.LOG は次の起動まで残します．");
    logError(lastError_);
    return false;
}

ConvModel::Recovery ConvModel::recoverCaptureLog(bool askUser) {
    const std::string path = base::joinPath(folder_, kCaptureLog);
    base::Lines log;
    try {
        if (!base::readLinesIfExists(path, log))
            return Recovery::NoLog;
    } catch (const base::FileError& e) {
        logError(sj(u8"キャプチャログを読み込めません: ") + e.what());
        return Recovery::Failed;
    }
    if (log.empty() || log[0] != kCaptureMarker) {
        base::removeFile(path);
        base::removeFile(base::joinPath(folder_, kCommandRecord));
        return Recovery::NotMarked;
    }
    if (askUser &&
        !host_.ask(sj(u8"何らかの原因で取りこまれていないログがあります．取り込みますか．"))) {
        // The record of typed commands belongs to this capture only.
        if (!keepDeclinedCapture(path))
            return Recovery::Failed;
        base::removeFile(base::joinPath(folder_, kCommandRecord));
        return Recovery::Declined;
    }
    const std::string rawLog = log.size() > 1 ? log[1] : std::string();
    const auto net = base::strToInt(log.size() > 2 ? log[2] : std::string());
    if (!net || !nets_.has(*net)) {
        lastError_ = sj(u8"キャプチャログのネットがネットリストにありません．VESPARI.LOG "
                        u8"は次の起動まで残します．");
        logError(lastError_);
        host_.warn(lastError_);
        return Recovery::Failed;
    }
    host_.selectNet(*net);
    std::vector<std::string> table(log.size() > 3 ? log.begin() + 3 : log.end(), log.end());
    host_.tableLoaded(table);
    const CommandRecord record =
        CommandRecord::read(base::joinPath(folder_, kCommandRecord), kRecoveryShift);
    std::string archive;
    if (isSafeStorePath(rawLog)) {
        archive = base::joinPath(folder_, base::nativePath(rawLog));
    } else {
        logError(sj(u8"キャプチャログの保存先が正しくありません: ") + rawLog);
    }
    CommandRecord withArchive = record;
    if (archive.empty())
        withArchive.archived = true; // nowhere safe to put it
    if (!archiveAndImport(table, 0, static_cast<int>(table.size()) - 1,
                          static_cast<int>(table.size()), *net, archive, withArchive, false))
        return Recovery::Failed;
    return Recovery::Imported;
}

// ---- Raw log view ----

std::string namaLogText(const std::vector<std::string>& lines, int writePointer) {
    std::string text;
    const int last = std::min(writePointer, static_cast<int>(lines.size()) - 1);
    for (int i = std::max(0, writePointer - 1000); i <= last; ++i) {
        text += lines[static_cast<size_t>(i)];
        text += "\r\n";
        if (text.size() >= kNamaLogBuffer) {
            text = copyWhole(text, 1, static_cast<int>(kNamaLogBuffer));
            break;
        }
    }
    return text;
}

} // namespace store
