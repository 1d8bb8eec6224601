#include "app/App.h"

#include "base/Path.h"
#include "engine/TVazevForm.h"
#include "macro/TMacroForm.h"
#include "shell/TABOUTForm.h"
#include "shell/TFrameForm.h"
#include "shell/TSettingForm.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"
#include "store/TErrorLogForm.h"
#include "store/TLogEditForm.h"
#include "store/TNamaLogForm.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>

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
      vazev_({loop_, port_, nets_, settingModel_.modems(), macroModel_, errorLog_, *this, "."}),
      logEditModel_(loop_, errorLog_),
      convModel_({loop_, nets_, logEditModel_, errorLog_, *this, "."}) {
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

    // The store's windows: the reorganiser, the error log (over the one log the engine
    // writes to) and the raw log view over the terminal's line table.
    logEditForm_ = std::make_unique<store::TLogEditForm>(
        logEditModel_, [this](bool enabled) { setMainAndMacroEnabled(enabled); });
    errorLogForm_ = std::make_unique<store::TErrorLogForm>(errorLog_);
    namaLogForm_ = std::make_unique<store::TNamaLogForm>(
        [this]() -> const std::vector<std::string>& { return vazev_.Lines(); },
        [this] { return vazev_.WritePointer(); });
    for (auto [name, window] :
         {std::pair<const char*, QWidget*>{"RawLog", namaLogForm_.get()},
          std::pair<const char*, QWidget*>{"ErrorLog", errorLogForm_.get()}}) {
        QAction* a = frame_->action(name);
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [window] {
            window->show();
            window->raise();
            window->activateWindow();
        });
    }

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
    const bool settingsRead = frameModel_.START(settingModel_);
    // The net manager lists the nets and gives the main window's selector the same list.
    macroModel_.FormShow();
    // A capture log left by an interrupted run is offered to the import, unless the
    // settings could not be read.
    if (settingsRead)
        convModel_.recoverCaptureLog();
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
    return f == macro::Feature::Run || f == macro::Feature::LogImport ||
           f == macro::Feature::LogEdit;
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

bool App::LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) {
    return convModel_.LogConv(lines, writePointer, netNo);
}

// ---- The board store ----

void App::showLogEdit() {
    const int board = macroModel_.selectedBoard();
    const auto& boards = macroModel_.boardLines();
    const std::string line = board >= 0 && board < static_cast<int>(boards.size())
                                 ? boards[static_cast<size_t>(board)]
                                 : std::string();
    logEditForm_->open(nets_.field(macroModel_.currentNet(), shell::kShortName), line);
}

void App::hideErrorLog() {
    errorLogForm_->close();
}

void App::importLog(const base::Lines& lines) {
    convModel_.Conv(lines, static_cast<int>(lines.size()), macroModel_.currentNet());
}

void App::progressMax(int max) {
    progressMax_ = max;
    progressPercent_ = 0;
    frame_->setProgress(0);
}

void App::progress(int line) {
    const int percent = progressMax_ > 0 ? static_cast<int>(100LL * line / progressMax_) : 0;
    if (percent != progressPercent_) {
        progressPercent_ = percent;
        frame_->setProgress(percent);
        if (auto* bar = frame_->findChild<QWidget*>("ProgressBar"))
            bar->repaint();
    }
}

void App::status(const std::string& sjisText) {
    frame_->setStatusText(sjisText);
}

// Paints the main window (status text, progress bar) and the reorganise dialog at once,
// without running other events: a timer or a line event handled in the middle of an
// import could start a run over the table being imported.
void App::repaint() {
    frame_->repaint();
    if (logEditForm_->isVisible())
        logEditForm_->repaint();
}

void App::openReorganiser() {
    logEditForm_->showForImport();
}

void App::reorganiserChanged() {
    logEditForm_->refresh();
}

void App::closeReorganiser() {
    logEditForm_->refresh();
    logEditForm_->close();
}

void App::NetNoChange() {
    macroModel_.NetNoChange();
}

// The mail viewer is not part of the program yet: its hook does nothing until it is.
void App::openMailBox() {
    openMailViewer();
}

void App::selectNet(int net) {
    macroModel_.ListBox1Click(net);
}

void App::showMacroWindow() {
    macro_->show();
    macro_->raise();
    macro_->activateWindow();
}

} // namespace app
