#include "macro/TMacroForm.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

using macro::MacroModel;
using macro::Step;
using macro::TMacroForm;
using testing_support::TempDir;

namespace {

base::Lines twoNets() {
    base::Lines out;
    for (const char* n : {"A", "B"}) {
        const std::string name = n;
        const base::Lines r = {"NET " + name, "NET" + name, "999",   "0", "ID",
                               "PW",          "H",          "KTBBS", "9", "10"};
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

struct Fixture {
    TempDir dir;
    shell::NetList nets{dir.path(), twoNets()};
    RecordingMacroHost host;
    MacroModel model{nets, host, dir.path()};

    Fixture() {
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN"});
        base::makeDirs(dir.file("NETB"));
        base::replaceLines(dir.file("NETB/NET.MAC"), {"SETKTBBS", "DIAL{1}", "LOGIN", "NEWFILE"});
    }
};

template <class W> W* child(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace

TEST(TMacroForm, TicksAreSavedOnLeavingANetAndShownOnComingBack) {
    Fixture f;
    TMacroForm form(f.model);
    form.show();
    EXPECT_EQ(form.windowTitle(), ui::tr8(u8"ネットマネージャー"));
    auto* nets = child<QListWidget>(form, "ListBox1");
    ASSERT_EQ(nets->count(), 2);
    EXPECT_EQ(nets->item(1)->text(), "NET B");
    // Taking the focus makes a row current but chooses no net.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(nets, &focus);
    EXPECT_EQ(f.model.NetNo(), "999");
    EXPECT_FALSE(base::dirExists(f.dir.file("NETA")) &&
                 base::fileExists(f.dir.file("NETA/NET.MAC")));

    nets->setCurrentRow(0);
    EXPECT_EQ(f.model.NetNo(), "0");
    auto* member = child<QCheckBox>(form, "MEMBOR");
    auto* quit = child<QCheckBox>(form, "QUIT");
    auto* newFile = child<QCheckBox>(form, "NewFile");
    member->click();
    quit->click();

    nets->setCurrentRow(1);
    EXPECT_EQ(base::readFile(f.dir.file("NETA/NET.MAC")),
              "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMEMBOR\r\nQUIT\r\n");
    EXPECT_FALSE(member->isChecked());
    EXPECT_FALSE(quit->isChecked());
    EXPECT_TRUE(newFile->isChecked());

    nets->setCurrentRow(0);
    EXPECT_TRUE(member->isChecked());
    EXPECT_TRUE(quit->isChecked());
    EXPECT_FALSE(newFile->isChecked());
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"selector:2:-1", "selectMain:0",
                                                      "selectMain:1", "selectMain:0"}));

    // The window follows the model when another part changes it (the engine unticks).
    f.model.setChecked(Step::MEMBOR, false);
    EXPECT_FALSE(member->isChecked());
    // The main window's selector chooses through the model; the list follows.
    f.model.ListBox1Click(1);
    EXPECT_EQ(nets->currentRow(), 1);

    form.close();
    EXPECT_EQ(base::readFile(f.dir.file("NETB/NET.MAC")),
              "SETKTBBS\r\nDIAL{1}\r\nLOGIN\r\nNEWFILE\r\n");
}

TEST(TMacroForm, DateFieldsBoardsAndButtons) {
    Fixture f;
    base::makeDirs(f.dir.file("NETA"));
    base::replaceLines(f.dir.file("NETA/MBOARD.LST"), {"0001: PC", "0002: CHAT"});
    base::replaceLines(f.dir.file("NETA/FBOARD.LST"), {"0001: BIN"});
    TMacroForm form(f.model);
    form.show();
    child<QListWidget>(form, "ListBox1")->setCurrentRow(0);

    auto* year = child<QSpinBox>(form, "year");
    auto* month = child<QSpinBox>(form, "month");
    auto* day = child<QSpinBox>(form, "day");
    EXPECT_EQ(year->value(), 1996);
    year->setValue(2026);
    EXPECT_EQ(f.model.unread().year, 126);
    day->setValue(31);
    month->setValue(2);
    EXPECT_EQ(day->value(), 29);
    EXPECT_EQ(day->maximum(), 29);
    EXPECT_EQ(f.model.unread().day, 29);

    EXPECT_EQ(child<QCheckBox>(form, "MBOARD")->toolTip(),
              ui::tr8(u8"初回ログインでは必ず必要です．"));
    EXPECT_TRUE(child<QCheckBox>(form, "NEWMESSAGE")->toolTip().isEmpty());

    auto* boards = child<QListWidget>(form, "BoardList");
    auto* write = child<QPushButton>(form, "WriteButton");
    EXPECT_EQ(boards->count(), 2);
    EXPECT_TRUE(child<QToolButton>(form, "SpeedButton1")->isChecked());
    boards->setCurrentRow(1);
    EXPECT_EQ(f.model.selectedBoard(), 1);
    child<QToolButton>(form, "SpeedButton2")->click();
    EXPECT_FALSE(child<QToolButton>(form, "SpeedButton1")->isChecked());
    EXPECT_EQ(boards->count(), 1);
    EXPECT_EQ(write->text(), ui::tr8(u8"ｱｯﾌﾟﾛｰﾄﾞ"));
    boards->setCurrentRow(0);

    // Windows of later parts are not there: their buttons stay disabled with a board chosen.
    for (const char* name : {"BitBtn2", "OpenButton", "WriteButton", "ArticleListButton",
                             "LogEditButton", "MemberButton", "MailBoxButton", "TimerButton",
                             "TextStyleButton", "ReserveEditButton", "BitBtn7"})
        EXPECT_FALSE(child<QPushButton>(form, name)->isEnabled()) << name;
    f.host.calls.clear();
    for (const char* name : {"EditNetsButton", "ModemButton", "FontButton", "HelpButton"})
        child<QPushButton>(form, name)->click();
    EXPECT_EQ(f.host.calls,
              (std::vector<std::string>{"settings:0", "settings:1", "settings:2", "about"}));

    // Once provided, the rules decide.
    f.host.provideAll();
    child<QToolButton>(form, "SpeedButton1")->click();
    EXPECT_EQ(write->text(), ui::tr8(u8"新規書込み"));
    EXPECT_FALSE(write->isEnabled());
    boards->setCurrentRow(0);
    EXPECT_TRUE(write->isEnabled());
    EXPECT_TRUE(child<QPushButton>(form, "OpenButton")->isEnabled());
    f.host.calls.clear();
    write->click();
    EXPECT_EQ(f.host.calls, std::vector<std::string>{"newWriter"});
    EXPECT_EQ(f.model.newSlot().NewBoard, "PC");
}
