// The modem in front of the host: command echo and results, dialling outcomes, the "+++"
// escape with its guard time, hang-up from either side, and the direct line.
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using simtest::SimClient;

TEST(Modem, EchoesCommandsAndAnswersOkButNotAnEmptyLine) {
    SimClient c;
    c.type("AT&F&C1&D2\r\n");
    // The result follows the CR at once; the LF after it is echoed after the result.
    EXPECT_EQ(c.take(), "AT&F&C1&D2\r\r\nOK\r\n\n");
    c.type("\r\n"); // the empty initialisation
    EXPECT_EQ(c.take(), "\r\n");
    c.type("hello\r"); // not a command
    EXPECT_EQ(c.take(), "hello\r");
    EXPECT_FALSE(c.carrier());
}

TEST(Modem, DialConnectsAfterTheDelayAndRaisesCarrier) {
    SimClient c;
    c.type("ATDT0312345678\r\n");
    c.advance(1999);
    EXPECT_EQ(c.take(), "ATDT0312345678\r"); // the LF after the command does not hang up
    c.advance(1);
    EXPECT_EQ(c.take(), "\r\nCONNECT 9600\r\n");
    EXPECT_TRUE(c.carrier());
    ASSERT_EQ(c.sim.record().dials.size(), 1u);
    EXPECT_EQ(c.sim.record().dials[0].number, "0312345678");
    EXPECT_EQ(c.sim.record().dials[0].result, "CONNECT 9600");
    ASSERT_TRUE(c.waitFor("User ID  =", 1000));
}

TEST(Modem, BusyForTheFirstCallsThenConnects) {
    sim::SimOptions o;
    o.modem.busyCount = 2;
    o.modem.connectRate = 2400;
    SimClient c(o);
    for (int i = 0; i < 2; ++i) {
        c.type("ATD123\r\n");
        ASSERT_TRUE(c.waitFor("BUSY", 3000));
        c.take();
        EXPECT_FALSE(c.carrier());
    }
    c.type("ATD123\r\n");
    ASSERT_TRUE(c.waitFor("CONNECT 2400", 3000));
    EXPECT_TRUE(c.carrier());
    EXPECT_EQ(c.sim.record().dials.size(), 3u);
}

TEST(Modem, DialWithoutConnectReportsNoCarrierOrNothing) {
    sim::SimOptions o;
    o.modem.dialResult = sim::ModemOptions::DialResult::NoCarrier;
    SimClient noCarrier(o);
    noCarrier.type("ATD123\r\n");
    EXPECT_TRUE(noCarrier.waitFor("\rNO CARRIER\r", 3000));
    EXPECT_FALSE(noCarrier.carrier());

    o.modem.dialResult = sim::ModemOptions::DialResult::Silent;
    SimClient silent(o);
    silent.type("ATD123\r\n");
    silent.take();
    silent.advance(120000);
    EXPECT_EQ(silent.take(), "");
    EXPECT_FALSE(silent.carrier());
    // A key pressed while the modem waits abandons the call.
    silent.type("x");
    EXPECT_EQ(silent.take(), "\r\nNO CARRIER\r\n");
}

TEST(Modem, DeadModemAndModemWithoutOk) {
    sim::SimOptions dead;
    dead.modem.noAnswer = true;
    SimClient d(dead);
    d.type("ATZ\r\nATD123\r\n");
    d.advance(10000);
    EXPECT_EQ(d.all(), "");

    sim::SimOptions noOk;
    noOk.modem.noOk = true;
    SimClient n(noOk);
    n.type("ATZ\r\n");
    n.advance(5000);
    EXPECT_EQ(n.take(), "ATZ\r\n");
    n.type("ATD123\r\n");
    EXPECT_TRUE(n.waitFor("CONNECT 9600", 3000)); // dialling still works
}

TEST(Modem, EscapeNeedsGuardTimeThenHangUpDropsCarrierAndSession) {
    SimClient c;
    c.loginToMenu();
    ASSERT_TRUE(c.sim.hostInSession());

    // "+++" right after typing is data: the host echoes it and the call stays up.
    c.type("0");
    c.advance(300);
    c.type("+++");
    c.advance(2000);
    std::string out = c.take();
    EXPECT_NE(out.find("+++"), std::string::npos);
    EXPECT_EQ(out.find("OK"), std::string::npos);
    c.type("\b\b\b\r"); // rub the pluses out again
    c.advance(1500);
    c.take();

    // After a second of silence, "+++" and another second of silence: command mode.
    c.type("+++");
    c.advance(999);
    EXPECT_EQ(c.take().find("OK"), std::string::npos);
    c.advance(1);
    EXPECT_EQ(c.take(), "\r\nOK\r\n");
    EXPECT_TRUE(c.carrier());
    c.type("ATH\r\n");
    EXPECT_EQ(c.take(), "ATH\r\r\nOK\r\n\n");
    EXPECT_FALSE(c.carrier());
    EXPECT_FALSE(c.sim.hostInSession());
    EXPECT_EQ(c.carrierChanges(), (std::vector<bool>{true, false}));
}

TEST(Modem, EscapeThenAtoReturnsOnline) {
    SimClient c;
    c.loginToMenu();
    c.advance(1000);
    c.type("+++");
    c.advance(1000);
    c.take();
    c.type("ATO\r");
    EXPECT_EQ(c.take(), "ATO\r\r\nCONNECT 9600\r\n");
    c.type("\r");
    EXPECT_NE(c.take().find("MAIN ("), std::string::npos);
}

TEST(Modem, DroppingDtrEndsTheCallSilently) {
    SimClient c;
    c.loginToMenu();
    c.take();
    c.sim.dtrDropped();
    EXPECT_FALSE(c.carrier());
    EXPECT_FALSE(c.sim.hostInSession());
    c.type("N@\r");
    EXPECT_EQ(c.take(), "N@\r"); // a modem in command state echoes; nobody answers
}

TEST(Modem, DirectLineHasCarrierAndWakesTheHostAtTheFirstCr) {
    sim::SimOptions o;
    o.modem.direct = true;
    SimClient c(o);
    EXPECT_TRUE(c.carrier());
    c.type("ATZ");
    EXPECT_EQ(c.take(), ""); // no modem to answer, the host still asleep
    c.type("\r\n");
    EXPECT_NE(c.take().find("User ID  = "), std::string::npos);
    c.type("TARNO001\r");
    ASSERT_TRUE(c.waitFor("Password = "));
    c.type("tarno\r");
    ASSERT_TRUE(c.waitFor("[RET]:"));
    EXPECT_EQ(c.sim.record().dials.size(), 0u);

    // Logging out drops carrier detect for a moment; the host waits for the next CR.
    c.type("0\rQ\r\r");
    c.advance(1000);
    EXPECT_EQ(c.carrierChanges(), (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(c.sim.hostInSession());
    c.take();
    c.type("\r");
    EXPECT_NE(c.take().find("User ID  = "), std::string::npos);
}
