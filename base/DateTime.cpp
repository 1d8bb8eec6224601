#include "base/DateTime.h"

#include "base/Sjis.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

namespace base {

std::int64_t daysFromCivil(int year, int month, int day) {
    // Howard Hinnant's algorithm.
    std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t mp = (month + 9) % 12;
    std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

int weekdayOf(int year, int month, int day) {
    std::int64_t d = daysFromCivil(year, month, day);
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((d % 7) + 11) % 7);
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

LocalDateTime makeDateTime(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
    LocalDateTime t{year, month, day, hour, minute, second, millisecond, 0};
    t.weekday = weekdayOf(year, month, day);
    return t;
}

static std::int64_t toMs(const LocalDateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 86400000LL + t.hour * 3600000LL +
           t.minute * 60000LL + t.second * 1000LL + t.millisecond;
}

LocalDateTime addMilliseconds(const LocalDateTime& t, std::int64_t ms) {
    std::int64_t total = toMs(t) + ms;
    std::int64_t days = total >= 0 ? total / 86400000LL : -((-total + 86399999LL) / 86400000LL);
    std::int64_t rest = total - days * 86400000LL;
    LocalDateTime r;
    civilFromDays(days, r.year, r.month, r.day);
    r.hour = static_cast<int>(rest / 3600000LL);
    r.minute = static_cast<int>(rest / 60000LL % 60);
    r.second = static_cast<int>(rest / 1000LL % 60);
    r.millisecond = static_cast<int>(rest % 1000);
    r.weekday = weekdayOf(r.year, r.month, r.day);
    return r;
}

std::int64_t millisecondsBetween(const LocalDateTime& a, const LocalDateTime& b) {
    return toMs(b) - toMs(a);
}

std::string shortDate(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", ((t.year % 100) + 100) % 100, t.month, t.day);
    return buf;
}

std::string longTime(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

std::string weekdayName(int weekday) {
    static const std::array<std::string, 7> names = {sj(u8"日曜日"), sj(u8"月曜日"), sj(u8"火曜日"),
                                                     sj(u8"水曜日"), sj(u8"木曜日"), sj(u8"金曜日"),
                                                     sj(u8"土曜日")};
    if (weekday < 0 || weekday > 6)
        return {};
    return names[static_cast<size_t>(weekday)];
}

int expandTwoDigitYear(int yy) {
    yy = ((yy % 100) + 100) % 100;
    return yy < 50 ? 2000 + yy : 1900 + yy;
}

LocalDateTime systemNow() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm tm;
    localtime_r(&tv.tv_sec, &tm);
    LocalDateTime t{tm.tm_year + 1900,
                    tm.tm_mon + 1,
                    tm.tm_mday,
                    tm.tm_hour,
                    tm.tm_min,
                    tm.tm_sec,
                    static_cast<int>(tv.tv_usec / 1000),
                    tm.tm_wday};
    return t;
}

} // namespace base
