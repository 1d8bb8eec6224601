// A net's NET.MAC as the net manager loads it: whatever the file holds, the net loads, the
// list of reservations stays within its limit and every block in it can be found by its
// header, and the file Convert writes back reads to the same net again and is written
// the same way a second time (a rewritten file parses back to what was written).
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "fuzz/FuzzSupport.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"

namespace {

base::Lines netRecord() {
    return {base::sj(u8"テストネット"), "NET1",  "0312345678",        "0", "TARNO001", "tarno",
            base::sj(u8"たーの"),       "KTBBS", "96/08/10 12:00:00", ""};
}

void checkReserve(const macro::ReserveList& r) {
    FUZZ_CHECK(r.ReserveCount() >= 0 && r.ReserveCount() <= r.limit());
    for (const auto& header : r.headers()) {
        int at = r.findBlock(header);
        FUZZ_CHECK(at >= 0 && at < r.ReserveCount());
        FUZZ_CHECK(r.ReserveLines(at) == header);
        FUZZ_CHECK(r.blockEnd(at) < r.ReserveCount());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    const std::string folder = box.data();
    base::makeDirs(box.file("NET1"));
    base::replaceFile(box.file("NET1/NET.MAC"),
                      std::string_view(reinterpret_cast<const char*>(data), size));
    shell::NetList nets{folder, netRecord()};
    RecordingMacroHost host;

    macro::MacroModel first{nets, host, folder};
    first.FormShow();
    first.ListBox1Click(0);
    FUZZ_CHECK(first.currentNet() == 0 && first.netLoaded());
    checkReserve(first.reserve());
    FUZZ_CHECK(first.Convert());
    FUZZ_CHECK(first.MacroCount() <= macro::MacroModel::kCommandCapacity);
    const std::string written = base::readFile(box.file("NET1/NET.MAC"));

    macro::MacroModel second{nets, host, folder};
    second.FormShow();
    second.ListBox1Click(0);
    checkReserve(second.reserve());
    FUZZ_CHECK(second.reserve().lines() == first.reserve().lines());
    FUZZ_CHECK(second.unread() == first.unread());
    for (int s = 0; s < macro::kStepCount; ++s)
        FUZZ_CHECK(second.checked(static_cast<macro::Step>(s)) ==
                   first.checked(static_cast<macro::Step>(s)));
    FUZZ_CHECK(second.Convert());
    FUZZ_CHECK(second.commandList() == first.commandList());
    FUZZ_CHECK(base::readFile(box.file("NET1/NET.MAC")) == written);
    box.checkContained();
    return 0;
}
