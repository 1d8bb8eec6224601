// The terminal's receive path in every receive mode, fed in pieces whose mode and length
// the input chooses. Each piece is checked against what it must do: in terminal mode the
// line being received is built exactly as the bytes say (escape sequences taken out, as a
// byte-by-byte model of them says), lines complete at CR and the line table is never left;
// in raw mode the ring gives back exactly the bytes; in the transfer modes the transfer gets
// them (or their count) whole.
//
// Or the input describes a coloured host's text: text mixed with well-formed escape
// sequences of every kind, cut into notifications anywhere. Then the lines must be exactly
// the text without the sequences: no ESC byte and no remnant of a sequence.
#include "engine/EscapeFilter.h"
#include "fuzz/FuzzSupport.h"
#include "tests/engine/EngineHarness.h"

#include <algorithm>
#include <utility>

using engine::VazevModel;

namespace {

struct CountingTransfer : engine::Transfer {
    std::string downloaded;
    size_t uploadBytes = 0;
    int ringNotes = 0;
    int overruns = 0;
    void startDownload() override {}
    void startUpload(const std::string&) override {}
    bool visible() const override { return false; }
    void abort() override {}
    void downloadData(const char* d, size_t n) override { downloaded.append(d, n); }
    void uploadReceive(size_t n) override { uploadBytes += n; }
    void ringData() override { ++ringNotes; }
    void ringOverrun() override { ++overruns; }
};

// The line a host's bytes build: a plain byte-by-byte model of the escape sequences and of
// CR, BS and the other control bytes, kept apart from the receive path's own code.
struct ReferenceLines {
    enum class S { Text, Esc, Csi, Osc, OscEsc, Designate } s = S::Text;
    size_t osc = 0;
    char designator = '(';
    std::string current;
    std::vector<std::string> completed;

