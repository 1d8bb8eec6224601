#pragma once
// The composition root: creates the models and the long-lived windows in start-up order,
// hands each the others it needs, and carries the calls between windows.
#include "app/Desktop.h"
#include "macro/MacroHost.h"
#include "macro/MacroModel.h"
#include "shell/FrameModel.h"
#include "shell/NetList.h"
#include "shell/SettingModel.h"
#include "ui/QtLoop.h"

#include <memory>

namespace macro {
class TMacroForm;
}
namespace shell {
class TABOUT;
class TFrameForm;
class TSettingForm;
} // namespace shell

namespace app {

class App : public Desktop,
            public shell::SettingHost,
            public shell::FrameHost,
            public macro::MacroHost {
public:
    App();
    ~App() override;

    // Shows the main window maximised; its first show runs the start-up.
    void show();

    shell::TFrameForm& frame() { return *frame_; }
    shell::TSettingForm& settings() { return *settings_; }
    shell::TABOUT& about() { return *about_; }
    macro::TMacroForm& macroWindow() { return *macro_; }

    // Desktop
    void warn(const std::string& sjisText) override;
    bool ask(const std::string& sjisText) override;
    void showSettings(shell::SettingPage page) override;
    void showAbout() override;
    void startUp() override;
    void closing() override;

    // SettingHost, FrameHost
    void setMainAndMacroEnabled(bool enabled) override;
    void reloadMacroNetList() override;
    void setMacroNetNo(const std::string& netNo) override;

    // MacroHost
    void setMainNetSelector(const std::vector<std::string>& names, int selected) override;
    void selectMainNet(int index) override;
    void hideMacroWindow() override;

    // The net manager, shown from the main window's "ｽﾀｰﾄ" and F12.
    void showMacroWindow();

private:
    ui::QtLoop loop_;
    shell::NetList nets_;
    shell::FrameModel frameModel_;
    std::unique_ptr<shell::TFrameForm> frame_;
    shell::SettingModel settingModel_;
    std::unique_ptr<shell::TSettingForm> settings_;
    std::unique_ptr<shell::TABOUT> about_;
    macro::MacroModel macroModel_;
    std::unique_ptr<macro::TMacroForm> macro_;
};

} // namespace app
