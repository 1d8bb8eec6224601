// libFuzzer harness of the capture-log import: any bytes, as the lines of a capture, are
// imported into a fresh net folder. The import must end, write only store files inside
// the net folder, and leave every board it reorganised with each article once, in order.
// Input that begins "FORGED\n" instead makes, from the bytes after it, the body of an
// article in a new-message read out of lines shaped like the host's own; imported with
// the run's record, it must leave every store file but the article's board as it was, and
// the article whole in its board.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/VirtualLoop.h"
#include "fuzz/FuzzSupport.h"
#include "shell/NetList.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"
#include "store/StoreFiles.h"
#include "tests/store/ForgedBody.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

std::string bytesOf(const base::Lines& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

void forgedBody(const std::string& dir, const std::uint8_t* data, size_t size) {
    const std::string netDir = dir + "/NET1";
    forged::seedStore(netDir);
    auto want = forged::snapshot(netDir);
    const base::Lines body = forged::bodyOf(std::vector<std::uint8_t>(data, data + size));
    const forged::Capture capture = forged::readWithBody(body);

    base::VirtualLoop loop;
    shell::NetList nets(dir, {"F", "NET1", "999", "0", "ID", "PW", "H", "KTBBS", "", ""});
    nets.save();
    const std::string netList = base::readFile(dir + "/NETLIST.DAT");
    base::ErrorLog errors(dir + "/ERROR.LOG");
    store::LogEditModel logEdit(loop, errors, dir);
    store::ImportHost host;
    store::ConvModel conv({loop, nets, logEdit, errors, host, dir});
    check(conv.Conv(capture.lines, static_cast<int>(capture.lines.size()), 0, capture.record));

    want["MBOARD01.DAT"] = bytesOf(forged::article(body));
    want["MBOARD03.DAT"] = bytesOf(forged::board3Article());
    check(forged::snapshot(netDir) == want);
    check(base::readFile(dir + "/NETLIST.DAT") == netList);
    check(errors.lines().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    const std::string dir = box.data();
    fs::create_directories(dir + "/NET1");

    static const std::string kForged = "FORGED\n";
    if (size >= kForged.size() &&
        std::string_view(reinterpret_cast<const char*>(data), kForged.size()) == kForged) {
        forgedBody(dir, data + kForged.size(), size - kForged.size());
        return 0;
    }

    std::string bytes(reinterpret_cast<const char*>(data), size);
    // The first byte chooses the table's shape: a live run's (entry 0 empty, the
    // unfinished line last) or a loaded file's.
    const bool live = !bytes.empty() && (bytes[0] & 1);
    std::vector<std::string> lines = base::splitLines(bytes);
    int wp = static_cast<int>(lines.size());
    if (live) {
        lines.insert(lines.begin(), std::string());
        wp = static_cast<int>(lines.size()) - 1;
        lines.resize(lines.size() + 3, "END.");
    }

    base::VirtualLoop loop;
    shell::NetList nets(dir, {"F", "NET1", "999", "0", "ID", "PW", "H", "KTBBS", "", ""});
    base::ErrorLog errors(dir + "/ERROR.LOG");
    store::LogEditModel logEdit(loop, errors, dir);
    store::ImportHost host;
    store::ConvModel conv({loop, nets, logEdit, errors, host, dir});
    conv.Conv(lines, wp, 0);

    static const std::regex allowed(
        "(MBOARD[0-9][0-9]\\.(DAT|LST|OLD))|(FBOARD[0-9][0-9]\\.LST)|MBOARD\\.LST|FBOARD\\.LST|"
        "MEMBOR\\.LST|MAIL\\.DAT");
    for (const auto& e : fs::directory_iterator(dir + "/NET1")) {
        const std::string name = e.path().filename().string();
        check(e.is_regular_file() && std::regex_match(name, allowed));
        if (name.size() == 12 && name.rfind("MBOARD", 0) == 0 && name.substr(8) == ".DAT" &&
            name.substr(6, 2) != "00") {
            int last = 0;
            const int nn = std::stoi(name.substr(6, 2));
            const base::Lines board = base::readLines(e.path().string());
            // Whole articles only: nothing stands before the first header. Where an
            // article begins is the store's rule: a quoted header stays in its body.
            check(board.empty() || store::beginsArticle(board, 0, nn));
            for (size_t i = 0; i < board.size(); ++i) {
                if (!store::beginsArticle(board, i, nn))
                    continue;
                const int n = store::articleNumberOf(board[i]);
                check(n > last);
                last = n;
            }
        }
    }
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        check(name == "NET1" || name == "NETLIST.DAT" || name == "ERROR.LOG");
    }
    box.checkContained();
    return 0;
}