    void text(unsigned char c) {
        if (c >= 32)
            current += static_cast<char>(c);
        else if (c == '\r')
            completed.push_back(std::exchange(current, std::string()));
        else if (c == '\b' && !current.empty())
            current.pop_back();
    }
    void feed(unsigned char c) {
        switch (s) {
        case S::Text:
            if (c == 0x1b)
                s = S::Esc;
            else
                text(c);
            return;
        case S::Esc:
            s = S::Text;
            if (c == '[')
                s = S::Csi;
            else if (c == ']')
                s = S::Osc, osc = 0;
            else if (c == '(' || c == ')')
                s = S::Designate, designator = static_cast<char>(c);
            else if (c == 0x1b)
                s = S::Esc;
            else if (c < 0x40 || c > 0x5f)
                text(c);
            return;
        case S::Csi:
            if (c >= 0x20 && c <= 0x3f)
                return;
            s = S::Text;
            if (c == 0x1b)
                s = S::Esc;
            else if (c < 0x40 || c > 0x7e)
                text(c);
            return;
        case S::Osc:
            if (c == 0x07)
                s = S::Text;
            else if (c == 0x1b)
                s = S::OscEsc;
            else if (c == '\r' || ++osc > engine::EscapeFilter::kMaxOsc)
                s = S::Text, text(c);
            return;
        case S::OscEsc:
            s = S::Esc;
            if (c == '\\')
                s = S::Text;
            else
                feed(c);
            return;
        case S::Designate:
            s = S::Text;
            if (c < 0x20 || c > 0x7e) {
                text(static_cast<unsigned char>(designator));
                feed(c);
            }
            return;
        }
    }
    void feed(const std::string& bytes) {
        for (char c : bytes)
            feed(static_cast<unsigned char>(c));
    }
};

// Text and well-formed sequences as the input describes them: `coloured` is what the host
// sends, `plain` what an uncoloured host would have sent.
void colouredText(fuzz::Bytes& in, std::string& coloured, std::string& plain) {
    const std::string esc = "\x1b";
    while (!in.empty() && coloured.size() < 20000) {
        switch (in.below(5)) {
        case 0: { // text, any bytes but ESC
            std::string t = in.piece();
            std::erase(t, '\x1b');
            coloured += t;
            plain += t;
            break;
        }
        case 1: { // CSI: parameters, maybe an intermediate byte, a final byte
            std::string seq = esc + "[";
            for (int n = in.below(6); n > 0; --n)
                seq += static_cast<char>(0x30 + in.below(16));
            if (in.below(4) == 0)
                seq += static_cast<char>(0x20 + in.below(16));
            seq += static_cast<char>(0x40 + in.below(63));
            coloured += seq;
            break;
        }
        case 2: { // OSC with any text but its ends, closed by BEL or ESC "\"
            std::string body = in.piece();
            std::erase_if(body, [](char c) { return c == '\x07' || c == '\x1b' || c == '\r'; });
            coloured += esc + "]" + body + (in.below(2) ? std::string("\x07") : esc + "\\");
            break;
        }
        case 3: { // ESC and one byte 0x40-0x5F that begins no longer sequence
            char c = static_cast<char>(0x40 + in.below(32));
            coloured += esc + (c == '[' || c == ']' ? 'M' : c);
            break;
        }
        default: // a character-set designation
            coloured += esc + (in.below(2) ? "(" : ")") + static_cast<char>(0x20 + in.below(95));
            break;
        }
    }
}

void checkTable(const VazevModel& m) {
    FUZZ_CHECK(static_cast<int>(m.Lines().size()) == VazevModel::kLineCount);
    FUZZ_CHECK(m.WritePointer() >= 1 && m.WritePointer() <= VazevModel::kLastWritePointer);
    FUZZ_CHECK(m.ReadPointer() >= 1 && m.ReadPointer() <= m.WritePointer());
    FUZZ_CHECK(m.line(0).empty());
    FUZZ_CHECK(m.line(-1).empty() && m.line(VazevModel::kLineCount).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    fuzz::Bytes in(data, size);
    const std::uint8_t how = in.byte();
    if (how & 2) {
        engine_test::EngineHarness h;
        std::string coloured, plain;
        colouredText(in, coloured, plain);
        // Cut into notifications at lengths taken from the text itself.
        for (size_t at = 0; at < coloured.size();) {
            size_t n = 1 + static_cast<unsigned char>(coloured[at]) % 17;
            h.receive(coloured.substr(at, n));
            at += n;
        }
        checkTable(h.model);
        ReferenceLines want;
        want.feed(plain);
        FUZZ_CHECK(h.model.WritePointer() == 1 + static_cast<int>(want.completed.size()));
        for (size_t i = 0; i < want.completed.size(); ++i)
            FUZZ_CHECK(h.model.line(static_cast<int>(i) + 1) == want.completed[i]);
        FUZZ_CHECK(h.model.line(h.model.WritePointer()) == want.current);
        for (int i = 1; i <= h.model.WritePointer(); ++i)
            FUZZ_CHECK(h.model.line(i).find('\x1b') == std::string::npos);
        FUZZ_CHECK(h.port.sent.empty());
        box.checkContained({h.dir.path().substr(box.root().size() + 1)});
    } else {
        engine_test::EngineHarness h;
        CountingTransfer transfer;
        bool withTransfer = how & 1;
        if (withTransfer)
            h.model.setTransfer(&transfer);
        ReferenceLines ref; // the lines as the bytes build them
        while (!in.empty()) {
            int mode = in.below(4);
            std::string piece = in.piece();
            h.model.setReceiveMode(mode);
            const int wp = h.model.WritePointer();
            const std::string downloaded = transfer.downloaded;
            const size_t uploaded = transfer.uploadBytes;
            h.receive(piece);
            checkTable(h.model);
            if (mode == 1) {
                std::string back;
                while (h.model.Rsrecv())
                    back += static_cast<char>(h.model.RsGetC());
                FUZZ_CHECK(back == piece);
                FUZZ_CHECK(h.model.RsGetC() == 0);
                FUZZ_CHECK(transfer.overruns == 0);
                FUZZ_CHECK(h.model.WritePointer() == wp);
            } else if (mode == 3) {
                FUZZ_CHECK(transfer.uploadBytes == uploaded + (withTransfer ? piece.size() : 0));
                FUZZ_CHECK(h.model.WritePointer() == wp);
            } else if (mode == 2 && withTransfer) {
                FUZZ_CHECK(transfer.downloaded == downloaded + piece);
                FUZZ_CHECK(h.model.WritePointer() == wp);
            } else {
                // Terminal mode (and a download with no transfer to take it): no run is in
                // progress, so no step switches the mode half way.
                const size_t before = ref.completed.size();
                ref.feed(piece);
                const int completed = static_cast<int>(ref.completed.size() - before);
                FUZZ_CHECK(h.model.WritePointer() == wp + completed);
                for (int i = 0; i < completed; ++i)
                    FUZZ_CHECK(h.model.line(wp + i) == ref.completed[before + i]);
                FUZZ_CHECK(h.model.line(h.model.WritePointer()) == ref.current);
                FUZZ_CHECK(h.model.ReceiveMode() == mode);
            }
            FUZZ_CHECK(h.port.sent.empty()); // receiving alone never answers the host
        }
        box.checkContained({h.dir.path().substr(box.root().size() + 1)});
    }
    box.checkContained();
    return 0;
}
