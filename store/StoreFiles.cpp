#include "store/StoreFiles.h"

#include "base/DateTime.h"
#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace store {

namespace {

std::string two(int n) {
    return twoDigits(n < 0 || n > kMaxBoard ? 0 : n);
}

bool allDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int digits(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

// Reads "y/m/d" at the start of `text`; returns the bytes consumed or 0.
size_t readDate(std::string_view text, int& y, int& m, int& d) {
    const size_t s1 = text.find('/');
    if (s1 == std::string_view::npos)
        return 0;
    const size_t s2 = text.find('/', s1 + 1);
    if (s2 == std::string_view::npos)
        return 0;
    size_t end = s2 + 1;
    while (end < text.size() && end < s2 + 3 && text[end] >= '0' && text[end] <= '9')
        ++end;
    const std::string_view ys = text.substr(0, s1), ms = text.substr(s1 + 1, s2 - s1 - 1),
                           ds = text.substr(s2 + 1, end - s2 - 1);
    if (!allDigits(ys) || ys.size() > 4 || !allDigits(ms) || ms.size() > 2 || !allDigits(ds))
        return 0;
    y = digits(ys);
    if (ys.size() <= 2)
        y = base::expandTwoDigitYear(y);
    else if (ys.size() == 3)
        y += 1900;
    m = digits(ms);
    d = digits(ds);
    if (m < 1 || m > 12 || d < 1 || d > base::daysInMonth(y, m))
        return 0;
    return end;
}

DateKey key(int y, int m, int d, int h, int mi, int s) {
    return ((((static_cast<DateKey>(y) * 100 + m) * 100 + d) * 100 + h) * 100 + mi) * 100 + s;
}

} // namespace

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::string boardFileName(std::string_view nn, std::string_view ext) {
    return "MBOARD" + std::string(nn) + std::string(ext);
}

std::string fileListName(std::string_view nn) {
    return "FBOARD" + std::string(nn) + ".LST";
}

std::string boardNumberOf(std::string_view listLine) {
    return base::copy(listLine, 3, 2);
}

int entryNumberOf(std::string_view listLine) {
    const int colon = base::pos(":", listLine);
    if (colon == 0)
        return 0;
    return base::strToIntDef(listLine.substr(0, static_cast<size_t>(colon - 1)), 0);
}

std::string archiveName(std::string_view shortName, std::string_view shortDate) {
    return std::string(shortName) + "\\" + std::string(shortName) + base::copy(shortDate, 1, 2) +
           base::copy(shortDate, 4, 2) + ".LOG";
}

std::string copyWhole(std::string_view s, int from, int count) {
    if (count <= 0)
        return {};
    const size_t start = static_cast<size_t>(from < 1 ? 0 : from - 1);
    const size_t end = std::min(s.size(), start + static_cast<size_t>(count));
    // Walk the characters from the start of the line, so a trail byte is never taken for
    // a lead byte, and keep those that lie wholly inside the range.
    size_t first = std::string_view::npos, last = start;
    for (size_t i = 0; i < end;) {
        const size_t width = base::isLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
        if (i >= start && i + width <= end) {
            if (first == std::string_view::npos)
                first = i;
            last = i + width;
        }
        i += width;
    }
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, last - first));
}

int articleNumberOf(std::string_view header) {
    const int hash = base::pos("#", header);
    if (hash == 0)
        return 0;
    const auto n = base::strToInt(base::copy(header, hash + 1, 4));
    if (!n || *n < 1 || *n > kMaxArticle)
        return 0;
    const size_t after = static_cast<size_t>(hash) + 4;
    if (after < header.size() && header[after] >= '0' && header[after] <= '9')
        return 0;
    return *n;
}

std::optional<int> sectionOf(std::string_view timeLine) {
    const int section = base::pos("Section", timeLine);
    if (section < 2)
        return std::nullopt;
    std::string field = base::copy(timeLine, section + 7, 10);
    const int colon = base::pos(":", field);
    if (colon > 0)
        field = base::copy(field, 1, colon - 1);
    return base::strToInt(field);
}

bool beginsArticle(const base::Lines& lines, size_t i, int board) {
    if (i >= lines.size() || !base::startsWith(lines[i], "Message  #"))
        return false;
    if (i + 1 >= lines.size() || !base::startsWith(lines[i + 1], "Time:"))
        return true;
    const auto named = sectionOf(lines[i + 1]);
    return !named || *named == board;
}

// ---- Readers ----

std::string messageBoardFile(const std::string& folder, int board, std::string_view ext) {
    return folder + "/" + boardFileName(two(board), ext);
}

