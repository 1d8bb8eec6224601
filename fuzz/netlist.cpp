// NETLIST.DAT (the input up to its first NUL, then edits): whatever the file holds, it
// loads; a save writes exactly the lines held, which load back to the same list, the same
// nets and the same fields; edits of fields (any bytes), added and removed nets survive a
// save and a load.
#include "base/LineFile.h"
#include "fuzz/FuzzSupport.h"
#include "shell/NetList.h"

using shell::NetList;

namespace {

void checkSameNets(const NetList& a, const NetList& b) {
    FUZZ_CHECK(a.lines() == b.lines());
    FUZZ_CHECK(a.count() == b.count());
    FUZZ_CHECK(a.names() == b.names());
    for (int n = 0; n < a.count(); ++n)
        for (int k = 0; k < shell::kLinesPerNet; ++k)
            FUZZ_CHECK(a.field(n, k) == b.field(n, k));
}

NetList saveAndLoad(const NetList& list, const std::string& folder) {
    list.save();
    FUZZ_CHECK(base::readFile(folder + "/" + NetList::kFileName) == base::joinLines(list.lines()));
    NetList back(folder);
    FUZZ_CHECK(back.load().empty());
    return back;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    fuzz::Bytes in(data, size);
    const std::string folder = box.data();
    base::replaceFile(box.file(NetList::kFileName), in.until('\0'));

    NetList list(folder);
    FUZZ_CHECK(list.load().empty());
    FUZZ_CHECK(list.count() == static_cast<int>(list.lines().size()) / shell::kLinesPerNet);
    FUZZ_CHECK(list.field(-1, 0).empty() && list.field(list.count(), 0).empty());
    FUZZ_CHECK(list.field(0, -1).empty() && list.field(0, shell::kLinesPerNet).empty());
    checkSameNets(saveAndLoad(list, folder), list);

    while (!in.empty()) {
        const int before = list.count();
        switch (in.below(3)) {
        case 0: {
            int net = in.below(before + 1);
            int k = in.below(shell::kLinesPerNet);
            list.setField(net, k, in.piece());
            break;
        }
        case 1:
            list.addNew();
            FUZZ_CHECK(list.count() == before + 1);
            break;
        default:
            if (before > 0) {
                list.remove(in.below(before));
                FUZZ_CHECK(list.count() == before - 1);
            }
            break;
        }
        NetList back = saveAndLoad(list, folder);
        checkSameNets(back, list);
    }
    box.checkContained();
    return 0;
}
