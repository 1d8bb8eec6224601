#include "app/App.h"

#include "shell/TABOUTForm.h"
#include "shell/TFrameForm.h"
#include "shell/TSettingForm.h"
#include "ui/Dialogs.h"

#include <QApplication>

namespace app {

// Start-up order: the main window, then the settings window (which loads the net list),
// then the about box.
App::App()
    : frameModel_(*this), frame_(std::make_unique<shell::TFrameForm>(frameModel_, *this)),
      settingModel_(nets_, frameModel_.fonts(), *this),
      settings_(std::make_unique<shell::TSettingForm>(settingModel_)),
      about_(std::make_unique<shell::TABOUT>(
          [this](bool enabled) { setMainAndMacroEnabled(enabled); })) {
    settingModel_.loadNetList();
}

App::~App() = default;

void App::show() {
    frame_->showMaximized();
}

void App::warn(const std::string& sjisText) {
    ui::warn(frame_.get(), sjisText);
}

bool App::ask(const std::string& sjisText) {
    return ui::askYesNo(frame_.get(), sjisText);
}

void App::showSettings(shell::SettingPage page) {
    settings_->showPage(page);
}

void App::showAbout() {
    about_->open();
}

void App::startUp() {
    frameModel_.START(settingModel_);
    // A capture log left by an interrupted run is recovered by the import; until the
    // import exists it is left untouched.
    frame_->setNetSelector(nets_.names(), -1);
}

void App::closing() {
    frameModel_.FormCloseQuery(settingModel_);
    QApplication::quit();
}

void App::setMainAndMacroEnabled(bool enabled) {
    frame_->setEnabled(enabled);
}

void App::reloadMacroNetList() {
    frame_->setNetSelector(nets_.names(), -1);
}

void App::setMacroNetNo(const std::string&) {}

} // namespace app
