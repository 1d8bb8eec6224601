#include "macro/TimerEntry.h"

#include "base/Sjis.h"

#include <gtest/gtest.h>

using base::sj;
using macro::formatTimerLine;
using macro::parseTimerLine;
using macro::TimerEntry;

namespace {

const std::string kBlanks20(20, ' ');

// Columns 1-36 of a line, written out by hand: the name is padded to its 16 bytes.
std::string fixed(const std::string& flagAndNet, const std::string& name, const std::string& day,
                  const std::string& time, const std::u8string& weekday) {
    return flagAndNet + " " + name + std::string(16 - name.size(), ' ') + " " + day + " " + time +
           " " + sj(weekday);
}

} // namespace

TEST(TimerEntry, NewEntryLineIsReadWithItsLongerTailAndWrittenInTheLayout) {
    const std::string line = macro::newTimerLine();
    EXPECT_EQ(line, sj(u8"o99 新規予約項目     01 12:34 月曜日            @1011000000"));
    const TimerEntry e = parseTimerLine(line);
    EXPECT_TRUE(e.readable);
    EXPECT_TRUE(e.enabled);
    EXPECT_EQ(e.net, 99);
    EXPECT_EQ(e.name, sj(u8"新規予約項目    "));
    EXPECT_EQ(e.day, 1);
    EXPECT_EQ(e.hour, 12);
    EXPECT_EQ(e.minute, 34);
    EXPECT_EQ(e.weekday, sj(u8"月曜日"));
    EXPECT_TRUE(e.everyTime);
    EXPECT_FALSE(e.onceOnly);
    EXPECT_TRUE(e.hourCondition);
    EXPECT_TRUE(e.minuteCondition);
    EXPECT_FALSE(e.dateCondition);
    EXPECT_FALSE(e.weekdayCondition);
    EXPECT_FALSE(e.done);

    const std::string written = formatTimerLine(e);
    EXPECT_EQ(written, sj(u8"o99 新規予約項目     01 12:34 月曜日") + kBlanks20 + "@1011000");
    EXPECT_EQ(written.size(), 64u);
    EXPECT_EQ(written[56], '@'); // column 57
}

TEST(TimerEntry, WrittenLinesReadBackToTheSameBytes) {
    const std::string lines[] = {
        fixed("x05", "ALPHA", "31", "23:59", u8"土曜日") + kBlanks20 + "@0111111",
        fixed("o00", sj(u8"とても長いネット"), "01", "00:00", u8"日曜日") + kBlanks20 + "@1000000",
        fixed("o42", "A@B", "15", "07:05", u8"水曜日") + kBlanks20 + "@0100110",
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 64u);
        const TimerEntry e = parseTimerLine(line);
        EXPECT_TRUE(e.readable) << line;
        EXPECT_EQ(formatTimerLine(e), line);
    }
    // An "@" in the name does not move the flags.
    const TimerEntry at = parseTimerLine(lines[2]);
    EXPECT_EQ(at.net, 42);
    EXPECT_TRUE(at.onceOnly);
    EXPECT_TRUE(at.dateCondition);
    EXPECT_TRUE(at.weekdayCondition);
    EXPECT_FALSE(at.everyTime);
}

TEST(TimerEntry, FlagsAreFoundSteppingOverDoubleByteCharacters) {
    // "ァ" is 0x83 0x40: its second byte is an "@" that must not be taken for the mark.
    const std::string head = fixed("o01", "NET", "02", "03:04", u8"火曜日");
    const TimerEntry e = parseTimerLine(head + sj(u8"ァ") + "  @0001001");
    EXPECT_TRUE(e.readable) << e.problem;
    EXPECT_FALSE(e.everyTime);
    EXPECT_TRUE(e.minuteCondition);
    EXPECT_TRUE(e.done);
    EXPECT_FALSE(e.hourCondition);

    // Anything but "x" in column 1 is enabled; extra digits after the flags are ignored.
    EXPECT_TRUE(parseTimerLine("O" + head.substr(1) + " @1000000999").enabled);
    EXPECT_FALSE(parseTimerLine("x" + head.substr(1) + " @1000000").enabled);
}

