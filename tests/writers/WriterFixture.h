#pragma once
// The writers over the real net manager, text styles and a scripted set of message
// boxes, on a temporary data folder and a VirtualLoop: two nets ("NETA" and "NETB"), the
// style files the program ships, and recorders of everything asked and warned.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"
#include "writers/TextStyleModel.h"
#include "writers/WriterModel.h"

#include <deque>
#include <string>
#include <vector>

namespace writers_test {

using base::sj;

// Message boxes that answer from a script and keep every text they were shown.
struct ScriptedDialogs : writers::WriterDialogs {
    std::deque<writers::Answer> answers3; // Yes/No/Cancel questions
    std::deque<bool> answers2;            // Yes/No questions
    std::vector<std::string> asked;       // Shift-JIS, in order
    std::vector<std::string> warnings;

    writers::Answer askYesNoCancel(const std::string& text) override {
        asked.push_back(text);
        if (answers3.empty())
            return writers::Answer::Cancel;
        writers::Answer a = answers3.front();
        answers3.pop_front();
        return a;
    }
    bool askYesNo(const std::string& text) override {
        asked.push_back(text);
        if (answers2.empty())
            return false;
        bool a = answers2.front();
        answers2.pop_front();
        return a;
    }
    void warn(const std::string& text) override { warnings.push_back(text); }
};

struct RecordingStyleHost : writers::TextStyleHost {
    std::vector<std::string> calls;
    std::vector<std::string> warnings;
    bool answer = false;
    void setMainAndMacroEnabled(bool on) override { calls.push_back(on ? "enable" : "disable"); }
    void showStyleDialog() override { calls.push_back("show"); }
    void hideStyleDialog() override { calls.push_back("hide"); }
    void warn(const std::string& t) override {
        warnings.push_back(t);
        calls.push_back("warn");
    }
    bool askYesNo(const std::string&) override {
        calls.push_back("ask");
        return answer;
    }
};

inline base::Lines twoNets() {
    return {sj(u8"テストネット"),
            "NETA",
            "999",
            "0",
            "ABCD0123",
            "TARO",
            sj(u8"太郎"),
            "KTBBS",
            "",
            "",
            "NET B",
            "NETB",
            "999",
            "0",
            "B0000001",
            "bee",
            "Bee",
            "KTBBS",
            "",
            ""};
}

// The style files as the program ships them.
inline void installStyles(const std::string& folder) {
    for (int i = 0; i < writers::kStyleCount; ++i) {
        const std::string name = writers::TextStyleModel::fileName(i);
        base::replaceFile(folder + "/" + name,
                          base::readFile(std::string(TARNO_SOURCE_DIR) + "/data/" + name));
    }
}

struct WriterFixture {
    testing_support::TempDir dir;
    base::VirtualLoop loop{base::makeDateTime(2026, 12, 8, 9, 5, 7)};
    shell::NetList nets{dir.path(), twoNets()};
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    RecordingStyleHost styleHost;
    writers::TextStyleModel styles{loop, styleHost, dir.path()};
    ScriptedDialogs dialogs;
    bool& running = macroHost.running; // the writers and the net manager see the same run

    WriterFixture() {
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
        installStyles(dir.path());
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.setChecked(macro::Step::QUIT, true);
        macro.Convert();
    }

    writers::WriterContext context() {
        return {loop, nets, macro, styles, dialogs, [this] { return running; }};
    }
    base::Lines netMac(const std::string& folder = "NETA") const {
        return base::readLines(dir.file(folder + "/NET.MAC"));
    }
    // NET.MAC of net A without its three fixed lines and QUIT: the reservations.
    base::Lines reserved() const {
        base::Lines l = netMac();
        return base::Lines(l.begin() + 3, l.end() - 1);
    }
    // The style dialog is closed as the user would close it.
    void closeStyle() { styles.close(); }
};

} // namespace writers_test
