#include "app/App.h"

#include "app/Runner.h"

#include "base/Path.h"
#include "engine/TVazevForm.h"
#include "macro/TMacroForm.h"
#include "macro/TTimerSetForm.h"
#include "shell/TABOUTForm.h"
#include "shell/TFrameForm.h"
#include "shell/TSettingForm.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"
#include "store/TErrorLogForm.h"
#include "store/TLogEditForm.h"
#include "store/TNamaLogForm.h"
#include "transfer/TProtForm.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/QtText.h"
#include "viewers/TDownLoadForm.h"
#include "viewers/TMailForm.h"
#include "viewers/TMemborListForm.h"
#include "viewers/TMessageBoardForm.h"
#include "writers/TMailWriteForm.h"
#include "writers/TNewWriteForm.h"
#include "writers/TResWriteForm.h"
#include "writers/TSendTxtEditForm.h"
#include "writers/TTextStyleForm.h"
#include "writers/TUPFileForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>

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
      convModel_({loop_, nets_, logEditModel_, errorLog_, *this, "."}),
      timerModel_(loop_, macroModel_, *this) {
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

    // The store's windows: the reorganiser, the error log (over the one log the engine
    // writes to) and the raw log view over the terminal's line table.
    logEditForm_ = std::make_unique<store::TLogEditForm>(
        logEditModel_, [this](bool enabled) { setMainAndMacroEnabled(enabled); });
    errorLogForm_ = std::make_unique<store::TErrorLogForm>(errorLog_);
    namaLogForm_ = std::make_unique<store::TNamaLogForm>(
        [this]() -> const std::vector<std::string>& {
            return loadedWritePointer_ >= 0 ? loadedLines_ : vazev_.Lines();
        },
        [this] { return loadedWritePointer_ >= 0 ? loadedWritePointer_ : vazev_.WritePointer(); });
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

    // Writing: the text style dialog, then the reservation editor.
    writerDialogs_.setParent(frame_.get());
    textStyleModel_ = std::make_unique<writers::TextStyleModel>(loop_, *this);
    textStyleForm_ = std::make_unique<writers::TTextStyleForm>(*textStyleModel_);
    reserveEditorModel_ = std::make_unique<writers::ReserveEditor>(
        macroModel_, nets_, *this, [this] { return vazev_.running(); });
    reserveEditorForm_ = std::make_unique<writers::TSendTxtEditForm>(*reserveEditorModel_);
    if (QAction* a = frame_->action("TextStyle")) {
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [this] { showTextStyle(); });
    }
    if (QAction* a = frame_->action("ReserveEditButton")) {
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [this] {
            if (frame_->selectedNet() >= 0)
                showReserveEditor();
        });
    }

    // The timer schedule: its clock runs from here on; the menu entry and the net manager's
    // "タイマーログイン" show its window.
    timerModel_.load();
    timerForm_ = std::make_unique<macro::TTimerSetForm>(timerModel_);
    if (QAction* a = frame_->action("TimerAccess")) {
        a->setEnabled(true);
        QObject::connect(a, &QAction::triggered, frame_.get(), [this] { showTimerWindow(); });
    }
    wireViewers();
    macro_->macroChanged(); // the buttons of the windows that now exist

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
    const bool settingsRead = frameModel_.START(settingModel_);
    // The net manager lists the nets and gives the main window's selector the same list.
    macroModel_.FormShow();
    // A capture log left by an interrupted run is offered to the import, unless the
    // settings could not be read.
    if (settingsRead)
        convModel_.recoverCaptureLog();
}

bool App::closing() {
    // Open writers are asked whether to reserve their text before the program ends; a
    // Cancel keeps the writer, its text and the program.
    if (!frame_->closeChildren())
        return false;
    // The net shown in the net manager is saved as if the user had left it.
    macroModel_.FormClose();
    if (timerForm_->isVisible())
        timerForm_->close(); // commits the panel and saves Timer.dat
    frameModel_.FormCloseQuery(settingModel_);
    QApplication::quit();
    return true;
}

void App::setMainAndMacroEnabled(bool enabled) {
    frame_->setEnabled(enabled);
    macro_->setEnabled(enabled);
}

