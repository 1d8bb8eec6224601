// The terminal's receive path in every receive mode, fed in pieces whose mode and length
// the input chooses. Each piece is checked against what it must do: in terminal mode the
// line being received is built exactly as the bytes say, lines complete at CR and the
// line table is never left; in raw mode the ring gives back exactly the bytes; in the
// transfer modes the transfer gets them (or their count) whole.
#include "fuzz/FuzzSupport.h"
#include "tests/engine/EngineHarness.h"

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
    {
        engine_test::EngineHarness h;
        CountingTransfer transfer;
        bool withTransfer = in.byte() & 1;
        if (withTransfer)
            h.model.setTransfer(&transfer);
        std::string current; // the line being received, as the bytes build it
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
                int completed = 0;
                for (char c : piece) {
                    if (static_cast<unsigned char>(c) >= 32) {
                        current += c;
                    } else if (c == '\r') {
                        ++completed;
                        current.clear();
                    } else if (c == '\b' && !current.empty()) {
                        current.pop_back();
                    }
                }
                FUZZ_CHECK(h.model.WritePointer() == wp + completed);
                FUZZ_CHECK(h.model.line(h.model.WritePointer()) == current);
                FUZZ_CHECK(h.model.ReceiveMode() == mode);
            }
            FUZZ_CHECK(h.port.sent.empty()); // receiving alone never answers the host
        }
        box.checkContained({h.dir.path().substr(box.root().size() + 1)});
    }
    box.checkContained();
    return 0;
}
