// Hosts that colour their text: escape sequences leave the line table and the capture log
// exactly as an uncoloured host's text would, wherever a notification boundary falls, and
// the colours end up beside the lines for the screen.
#include "engine/ScreenColours.h"
#include "tests/engine/EngineHarness.h"

#include <gtest/gtest.h>

using base::sj;
using engine::ScreenColours;
using engine::TextAttr;
using engine::VazevModel;
using engine_test::EngineHarness;
using engine_test::RecordingTransfer;

namespace {

const std::string E = "\x1b";

struct Case {
    const char* what;
    std::string coloured;
    std::string plain;
};

std::vector<Case> cases() {
    return {
        {"a coloured main prompt", E + "[32mMAIN(10:00)>" + E + "[0m", "MAIN(10:00)>"},
        {"several parameters, a bare reset", E + "[1;33;44mHEAD" + E + "[m\r\n", "HEAD\r\n"},
        {"cursor movement and clearing",
         "A" + E + "[2J" + E + "[H" + E + "[10;20H" + E + "[K" + "B\r\n", "AB\r\n"},
        {"private marker, intermediate byte", E + "[?25lX" + E + "[0 qY", "XY"},
        {"OSC ended by BEL", E + "]0;" + sj(u8"タイトル") + "\x07T", "T"},
        {"OSC ended by ESC \\", E + "]2;title" + E + "\\T", "T"},
        {"two-byte escapes", E + "Da" + E + "Mb" + E + "\\c", "abc"},
        {"character-set designations", E + "(Ba" + E + ")0b", "ab"},
        {"next to Shift-JIS characters",
         sj(u8"ソ") + E + "[31m" + sj(u8"ポ") + E + "[0m" + sj(u8"表") + "\r\n",
         sj(u8"ソポ表") + "\r\n"},
        {"between lines", "one" + E + "[31m\r\n" + E + "[0mtwo\r\n", "one\r\ntwo\r\n"},
        {"a lone ESC is dropped alone", E + "a" + E + "1" + E + sj(u8"ソ"), "a1" + sj(u8"ソ")},
        {"an ESC ends an unfinished sequence", E + "[3" + E + "[0mZ", "Z"},
        {"a designation without its byte keeps the bracket", E + "(" + sj(u8"ソ"),
         "(" + sj(u8"ソ")},
        // 0x9B is the 8-bit CSI elsewhere; here it leads a Japanese character.
        {"0x9B leads a character",
         "\x9b\x5b"
         "32m",
         "\x9b\x5b"
         "32m"},
        {"a Shift-JIS byte breaks off a CSI and stays whole", E + "[3" + sj(u8"ソ") + "x",
         sj(u8"ソ") + "x"},
        {"BS and sequences", "AB" + E + "[31m\b" + E + "[0mC\r\n", "A" + std::string("C\r\n")},
    };
}

// Lines first..last-1 of the model.
base::Lines linesBetween(const VazevModel& m, int first, int last) {
    return base::Lines(m.Lines().begin() + first, m.Lines().begin() + last);
}

TEST(ColouredText, SequencesSplitAtEveryByteLeaveTheUncolouredLines) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        EngineHarness h;
        h.start();
        h.receive(c.plain + "\r");
        const base::Lines want = linesBetween(h.model, 1, h.model.WritePointer());
        for (size_t k = 0; k <= c.coloured.size(); ++k) {
            SCOPED_TRACE(k);
            const int first = h.model.WritePointer();
            h.receive(c.coloured.substr(0, k));
            h.receive(c.coloured.substr(k));
            h.receive("\r");
            EXPECT_EQ(linesBetween(h.model, first, h.model.WritePointer()), want);
        }
        // The capture log holds the same lines as the table.
        base::Lines capture = base::readLines(h.dir.file(VazevModel::kCaptureLog));
        const base::Lines table = linesBetween(h.model, 1, h.model.WritePointer());
        ASSERT_GE(capture.size(), table.size());
        EXPECT_EQ(base::Lines(capture.end() - static_cast<long>(table.size()), capture.end()),
                  table);
    }
}

TEST(ColouredText, EscapeBytesAloneAreNoSignOfLife) {
    EngineHarness h;
    h.start();
    h.ticks(3);
    const int idle = h.model.IdleTicks();
    ASSERT_GT(idle, 0);
    h.receive(E + "[0m" + E + "]0;t\x07");
    EXPECT_EQ(h.model.IdleTicks(), idle);
    h.receive("x");
    EXPECT_EQ(h.model.IdleTicks(), 0);
}

