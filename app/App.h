#pragma once
// The composition root: creates the models and the long-lived windows in start-up order,
// hands each the others it needs, and carries the calls between windows.
#include "base/ErrorLog.h"
#include "comm/TComm.h"
#include "engine/RunHost.h"
#include "engine/TCommPort.h"
#include "engine/VazevModel.h"
#include "macro/MacroHost.h"
#include "macro/MacroModel.h"
#include "macro/TimerModel.h"
#include "shell/Desktop.h"
#include "shell/FrameModel.h"
#include "shell/NetList.h"
#include "shell/SettingModel.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"
#include "transfer/EngineTransfer.h"
#include "ui/QtLoop.h"
#include "viewers/ViewerHost.h"
#include "writers/ReserveEditor.h"
#include "writers/TWriteForm.h"
#include "writers/TextStyleModel.h"

#include <QPointer>

#include <memory>

class QMessageBox;

namespace engine {
class TVazevForm;
}
namespace macro {
class TMacroForm;
class TTimerSetForm;
} // namespace macro
namespace sim {
class SimLinePeer;
}
namespace store {
class TErrorLogForm;
class TLogEditForm;
class TNamaLogForm;
} // namespace store
namespace writers {
class TSendTxtEditForm;
class TTextStyleForm;
} // namespace writers
namespace transfer {
class TProtForm;
}
namespace viewers {
class TMemborListForm;
}
namespace shell {
class TABOUT;
class TFrameForm;
class TSettingForm;
} // namespace shell

namespace app {

class App : public shell::Desktop,
            public shell::SettingHost,
            public shell::FrameHost,
            public macro::MacroHost,
            public engine::RunHost,
            public writers::TextStyleHost,
            public writers::ReserveEditorHost,
            public macro::TimerHost,
            public store::ImportHost,
            public viewers::ViewerHost {
public:
    // `demoFixture` is the simulated host's data set for nets on the "sim:" line.
    explicit App(const std::string& demoFixture = {});
    ~App() override;

    // Shows the main window maximised; its first show runs the start-up.
    void show();

    shell::TFrameForm& frame() { return *frame_; }
    shell::TSettingForm& settings() { return *settings_; }
    shell::TABOUT& about() { return *about_; }
    macro::TMacroForm& macroWindow() { return *macro_; }
    engine::TVazevForm& terminal() { return *vazevForm_; }
    engine::VazevModel& engine() { return vazev_; }
    transfer::TProtForm& transferWindow() { return *protForm_; }
    base::ErrorLog& errorLog() { return errorLog_; }

    // Desktop
    void warn(const std::string& sjisText) override;
    bool ask(const std::string& sjisText) override;
    void showSettings(shell::SettingPage page) override;
    void showAbout() override;
    void startUp() override;
    bool closing() override;

    // SettingHost, FrameHost
    void setMainAndMacroEnabled(bool enabled) override;
    void reloadMacroNetList() override;
    void setMacroNetNo(const std::string& netNo) override;
    void netsRenumbered(const std::vector<int>& origin, int before) override;

    // MacroHost
    void setMainNetSelector(const std::vector<std::string>& names, int selected) override;
    void selectMainNet(int index) override;
    void hideMacroWindow() override;
    bool provides(macro::Feature f) const override;
    bool runActive() const override;
    void showTerminal() override;
    void startAutoLogin() override;
    void stopTimerClock() override;
    void showTimerWindow() override;

    // RunHost
    void showMainWindow() override;
    void hideTerminal() override;
    bool LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) override;
    Recovery recoverLeftOverCapture() override;
    void runFinished() override;

    // TimerHost
    bool mayStartRun() override;
    void report(const std::string& sjisText) override;

    // The board store: the import, the reorganiser and the two log windows.
    void showLogEdit() override;
    void hideErrorLog() override;
    void importLog(const base::Lines& lines) override;
    void tableLoaded(const std::vector<std::string>& lines) override;
    void progressMax(int max) override;
    void progress(int line) override;
    void status(const std::string& sjisText) override;
    void repaint() override;
    void openReorganiser() override;
    void reorganiserChanged() override;
    void closeReorganiser() override;
    void NetNoChange() override;
    void openMailBox() override;
    void offerMailBox(const std::string& question) override;
    // The mail box question of the last import while it waits for its answer, else null.
    QMessageBox* mailQuestion() const;
    void selectNet(int net) override;
    store::TLogEditForm& logEditWindow() { return *logEditForm_; }
    store::TErrorLogForm& errorLogWindow() { return *errorLogForm_; }
    store::TNamaLogForm& rawLogWindow() { return *namaLogForm_; }

