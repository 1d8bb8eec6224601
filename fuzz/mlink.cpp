// MLINK from the host's side: any header line and any data, cut anywhere, with time passing,
// aborts, a failing disk and a new transfer in between. A download lands only in DOWNLOAD
// of the data folder under a plain name, holds exactly the size its header announced,
// never replaces or removes anything that folder held, and leaves no temporary file
// behind; the end mark goes only when the whole file is in place; every transfer ends
// with the line back in terminal mode and the window closed. The header parser and the
// name reduction keep their own promises on any bytes.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "fuzz/FuzzSupport.h"
#include "tests/transfer/FakeLine.h"
#include "transfer/MlinkHeader.h"
#include "transfer/MlinkModel.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using transfer::MlinkModel;

// A plain name: what the header reduction promises of any host name. A trail byte of a
// double-byte character may be "\\" (0x5C); only single-byte characters are separators.
void checkPlainName(const std::string& name) {
    FUZZ_CHECK(static_cast<int>(name.size()) <= transfer::kMaxNameBytes);
    if (!name.empty())
        FUZZ_CHECK(name[0] != '.' && name[0] != ' ');
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (base::isLeadByte(c)) {
            FUZZ_CHECK(i + 1 < name.size()); // whole double-byte characters only
            ++i;
            continue;
        }
        FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        FUZZ_CHECK(c != '/' && c != '\\' && c != ':');
    }
}

void checkHeaderRules(const std::string& text) {
    const std::string name = transfer::safeDownloadName(text);
    checkPlainName(name);
    FUZZ_CHECK(transfer::safeDownloadName(name) == name);
    if (auto h = transfer::parseDownloadHeader(text)) {
        FUZZ_CHECK(h->name.find(' ') == std::string::npos);
        FUZZ_CHECK(text.compare(0, h->name.size(), h->name) == 0);
        if (h->size)
            FUZZ_CHECK(*h->size >= 0 && std::to_string(*h->size).size() <= h->sizeText.size());
    }
    const int n = static_cast<int>(text.size() % 40);
    const std::string cut = transfer::cutBytes(text, n);
    FUZZ_CHECK(static_cast<int>(cut.size()) <= n && text.compare(0, cut.size(), cut) == 0);
    const std::string up = transfer::uploadHeader(text, static_cast<std::int64_t>(text.size()));
    FUZZ_CHECK(!up.empty() && up.back() == '\r');
    FUZZ_CHECK(up.find('\r') == up.size() - 1);
}

// The sizes the headers announced, by the name they became, as the transfer window showed
// them; what the download folder holds must match one of them.
std::map<std::string, std::vector<std::int64_t>> announced;

void noteAnnounced(const MlinkModel& model) {
    const std::string prefix = std::string(MlinkModel::kDownloadFolder) + "\\";
    const std::string& shown = model.display().filename;
    if (shown.compare(0, prefix.size(), prefix) == 0)
        announced[shown.substr(prefix.size())].push_back(model.TransferSize());
}

// Every entry the download folder has held, as first seen: no download replaces (a new
// inode under the name) or removes one. Files keep their size too.
struct Entry {
    ino_t ino = 0;
    bool regular = false;
    std::int64_t size = 0;
};
std::map<std::string, Entry> seen;

void checkNothingReplaced(const std::string& dir) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(".mlink-", 0) == 0)
            continue; // a download in progress
        struct stat st {};
        FUZZ_CHECK(::lstat(e.path().c_str(), &st) == 0);
        const Entry now{st.st_ino, S_ISREG(st.st_mode), static_cast<std::int64_t>(st.st_size)};
        const auto [it, added] = seen.emplace(name, now);
        if (!added) {
            FUZZ_CHECK(it->second.ino == now.ino && it->second.regular == now.regular);
            if (now.regular)
                FUZZ_CHECK(it->second.size == now.size);
        }
    }
    for (const auto& [name, entry] : seen) {
        struct stat st {};
        FUZZ_CHECK(::lstat((dir + "/" + name).c_str(), &st) == 0);
    }
}

// What the download folder holds before any transfer: names a header may well announce.
const char* const kPlaced[] = {"README.TXT", "A.TXT", "TAKEN", "LINK.TXT"};

