#pragma once
// The unread date: the moment from which the host shows messages as new, which a run
// moves with the "MIDOKU" command. It is held as the net manager's five number fields
// (year counted from 1900, as the fields always have), written into NET.MAC as a
// "MIDOKU :yy/mm/dd hh:mm:00" line, and read back from that line or from the last-read
// date the import leaves in the net record.
//
// Two-digit years are read into the window 1950-2049, so a year written as year mod 100
// comes back as the same year after any number of saves and loads.
#include <optional>
#include <string>
#include <string_view>

namespace macro {

struct UnreadDate {
    static constexpr int kMinYear = 50;  // 1950, as years since 1900
    static constexpr int kMaxYear = 149; // 2049

    int year = 96; // years since 1900
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    bool operator==(const UnreadDate&) const = default;
};

// Length of a month for the day field; February always has 29 days. 31 for a month
// outside 1-12.
int monthDays(int month);

// "yy/mm/dd hh:mm:00": the year as its last two digits, every field zero-padded to two
// digits, seconds always 00.
std::string midokuDate(const UnreadDate& d);

// Reads a date and time as the hosts and NET.MAC write them, from the first "/" of the
// text: the digits just before it are the year, then month "/" day, blanks, then hours
// ":" minutes with optional ":" seconds. A year of one or two digits is expanded into
// 1950-2049, three digits count from 1900 (how years past 1999 were once written), four
// digits are the year itself. Anything else, a field out of range or a year outside
// 1950-2049 gives nullopt. The day may not exceed monthDays(month).
std::optional<UnreadDate> parseHostDate(std::string_view text);

} // namespace macro
