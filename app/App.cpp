#include "app/App.h"

#include "base/Path.h"
#include "engine/TVazevForm.h"
#include "macro/TMacroForm.h"
#include "shell/TABOUTForm.h"
#include "shell/TFrameForm.h"
#include "shell/TSettingForm.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"
#include "transfer/TProtForm.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace app {

// Start-up order: the main window, the settings window (which loads the net list), the
// about box, then the net manager, whose net list needs the loaded net list.
App::App(const std::string& demoFixture)
    : frameModel_(*this), frame_(std::make_unique<shell::TFrameForm>(frameModel_, *this)),
      settingModel_(nets_, frameModel_.fonts(), *this),
      settings_(std::make_unique<shell::TSettingForm>(settingModel_)),
      about_(std::make_unique<shell::TABOUT>(
          [this](bool enabled) { setMainAndMacroEnabled(enabled); })),
      macroModel_(nets_, *this), comm_(loop_), port_(comm_),
      vazev_({loop_, port_, nets_, settingModel_.modems(), macroModel_, errorLog_, *this, "."}) {
    settingModel_.loadNetList();
    macro_ = std::make_unique<macro::TMacroForm>(macroModel_);
    errorLog_.load();

    // The terminal and its line. A net on the "sim:" line talks to the simulated modem and
    // host over the demo data set; without that data set the line cannot be opened.
    port_.attach(&vazev_);
    if (!demoFixture.empty()) {
        try {
            simPeer_ = std::make_unique<sim::SimLinePeer>(loop_, sim::loadFixture(demoFixture));
            comm_.setSimLine(simPeer_.get());
        } catch (const sim::FixtureError&) {
        }
    }
    vazevForm_ = std::make_unique<engine::TVazevForm>(vazev_);
    wireTransfer();
    {
        QAction* a = frame_->action("ConnectButton");
        if (a) {
            a->setEnabled(true);
            QObject::connect(a, &QAction::triggered, frame_.get(), [this] {
                if (macroModel_.selectedNet() < 0)
                    return;
                showMacroWindow();
                macroModel_.BitBtn2Click();
            });
        }
    }

    frame_->setOnNetSelected([this](int index) { macroModel_.ListBox1Click(index); });
    for (const char* name : {"StartButton", "NetManager"}) {
        QAction* a = frame_->action(name);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [this] { showMacroWindow(); });
    }
}

App::~App() = default;

// The file transfer: the engine starts it from its rules, and the terminal's "M-DOWN" and
// "M-UP" start it by hand.
void App::wireTransfer() {
    protForm_ = std::make_unique<transfer::TProtForm>(transfer_.model());
    vazev_.setTransfer(&transfer_);
    vazevForm_->setManualTransfer([this] { transfer_.startDownload(); },
                                  [this] { chooseUpload(); });
}

// "M-UP": the file dialog, which must not move the data folder, then the upload. The path
// goes as Shift-JIS text when it can be one (the host is told the name in Shift-JIS), else
// as the disk spells it.
void App::chooseUpload() {
    const QString cwd = QDir::currentPath();
    const QString file =
        QFileDialog::getOpenFileName(vazevForm_.get(), ui::tr8(u8"アップロードファイルの指定"));
    QDir::setCurrent(cwd);
    if (file.isEmpty())
        return;
    const std::string sjis = ui::fromQ(file);
    transfer_.startUpload(ui::toQ(sjis) == file ? sjis : QFile::encodeName(file).toStdString());
}

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

bool App::provides(macro::Feature f) const {
    return f == macro::Feature::Run;
}

void App::showTerminal() {
    vazevForm_->show();
    vazevForm_->raise();
    vazevForm_->activateWindow();
    // While a run is on, the terminal is the program's only window.
    macro_->hide();
    frame_->hide();
}

void App::startAutoLogin() {
    vazev_.AutoLoginClick();
}

void App::showMainWindow() {
    frame_->showMaximized();
}

void App::hideTerminal() {
    vazevForm_->hide();
}

// Until the capture import exists, a run's lines go to the net's monthly archive and the
// capture log is kept for the import to come.
bool App::LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) {
    const std::string shortName = nets_.field(netNo, shell::kShortName);
    if (shortName.empty())
        return false;
    const std::string date = base::shortDate(loop_.localNow());
    const std::string archive =
        shortName + "/" + shortName + date.substr(0, 2) + date.substr(3, 2) + ".LOG";
    base::Lines run(lines.begin() + 1, lines.begin() + writePointer + 1);
    try {
        base::appendLines(archive, run);
    } catch (const base::FileError& e) {
        warn(e.what());
        return false;
    }
    return true;
}

void App::showMacroWindow() {
    macro_->show();
    macro_->raise();
    macro_->activateWindow();
}

} // namespace app
