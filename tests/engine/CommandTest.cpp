// Rules of the state machine that are easier to see on the reservation list itself than in
// a session: deleting carried-out items, and the unread date used once.
#include "tests/engine/EngineHarness.h"

#include <gtest/gtest.h>

using engine_test::EngineHarness;

namespace {

base::Lines reservations(const EngineHarness& h) {
    return h.macro.reserve().lines();
}

TEST(KillYoyaku, RemovesAOneLineItemOrAWholeBlock) {
    EngineHarness h;
    h.setMacro({"SETKTBBS", "DIAL{0}", "LOGIN", "MDOWN :1#5", "RES :TALK#12", "a", ">//", "//",
                "FDOWN :2#3", "NEWW :TALK#t", "b", "//", "QUIT"});
    h.start();
    ASSERT_EQ(reservations(h), (base::Lines{"MDOWN :1#5", "RES :TALK#12", "a", ">//", "//",
                                            "FDOWN :2#3", "NEWW :TALK#t", "b", "//"}));
    h.model.KillYoyaku("RES :TALK#12");
    // The block ends at its terminator; an escaped ">//" is body.
    EXPECT_EQ(reservations(h),
              (base::Lines{"MDOWN :1#5", "FDOWN :2#3", "NEWW :TALK#t", "b", "//"}));
    h.model.KillYoyaku("MDOWN :1#5");
    EXPECT_EQ(reservations(h), (base::Lines{"FDOWN :2#3", "NEWW :TALK#t", "b", "//"}));
    h.model.KillYoyaku("NEWW :TALK#t");
    EXPECT_EQ(reservations(h), (base::Lines{"FDOWN :2#3"}));
    // The list's last block went: the end marker stands right after the lines before it.
    EXPECT_EQ(h.macro.reserve().ReserveLines(1), "//end//");
    EXPECT_TRUE(h.errors.lines().empty());
    EXPECT_EQ(h.view.beeps, 0);
}

TEST(KillYoyaku, FindsAnItemAnywhereInALongListAndReportsAMiss) {
    // A carried-out item far down a long list must still go, or the next run would carry
    // it out a second time.
    EngineHarness h;
    base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN"};
    for (int i = 0; i < 3500; ++i)
        mac.push_back("MDOWN :1#" + std::to_string(i));
    mac.push_back("MDOWN :9#9"); // index 3500 of the reservation list
    mac.push_back("QUIT");
    h.setMacro(mac);
    h.start();
    ASSERT_EQ(h.macro.reserve().ReserveCount(), 3501);

    h.model.KillYoyaku("MDOWN :9#9");
    h.model.KillYoyaku("MDOWN :1#3499");
    EXPECT_EQ(h.macro.reserve().ReserveCount(), 3499);
    EXPECT_EQ(h.macro.reserve().find("MDOWN :9#9"), -1);
    EXPECT_EQ(h.macro.reserve().find("MDOWN :1#3499"), -1);
    EXPECT_EQ(h.macro.reserve().find("MDOWN :1#3498"), 3498);
    EXPECT_TRUE(h.errors.lines().empty());

    // An item that is missing altogether is reported and nothing else goes.
    h.model.KillYoyaku("MDOWN :7#7");
    EXPECT_EQ(h.macro.reserve().ReserveCount(), 3499);
    ASSERT_EQ(h.errors.lines().size(), 2u);
    EXPECT_EQ(h.errors.lines()[0], ">> MDOWN :7#7");
    EXPECT_EQ(h.errors.lines()[1],
              "26/12/08 09:00:00" + base::sj(u8"内蔵マクロ内部エラー：予約削除不可"));
    EXPECT_EQ(h.view.beeps, 2);
    EXPECT_EQ(h.model.status(), base::sj(u8"内蔵マクロ内部エラー：予約削除不可"));
}

TEST(KillYoyaku, ABodyLineThatReadsLikeAHeaderIsNeverTakenForOne) {
    EngineHarness h;
    h.setMacro(
        {"SETKTBBS", "DIAL{0}", "LOGIN", "NEWW :1#a", "MDOWN :1#3", "//", "MDOWN :1#3", "QUIT"});
    h.start();
    h.model.KillYoyaku("MDOWN :1#3");
    const macro::ReserveList& list = h.macro.reserve();
    ASSERT_EQ(list.ReserveCount(), 3);
    EXPECT_EQ(list.ReserveLines(0), "NEWW :1#a");
    EXPECT_EQ(list.ReserveLines(1), "MDOWN :1#3"); // the body line stays
    EXPECT_EQ(list.ReserveLines(2), "//");
    EXPECT_TRUE(h.errors.lines().empty());
}

TEST(Midoku, TheUnreadDateIsUsedOnce) {
    // A date of the last century and one of this: both go out with a two-digit year.
    for (const char* date : {"96/08/10 12:00:00", "26/12/05 07:30:00"}) {
        SCOPED_TRACE(date);
        EngineHarness h;
        h.setMacro({"SETKTBBS", "DIAL{0}", "LOGIN", std::string("MIDOKU :") + date, "QUIT"});
        h.start();
        EXPECT_TRUE(h.macro.checked(macro::Step::MIDOKU));
        h.reachMainPrompt();
        EXPECT_FALSE(h.macro.checked(macro::Step::MIDOKU));
        EXPECT_NE(h.port.sent.find(std::string("i;r\r") + date + "\r0\r"), std::string::npos)
            << h.port.sent;
    }
}

} // namespace
