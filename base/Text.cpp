#include "base/Text.h"

#include "base/Sjis.h"

#include <climits>

namespace base {

int pos(std::string_view needle, std::string_view hay) {
    return posFrom(needle, hay, 1);
}

int posFrom(std::string_view needle, std::string_view hay, int from) {
    if (needle.empty() || from < 1 || static_cast<size_t>(from) > hay.size())
        return 0;
    size_t p = hay.find(needle, static_cast<size_t>(from - 1));
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string copy(std::string_view s, int from, int count) {
    if (count <= 0)
        return {};
    if (from < 1)
        from = 1;
    size_t start = static_cast<size_t>(from - 1);
    if (start >= s.size())
        return {};
    return std::string(s.substr(start, static_cast<size_t>(count)));
}

std::string copyFrom(std::string_view s, int from) {
    return copy(s, from, INT_MAX);
}

std::string cutBytes(std::string_view s, int n) {
    if (n <= 0)
        return {};
    if (s.size() <= static_cast<size_t>(n))
        return std::string(s);
    size_t len = 0;
    while (len < static_cast<size_t>(n)) {
        const size_t step = isLeadByte(s[len]) ? 2 : 1;
        if (len + step > static_cast<size_t>(n))
            break;
        len += step;
    }
    return std::string(s.substr(0, len));
}

std::string copyColumns(std::string_view s, int from, int count) {
    std::string out = copy(s, from, count);
    size_t i = 0;
    while (i < out.size()) {
        if (isLeadByte(out[i]) && i + 1 >= out.size()) {
            out.back() = ' ';
            break;
        }
        i += isLeadByte(out[i]) ? 2 : 1;
    }
    return out;
}

bool startsWith(std::string_view line, std::string_view x) {
    return pos(x, line) == 1;
}

bool contains(std::string_view line, std::string_view x) {
    return pos(x, line) > 0;
}

bool equals(std::string_view line, std::string_view x) {
    return line == x;
}

bool endsInMenuMark(std::string_view line) {
    int p = pos(">", line);
    return p > 0 && static_cast<size_t>(p) == line.size();
}

bool endsWith(std::string_view line, std::string_view x) {
    int p = pos(x, line);
    return p > 0 && p == static_cast<int>(line.size()) - static_cast<int>(x.size()) + 1;
}

int findDelimiter(std::string_view s, char c, int from) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (isLeadByte(s[i]) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == c && static_cast<int>(i) + 1 >= from)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int findLastDelimiter(std::string_view s, char c) {
    int last = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (isLeadByte(s[i]) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == c)
            last = static_cast<int>(i) + 1;
    }
    return last;
}

bool isTrailByteAt(std::string_view s, int index) {
    if (index < 1 || static_cast<size_t>(index) > s.size())
        return false;
    size_t target = static_cast<size_t>(index - 1);
    for (size_t i = 0; i < s.size();) {
        size_t len = (isLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
        if (target < i + len)
            return len == 2 && target == i + 1;
        i += len;
    }
    return false;
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return std::string(s.substr(b, e - b));
}

std::string trimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return std::string(s.substr(0, e));
}

std::optional<int> strToInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + d;
        // Hexadecimal texts may name any 32-bit pattern ("$80000008"), decimal ones not.
        long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 2147483648LL : INT_MAX);
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (base == 16 && value > INT_MAX)
        value -= 0x100000000LL;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

int strToIntDef(std::string_view s, int fallback) {
    return strToInt(s).value_or(fallback);
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(s);
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(from, start);
        if (p == std::string_view::npos)
            break;
        out.append(s.substr(start, p - start));
        out.append(to);
        start = p + from.size();
    }
    out.append(s.substr(start));
    return out;
}

} // namespace base
