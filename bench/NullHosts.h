#pragma once
// The engine's surroundings with nothing behind them, for benchmarks that drive the
// terminal model alone: a line that swallows what is sent, a run host whose import does
// nothing, and a net manager host with no windows.
#include "base/ErrorLog.h"
#include "base/VirtualLoop.h"
#include "engine/EnginePort.h"
#include "engine/RunHost.h"
#include "engine/VazevModel.h"
#include "macro/MacroHost.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"

#include <string>

namespace bench {

struct NullPort : engine::EnginePort {
    bool open_;
    explicit NullPort(bool openAtStart = false) : open_(openAtStart) {}
    bool open(int, int) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void write(std::string_view) override {}
};

struct NullRunHost : engine::RunHost {
    bool LogConv(const std::vector<std::string>&, int, int) override { return true; }
};

struct NullMacroHost : macro::MacroHost {
    bool runs = false; // whether the net manager may start runs
    void warn(const std::string&) override {}
    void setMainNetSelector(const std::vector<std::string>&, int) override {}
    void selectMainNet(int) override {}
    void showSettings(shell::SettingPage) override {}
    void showAbout() override {}
    void hideMacroWindow() override {}
    bool provides(macro::Feature f) const override { return runs && f == macro::Feature::Run; }
};

// The terminal model over those, with one net "BENCH" (number 999, a direct line), on a
// folder of its own.
struct EngineRig {
    base::VirtualLoop loop;
    shell::NetList nets;
    shell::ModemSettings modems = shell::defaultModemSettings();
    NullMacroHost macroHost;
    macro::MacroModel macro;
    base::ErrorLog errors;
    NullPort port;
    NullRunHost host;
    engine::VazevModel model;

    EngineRig(const std::string& folder, bool portOpen)
        : nets(folder, {"B", "BENCH", "999", "0", "ID", "PW", "H", "KTBBS", "", ""}),
          macro(nets, macroHost, folder), errors(folder + "/ERROR.LOG"), port(portOpen),
          model({loop, port, nets, modems, macro, errors, host, folder}) {}
};

} // namespace bench
