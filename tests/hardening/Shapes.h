#pragma once
// An old and a new content of each file the program rewrites whole, in the shapes the
// program writes them: the net list, the settings file, a net's command file, the timer
// schedule, and the store's board list, message list and board file (a reorganised or
// edited board is written whole; received messages and mail are only ever appended).
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "macro/ReserveList.h"
#include "macro/TimerEntry.h"
#include "shell/NetList.h"
#include "shell/SettingsFile.h"

#include <dirent.h>

#include <cstdio>
#include <string>
#include <vector>

namespace hardening_test {

struct Shape {
    std::string file;
    base::Lines before, after;
};

inline base::Lines netRecords(int nets, const std::string& password) {
    base::Lines out;
    for (int n = 0; n < nets; ++n) {
        base::Lines r = shell::NetList::newNetLines();
        r[shell::kNetName] = base::sj(u8"テストネット") + std::to_string(n);
        r[shell::kShortName] = "NET" + std::to_string(n);
        r[shell::kPassword] = password;
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

inline base::Lines commandFile(int blocks) {
    base::Lines out = {"SETKTBBS", "DIAL{0}", "LOGIN", "MIDOKU"};
    for (int i = 0; i < blocks; ++i) {
        base::Lines b = macro::ReserveList::makeBlock(
            "NEWW 1 " + base::sj(u8"題名") + std::to_string(i),
            {base::sj(u8"本文の一行目です．"), "//", std::string(70, 'x')});
        out.insert(out.end(), b.begin(), b.end());
    }
    out.push_back("QUIT");
    return out;
}

inline base::Lines timerLines(int entries, bool done) {
    base::Lines out;
    for (int i = 0; i < entries; ++i) {
        macro::TimerEntry e;
        e.net = i;
        e.name = macro::fitField(base::sj(u8"ネット") + std::to_string(i), 16);
        e.weekday = base::sj(u8"月曜日");
        e.hour = i % 24;
        e.everyTime = true;
        e.done = done;
        out.push_back(macro::formatTimerLine(e));
    }
    return out;
}

// A board file of `count` messages from `first` on, as the import stores them.
inline base::Lines boardFile(int first, int count) {
    base::Lines out;
    for (int n = first; n < first + count; ++n) {
        char head[64];
        std::snprintf(head, sizeof head, "Message  #%04d   from: TARNO%03d", n, n % 1000);
        out.push_back(head);
        out.push_back("Time: 26/12/0" + std::to_string(1 + n % 9) + " 10:00:00  Section 01: " +
                      base::sj(u8"雑談"));
        out.push_back("Subj: " + base::sj(u8"件名") + std::to_string(n));
        out.push_back(base::sj(u8"本文です．") + std::string(40, 'm'));
    }
    return out;
}

inline base::Lines boardList(int boards) {
    base::Lines out;
    for (int n = 1; n <= boards; ++n) {
        char line[40];
        std::snprintf(line, sizeof line, "%04d: BOARD%02d ", n, n);
        out.push_back(line + base::sj(u8"雑談の部屋") + std::to_string(n));
    }
    return out;
}

inline base::Lines messageList(int first, int count) {
    base::Lines out;
    for (int n = first; n < first + count; ++n) {
        char line[80];
        std::snprintf(line, sizeof line, "%04d: 26/12/01 10:00 TARNO%03d ", n, n % 1000);
        out.push_back(line + base::sj(u8"件名") + std::to_string(n));
    }
    return out;
}

inline std::vector<Shape> shapes() {
    shell::SettingsFileData oldSettings, newSettings;
    newSettings.browseAll = true;
    newSettings.modems[2].name = base::sj(u8"新しいモデム");
    newSettings.modems[2].initCommand = "AT&F&C1&D2";
    return {
        {shell::NetList::kFileName, netRecords(3, "old"), netRecords(5, "newer-password")},
        {shell::kSettingsFile, shell::settingsLines(oldSettings), shell::settingsLines(newSettings)},
        {"NET.MAC", commandFile(4), commandFile(1)},
        {"Timer.dat", timerLines(6, false), timerLines(7, true)},
        {"MBOARD.LST", boardList(4), boardList(9)},
        {"MBOARD01.LST", messageList(1, 12), messageList(5, 20)},
        {"MBOARD01.DAT", boardFile(1, 6), boardFile(3, 9)},
    };
}

// The names in a folder other than `keep`.
inline std::vector<std::string> othersIn(const std::string& dir, const std::string& keep) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != ".." && n != keep)
                out.push_back(n);
        }
        ::closedir(d);
    }
    return out;
}

} // namespace hardening_test
