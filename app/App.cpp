#include "app/App.h"

#include "macro/TMacroForm.h"
#include "shell/TABOUTForm.h"
#include "shell/TFrameForm.h"
#include "shell/TSettingForm.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>

namespace app {

// Start-up order: the main window, the settings window (which loads the net list), the
// about box, then the net manager, whose net list needs the loaded net list.
App::App()
    : frameModel_(*this), frame_(std::make_unique<shell::TFrameForm>(frameModel_, *this)),
      settingModel_(nets_, frameModel_.fonts(), *this),
      settings_(std::make_unique<shell::TSettingForm>(settingModel_)),
      about_(std::make_unique<shell::TABOUT>(
          [this](bool enabled) { setMainAndMacroEnabled(enabled); })),
      macroModel_(nets_, *this) {
    settingModel_.loadNetList();
    macro_ = std::make_unique<macro::TMacroForm>(macroModel_);

    frame_->setOnNetSelected([this](int index) { macroModel_.ListBox1Click(index); });
    for (const char* name : {"StartButton", "NetManager"}) {
        QAction* a = frame_->action(name);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [this] { showMacroWindow(); });
    }
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
    // The net manager lists the nets and gives the main window's selector the same list.
    macroModel_.FormShow();
    // A capture log left by an interrupted run is recovered by the import; until the
    // import exists it is left untouched.
}

void App::closing() {
    // The net shown in the net manager is saved as if the user had left it.
    macroModel_.FormClose();
    frameModel_.FormCloseQuery(settingModel_);
    QApplication::quit();
}

void App::setMainAndMacroEnabled(bool enabled) {
    frame_->setEnabled(enabled);
    macro_->setEnabled(enabled);
}

void App::reloadMacroNetList() {
    macroModel_.reloadNetList();
}

void App::setMacroNetNo(const std::string& netNo) {
    macroModel_.setNetNo(netNo);
}

void App::setMainNetSelector(const std::vector<std::string>& names, int selected) {
    frame_->setNetSelector(names, selected);
}

void App::selectMainNet(int index) {
    frame_->selectNet(index);
}

void App::hideMacroWindow() {
    macro_->hide();
}

void App::showMacroWindow() {
    macro_->show();
    macro_->raise();
    macro_->activateWindow();
}

} // namespace app
