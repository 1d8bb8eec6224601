#pragma once
// A data folder with two nets and their store files written as the import leaves them
// (Shift-JIS, CR LF), a net manager over it, and a ViewerHost that records every call.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"
#include "viewers/ViewerHost.h"

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

struct RecordingViewerHost : viewers::ViewerHost {
    std::vector<std::string> calls; // "warn:", "ask:", "sorry:", "status:" + Shift-JIS text
    std::deque<bool> answers;       // answers to ask(), Yes when none are left
    int lastProgress = -1;
    int memberListShown = 0;

    void warn(const std::string& t) override { calls.push_back("warn:" + t); }
    bool ask(const std::string& t) override {
        calls.push_back("ask:" + t);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void sorry(const std::string& t) override { calls.push_back("sorry:" + t); }
    void showStatus(const std::string& t) override { calls.push_back("status:" + t); }
    void showProgress(int p) override { lastProgress = p; }
    void showMemberList() override { ++memberListShown; }

    std::vector<std::string> only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(kind + ":", 0) == 0)
                out.push_back(c.substr(kind.size() + 1));
        return out;
    }
};

// One stored message as the import writes it from the host's output.
inline base::Lines message(int number, const std::string& author, const std::string& date,
                           const std::string& subject, const base::Lines& body = {},
                           int section = 1) {
    char head[64], time[96];
    std::snprintf(head, sizeof head, "Message  #%04d   from: ", number);
    std::snprintf(time, sizeof time, "Time: %s  Section %02d: ", date.c_str(), section);
    base::Lines out = {head + author, time + base::sj(u8"雑談"), "Subj: " + subject};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline std::string reply(int to, const std::string& subject) {
    char b[16];
    std::snprintf(b, sizeof b, "Re:%04d) ", to);
    return b + subject;
}

inline base::Lines join(std::initializer_list<base::Lines> parts) {
    base::Lines out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct ViewerFixture {
    testing_support::TempDir dir;
    shell::NetList nets;
    RecordingMacroHost macroHost;
    macro::MacroModel macro;
    RecordingViewerHost host;

    static base::Lines netRecords() {
        base::Lines out;
        const base::Lines a = {base::sj(u8"テストネット"),
                               "TNET",
                               "999",
                               "0",
                               "TARNO001",
                               "PW",
                               base::sj(u8"たるの"),
                               "KTBBS",
                               "26/12/05 12:00:00",
                               ""};
        const base::Lines b = {"SECOND", "SNET", "999", "0", "ID", "PW", "H", "KTBBS", "", ""};
        out.insert(out.end(), a.begin(), a.end());
        out.insert(out.end(), b.begin(), b.end());
        return out;
    }

    ViewerFixture() : nets(dir.path(), netRecords()), macro(nets, macroHost, dir.path()) {
        macroHost.provideAll();
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
        base::makeDirs(dir.file("TNET"));
        base::makeDirs(dir.file("SNET"));
        macro.FormShow();
    }

    std::string file(const std::string& name) const { return dir.file("TNET/" + name); }
    void write(const std::string& name, const base::Lines& lines) const {
        base::replaceLines(file(name), lines);
    }
    void boards(const base::Lines& lines) const { write("MBOARD.LST", lines); }
    // Chooses net `n` in the net manager, as a click in its net list does.
    void chooseNet(int n) { macro.ListBox1Click(n); }
};
