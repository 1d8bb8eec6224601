// TARNO_I2.INI: any lines apply without harm, reading stops where the file says and keeps
// what came before; the 61 lines written for any settings read back complete to the same
// settings, which are written to the same lines again.
#include "base/LineFile.h"
#include "fuzz/FuzzSupport.h"
#include "shell/SettingsFile.h"

using shell::SettingsFileData;

namespace {

bool same(const SettingsFileData& a, const SettingsFileData& b) {
    return a.browseNew == b.browseNew && a.browseAll == b.browseAll && a.treeView == b.treeView &&
           a.fonts == b.fonts && a.modems == b.modems;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    base::Lines lines =
        base::splitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    SettingsFileData read;
    shell::SettingsReadResult r = shell::applySettingsLines(lines, read);
    FUZZ_CHECK(r.complete == (r.badLine == 0));
    FUZZ_CHECK(r.complete == r.error.empty());
    FUZZ_CHECK(r.badLine >= 0 && r.badLine <= shell::kSettingsLines);

    // What was read before the bad line is the same as reading only those lines.
    if (!r.complete) {
        base::Lines before(lines.begin(),
                           lines.begin() + std::min<size_t>(lines.size(), r.badLine - 1));
        SettingsFileData part;
        shell::applySettingsLines(before, part);
        FUZZ_CHECK(same(part, read));
    }

    base::Lines written = shell::settingsLines(read);
    FUZZ_CHECK(static_cast<int>(written.size()) == shell::kSettingsLines);
    for (const auto& l : written)
        FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
    SettingsFileData back;
    shell::SettingsReadResult r2 = shell::applySettingsLines(written, back);
    FUZZ_CHECK(r2.complete);
    FUZZ_CHECK(shell::settingsLines(back) == written);
    return 0;
}
