#include "macro/TimerEntry.h"

#include "base/Sjis.h"
#include "base/Text.h"

#include <cstdio>
#include <optional>

namespace macro {

namespace {

constexpr int kFixedPartBytes = 36; // up to and including the weekday
constexpr int kFlagCount = 7;

std::optional<int> numberAt(std::string_view line, int from, int lo, int hi) {
    const std::string field = base::copy(line, from, 2);
    if (field.size() != 2)
        return std::nullopt;
    for (char c : field)
        if (c < '0' || c > '9')
            return std::nullopt;
    const int v = (field[0] - '0') * 10 + (field[1] - '0');
    if (v < lo || v > hi)
        return std::nullopt;
    return v;
}

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2d", v);
    return buf;
}

} // namespace

bool TimerEntry::holdsAt(const base::LocalDateTime& now) const {
    if (dateCondition && day != now.day)
        return false;
    if (hourCondition && hour != now.hour)
        return false;
    if (minuteCondition && minute != now.minute)
        return false;
    if (weekdayCondition && weekday != base::weekdayName(now.weekday))
        return false;
    return true;
}

std::string newTimerLine() {
    return base::sj(u8"o99 新規予約項目     01 12:34 月曜日            @1011000000");
}

TimerEntry parseTimerLine(std::string_view line) {
    TimerEntry e;
    auto fail = [&e](const char8_t* why) {
        if (e.readable) {
            e.readable = false;
            e.problem = base::sj(why);
        }
    };

    e.enabled = base::copy(line, 1, 1) != "x";
    e.name = base::copy(line, 5, TimerEntry::kNameBytes);
    e.weekday = base::copy(line, 31, TimerEntry::kWeekdayBytes);
    if (static_cast<int>(line.size()) < kFixedPartBytes)
        fail(u8"行が短すぎます．");

    struct Field {
        int from, lo, hi;
        int* into;
    };
    const Field fields[] = {{2, 0, TimerEntry::kMaxNet, &e.net},
                            {22, 1, 31, &e.day},
                            {25, 0, 23, &e.hour},
                            {28, 0, 59, &e.minute}};
    for (const Field& f : fields) {
        if (auto v = numberAt(line, f.from, f.lo, f.hi))
            *f.into = *v;
        else
            fail(u8"ネット番号・日付・時刻に数字でないか範囲外の値があります．");
    }

    const int at = base::findDelimiter(line, '@', kFixedPartBytes + 1);
    if (at == 0) {
        fail(u8"「@」が見つかりません．");
    } else {
        bool* flags[kFlagCount] = {
            &e.everyTime,     &e.onceOnly,         &e.hourCondition, &e.minuteCondition,
            &e.dateCondition, &e.weekdayCondition, &e.done};
        for (int i = 0; i < kFlagCount; ++i) {
            const size_t p = static_cast<size_t>(at) + static_cast<size_t>(i); // 0-based
            const char c = p < line.size() ? line[p] : '\0';
            if (c == '0' || c == '1') {
                *flags[i] = c == '1';
            } else {
                fail(u8"「@」の後に７個のフラグ（0か1）がありません．");
                break;
            }
        }
    }
    if (!e.readable)
        e.enabled = false;
    return e;
}

std::string fitField(std::string_view text, int bytes) {
    std::string out = base::cutBytes(text, bytes);
    out.append(static_cast<size_t>(bytes) - out.size(), ' ');
    return out;
}

std::string formatTimerLine(const TimerEntry& e) {
    std::string out = e.enabled ? "o" : "x";
    out += twoDigits(e.net);
    out += ' ';
    out += fitField(e.name, TimerEntry::kNameBytes);
    out += ' ';
    out += twoDigits(e.day);
    out += ' ';
    out += twoDigits(e.hour);
    out += ':';
    out += twoDigits(e.minute);
    out += ' ';
    out += fitField(e.weekday, TimerEntry::kWeekdayBytes);
    out.append(TimerEntry::kFlagColumn - 1 - out.size(), ' ');
    out += '@';
    for (bool f : {e.everyTime, e.onceOnly, e.hourCondition, e.minuteCondition, e.dateCondition,
                   e.weekdayCondition, e.done})
        out += f ? '1' : '0';
    return out;
}

} // namespace macro
