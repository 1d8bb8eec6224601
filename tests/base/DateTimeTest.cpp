#include "base/DateTime.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using namespace base;

TEST(DateTime, TextsOfADate) {
    LocalDateTime t = makeDateTime(2026, 12, 8, 7, 5, 3);
    EXPECT_EQ(shortDate(t), "26/12/08");
    EXPECT_EQ(longTime(t), "07:05:03");
    EXPECT_EQ(t.weekday, 2);
    EXPECT_EQ(weekdayName(t.weekday), sj(u8"火曜日"));
    EXPECT_EQ(weekdayName(0), sj(u8"日曜日"));
    EXPECT_EQ(weekdayName(6), sj(u8"土曜日"));
    EXPECT_EQ(weekdayName(7), "");
    EXPECT_EQ(shortDate(makeDateTime(2000, 1, 1)), "00/01/01");
}

TEST(DateTime, ArithmeticAcrossMonthsYearsAndLeapDays) {
    LocalDateTime t = makeDateTime(2024, 2, 28, 23, 59, 59, 500);
    LocalDateTime u = addMilliseconds(t, 1000);
    EXPECT_EQ(u, makeDateTime(2024, 2, 29, 0, 0, 0, 500));
    EXPECT_EQ(addMilliseconds(makeDateTime(2026, 12, 31, 23, 0, 0), 3600000),
              makeDateTime(2027, 1, 1));
    EXPECT_EQ(addMilliseconds(makeDateTime(2027, 1, 1), -1),
              makeDateTime(2026, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(millisecondsBetween(t, u), 1000);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(weekdayOf(1996, 1, 1), 1);
    int y, m, d;
    civilFromDays(daysFromCivil(1969, 12, 31), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 19691231);
}

TEST(DateTime, TwoDigitYearsUseOneCenturyWindow) {
    EXPECT_EQ(expandTwoDigitYear(96), 1996);
    EXPECT_EQ(expandTwoDigitYear(26), 2026);
    EXPECT_EQ(expandTwoDigitYear(49), 2049);
    EXPECT_EQ(expandTwoDigitYear(50), 1950);
    EXPECT_EQ(expandTwoDigitYear(0), 2000);
    EXPECT_EQ(expandTwoDigitYear(126), 2026); // years since 1900 fold the same way
}
