// The folders form layers: a header is included only from its own folder or from one above
// it. The program's folders are read as they are in the source tree.
#include "base/LineFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

// What each folder may include besides itself. The subsystems not named here sit above
// the shell and the line and may include them; the shell, the lowest of them, owns the
// desktop interface every window calls.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"base", {}},
    {"comm", {"base"}},
    {"ui", {"base"}},
    {"sim", {"base", "comm"}},
    {"shell", {"base", "ui"}},
};
const std::set<std::string> kSubsystems = {"shell", "macro",   "engine", "transfer",
                                           "store", "viewers", "writers"};

// Every "folder/..." include of the program's sources, as "file -> folder".
std::vector<std::pair<std::string, std::string>> includesOf(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> out;
    const fs::path root = fs::path(TARNO_SOURCE_DIR) / folder;
    if (!fs::is_directory(root))
        return out;
    const std::regex include(R"re(^\s*#\s*include\s*"([A-Za-z_]+)/)re");
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        for (const std::string& line : base::readLines(entry.path().string())) {
            std::smatch m;
            if (std::regex_search(line, m, include))
                out.emplace_back(fs::relative(entry.path(), TARNO_SOURCE_DIR).string(), m[1]);
        }
    }
    return out;
}

} // namespace

TEST(Layers, NoFolderIncludesAHeaderOfAFolderAboveIt) {
    int looked = 0;
    for (const std::string folder : {"base", "comm", "ui", "sim", "shell", "macro", "engine",
                                     "transfer", "store", "viewers", "writers"}) {
        for (const auto& [file, target] : includesOf(folder)) {
            ++looked;
            if (target == folder)
                continue;
            EXPECT_NE(target, "app") << file;
            if (auto rule = kAllowed.find(folder); rule != kAllowed.end()) {
                EXPECT_TRUE(rule->second.count(target)) << file << " includes " << target;
            } else if (kSubsystems.count(folder)) {
                EXPECT_NE(target, "sim") << file; // the simulator is wired in by app/ only
            }
        }
    }
    EXPECT_GT(looked, 100); // the tree was really read
}
