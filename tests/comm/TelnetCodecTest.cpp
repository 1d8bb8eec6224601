// The telnet layer on its own: negotiation, IAC IAC, CR handling, and commands cut anywhere.
#include "tests/comm/TelnetBytes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace comm;
using namespace comm::telnet;
using comm_test::allBytes;
using comm_test::cmd;

namespace {

// Data and answers of one receive.
struct Got {
    std::string data, answers;
    bool operator==(const Got&) const = default;
};

Got receive(TelnetCodec& codec, const std::string& bytes) {
    Got got;
    got.data.resize(bytes.size());
    got.data.resize(codec.receive(bytes.data(), bytes.size(), got.data.data(), got.answers));
    return got;
}

// The same bytes in pieces cut at `cuts`, decoded in place as the device does.
Got receiveCut(TelnetCodec& codec, const std::string& bytes, const std::vector<size_t>& cuts) {
    Got got;
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const size_t to = i < cuts.size() ? cuts[i] : bytes.size();
        std::string piece = bytes.substr(from, to - from);
        piece.resize(codec.receive(piece.data(), piece.size(), piece.data(), got.answers));
        got.data += piece;
        from = to;
    }
    return got;
}

std::string send(const TelnetCodec& codec, const std::string& data) {
    std::string wire;
    codec.send(data.data(), data.size(), wire);
    return wire;
}

// A client whose opening requests the far end has all granted.
TelnetCodec agreedClient() {
    TelnetCodec c;
    c.start();
    Got got = receive(c, cmd(DO, BINARY) + cmd(WILL, BINARY) + cmd(DO, SGA) + cmd(WILL, SGA));
    EXPECT_EQ(got, Got{});
    return c;
}

} // namespace

TEST(TelnetCodec, TheClientAsksForBinaryAndGoAheadSuppressionBothWaysOnce) {
    TelnetCodec c;
    EXPECT_EQ(c.start(), cmd(WILL, BINARY) + cmd(WILL, SGA) + cmd(DO, BINARY) + cmd(DO, SGA));
    EXPECT_EQ(c.start(), ""); // asking again while the question is open would start a loop
    EXPECT_FALSE(c.localOn(BINARY));
    EXPECT_FALSE(c.remoteOn(BINARY));
    // Agreements to our own requests are not answered.
    EXPECT_EQ(receive(c, cmd(DO, BINARY) + cmd(WILL, BINARY) + cmd(DO, SGA) + cmd(WILL, SGA)),
              Got{});
    EXPECT_TRUE(c.localOn(BINARY) && c.remoteOn(BINARY) && c.localOn(SGA) && c.remoteOn(SGA));
}

TEST(TelnetCodec, EachRequestIsAnsweredByTheRulesAndOnlyChangesOfStateAreAnswered) {
    constexpr unsigned char TTYPE = 24, NAWS = 31, LINEMODE = 34;
    struct Step {
        std::string in, answer;
    };
    TelnetCodec c;
    c.start();
    const std::vector<Step> steps = {
        {cmd(WILL, ECHO), cmd(DO, ECHO)},   // the host echoes: accepted
        {cmd(WILL, ECHO), ""},              // already on: silence
        {cmd(DO, ECHO), cmd(WONT, ECHO)},   // we do not echo
        {cmd(DO, TTYPE), cmd(WONT, TTYPE)}, // refused politely...
        {cmd(DO, NAWS), cmd(WONT, NAWS)},
        {cmd(WILL, LINEMODE), cmd(DONT, LINEMODE)},
        {cmd(DONT, TTYPE), ""}, // ...and the far end's retreat is not answered
        {cmd(WONT, LINEMODE), ""},
        {cmd(WONT, ECHO), cmd(DONT, ECHO)},   // an option turned off is acknowledged
        {cmd(WONT, ECHO), ""},                // once
        {cmd(WONT, BINARY), ""},              // a refusal of our request: nothing to say
        {cmd(DO, SGA), ""},                   // agreement to our request
        {cmd(DONT, SGA), cmd(WONT, SGA)},     // withdrawn later: acknowledged
        {cmd(WILL, BINARY), cmd(DO, BINARY)}, // offered again after the refusal
        {cmd(DO, 200), cmd(WONT, 200)},
    };
    for (const Step& s : steps)
        EXPECT_EQ(receive(c, s.in), (Got{"", s.answer}))
            << int(static_cast<unsigned char>(s.in[1])) << " "
            << int(static_cast<unsigned char>(s.in[2]));
    EXPECT_TRUE(c.remoteOn(BINARY));
    EXPECT_FALSE(c.localOn(SGA));
    EXPECT_FALSE(c.remoteOn(ECHO));
    EXPECT_FALSE(c.localOn(TTYPE));
}

