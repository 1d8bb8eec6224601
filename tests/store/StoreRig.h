#pragma once
// The import over a temporary data folder with one net ("NET1"), a recording host, and -
// for whole runs - the terminal engine wired to the simulated modem and host, all on one
// VirtualLoop, so a run and its import happen without a line, a window or the wall clock.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "sim/Fixture.h"
#include "sim/Simulator.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/SimPort.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace store_test {

using base::sj;

// Lines from UTF-8 texts, as the capture would hold them.
// The fixed steps of a run that reads everything, from the dial to the lists, without the
// log-out.
inline base::Lines everyReadingStep() {
    return {"SETKTBBS",
            "DIAL{0}",
            "LOGIN",
            "MBOARD",
            "FBOARD",
            "NEWMESSAGE",
            "MIDOKU :26/12/05 00:00:00",
            "NEWFILE",
            "MEMBOR",
            "MLISTDOWN : 01#1",
            "FLISTDOWN : 01#1"};
}

inline base::Lines sjLines(std::initializer_list<const char8_t*> lines) {
    base::Lines out;
    for (const char8_t* l : lines)
        out.push_back(sj(l));
    return out;
}

// Every call, in order, as text; questions answered from `answers` (No when empty).
struct RecordingImportHost : store::ImportHost {
    std::vector<std::string> calls;
    std::vector<std::string> statuses;
    std::vector<std::string> panels; // the reorganise dialog's board field at each change
    std::vector<bool> answers;
    std::vector<std::string> questions;
    std::vector<std::string> warnings;
    store::LogEditModel* logEdit = nullptr;
    int progressCalls = 0;
    int lastProgress = -1;
    int maxProgress = -1;

    void progressMax(int n) override { maxProgress = n; }
    void progress(int n) override {
        ++progressCalls;
        lastProgress = n;
    }
    void status(const std::string& s) override { statuses.push_back(s); }
    void openReorganiser() override { calls.push_back("showLogEdit"); }
    void reorganiserChanged() override {
        panels.push_back(logEdit ? logEdit->Panel1 : "");
        calls.push_back(std::string("go:") + (logEdit && logEdit->CheckBox1 ? "delete" : "keep"));
    }
    void closeReorganiser() override { calls.push_back("closeLogEdit"); }
    void NetNoChange() override { calls.push_back("NetNoChange"); }
    bool ask(const std::string& q) override {
        questions.push_back(q);
        calls.push_back("ask");
        if (answers.empty())
            return false;
        bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void warn(const std::string& w) override {
        warnings.push_back(w);
        calls.push_back("warn");
    }
    void openMailBox() override { calls.push_back("openMailBox"); }
    void selectNet(int n) override { calls.push_back("selectNet:" + std::to_string(n)); }
    std::vector<std::string> loaded; // the line table a loaded file became
    void tableLoaded(const std::vector<std::string>& l) override { loaded = l; }
};

inline base::Lines netRecord(const std::string& shortName = "NET1") {
    return {sj(u8"テストネット"), shortName, "0312345678", "0", "TARNO001", "tarno",
            sj(u8"たーの"),       "KTBBS",   "",           ""};
}

// The import of one net's store in a temporary folder.
struct ImportRig {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    shell::NetList nets{dir.path(), netRecord()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    store::LogEditModel logEdit{loop, errors, dir.path()};
    RecordingImportHost host;
    store::ConvModel conv{{loop, nets, logEdit, errors, host, dir.path()}};

    // nestedLevels: how deep the data folder lies inside the test's temporary tree.
    explicit ImportRig(int nestedLevels = 0) : dir(nestedLevels) {
        host.logEdit = &logEdit;
        base::makeDirs(dir.file("NET1"));
        nets.save();
    }
    std::string net(const std::string& name) const { return dir.file("NET1/" + name); }
    base::Lines read(const std::string& name) const {
        base::Lines l;
        base::readLinesIfExists(net(name), l);
        return l;
    }
    // A file's lines imported as the manual import does: entries 0.., WP = their count.
    bool importLines(const base::Lines& lines) {
        return conv.Conv(lines, static_cast<int>(lines.size()), 0);
    }
    bool importFile(const std::string& dataFile) {
        return importLines(
            base::readLines(std::string(TARNO_SOURCE_DIR) + "/tests/data/store/" + dataFile));
    }
};

// The end of the run hands the table to the import, as the program does.
struct ImportingRunHost : engine::RunHost {
    store::ConvModel* conv = nullptr;
    bool ended = false;
    bool result = false;
    std::vector<std::string> lines;
    int writePointer = 0;
    bool LogConv(const std::vector<std::string>& l, int wp, int net) override {
        ended = true;
        lines.assign(l.begin(), l.begin() + wp + 1);
        writePointer = wp;
        result = conv->LogConv(l, wp, net);
        return result;
    }
};

// A whole run of the engine against the simulated host, then the import.
struct RunRig : ImportRig {
    shell::ModemSettings modems = shell::defaultModemSettings();
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<testing_support::SimPort> port;
    ImportingRunHost runHost;
    std::unique_ptr<engine::VazevModel> engine;

    // `edit` changes the host's data set before the run (an article added, say).
    explicit RunRig(sim::SimOptions options = {},
                    const std::function<void(sim::DataSet&)>& edit = {}) {
        modems[0] = {"M", "ATDT", "ATZ", 5, 1, 9600, false};
        macroHost.provided.insert(macro::Feature::Run);
        // The run has no file transfer: the demo's binary mail stays on the host.
        sim::DataSet data = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
        std::erase_if(data.mail, [](const sim::Mail& m) { return m.binary; });
        if (edit)
            edit(data);
        simulator = std::make_unique<sim::Simulator>(loop, std::move(data), options);
        port = std::make_unique<testing_support::SimPort>(loop, *simulator);
        runHost.conv = &conv;
        engine = std::make_unique<engine::VazevModel>(engine::VazevModel::Deps{
            loop, *port, nets, modems, macro, errors, runHost, dir.path()});
        port->connect(*engine);
    }

    // Runs the net with this NET.MAC until the run has ended and been imported; false when
    // it did not end within the bound.
    bool run(const base::Lines& netMac, int boundMs = 30 * 60 * 1000) {
        base::replaceLines(net("NET.MAC"), netMac);
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
        engine->AutoLoginClick();
        for (int t = 0; t < boundMs && !runHost.ended; t += 100)
            loop.advance(100);
        return runHost.ended;
    }
};

} // namespace store_test
