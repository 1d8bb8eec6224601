#pragma once
// The composition root: creates the models and the long-lived windows in start-up order,
// hands each the others it needs, and carries the calls between windows.
#include "app/Desktop.h"
#include "shell/FrameModel.h"
#include "shell/NetList.h"
#include "shell/SettingModel.h"
#include "ui/QtLoop.h"

#include <memory>

namespace shell {
class TABOUT;
class TFrameForm;
class TSettingForm;
} // namespace shell

namespace app {

class App : public Desktop, public shell::SettingHost, public shell::FrameHost {
public:
    App();
    ~App() override;

    // Shows the main window maximised; its first show runs the start-up.
    void show();

    shell::TFrameForm& frame() { return *frame_; }
    shell::TSettingForm& settings() { return *settings_; }
    shell::TABOUT& about() { return *about_; }

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

private:
    ui::QtLoop loop_;
    shell::NetList nets_;
    shell::FrameModel frameModel_;
    std::unique_ptr<shell::TFrameForm> frame_;
    shell::SettingModel settingModel_;
    std::unique_ptr<shell::TSettingForm> settings_;
    std::unique_ptr<shell::TABOUT> about_;
};

} // namespace app
