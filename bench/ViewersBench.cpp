// Loading a large board into the viewer's reply tree, against reading the same file into
// lines, for 10,000 and 20,000 messages; then a full run of jumps over the marks.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "bench/Bench.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "viewers/BoardModel.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

struct QuietMacroHost : macro::MacroHost {
    void warn(const std::string&) override {}
    void setMainNetSelector(const std::vector<std::string>&, int) override {}
    void selectMainNet(int) override {}
    void showSettings(shell::SettingPage) override {}
    void showAbout() override {}
    void hideMacroWindow() override {}
};

struct QuietViewerHost : viewers::ViewerHost {
    int sorries = 0;
    void warn(const std::string&) override {}
    bool ask(const std::string&) override { return true; }
    void sorry(const std::string&) override { ++sorries; }
    void showStatus(const std::string&) override {}
    void showProgress(int) override {}
};

// A board as the import writes it: every third message answers an earlier one.
base::Lines board(int count) {
    std::mt19937 rng(7);
    base::Lines out;
    char b[128];
    for (int i = 1; i <= count; ++i) {
        const int number = (i - 1) % 9999 + 1;
        std::snprintf(b, sizeof b, "Message  #%04d   from: TARNO%03d", number, i % 500);
        out.push_back(b);
        std::snprintf(b, sizeof b, "Time: 26/%02d/%02d 10:%02d:00  Section 01: ", i % 12 + 1,
                      i % 28 + 1, i % 60);
        out.push_back(b + base::sj(u8"雑談"));
        if (i % 3 == 0 && i > 1)
            std::snprintf(
                b, sizeof b, "Subj: Re:%04d) subject %d",
                static_cast<int>(rng() % static_cast<unsigned>(number > 1 ? number - 1 : 1)) + 1,
                i);
        else
            std::snprintf(b, sizeof b, "Subj: subject %d", i);
        out.push_back(b);
        out.push_back(base::sj(u8"本文の一行目です。"));
        out.push_back("second line of the body");
    }
    return out;
}

} // namespace

int main() {
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("tarno-bench-viewers-" + std::to_string(::getpid())))
                                .string();
    base::makeDirs(dir + "/NET");
    shell::NetList nets(dir, {"NET", "NET", "999", "0", "ID", "PW", "H", "KTBBS", "", ""});
    QuietMacroHost mh;
    base::replaceLines(dir + "/NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN"});
    macro::MacroModel macro(nets, mh, dir);
    macro.FormShow();
    macro.ListBox1Click(0);
    base::replaceLines(dir + "/NET/MBOARD.LST", {"0001: A", "0002: B"});

    double t[2] = {0, 0};
    const int sizes[2] = {10000, 20000};
    for (int k = 0; k < 2; ++k) {
        base::replaceLines(dir + "/NET/MBOARD01.DAT", board(sizes[k]));
        QuietViewerHost vh;
        viewers::BoardModel model(macro, nets, vh, base::makeDateTime(2026, 12, 8));
        const double read =
            bench::bestSeconds(5, [&] { base::readLines(dir + "/NET/MBOARD01.DAT"); });
        t[k] = bench::bestSeconds(5, [&] { model.FormShow(false, true, true); });
        bench::report("viewers.load_tree_" + std::to_string(sizes[k]), t[k] * 1000, "ms",
                      t[k] / read);
        // Every line is marked: walk the whole board with the down jump.
        const double jumps = bench::bestSeconds(1, [&] {
            for (size_t i = 0; i < model.list().size(); ++i)
                model.DOWNButtonClick();
        });
        bench::report("viewers.jump_per_line_" + std::to_string(sizes[k]),
                      jumps * 1e6 / static_cast<double>(model.list().size()), "us", 0);
    }
    bench::report("viewers.load_20000_over_10000", t[1] / t[0], "x", t[1] / t[0]);
    std::filesystem::remove_all(dir);
    return 0;
}