TEST(TelnetCodec, NegotiationWithAnotherSideOrAMirrorComesToRest) {
    // Bytes go back and forth until neither side has anything to say; a loop would run past
    // the bound.
    auto exchange = [](TelnetCodec& a, std::string toB, auto&& b) {
        int rounds = 0;
        while (!toB.empty() && ++rounds < 10) {
            std::string toA = b(toB);
            toB = receive(a, toA).answers;
        }
        return rounds;
    };
    TelnetCodec::Policy server;
    server.local.set(BINARY).set(SGA).set(ECHO);
    server.remote.set(BINARY).set(SGA);
    server.ask = server.remote;
    TelnetCodec host(server), client;
    std::string hello = host.start();
    std::string toHost = receive(client, hello).answers + client.start();
    EXPECT_LT(
        exchange(client, toHost, [&](const std::string& in) { return receive(host, in).answers; }),
        10);
    EXPECT_TRUE(client.localOn(BINARY) && client.remoteOn(BINARY) && client.remoteOn(ECHO));
    EXPECT_TRUE(host.localOn(BINARY) && host.remoteOn(BINARY) && host.localOn(ECHO));

    // A far end that sends every command straight back, and one that refuses everything.
    for (bool mirror : {true, false}) {
        TelnetCodec c;
        auto farEnd = [&](const std::string& in) {
            std::string out = in;
            if (!mirror) // our opening holds only WILL and DO
                for (size_t i = 1; i < out.size(); i += 3)
                    out[i] = char(static_cast<unsigned char>(out[i]) == WILL ? DONT : WONT);
            return out;
        };
        EXPECT_LT(exchange(c, c.start(), farEnd), 10) << mirror;
        EXPECT_EQ(c.localOn(BINARY), mirror);
    }
}

TEST(TelnetCodec, EveryByteValuePassesBothWaysWithIacDoubled) {
    TelnetCodec c = agreedClient();
    std::string wire = allBytes();
    wire.insert(255, 1, char(IAC));
    EXPECT_EQ(send(c, allBytes()), wire);
    EXPECT_EQ(receive(c, wire), (Got{allBytes(), ""}));
    // Without BINARY the bytes are still all there, 0xFF doubled; only CR gains its NUL.
    TelnetCodec plain;
    std::string nvt = wire;
    nvt.insert(14, 1, '\0');
    EXPECT_EQ(send(plain, allBytes()), nvt);
    EXPECT_EQ(receive(plain, nvt), (Got{allBytes(), ""}));
}