std::string fileBoardListFile(const std::string& folder, int board) {
    return folder + "/" + fileListName(two(board));
}

std::string storeFile(const std::string& folder, std::string_view name) {
    return folder + "/" + std::string(name);
}

base::Lines readStoreLines(const std::string& path) {
    base::Lines lines;
    try {
        base::readLinesIfExists(path, lines);
    } catch (const base::FileError&) {
        lines.clear();
    }
    return lines;
}

int boardNumberOfLine(std::string_view line) {
    const std::string nn = base::copy(line, 3, 2);
    return nn.size() == 2 && allDigits(nn) ? digits(nn) : -1;
}

std::optional<DateKey> parseStoreDate(std::string_view text) {
    int y, m, d;
    const size_t n = readDate(text, y, m, d);
    if (n == 0 || n != base::trimRight(text).size())
        return std::nullopt;
    return key(y, m, d, 0, 0, 0);
}

std::optional<DateKey> parseStoreDateTime(std::string_view text) {
    int y, m, d;
    size_t i = readDate(text, y, m, d);
    if (i == 0)
        return std::nullopt;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::string rest = base::trimRight(text.substr(i));
    int f[3] = {0, 0, 0};
    int count = 0;
    size_t p = 0;
    while (count < 3 && p < rest.size()) {
        size_t q = rest.find(':', p);
        if (q == std::string::npos)
            q = rest.size();
        const std::string_view part = std::string_view(rest).substr(p, q - p);
        if (!allDigits(part) || part.size() > 2)
            return std::nullopt;
        f[count++] = digits(part);
        p = q + 1;
        if (q == rest.size())
            break;
    }
    if (count < 2 || p < rest.size() || f[0] > 23 || f[1] > 59 || f[2] > 59)
        return std::nullopt;
    return key(y, m, d, f[0], f[1], f[2]);
}

int findWord(std::string_view text, std::string_view word) {
    if (word.empty() || word.size() > text.size())
        return 0;
    size_t i = 0;
    while (i + word.size() <= text.size()) {
        if (text.compare(i, word.size(), word) == 0)
            return static_cast<int>(i) + 1;
        i += base::isLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    }
    return 0;
}

// ---- ListTable ----

ListTable::ListTable() : entries_(static_cast<size_t>(kMaxArticle) + 1) {}

void ListTable::clear(ListKind kind) {
    kind_ = kind;
    for (int i = 1; i <= kind.maxNumber; ++i)
        entries_[static_cast<size_t>(i)].clear();
}

int ListTable::numberOf(std::string_view line, ListKind kind) {
    if (line.size() <= static_cast<size_t>(kind.digits) || line[kind.digits] != ':')
        return 0;
    const auto n = base::strToInt(line.substr(0, static_cast<size_t>(kind.digits)));
    if (!n || *n < 1 || *n > kind.maxNumber)
        return 0;
    return *n;
}

bool ListTable::enter(std::string_view line) {
    const int n = numberOf(line, kind_);
    if (n == 0)
        return false;
    entries_[static_cast<size_t>(n)].assign(line);
    return true;
}

base::Lines ListTable::lines() const {
    base::Lines out;
    for (int i = 1; i <= kind_.maxNumber; ++i)
        if (!entries_[static_cast<size_t>(i)].empty())
            out.push_back(entries_[static_cast<size_t>(i)]);
    return out;
}

// ---- AppendFile ----

AppendFile::~AppendFile() {
    if (file_)
        std::fclose(file_);
}

void AppendFile::fail(const char* what) {
    const std::string reason = std::strerror(errno);
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    throw base::FileError(path_ + ": " + what + ": " + reason);
}

void AppendFile::open(const std::string& path) {
    if (file_)
        close();
    path_ = path;
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_)
        fail("cannot open for appending");
}

void AppendFile::raw(std::string_view bytes) {
    if (!file_)
        return;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        fail("write failed");
}

void AppendFile::line(std::string_view text) {
    raw(text);
    raw("\r\n");
}

void AppendFile::close() {
    if (!file_)
        return;
    std::FILE* f = file_;
    file_ = nullptr;
    const bool flushed = std::fflush(f) == 0;
    const bool closed = std::fclose(f) == 0;
    if (!flushed || !closed)
        throw base::FileError(path_ + ": write failed: " + std::strerror(errno));
}

void createIfMissing(const std::string& path) {
    if (base::fileExists(path))
        return;
    AppendFile f;
    f.open(path);
    f.close();
}

} // namespace store