    // The net manager, shown from the main window's "ｽﾀｰﾄ" and F12.
    void showMacroWindow();

    // --- Writing: text styles, the writers and the reservation editor. ---
    writers::TTextStyleForm& textStyle() { return *textStyleForm_; }
    writers::TSendTxtEditForm& reserveEditor() { return *reserveEditorForm_; }
    // MacroHost: the writers open as child windows of the main window.
    void showTextStyle() override;
    void showReserveEditor() override;
    void openReplyWriter() override;
    void openNewWriter() override;
    void openMailWriter() override;
    void openUploadRequest() override;
    // TextStyleHost, ReserveEditorHost
    void showStyleDialog() override;
    void hideStyleDialog() override;
    bool askYesNo(const std::string& sjisText) override;
    std::string mainNetText() const override;
    void hideReserveEditor() override;

    // --- Reading: the board and mail viewers, the download and member lists. ---
    viewers::TMemborListForm& memberList() { return *memborForm_; }
    // MacroHost: the viewers open as child windows of the main window.
    void openBoardViewer() override;
    void openArticleList() override;
    void showMemberList() override;
    void openMailViewer() override;
    // ViewerHost (warn and ask are the Desktop's, showMemberList the net manager's)
    void sorry(const std::string& sjisText) override;
    void showStatus(const std::string& sjisText) override;
    void showProgress(int percent) override;

private:
    void wireViewers();
    void wireTransfer();
    void chooseUpload();

    ui::QtLoop loop_;
    shell::NetList nets_;
    shell::FrameModel frameModel_;
    std::unique_ptr<shell::TFrameForm> frame_;
    QPointer<QMessageBox> mailQuestion_;
    shell::SettingModel settingModel_;
    std::unique_ptr<shell::TSettingForm> settings_;
    std::unique_ptr<shell::TABOUT> about_;
    macro::MacroModel macroModel_;
    std::unique_ptr<macro::TMacroForm> macro_;
    base::ErrorLog errorLog_;
    std::unique_ptr<sim::SimLinePeer> simPeer_;
    comm::TComm comm_;
    engine::TCommPort port_;
    engine::VazevModel vazev_;
    std::unique_ptr<engine::TVazevForm> vazevForm_;
    store::LogEditModel logEditModel_;
    store::ConvModel convModel_;
    std::unique_ptr<store::TLogEditForm> logEditForm_;
    std::unique_ptr<store::TErrorLogForm> errorLogForm_;
    std::unique_ptr<store::TNamaLogForm> namaLogForm_;
    // The lines of the last file imported (LOG取込み, start-up recovery), shown by the raw
    // log view until a run starts; WritePointer -1 when none.
    std::vector<std::string> loadedLines_;
    int loadedWritePointer_ = -1;
    int progressMax_ = 0;
    int progressPercent_ = -1;

    writers::WriterContext writerContext();
    void openWriter(QWidget* writer);
    writers::QtWriterDialogs writerDialogs_;
    std::unique_ptr<writers::TextStyleModel> textStyleModel_;
    std::unique_ptr<writers::TTextStyleForm> textStyleForm_;
    std::unique_ptr<writers::ReserveEditor> reserveEditorModel_;
    std::unique_ptr<writers::TSendTxtEditForm> reserveEditorForm_;
    macro::TimerModel timerModel_;
    std::unique_ptr<macro::TTimerSetForm> timerForm_;
    std::unique_ptr<viewers::TMemborListForm> memborForm_;
    // The MLINK transfer over the terminal, and its window (created last, as at start-up).
    transfer::EngineTransfer transfer_{vazev_, "."};
    std::unique_ptr<transfer::TProtForm> protForm_;
};

} // namespace app
