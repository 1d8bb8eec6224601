// COMPORTS.DAT: whatever it holds, COM1..COM4 each name a device (one line of text, never
// empty), ports outside 1..4 name none, and a file that is there is never rewritten.
#include "base/LineFile.h"
#include "comm/ComPorts.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    for (int p = 1; p <= 4; ++p)
        ::unsetenv(("TARNO_COM" + std::to_string(p)).c_str());
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    base::replaceFile(box.file(comm::kComPortsFile), bytes);
    const base::Lines lines = base::splitLines(bytes);
    for (int p = -1; p <= 6; ++p) {
        std::string dev = comm::comPortDevice(box.data(), p);
        if (p < 1 || p > 4) {
            FUZZ_CHECK(dev.empty());
            continue;
        }
        FUZZ_CHECK(!dev.empty());
        FUZZ_CHECK(dev.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(dev == comm::defaultComPortDevice(p) ||
                   (static_cast<size_t>(p) <= lines.size() &&
                    lines[static_cast<size_t>(p - 1)].find(dev) != std::string::npos));
    }
    comm::ensureComPortsFile(box.data());
    FUZZ_CHECK(base::readFile(box.file(comm::kComPortsFile)) == bytes);
    box.checkContained();
    return 0;
}