void App::reloadMacroNetList() {
    macroModel_.reloadNetList();
}

void App::netsRenumbered(const std::vector<int>& origin, int before) {
    timerModel_.followNets(origin, before);
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
    switch (f) {
    case macro::Feature::Run:
    case macro::Feature::TextStyle:
    case macro::Feature::ReserveEditor:
    case macro::Feature::NewWriter:
    case macro::Feature::UploadRequest:
    case macro::Feature::ReplyWriter:
    case macro::Feature::MailWriter:
    case macro::Feature::Timer:
    case macro::Feature::BoardViewer:
    case macro::Feature::ArticleList:
    case macro::Feature::MemberList:
    case macro::Feature::MailBox:
    case macro::Feature::LogImport:
    case macro::Feature::LogEdit:
        return true;
    default:
        return false;
    }
}

bool App::runActive() const {
    return vazev_.running();
}

void App::showTerminal() {
    // A question left from the last import is out of date once another run begins.
    if (mailQuestion_)
        mailQuestion_->close();
    vazevForm_->show();
    vazevForm_->raise();
    vazevForm_->activateWindow();
    // While a run is on, the terminal is the program's only window.
    macro_->hide();
    frame_->hide();
}

void App::startAutoLogin() {
    // From now on the terminal's own table is the one received.
    loadedLines_.clear();
    loadedWritePointer_ = -1;
    vazev_.AutoLoginClick();
}

void App::stopTimerClock() {
    timerModel_.setClockEnabled(false);
}

void App::showTimerWindow() {
    timerForm_->open();
}

// The run has ended and its import is done: the schedule may start the next one.
void App::runFinished() {
    timerModel_.setClockEnabled(true);
}

// No timed run while a run is on, while a window that edits shared state keeps the main
// window or the net manager disabled, or while a message box waits for an answer.
bool App::mayStartRun() {
    return !vazev_.running() && !vazevForm_->isVisible() && frame_->isEnabled() &&
           macro_->isEnabled() && !QApplication::activeModalWidget();
}

