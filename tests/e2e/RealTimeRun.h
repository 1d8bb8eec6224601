#pragma once
// One net "デモ" (folder DEMO, modem setting 0 at a chosen speed) run by the engine in real
// time through the serial component, on the port COMPORTS.DAT names as COM1: the rig of
// the tests that run the engine against tarno-hostsim as a process. The run is bounded; it
// ends when the engine hands its capture to the import.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/StdLoop.h"
#include "base/Text.h"
#include "comm/TComm.h"
#include "engine/TCommPort.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace e2e_test {

// The demo fixture with a file of `size` bytes as file 9 of file board 1.
inline std::string fixtureWithFile(const testing_support::TempDir& dir, size_t size) {
    const std::string fixture = dir.file("fixture");
    std::filesystem::copy(std::string(TARNO_SOURCE_DIR) + "/data/demo", fixture,
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(fixture + "/MAIL.TXT");
    base::Lines files = base::readLines(fixture + "/FB01.TXT");
    files.insert(files.end(),
                 {"", "*FILE 9", "Name: BIG.BIN", "From: SYSOP", "Date: 2026/12/07 10:00:00",
                  "Comment: test", "Size: " + std::to_string(size), "", "big"});
    base::replaceLines(fixture + "/FB01.TXT", files);
    return fixture;
}

// `size` bytes of a pattern that holds every byte value and repeats only after 256 KiB.
inline std::string patternBytes(size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 151 + (i >> 10)) & 0xFF);
    return out;
}

// tarno-hostsim serving one call of `fixture` on a new pseudo-terminal at `ptyPath`.
inline std::vector<std::string> hostsimOnPty(const std::string& fixture,
                                             const std::string& ptyPath) {
    return {TARNO_HOSTSIM_PATH, "--once", "--fixture", fixture, "--dial-delay", "200",
            "--guard",          "300",    "--pty",     ptyPath};
}

struct Statuses : engine::TerminalView {
    std::vector<std::string> seen;
    void status(const std::string& s) override { seen.push_back(s); }
    bool has(const std::string& s) const {
        for (const auto& x : seen)
            if (x == s)
                return true;
        return false;
    }
    bool startsWithAny(const std::string& s) const {
        for (const auto& x : seen)
            if (base::startsWith(x, s))
                return true;
        return false;
    }
};

// Keeps the capture the engine hands to the import, and ends the loop.
struct EndOfRun : engine::RunHost {
    base::StdLoop* loop = nullptr;
    int writePointer = -1;
    std::vector<std::string> lines;
    bool LogConv(const std::vector<std::string>& l, int wp, int) override {
        writePointer = wp;
        lines.assign(l.begin(), l.begin() + wp + 1);
        loop->quit();
        return true;
    }
};

struct RealTimeRun {
    // `device` is written to COMPORTS.DAT as COM1; `netMac` is the net's command file.
    RealTimeRun(const testing_support::TempDir& dir, const std::string& device, int bitRate,
                const base::Lines& netMac)
        : nets{dir.path(),
               {base::sj(u8"デモ"), "DEMO", "0312345678", "0", "TARNO001", "tarno",
                base::sj(u8"たーの"), "KTBBS", "", ""}},
          modems{shell::defaultModemSettings()}, macro{nets, macroHost, dir.path()},
          errors{dir.file("ERROR.LOG")}, comm{loop}, port{comm}, model{{loop, port, nets, modems,
                                                                        macro, errors, host,
                                                                        dir.path()}} {
        base::replaceLines(dir.file("COMPORTS.DAT"),
                           {device, "/dev/null", "/dev/null", "/dev/null"});
        modems[0] = {"M", "ATDT", "ATZ", 5, 1, bitRate, false};
        macroHost.provided.insert(macro::Feature::Run);
        base::makeDirs(dir.file("DEMO"));
        base::replaceLines(dir.file("DEMO/NET.MAC"), netMac);
        comm.setComPortsFolder(dir.path());
        host.loop = &loop;
        port.attach(&model);
        model.setView(&view);
    }

    // Loads the net, starts the auto-login and runs the loop until the run has ended or
    // `boundMs` have passed; false when the bound stopped it.
    bool run(int boundMs) {
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
        bool timedOut = false;
        loop.startTimer(
            boundMs,
            [&] {
                timedOut = true;
                loop.quit();
            },
            false);
        loop.post([&] { model.AutoLoginClick(); });
        loop.run();
        comm.Close();
        return !timedOut;
    }

    base::StdLoop loop;
    shell::NetList nets;
    shell::ModemSettings modems;
    RecordingMacroHost macroHost;
    macro::MacroModel macro;
    base::ErrorLog errors;
    comm::TComm comm;
    engine::TCommPort port;
    EndOfRun host;
    engine::VazevModel model;
    Statuses view;
};

} // namespace e2e_test