TEST(TimerEntry, LinesThatDoNotFitAreUnreadableDisabledAndReadAsFarAsTheyGo) {
    const std::string head = fixed("o07", "NET", "02", "03:04", u8"火曜日");
    const std::string bad[] = {
        "",                                                           // empty
        "o07 NET",                                                    // short
        head + "          1000000",                                   // no "@"
        head + " @10x1000",                                           // a flag that is no digit
        head + " @10110",                                             // too few flags
        fixed("o07", "NET", "2a", "03:04", u8"火曜日") + " @1000000", // day
        fixed("o07", "NET", "02", "25:04", u8"火曜日") + " @1000000", // hour out of range
        fixed("o-1", "NET", "02", "03:04", u8"火曜日") + " @1000000", // net
        // An "@" inside the fixed columns is no flag mark.
        fixed("o07", "NET@1111111", "02", "03:04", u8"火曜日"),
    };
    for (const std::string& line : bad) {
        const TimerEntry e = parseTimerLine(line);
        EXPECT_FALSE(e.readable) << line;
        EXPECT_FALSE(e.enabled) << line;
        EXPECT_FALSE(e.problem.empty()) << line;
    }
    const TimerEntry day = parseTimerLine(bad[5]);
    EXPECT_EQ(day.net, 7);
    EXPECT_EQ(day.hour, 3);
    EXPECT_EQ(day.day, 1); // unreadable field keeps its default
}

TEST(TimerEntry, FieldsAreCutAtCharacterBoundariesAndPadded) {
    EXPECT_EQ(macro::fitField("ABC", 6), "ABC   ");
    // 15 bytes and a double-byte character do not fit in 16: the character goes.
    EXPECT_EQ(macro::fitField("123456789012345" + sj(u8"日"), 16), "123456789012345 ");
    EXPECT_EQ(macro::fitField(sj(u8"日曜日です"), 6), sj(u8"日曜日"));

    TimerEntry e = parseTimerLine(macro::newTimerLine());
    e.weekday = "Mon";
    e.name = sj(u8"とても長いネットの名前");
    const std::string line = formatTimerLine(e);
    EXPECT_EQ(line.size(), 64u);
    EXPECT_EQ(line.substr(4, 16), sj(u8"とても長いネット"));
    EXPECT_EQ(line.substr(30, 6), "Mon   ");
    EXPECT_EQ(line[56], '@');
}

TEST(TimerEntry, ConditionsHoldTogether) {
    TimerEntry e = parseTimerLine(fixed("o00", "N", "15", "09:30", u8"火曜日") + " @0000000");
    const auto tue = base::makeDateTime(2026, 12, 15, 9, 30); // a Tuesday
    const auto wed = base::makeDateTime(2026, 12, 16, 10, 31);
    EXPECT_TRUE(e.holdsAt(tue));
    EXPECT_TRUE(e.holdsAt(wed)); // no condition ticked: always

    e.minuteCondition = true;
    EXPECT_TRUE(e.holdsAt(tue));
    EXPECT_FALSE(e.holdsAt(base::makeDateTime(2026, 12, 15, 9, 31)));
    e.hourCondition = true;
    EXPECT_FALSE(e.holdsAt(base::makeDateTime(2026, 12, 15, 10, 30)));
    e.dateCondition = true;
    EXPECT_FALSE(e.holdsAt(base::makeDateTime(2026, 12, 14, 9, 30)));
    e.weekdayCondition = true;
    EXPECT_TRUE(e.holdsAt(tue));
    e.weekday = sj(u8"水曜日");
    EXPECT_FALSE(e.holdsAt(tue));
}

TEST(TimerEntry, AnyBytesAreReadWithoutHarmAndReadableOnesSurviveAWriteBack) {
    // Lines made of the bytes that matter here (digits, blanks, "@", "x", lead and trail
    // bytes) around a valid line, from a fixed seed.
    const std::string valid =
        fixed("o03", "NET", "09", "10:11", u8"金曜日") + kBlanks20 + "@1010101";
    const char alphabet[] = {'0', '1', '9',    ' ',    '@',    'x',
                             'o', ':', '\x83', '\x40', '\x81', '\xfc'};
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    int readable = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string line = valid;
        const int changes = static_cast<int>(next() % 4);
        for (int c = 0; c < changes; ++c)
            line[next() % line.size()] = alphabet[(next() >> 8) % sizeof alphabet];
        line.resize(line.size() - next() % 3);
        TimerEntry e = parseTimerLine(line);
        if (!e.readable)
            continue;
        ++readable;
        const std::string written = formatTimerLine(e);
        ASSERT_EQ(written.size(), 64u) << line;
        TimerEntry back = parseTimerLine(written);
        // Writing cuts a name or weekday at a character boundary; the rest is kept.
        back.name = e.name = "";
        back.weekday = e.weekday = "";
        EXPECT_EQ(back, e) << line;
    }
    EXPECT_GT(readable, 500);
}
