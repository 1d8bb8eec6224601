#pragma once
// Local calendar time and the texts the program prints of it: the short date "yy/mm/dd",
// the long time "hh:mm:ss" and the weekday names. Models get the current time only from
// their EventLoop, never from the system clock directly.
#include <cstdint>
#include <string>

namespace base {

struct LocalDateTime {
    int year = 2000; // four digits
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
    int millisecond = 0;
    int weekday = 6; // 0 Sunday .. 6 Saturday

    bool operator==(const LocalDateTime&) const = default;
};

// A valid date and time; the weekday is computed.
LocalDateTime makeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0, int millisecond = 0);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);
// 0 Sunday .. 6 Saturday.
int weekdayOf(int year, int month, int day);
int daysInMonth(int year, int month);

// t moved by ms milliseconds (either direction), with the weekday recomputed.
LocalDateTime addMilliseconds(const LocalDateTime& t, std::int64_t ms);

// Milliseconds between two local times (b - a), ignoring daylight-saving changes.
std::int64_t millisecondsBetween(const LocalDateTime& a, const LocalDateTime& b);

// "yy/mm/dd", "hh:mm:ss".
std::string shortDate(const LocalDateTime& t);
std::string longTime(const LocalDateTime& t);

// "日曜日" .. "土曜日" in Shift-JIS; weekday 0 is Sunday. Out of range gives "".
std::string weekdayName(int weekday);

// Two-digit years as the hosts print them: 00-49 are 2000-2049, 50-99 are 1950-1999.
int expandTwoDigitYear(int yy);

// The system's local time now (for the real loops only).
LocalDateTime systemNow();

} // namespace base