void placeEntries(const std::string& dir) {
    fs::create_directories(dir + "/TAKEN");
    base::replaceFile(dir + "/README.TXT", "already here");
    base::replaceFile(dir + "/A.TXT", "");
    fs::create_symlink("../nowhere", dir + "/LINK.TXT");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    announced.clear();
    seen.clear();
    fuzz::Bytes in(data, size);

    base::VirtualLoop loop;
    transfer_test::FakeLine line;
    MlinkModel model(loop, line, box.data());
    line.model = &model;
    base::replaceFile(box.file("UP.BIN"), std::string(3000, 'u'));
    const std::string downloads = box.data() + "/" + MlinkModel::kDownloadFolder;
    placeEntries(downloads);
    checkNothingReplaced(downloads);

    // The host hears the end mark only when the file is whole under the name the window
    // shows, and no temporary file is left.
    MlinkModel::Phase before = MlinkModel::Phase::Idle;
    line.onSend = [&](std::string_view bytes) {
        const bool downloading =
            before == MlinkModel::Phase::DownData || before == MlinkModel::Phase::DownHeader;
        if (!downloading || bytes != "E\r")
            return;
        const std::string prefix = std::string(MlinkModel::kDownloadFolder) + "\\";
        const std::string& shown = model.display().filename;
        FUZZ_CHECK(shown.compare(0, prefix.size(), prefix) == 0);
        const fs::path p = fs::path(downloads) / shown.substr(prefix.size());
        FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(p)));
        FUZZ_CHECK(static_cast<std::int64_t>(fs::file_size(p)) == model.TransferSize());
        for (const std::string& entry : fuzz::tree(downloads))
            FUZZ_CHECK(entry.rfind(".mlink-", 0) != 0);
    };

    int steps = 0;
    while (!in.empty() && ++steps < 400) {
        before = model.phase();
        switch (in.below(8)) {
        case 0:
        case 1:
        case 2: {
            std::string piece = in.piece();
            checkHeaderRules(piece);
            line.receive(piece);
            break;
        }
        case 3:
            loop.advance(1 + in.byte() * 100);
            break;
        case 4:
            model.MDOWN();
            break;
        case 5:
            model.MUP(in.below(2) ? "UP.BIN" : in.piece());
            break;
        case 6:
            switch (in.below(8)) {
            case 0:
                model.ABORTClick();
                break;
            case 7: {
                // From now on one step of writing a download fails (0: none does).
                const int step = in.below(5);
                model.setFaultHook([step](MlinkModel::FileStep s) {
                    return step > 0 && static_cast<int>(s) == step - 1 ? ENOSPC : 0;
                });
                break;
            }
            default:
                model.Timer1Timer();
                break;
            }
            break;
        default:
            loop.advance(in.byte() * 1000);
            break;
        }
        noteAnnounced(model);
        checkNothingReplaced(downloads);
        FUZZ_CHECK(model.BytesDone() >= 0);
        if (model.phase() == MlinkModel::Phase::DownData)
            FUZZ_CHECK(model.BytesDone() <= model.TransferSize());
    }
    // Whatever state it is in, the transfer ends: by the abort, or by its own deadlines.
    model.ABORTClick();
    loop.advance(10 * MlinkModel::kInactivityMs);
    FUZZ_CHECK(!model.busy());
    FUZZ_CHECK(!model.visible());
    FUZZ_CHECK(line.mode == 0);

    checkNothingReplaced(downloads);
    box.checkContained();
    for (const std::string& entry : fuzz::tree(box.data())) {
        if (entry == "UP.BIN" || entry == MlinkModel::kDownloadFolder)
            continue;
        const std::string prefix = std::string(MlinkModel::kDownloadFolder) + "/";
        FUZZ_CHECK(entry.compare(0, prefix.size(), prefix) == 0);
        const std::string name = entry.substr(prefix.size());
        if (std::find(std::begin(kPlaced), std::end(kPlaced), name) != std::end(kPlaced))
            continue; // checked above: as they were
        FUZZ_CHECK(name.find('/') == std::string::npos);
        checkPlainName(name);
        FUZZ_CHECK(name.rfind(".mlink-", 0) != 0); // no temporary file outlives its transfer
        const fs::path p = fs::path(box.data()) / entry;
        FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(p)));
        const auto sizes = announced.find(name);
        FUZZ_CHECK(sizes != announced.end());
        const auto got = static_cast<std::int64_t>(fs::file_size(p));
        FUZZ_CHECK(std::find(sizes->second.begin(), sizes->second.end(), got) !=
                   sizes->second.end());
    }
    return 0;
}