TEST(TelnetCodec, CrGoesAsWrittenInBinaryModeAndAsTheProtocolWantsWithout) {
    TelnetCodec binary = agreedClient(), plain;
    EXPECT_EQ(send(binary, "Q\r"), "Q\r");
    EXPECT_EQ(send(binary, std::string("\r\0\r\n", 4)), std::string("\r\0\r\n", 4));
    EXPECT_EQ(send(plain, "Q\r"), std::string("Q\r\0", 3));
    EXPECT_EQ(send(plain, "ATZ\r\n"), "ATZ\r\n");
    EXPECT_EQ(send(plain, "\r\r\nx\rY"), std::string("\r\0\r\nx\r\0Y", 8));
    // Received: CR NUL is a lone CR unless the far end sends in BINARY mode, wherever the
    // reads cut the pair.
    const std::string in("a\r\0b\r\nc\r", 8);
    for (size_t cut = 0; cut <= in.size(); ++cut) {
        TelnetCodec p;
        EXPECT_EQ(receiveCut(p, in + std::string(1, '\0') + "d", {cut}).data, "a\rb\r\nc\rd")
            << cut;
    }
    EXPECT_EQ(receive(binary, std::string("\r\0", 2)).data, std::string("\r\0", 2));
    EXPECT_EQ(receive(plain, std::string("\0\0", 2)).data, std::string("\0\0", 2));
}

TEST(TelnetCodec, CommandsLeaveTheDataWhereverTheReadsCutThem) {
    constexpr unsigned char TTYPE = 24;
    const std::string stream = "Welcome" + cmd(WILL, ECHO) + std::string{char(IAC), char(NOP)} +
                               "\x82\xA0" + std::string{char(IAC), char(IAC)} + "x" +
                               std::string{char(IAC), char(SB), char(TTYPE), 1,       char(IAC),
                                           char(IAC), 'z',      char(IAC),   char(SE)} +
                               cmd(DO, TTYPE) + std::string{char(IAC), char(GA)} + "login:";
    const Got whole{"Welcome\x82\xA0\xFFxlogin:", cmd(DO, ECHO) + cmd(WONT, TTYPE)};
    {
        TelnetCodec c = agreedClient();
        EXPECT_EQ(receive(c, stream), whole);
    }
    for (size_t a = 0; a <= stream.size(); ++a)
        for (size_t b = a; b <= stream.size(); ++b) {
            TelnetCodec c = agreedClient();
            ASSERT_EQ(receiveCut(c, stream, {a, b}), whole) << a << " " << b;
        }
    TelnetCodec c = agreedClient();
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < stream.size(); ++i)
        everyByte.push_back(i);
    EXPECT_EQ(receiveCut(c, stream, everyByte), whole);
}

TEST(TelnetCodec, ASubnegotiationEndsAtIacSeAtACommandOrAtTheBound) {
    TelnetCodec c = agreedClient();
    // IAC SE ends it, with no answer: we agreed to no option that has parameters.
    EXPECT_EQ(receive(c, std::string{char(IAC), char(SB), 24, 1, char(IAC), char(SE)} + "ok"),
              (Got{"ok", ""}));
    // A command where IAC SE belongs ends it too, and is carried out.
    EXPECT_EQ(receive(c, std::string{char(IAC), char(SB), 24, 1} + cmd(DO, 24) + "ok"),
              (Got{"ok", cmd(WONT, 24)}));
    // One that never ends gives the line back after the bound.
    const size_t bound = TelnetCodec::kMaxSubnegotiation;
    std::string endless = std::string{char(IAC), char(SB)} + std::string(bound, 'p');
    EXPECT_EQ(receive(c, endless + "host text"), (Got{"host text", ""}));
    // Doubled IACs count towards it; the bytes before it are never data.
    std::string doubled = std::string{char(IAC), char(SB)};
    for (size_t i = 0; i < bound / 2; ++i)
        doubled += std::string{char(IAC), char(IAC)};
    EXPECT_EQ(receiveCut(c, doubled + "after", {3, bound / 2}), (Got{"after", ""}));
}

TEST(TelnetCodec, AnUnfinishedCommandAtTheEndGivesNoData) {
    for (const std::string& tail : {std::string{char(IAC)}, std::string{char(IAC), char(DO)},
                                    std::string{char(IAC), char(SB), 24, 'x'}}) {
        TelnetCodec c = agreedClient();
        EXPECT_EQ(receive(c, "bye" + tail), (Got{"bye", ""}));
    }
}