void App::report(const std::string& sjisText) {
    status(sjisText);
    errorLog_.add(base::ErrorLog::stamped(loop_.localNow(), sjisText));
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

// A capture left behind (the start-up question declined or its import failed, or a run
// killed since) is imported before a run empties the capture log; no question is asked,
// so a timed run is never held up by one.
engine::RunHost::Recovery App::recoverLeftOverCapture() {
    return recoverBeforeRun(convModel_);
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
    tableLoaded(lines);
    convModel_.Conv(lines, static_cast<int>(lines.size()), macroModel_.currentNet());
}

// A loaded file is the line table the raw log view shows until the next run fills the
// terminal's own.
void App::tableLoaded(const std::vector<std::string>& lines) {
    loadedLines_ = lines;
    loadedWritePointer_ = static_cast<int>(lines.size());
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

// The main window's mail box button.
void App::openMailBox() {
    openMailViewer();
}

QMessageBox* App::mailQuestion() const {
    return mailQuestion_;
}

// Asked without waiting: after a timed run nobody may be there to answer, and the clock
// must go on meanwhile.
void App::offerMailBox(const std::string& question) {
    if (mailQuestion_)
        mailQuestion_->close();
    mailQuestion_ = ui::askWithoutWaiting(frame_.get(), question, [this](bool yes) {
        if (yes && !vazev_.running())
            openMailBox();
    });
}

void App::selectNet(int net) {
    macroModel_.ListBox1Click(net);
}

void App::showMacroWindow() {
    macro_->show();
    macro_->raise();
    macro_->activateWindow();
}

// --- Writing ---

writers::WriterContext App::writerContext() {
    writers::WriterContext ctx{loop_, nets_, macroModel_, *textStyleModel_, writerDialogs_, {}};
    ctx.runActive = [this] { return vazev_.running(); };
    return ctx;
}

void App::openWriter(QWidget* writer) {
    QMdiSubWindow* sub = frame_->mdiArea()->addSubWindow(writer);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    frame_->show();
}

static QFont editorFont(const shell::FrameModel& frame) {
    const shell::DisplayFont& f = frame.fonts()[2];
    return ui::resolveFont(ui::toQ(f.name), f.size);
}

void App::openReplyWriter() {
    openWriter(new writers::TResWriteForm(writerContext(), editorFont(frameModel_)));
}

void App::openNewWriter() {
    openWriter(new writers::TNewWriteForm(writerContext(), editorFont(frameModel_)));
}

void App::openMailWriter() {
    openWriter(new writers::TMailWriteForm(writerContext(), editorFont(frameModel_)));
}

void App::openUploadRequest() {
    openWriter(new writers::TUPFileForm(writerContext(), editorFont(frameModel_)));
}

void App::showTextStyle() {
    textStyleModel_->FormShow();
}

void App::showStyleDialog() {
    textStyleForm_->show();
    textStyleForm_->raise();
    textStyleForm_->activateWindow();
}

void App::hideStyleDialog() {
    textStyleForm_->hide();
}

bool App::askYesNo(const std::string& sjisText) {
    return ui::askYesNo(textStyleForm_->isVisible() ? static_cast<QWidget*>(textStyleForm_.get())
                                                    : frame_.get(),
                        sjisText);
}

void App::showReserveEditor() {
    reserveEditorModel_->FormShow();
    reserveEditorForm_->show();
    reserveEditorForm_->raise();
    reserveEditorForm_->activateWindow();
}

std::string App::mainNetText() const {
    const int i = frame_->selectedNet();
    const auto& names = macroModel_.netNames();
    return i >= 0 && i < static_cast<int>(names.size()) ? names[static_cast<size_t>(i)]
                                                        : std::string();
}

void App::hideReserveEditor() {
    reserveEditorForm_->hide();
}

// --- Reading ---

// The member list lives from start-up on; the other viewers are made each time they are
// opened. The tool buttons need a net chosen in the main window's selector, the menu
// items open the viewer for the net manager's net (a viewer without one says so).
void App::wireViewers() {
    memborForm_ = std::make_unique<viewers::TMemborListForm>(macroModel_);
    auto wire = [this](const char* name, bool needsNet, void (App::*open)()) {
        if (QAction* a = frame_->action(name)) {
            a->setEnabled(true);
            QObject::connect(a, &QAction::triggered, frame_.get(), [this, needsNet, open] {
                if (!needsNet || frame_->selectedNet() >= 0)
                    (this->*open)();
            });
        }
    };
    wire("MessageBoard", false, &App::openBoardViewer);
    wire("MessageBoardButton", true, &App::openBoardViewer);
    wire("MailBox", false, &App::openMailViewer);
    wire("MailBoxButton", true, &App::openMailViewer);
    wire("MemberList", false, &App::showMemberList);
    wire("ArticleList", false, &App::openArticleList);
    wire("ArticleListButton", true, &App::openArticleList);
}

static QFont displayFont(const shell::FrameModel& frame, int which) {
    const shell::DisplayFont& f = frame.fonts()[static_cast<size_t>(which)];
    return ui::resolveFont(ui::toQ(f.name), f.size);
}

void App::openBoardViewer() {
    viewers::BoardViewerSetup setup{frameModel_.browseNew(), frameModel_.browseAll(),
                                    frameModel_.treeView(), displayFont(frameModel_, 0),
                                    displayFont(frameModel_, 1)};
    openWriter(new viewers::TMessageBoardForm(macroModel_, nets_, *this, loop_.localNow(), setup));
}

void App::openArticleList() {
    openWriter(new viewers::TDownLoadForm(macroModel_, *this));
}

void App::showMemberList() {
    memborForm_->open();
}

void App::openMailViewer() {
    openWriter(new viewers::TMailForm(macroModel_, *this, displayFont(frameModel_, 0),
                                      displayFont(frameModel_, 1)));
}

void App::sorry(const std::string& sjisText) {
    QMessageBox::information(frame_.get(), ui::tr8(u8"ごめんなさい"), ui::toQ(sjisText));
}

void App::showStatus(const std::string& sjisText) {
    frame_->setStatusText(sjisText);
}

void App::showProgress(int percent) {
    frame_->setProgress(percent);
}

} // namespace app
