#include "macro/UnreadDate.h"

#include <gtest/gtest.h>

using macro::parseHostDate;
using macro::UnreadDate;

namespace {
UnreadDate date(int year, int month, int day, int hour, int minute) {
    return UnreadDate{year, month, day, hour, minute};
}
} // namespace

TEST(UnreadDate, ReadsHostDatesIntoTheCenturyWindow) {
    EXPECT_EQ(parseHostDate("MIDOKU :96/08/01 12:00:00"), date(96, 8, 1, 12, 0));
    EXPECT_EQ(parseHostDate("26/03/09 07:05:00"), date(126, 3, 9, 7, 5));
    EXPECT_EQ(parseHostDate("49/01/01 00:00:00"), date(149, 1, 1, 0, 0));
    EXPECT_EQ(parseHostDate("50/01/01 00:00:00"), date(50, 1, 1, 0, 0));
    // Three digits count from 1900, four are the year; blanks and seconds are optional.
    EXPECT_EQ(parseHostDate("MIDOKU :126/03/09 07:05:00"), date(126, 3, 9, 7, 5));
    EXPECT_EQ(parseHostDate("2026/3/9  7:05"), date(126, 3, 9, 7, 5));
    EXPECT_EQ(parseHostDate("1996/02/29 23:59:59 and more"), date(96, 2, 29, 23, 59));
}

TEST(UnreadDate, RejectsWhatIsNotADate) {
    for (const char* text :
         {"9", "", "MIDOKU :", "96/13/01 00:00:00", "96/02/30 00:00:00", "96/04/31 00:00:00",
          "96/08/01", "96/08/01 24:00:00", "96/08/01 12:60:00", "96/08/01 12:00:61",
          "2077/01/01 00:00:00", "1949/12/31 00:00:00", "96/8/123 00:00:00", "96-08-01 12:00:00",
          "/08/01 12:00:00"})
        EXPECT_EQ(parseHostDate(text), std::nullopt) << text;
}

TEST(UnreadDate, WriteAndReadKeepEveryYearOfTheWindow) {
    for (int year = UnreadDate::kMinYear; year <= UnreadDate::kMaxYear; ++year) {
        UnreadDate d = date(year, 2, 29, 23, 59);
        for (int cycle = 0; cycle < 3; ++cycle) {
            auto back = parseHostDate("MIDOKU :" + macro::midokuDate(d));
            ASSERT_TRUE(back.has_value()) << year;
            d = *back;
        }
        EXPECT_EQ(d, date(year, 2, 29, 23, 59));
    }
}
