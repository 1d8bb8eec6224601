#pragma once
// One whole run of the program's models against the simulated modem and host, in virtual
// time: net list, net manager, terminal engine, MLINK transfer and the capture import with
// its reorganiser, on a data folder that outlives the rig. A rig can be abandoned in the
// middle of a run (a kill: nothing of the end of the run happens, the line just goes away),
// and a new rig on the same folder and the host's data set left behind makes the next run,
// with the recovery of the capture the first one left.
#include "app/Runner.h"
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "macro/ReserveList.h"
#include "shell/ModemSetting.h"
#include "shell/NetList.h"
#include "sim/Simulator.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"
#include "tests/engine/EngineHarness.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/SimPort.h"
#include "transfer/EngineTransfer.h"

#include <string>
#include <vector>

namespace e2e_test {

struct RunRig : engine::RunHost, store::ImportHost {
    const std::string folder;
    base::VirtualLoop loop;
    sim::Simulator sim;
    shell::NetList nets{folder, engine_test::netRecord()};
    shell::ModemSettings modems = shell::defaultModemSettings();
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, folder};
    base::ErrorLog errors{folder + "/ERROR.LOG"};
    testing_support::SimPort port{loop, sim};
    engine_test::RecordingView view;
    engine::VazevModel model{{loop, port, nets, modems, macro, errors, *this, folder}};
    transfer::EngineTransfer transfer{model, folder};
    store::LogEditModel logEdit{loop, errors, folder};
    store::ConvModel conv{{loop, nets, logEdit, errors, *this, folder}};

    bool finished = false;
    bool imported = false;
    bool failImport = false; // the end-of-run import fails (a full disk)

    RunRig(const std::string& dataFolder, sim::DataSet hostData, sim::SimOptions options = {})
        : folder(dataFolder), sim(loop, std::move(hostData), options) {
        port.connect(model);
        modems[0] = {"M", "ATDT", "ATZ", 30, 1, 38400, false};
        model.setView(&view);
        model.setTransfer(&transfer);
        model.setRandomDigit([] { return 7; });
        macroHost.provided.insert(macro::Feature::Run);
        base::makeDirs(folder + "/NET1");
    }
    // A kill: the process is gone, so the line closes; nothing else of the run's end runs.
    // What it had written before is on its way to the host already.
    void kill() {
        loop.advance(0);
        port.close();
    }

    std::string netMacPath() const { return folder + "/NET1/NET.MAC"; }
    void writeNetMac(const base::Lines& mac) const { base::replaceLines(netMacPath(), mac); }

    // Starts the run of net 0 as the net manager's login button does.
    void start() {
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.BitBtn2Click();
        model.AutoLoginClick();
    }
    // Advances virtual time in steps of `stepMs` until the run ends or `limitMs` passed;
    // true when it ended.
    bool runFor(std::int64_t limitMs, int stepMs = 100) {
        const std::int64_t until = loop.nowMs() + limitMs;
        while (!finished && loop.nowMs() < until)
            loop.advance(stepMs);
        return finished;
    }

    // The reservation lines NET.MAC holds (from the first reservation header on).
    base::Lines reservationsLeft() const { return reservationLines(netMacPath()); }
    static base::Lines reservationLines(const std::string& netMac) {
        base::Lines left;
        bool on = false;
        for (const std::string& l : base::readLines(netMac)) {
            on = on || macro::kindOf(l) != macro::BlockKind::None;
            if (on && l != "QUIT")
                left.push_back(l);
        }
        return left;
    }
    bool statusSeen(const std::string& sjis) const {
        for (const std::string& s : view.statuses)
            if (s.find(sjis) != std::string::npos)
                return true;
        return false;
    }

    // RunHost
    bool LogConv(const std::vector<std::string>& lines, int wp, int net) override {
        if (failImport)
            return false;
        imported = conv.LogConv(lines, wp, net);
        return imported;
    }
    void runFinished() override { finished = true; }
    Recovery recoverLeftOverCapture() override { return app::recoverBeforeRun(conv); }
    // ImportHost: the net manager follows the import, the mail box is not opened.
    void NetNoChange() override { macro.NetNoChange(); }
    void selectNet(int net) override { macro.ListBox1Click(net); }
};

} // namespace e2e_test
