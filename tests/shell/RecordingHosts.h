#pragma once
// Test doubles for the hosts of the settings and main-window models: every call is kept
// in order as a line of text, so a test can assert on the whole sequence.
#include "shell/FrameModel.h"
#include "shell/SettingModel.h"

#include <string>
#include <vector>

struct RecordingHost : shell::SettingHost, shell::FrameHost {
    std::vector<std::string> calls;
    void setMainAndMacroEnabled(bool enabled) override {
        calls.push_back(enabled ? "enable" : "disable");
    }
    void reloadMacroNetList() override { calls.push_back("reloadMacro"); }
    void netsRenumbered(const std::vector<int>& origin, int before) override {
        std::string text = "renumbered:";
        for (int n : origin)
            text += std::to_string(n) + ",";
        calls.push_back(text + "of" + std::to_string(before));
    }
    void warn(const std::string& text) override { calls.push_back("warn:" + text); }
    void setMacroNetNo(const std::string& netNo) override { calls.push_back("netNo:" + netNo); }
};
