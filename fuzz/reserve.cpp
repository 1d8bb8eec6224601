// The reservation list under appends, reads from a command file and removals in any order.
// Blocks made by makeBlock are always well formed; the list never holds more than its
// limit; removing a block removes exactly its header from the list of headers; and the
// lines in use read back, block by block, to the same list.
#include "fuzz/FuzzSupport.h"
#include "macro/ReserveList.h"

using macro::ReserveList;

namespace {

const char* const kHeads[] = {"RES ", "NEWW ", "MAIL ", "BMAIL ", "UPFILE ", "MDOWN ", "FDOWN ",
                              "MLISTDOWN ", "FLISTDOWN ", ""};

base::Lines reread(const ReserveList& r, int limit, bool& overflow) {
    ReserveList back(limit);
    base::Lines src = r.lines();
    size_t i = 0;
    while (i < src.size()) {
        size_t next = back.readBlock(src, i, overflow);
        FUZZ_CHECK(next > i); // every line in use belongs to a block
        i = next;
    }
    return back.lines();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Bytes in(data, size);
    const int limit = 1 + in.below(120);
    ReserveList r(limit);
    while (!in.empty()) {
        switch (in.below(4)) {
        case 0: { // a writer's block
            std::string header = kHeads[in.below(10)] + in.piece();
            base::Lines body;
            for (int n = in.below(6); n > 0; --n)
                body.push_back(in.piece());
            base::Lines block = ReserveList::makeBlock(header, body);
            if (macro::kindOf(block.front()) == macro::BlockKind::None) {
                // Not a reservation: the net manager refuses it (it is not well formed).
                FUZZ_CHECK(!ReserveList::wellFormed(block));
                break;
            }
            FUZZ_CHECK(ReserveList::wellFormed(block));
            const int before = r.ReserveCount();
            bool fits = r.fits(static_cast<int>(block.size()));
            FUZZ_CHECK(r.append(block) == fits);
            FUZZ_CHECK(r.ReserveCount() == before + (fits ? static_cast<int>(block.size()) : 0));
            break;
        }
        case 1: { // a command file read block by block
            base::Lines src = base::splitLines(in.piece());
            size_t i = 0;
            bool overflow = false;
            while (i < src.size()) {
                size_t next = r.readBlock(src, i, overflow);
                FUZZ_CHECK(next >= i && next <= src.size());
                i = next == i ? i + 1 : next;
            }
            break;
        }
        case 2: { // the engine carries one out
            std::vector<std::string> heads = r.headers();
            if (heads.empty())
                break;
            std::string h = heads[static_cast<size_t>(in.below(static_cast<int>(heads.size())))];
            FUZZ_CHECK(r.removeBlock(h));
            std::vector<std::string> after = r.headers();
            heads.erase(std::find(heads.begin(), heads.end(), h));
            FUZZ_CHECK(after == heads);
            break;
        }
        default: { // the editor removes the block it shows at a header line
            std::vector<std::string> heads = r.headers();
            int pick = in.below(static_cast<int>(heads.size()) + 1);
            if (pick == static_cast<int>(heads.size())) {
                r.removeBlockAt(-1); // out of range: nothing happens
                r.removeBlockAt(r.ReserveCount());
                FUZZ_CHECK(r.headers() == heads);
                break;
            }
            const int count = r.ReserveCount();
            int at = r.findBlock(heads[static_cast<size_t>(pick)]);
            FUZZ_CHECK(at >= 0);
            int end = r.blockEnd(at);
            r.removeBlockAt(at);
            FUZZ_CHECK(r.ReserveCount() == count - (end - at + 1));
            FUZZ_CHECK(r.ReserveLines(r.ReserveCount()) == ReserveList::kEndMarker);
            break;
        }
        }
        FUZZ_CHECK(r.ReserveCount() >= 0 && r.ReserveCount() <= limit);
        bool overflow = false;
        FUZZ_CHECK(reread(r, limit, overflow) == r.lines());
        FUZZ_CHECK(!overflow);
    }
    return 0;
}
