#include "shell/TFrameForm.h"
#include "shell/Desktop.h"
#include "shell/TABOUTForm.h"
#include "tests/shell/RecordingHosts.h"
#include "ui/QtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace shell;
using ui::tr8;

namespace {

struct RecordingDesktop : shell::Desktop {
    std::vector<std::string> calls;
    void warn(const std::string& t) override { calls.push_back("warn:" + t); }
    bool ask(const std::string& t) override {
        calls.push_back("ask:" + t);
        return false;
    }
    void showSettings(SettingPage page) override {
        calls.push_back("settings:" + std::to_string(static_cast<int>(page)));
    }
    void showAbout() override { calls.push_back("about"); }
    void startUp() override { calls.push_back("startUp"); }
    bool closing() override {
        calls.push_back("closing");
        return mayClose;
    }
    bool mayClose = true;
};

// A child window whose close box is refused while `keep` is set, as a writer whose
// question was answered with Cancel.
struct KeptWindow : QWidget {
    bool keep = true;
    void closeEvent(QCloseEvent* e) override {
        if (keep)
            e->ignore();
        else
            e->accept();
    }
};

struct MainWindow : ::testing::Test {
    RecordingHost host;
    FrameModel model{host, "/nonexistent"};
    RecordingDesktop desktop;
    TFrameForm form{model, desktop};
};

QStringList menuTitles(QMenuBar* bar) {
    QStringList out;
    for (QAction* a : bar->actions())
        out << a->text();
    return out;
}

} // namespace

TEST_F(MainWindow, CaptionMenusAndToolBar) {
    EXPECT_EQ(form.windowTitle(), tr8(u8"KTBBS用総合通信ソフト  TARNO Ver 1.16"));
    EXPECT_EQ(menuTitles(form.menuBar()),
              (QStringList{tr8(u8"ﾌｧｲﾙ(&F)"), tr8(u8"表示(&V)"), tr8(u8"設定(&S)"),
                           tr8(u8"ﾍﾙﾌﾟ(&H)"), tr8(u8"ｳｲﾝﾄﾞｳ(&W)")}));
    EXPECT_EQ(form.findChild<QLabel*>("Status")->text(), "Welcome To TARNO");
    EXPECT_FALSE(form.action("Print")->isEnabled());
    EXPECT_EQ(form.action("NetManager")->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_EQ(form.action("ArticleListButton")->text(),
              tr8(u8"ﾌｧｲﾙ&&ﾒｯｾｰｼﾞﾎﾞｰﾄﾞ アーティクル一覧 "));
    EXPECT_EQ(form.action("StartButton")->toolTip(), tr8(u8"アクセスマネージャー"));
    EXPECT_EQ(form.action("CascadeButton")->toolTip(), tr8(u8"重ねて表示"));
    // Windows that do not exist yet cannot be reached.
    for (const char* name : {"MessageBoard", "MailBox", "MemberList", "ArticleList", "RawLog",
                             "ErrorLog", "TextStyle", "TimerAccess", "ConnectButton"})
        EXPECT_FALSE(form.action(name)->isEnabled()) << name;

    form.action("EditNets")->trigger();
    form.action("ModemSettings")->trigger();
    form.action("FontSettings")->trigger();
    form.action("About")->trigger();
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"settings:0", "settings:1", "settings:2", "about"}));
}

TEST_F(MainWindow, BrowseModesAndToolBarToggle) {
    QAction* neu = form.action("BrowseNew");
    QAction* all = form.action("BrowseAll");
    EXPECT_TRUE(neu->isChecked());
    all->trigger();
    EXPECT_TRUE(all->isChecked());
    EXPECT_FALSE(neu->isChecked());
    EXPECT_TRUE(model.browseAll());
    EXPECT_FALSE(model.browseNew());
    neu->trigger();
    EXPECT_FALSE(all->isChecked());
    form.action("TreeView")->trigger();
    EXPECT_FALSE(model.treeView());

    form.show();
    auto* bar = form.findChild<QToolBar*>("ToolBar");
    EXPECT_TRUE(bar->isVisible());
    form.action("ToolBarToggle")->trigger();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(form.action("ToolBarToggle")->isChecked());
}

TEST_F(MainWindow, FirstShowStartsUpOnceAndCloseSaves) {
    form.show();
    QCoreApplication::processEvents();
    form.hide();
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(desktop.calls, std::vector<std::string>{"startUp"});
    form.close();
    EXPECT_EQ(desktop.calls.back(), "closing");
}

// Cancel to a child's question stops the program's end: the main window stays, and so
// does the child with everything in it.
TEST_F(MainWindow, AChildThatRefusesToCloseKeepsTheProgramOpen) {
    auto* kept = new KeptWindow;
    QMdiSubWindow* keptSub = form.mdiArea()->addSubWindow(kept);
    QMdiSubWindow* otherSub = form.mdiArea()->addSubWindow(new QWidget);
    form.show();
    keptSub->show();
    otherSub->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.closeChildren());
    EXPECT_TRUE(keptSub->isVisible());
    EXPECT_FALSE(otherSub->isVisible());

    desktop.mayClose = false;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    kept->keep = false;
    EXPECT_TRUE(form.closeChildren());
    EXPECT_FALSE(keptSub->isVisible());
    desktop.mayClose = true;
    EXPECT_TRUE(form.close());
}

TEST_F(MainWindow, NetSelectorMirrorsTheNetList) {
    std::vector<int> chosen;
    form.setOnNetSelected([&](int i) { chosen.push_back(i); });
    form.setNetSelector({"A", "B"}, -1);
    auto* box = form.findChild<QComboBox*>("NetList");
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(form.selectedNet(), -1);
    emit box->activated(1);
    EXPECT_EQ(chosen, std::vector<int>{1});
    form.setNetSelector({"A", "B"}, 1);
    EXPECT_EQ(form.selectedNet(), 1);
    EXPECT_EQ(chosen.size(), 1u); // setting it from the program is not a choice
}

TEST(AboutBox, DisablesTheOthersWhileShown) {
    std::vector<bool> enabled;
    TABOUT about([&](bool on) { enabled.push_back(on); });
    about.open();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.colourTimerActive());
    EXPECT_EQ(about.findChild<QLabel*>("HelpText")->text(), tr8(u8"ヘルプはまだです。"));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    QTest::mouseClick(about.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.colourTimerActive());
    about.open();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, false, true}));
}
