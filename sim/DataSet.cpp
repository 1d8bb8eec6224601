#include "sim/DataSet.h"

#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>

namespace sim {

const Article* MessageBoard::find(int n) const {
    for (const Article& a : articles)
        if (a.number == n)
            return &a;
    return nullptr;
}

int MessageBoard::nextNumber() const {
    return articles.empty() ? 1 : articles.back().number + 1;
}

const HostFile* FileBoard::find(int n) const {
    for (const HostFile& f : files)
        if (f.number == n)
            return &f;
    return nullptr;
}

HostFile* FileBoard::findByName(std::string_view wanted) {
    std::string key = upperAscii(wanted);
    for (HostFile& f : files)
        if (upperAscii(f.name) == key)
            return &f;
    return nullptr;
}

int FileBoard::nextNumber() const {
    return files.empty() ? 1 : files.back().number + 1;
}

namespace {

template <typename Board> Board* findBoard(std::vector<Board>& boards, std::string_view ref) {
    std::string trimmed = base::trim(ref);
    if (trimmed.empty())
        return nullptr;
    bool digits =
        std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
        int n = base::strToIntDef(trimmed, -1);
        for (Board& b : boards)
            if (b.number == n)
                return &b;
        return nullptr;
    }
    std::string key = upperAscii(trimmed);
    for (Board& b : boards)
        if (upperAscii(b.name) == key)
            return &b;
    return nullptr;
}

} // namespace

MessageBoard* DataSet::board(std::string_view ref) {
    return findBoard(boards, ref);
}

FileBoard* DataSet::fileBoard(std::string_view ref) {
    return findBoard(fileBoards, ref);
}

const Member* DataSet::member(std::string_view id) const {
    std::string key = upperAscii(base::trim(id));
    for (const Member& m : members)
        if (upperAscii(m.id) == key)
            return &m;
    return nullptr;
}

std::string DataSet::handleOf(std::string_view id) const {
    const Member* m = member(id);
    return m ? m->handle : std::string();
}

bool DataSet::restrictedAt(int hour) const {
    if (restrictFromHour < 0 || restrictToHour < 0 || restrictFromHour == restrictToHour)
        return false;
    if (restrictFromHour < restrictToHour)
        return hour >= restrictFromHour && hour < restrictToHour;
    return hour >= restrictFromHour || hour < restrictToHour;
}

std::string hostDateTime(const base::LocalDateTime& t) {
    return base::shortDate(t) + " " + base::longTime(t);
}

std::string hostDate(const base::LocalDateTime& t) {
    return base::shortDate(t);
}

namespace {

// Splits "a<sep>b<sep>c" into 2 or 3 decimal fields; false for anything else.
bool numberFields(std::string_view s, char sep, std::vector<int>& out, size_t& firstWidth) {
    out.clear();
    int value = -1;
    size_t width = 0;
    firstWidth = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            if (value < 0 || width > 4)
                return false;
            if (out.empty())
                firstWidth = width;
            out.push_back(value);
            value = -1;
            width = 0;
        } else if (s[i] >= '0' && s[i] <= '9') {
            value = (value < 0 ? 0 : value * 10) + (s[i] - '0');
            ++width;
        } else {
            return false;
        }
    }
    return out.size() >= 2 && out.size() <= 3;
}

} // namespace

std::optional<base::LocalDateTime> parseHostDateTime(std::string_view text) {
    std::string s = base::trim(text);
    size_t blank = s.find(' ');
    std::string datePart = s.substr(0, blank);
    std::string timePart = blank == std::string::npos ? "" : base::trim(s.substr(blank));
    std::vector<int> date, time;
    size_t yearWidth = 0, unused = 0;
    if (!numberFields(datePart, '/', date, yearWidth) || date.size() != 3)
        return std::nullopt;
    if (!timePart.empty() && !numberFields(timePart, ':', time, unused))
        return std::nullopt;
    time.resize(3, 0);
    int y = yearWidth <= 2 ? base::expandTwoDigitYear(date[0]) : date[0];
    int mo = date[1], d = date[2];
    if (mo < 1 || mo > 12 || d < 1 || d > base::daysInMonth(y, mo) || time[0] > 23 ||
        time[1] > 59 || time[2] > 59)
        return std::nullopt;
    return base::makeDateTime(y, mo, d, time[0], time[1], time[2]);
}

bool earlier(const base::LocalDateTime& a, const base::LocalDateTime& b) {
    return base::millisecondsBetween(a, b) > 0;
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        if (base::isLeadByte(out[i]) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
    return out;
}

} // namespace sim
