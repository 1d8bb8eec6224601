#pragma once
// The engine's surroundings with nothing behind them, for benchmarks that drive the
// terminal model alone: a line that swallows what is sent, a run host whose import does
// nothing, and a net manager host with no windows.
#include "engine/EnginePort.h"
#include "engine/RunHost.h"
#include "macro/MacroHost.h"

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

} // namespace bench