TEST(ColouredText, ATransferStartedAtACrGetsTheFollowingBytesUnfiltered) {
    EngineHarness h;
    struct Starting : RecordingTransfer {
        void startDownload() override { model->setReceiveMode(1); }
    } transfer;
    transfer.model = &h.model;
    h.model.setTransfer(&transfer);
    h.startDirect({"SETKTBBS", "DIAL{0}", "FDOWN :3#12", "QUIT"});
    h.receive(E + "[32mMAIN>" + E + "[0m");
    h.ticks(3);
    EXPECT_EQ(h.takeSent(), "\r\nF;3;MD12;Y;0\r");
    // Binary data that happens to hold escape bytes belongs to the transfer as it is.
    const std::string data = E + "[31m" + E + "]x\x07" + E;
    h.receive("F;3;MD12;Y;0\r\n" + E + "[33m" + sj(u8"CTRL-X で中断します。") + E +
              "[0m\r\n\r\n\r" + data);
    EXPECT_EQ(h.model.ReceiveMode(), 1);
    std::string ring;
    while (h.model.Rsrecv())
        ring += static_cast<char>(h.model.RsGetC());
    EXPECT_EQ(ring, data);
}

// ---- colours ----

TextAttr fg(int colour, bool bold = false) {
    TextAttr a;
    a.fg = static_cast<std::uint8_t>(1 + colour);
    a.bold = bold;
    return a;
}

std::vector<std::pair<size_t, TextAttr>> runsOf(const VazevModel& m, int line) {
    std::vector<std::pair<size_t, TextAttr>> out;
    for (const ScreenColours::Run& r : m.colours().runs(line))
        out.emplace_back(r.offset, r.attr);
    return out;
}

TEST(ColouredText, ColoursLieBesideTheLinesWhereverTheNotificationsSplit) {
    const std::string in =
        "A" + E + "[31mBC" + E + "[0mD\r\n" + E + "[1;34mX\r\nY" + E + "[22mZ" + E + "[mW";
    using Runs = std::vector<std::pair<size_t, TextAttr>>;
    const Runs line1 = {{0, TextAttr{}}, {1, fg(1)}, {3, TextAttr{}}};
    const Runs line2 = {{0, fg(4, true)}};
    const Runs line3 = {{0, fg(4, true)}, {1, fg(4)}, {2, TextAttr{}}};
    for (size_t k = 0; k <= in.size(); ++k) {
        SCOPED_TRACE(k);
        EngineHarness h;
        h.start();
        h.receive(in.substr(0, k));
        h.receive(in.substr(k));
        EXPECT_EQ(h.model.line(1), "ABCD");
        EXPECT_EQ(h.model.line(3), "YZW");
        EXPECT_EQ(runsOf(h.model, 1), line1);
        EXPECT_EQ(runsOf(h.model, 2), line2);
        EXPECT_EQ(runsOf(h.model, 3), line3);
        EXPECT_EQ(runsOf(h.model, 4), (Runs{{0, TextAttr{}}}));
    }
}

TEST(ColouredText, TextTypedOverTakenBackBytesGetsTheCurrentColour) {
    EngineHarness h;
    h.start();
    // "C" is red and is taken back with "B"; "X" arrives while red is still on.
    h.receive("AB" + E + "[31mC\b\bX");
    EXPECT_EQ(h.model.line(1), "AX");
    EXPECT_EQ(runsOf(h.model, 1),
              (std::vector<std::pair<size_t, TextAttr>>{{0, TextAttr{}}, {1, fg(1)}}));
}

TEST(ColouredText, SgrParameters) {
    auto sgr = [](std::string_view p) { return engine::applySgr(TextAttr{}, p); };
    EXPECT_EQ(sgr("91"), fg(9));
    EXPECT_EQ(sgr("97;104").bg, 1 + 12);
    EXPECT_EQ(sgr("31;42;1;7"), (TextAttr{2, 3, true, true}));
    EXPECT_EQ(engine::applySgr(TextAttr{2, 3, true, true}, "39;49;22;27"), TextAttr{});
    EXPECT_EQ(engine::applySgr(TextAttr{2, 3, true, true}, ""), TextAttr{});
    EXPECT_EQ(engine::applySgr(TextAttr{2, 3, true, true}, ";"), TextAttr{});
    // Extended colours are passed over with their arguments, not read as codes.
    EXPECT_EQ(sgr("38;5;1;4"), TextAttr{});
    EXPECT_EQ(sgr("38;2;1;7;31;7"), (TextAttr{0, 0, false, true}));
    EXPECT_EQ(sgr("48;5;7;32"), fg(2));
    EXPECT_EQ(sgr("4;5;8;99999999999"), TextAttr{});
}

TEST(ColouredText, OnlyTheRecentChangesAreKeptAndTheRestBecomeTheBaseline) {
    ScreenColours c;
    const int n = static_cast<int>(ScreenColours::kMaxChanges) + 10;
    for (int line = 1; line <= n; ++line)
        c.sgr(line, 0, line % 2 ? "31" : "32");
    // The oldest lines fall back to the baseline; the newest keep theirs.
    EXPECT_EQ(c.runs(n).front().attr, fg(n % 2 ? 1 : 2));
    EXPECT_EQ(c.runs(n + 5).front().attr, fg(n % 2 ? 1 : 2));
    EXPECT_EQ(c.runs(1).size(), 1u);
    c.clear();
    EXPECT_EQ(c.runs(n).front().attr, TextAttr{});
    EXPECT_EQ(c.current(), TextAttr{});
}

} // namespace
