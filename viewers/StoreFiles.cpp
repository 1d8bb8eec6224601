#include "viewers/StoreFiles.h"

#include "base/DateTime.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "store/StoreFiles.h"

#include <cstdio>

namespace viewers {

namespace {

std::string two(int n) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", n < 0 || n > 99 ? 0 : n);
    return b;
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

std::string messageBoardFile(const std::string& folder, int board, std::string_view ext) {
    return folder + "/" + store::boardFileName(two(board), ext);
}

std::string fileBoardListFile(const std::string& folder, int board) {
    return folder + "/" + store::fileListName(two(board));
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

int entryNumberOf(std::string_view line) {
    // A line without ":" carries no number here; the store reads the whole line then.
    return line.find(':') == std::string_view::npos ? 0 : store::entryNumberOf(line);
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

} // namespace viewers
