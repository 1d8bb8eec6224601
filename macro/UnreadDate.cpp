#include "macro/UnreadDate.h"

#include "base/DateTime.h"

#include <cstdio>

namespace macro {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 to maxDigits decimal digits at text[i], moving i past them.
std::optional<int> readNumber(std::string_view text, size_t& i, size_t maxDigits) {
    size_t start = i;
    int value = 0;
    while (i < text.size() && isDigit(text[i]) && i - start < maxDigits)
        value = value * 10 + (text[i++] - '0');
    if (i == start || (i < text.size() && isDigit(text[i])))
        return std::nullopt;
    return value;
}

bool expect(std::string_view text, size_t& i, char c) {
    if (i >= text.size() || text[i] != c)
        return false;
    ++i;
    return true;
}

} // namespace

int monthDays(int month) {
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 ? kDays[month - 1] : 31;
}

std::string midokuDate(const UnreadDate& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d %.2d:%.2d:00", ((d.year % 100) + 100) % 100,
                  d.month, d.day, d.hour, d.minute);
    return buf;
}

std::optional<UnreadDate> parseHostDate(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    size_t yearStart = slash;
    while (yearStart > 0 && isDigit(text[yearStart - 1]) && slash - yearStart < 4)
        --yearStart;
    size_t i = yearStart;
    auto year = readNumber(text, i, 4);
    if (!year || !expect(text, i, '/'))
        return std::nullopt;
    auto month = readNumber(text, i, 2);
    if (!month || !expect(text, i, '/'))
        return std::nullopt;
    auto day = readNumber(text, i, 2);
    if (!day)
        return std::nullopt;
    while (i < text.size() && text[i] == ' ')
        ++i;
    auto hour = readNumber(text, i, 2);
    if (!hour || !expect(text, i, ':'))
        return std::nullopt;
    auto minute = readNumber(text, i, 2);
    if (!minute)
        return std::nullopt;
    if (i < text.size() && text[i] == ':') {
        ++i;
        auto second = readNumber(text, i, 2);
        if (!second || *second > 59)
            return std::nullopt;
    }

    const size_t yearDigits = slash - yearStart;
    int fullYear = *year;
    if (yearDigits <= 2)
        fullYear = base::expandTwoDigitYear(*year);
    else if (yearDigits == 3)
        fullYear = 1900 + *year;

    UnreadDate d;
    d.year = fullYear - 1900;
    d.month = *month;
    d.day = *day;
    d.hour = *hour;
    d.minute = *minute;
    if (d.year < UnreadDate::kMinYear || d.year > UnreadDate::kMaxYear || d.month < 1 ||
        d.month > 12 || d.day < 1 || d.day > monthDays(d.month) || d.hour > 23 || d.minute > 59)
        return std::nullopt;
    return d;
}

} // namespace macro
