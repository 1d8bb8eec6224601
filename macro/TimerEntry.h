#pragma once
// One line of the timer schedule (Timer.dat): a net and a time condition, kept in fixed
// columns so the file stays readable and editable as plain text.
//
//   o05 ＮＥＴ名称         01 12:34 月曜日                    @1011000
//   |net|name, 16 bytes  |day|hh:mm|weekday |20 blanks        |flags
//
// Column 1 is "o" (enabled) or "x" (disabled); columns 2-3 the net number; 5-20 the net
// name padded with blanks; 22-23 the day of month; 25-29 "hh:mm"; 31-36 the weekday name;
// then blanks, "@" at column 57 and seven one-digit flags: every time, once only, hour,
// minute, date and weekday condition, done.
//
// Reading takes the fields by position and the flags from the first "@" at column 37 or
// later (found stepping over double-byte characters, so a name or weekday can never
// supply it); blanks before the "@" and digits after the seventh flag are ignored, which
// is how the longer tail of the new-entry line is accepted. A line that does not fit the
// format (too short, a field that is not a number in range, no "@", fewer than seven 0/1
// flags) is read as far as it goes and marked unreadable: such an entry never fires and is
// written back exactly as it was until the user edits it.
#include "base/DateTime.h"

#include <string>
#include <string_view>

namespace macro {

struct TimerEntry {
    static constexpr int kNameBytes = 16;
    static constexpr int kWeekdayBytes = 6;
    static constexpr int kFlagColumn = 57; // where the format puts the "@"
    static constexpr int kMaxNet = 99;

    bool enabled = true;
    int net = 99;
    std::string name;    // the stored 16 bytes, blanks included
    int day = 1;         // 1..31
    int hour = 0;        // 0..23
    int minute = 0;      // 0..59
    std::string weekday; // the stored 6 bytes ("日曜日" .. "土曜日" when the window wrote it)
    bool everyTime = false;
    bool onceOnly = false;
    bool hourCondition = false;
    bool minuteCondition = false;
    bool dateCondition = false;
    bool weekdayCondition = false;
    bool done = false;

    // False when the line did not fit the format; `problem` then says what was wrong.
    bool readable = true;
    std::string problem; // Shift-JIS, for the user

    bool operator==(const TimerEntry&) const = default;

    // True when every ticked condition holds at `now` (an entry without any ticked
    // condition holds always).
    bool holdsAt(const base::LocalDateTime& now) const;
};

// The line as the window appends it for "新規予約項目": enabled, net 99 (which names no
// net with fewer than 100 nets), day 1, 12:34, Monday, every time with the hour and minute
// conditions. Its tail is shorter than the format's.
std::string newTimerLine();

// Reads one line; never fails (see the header comment for unreadable lines).
TimerEntry parseTimerLine(std::string_view line);

// The line in the format's layout. The net number is written with two digits (0..99), the
// name and the weekday are cut at a character boundary to 16 and 6 bytes and padded with
// blanks, so the columns never move.
std::string formatTimerLine(const TimerEntry& entry);

// `text` cut to at most `bytes` bytes without splitting a double-byte character, then
// padded with blanks to exactly `bytes`.
std::string fitField(std::string_view text, int bytes);

} // namespace macro
