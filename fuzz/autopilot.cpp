// A whole run of the auto-pilot against a host that says whatever the input says.
//
// Input: the net's NET.MAC as lines up to the first NUL byte, then the session: bytes 0x01 n
// let n engine ticks pass, 0x02 drops the carrier, 0x03 raises it, 0x04 presses the forced
// end; any other bytes are host output, given to the terminal one line (up to CR) at a
// time. Transcripts of real sessions make seeds of this form.
//
// Checked as it runs: the line table is never left and the command pointer stays in its
// list. After the run: the run ends once the host falls silent, a run only ever removes
// reservations (what is left is an ordered part of what was reserved), the NET.MAC the run
// leaves reads back to the reservations the net manager holds, and nothing is written
// outside the data folder.
#include "fuzz/FuzzSupport.h"
#include "tests/engine/EngineHarness.h"

using engine::VazevModel;

namespace {

void checkRunning(const engine_test::EngineHarness& h) {
    const VazevModel& m = h.model;
    FUZZ_CHECK(m.WritePointer() >= 1 && m.WritePointer() <= VazevModel::kLastWritePointer);
    FUZZ_CHECK(m.ReadPointer() >= 1 && m.ReadPointer() <= m.WritePointer());
    FUZZ_CHECK(m.line(0).empty());
    FUZZ_CHECK(m.MacroPointer() == VazevModel::kNotRunning ||
               (m.MacroPointer() >= 0 && m.MacroPointer() <= m.MacroCount()));
    FUZZ_CHECK(h.macro.reserve().ReserveCount() <= h.macro.reserve().limit());
}

// True when `part` is `whole` with some lines left out, the rest in order.
bool orderedPart(const base::Lines& part, const base::Lines& whole) {
    size_t j = 0;
    for (const auto& l : whole)
        if (j < part.size() && part[j] == l)
            ++j;
    return j == part.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    fuzz::Bytes in(data, size);
    {
        engine_test::EngineHarness h;
        base::Lines mac = base::splitLines(in.until('\0'));
        if (mac.size() > 200)
            mac.resize(200);
        h.setMacro(mac);
        h.start();
        const base::Lines reserved = h.macro.reserve().lines();
        checkRunning(h);
        while (!in.empty()) {
            std::uint8_t b = in.byte();
            if (b == 1) {
                h.ticks(in.byte() % 64);
            } else if (b == 2 || b == 3) {
                h.model.Comm1CommEvent(b == 3);
            } else if (b == 4) {
                h.model.Button2Click();
            } else {
                std::string text(1, static_cast<char>(b));
                while (!in.empty() && text.back() != '\r' && (in.peek() < 1 || in.peek() > 4))
                    text += static_cast<char>(in.byte());
                h.receive(text);
            }
            checkRunning(h);
        }
        // Silence from here on: the watchdog must end the run; the carrier then drops.
        for (int i = 0; i < 2000 && h.model.running(); ++i) {
            h.ticks(10);
            if (h.model.hangingUp())
                h.model.Comm1CommEvent(false);
        }
        FUZZ_CHECK(!h.model.running());
        checkRunning(h);

        const base::Lines left = h.macro.reserve().lines();
        FUZZ_CHECK(orderedPart(left, reserved));
        // What the run left in NET.MAC is what the net manager holds.
        macro::MacroModel again{h.nets, h.macroHost, h.dir.path()};
        again.FormShow();
        again.ListBox1Click(0);
        FUZZ_CHECK(again.reserve().lines() == left);
        box.checkContained({h.dir.path().substr(box.root().size() + 1)});
    }
    box.checkContained();
    return 0;
}
