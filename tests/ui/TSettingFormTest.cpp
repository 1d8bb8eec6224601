#include "shell/TSettingForm.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/shell/RecordingHosts.h"
#include "tests/support/TempDir.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell;
using testing_support::TempDir;
using ui::tr8;

namespace {

base::Lines twoNets() {
    return {"Alpha", "ALPHA", "111", "0", "ida", "pwa", "ha", "KTBBS", "9", "10",
            "Beta",  "BETA",  "222", "2", "idb", "pwb", "hb", "BIG",   "9", "10"};
}

struct SettingWindow : ::testing::Test {
    TempDir dir;
    NetList nets{dir.path()};
    Fonts mainFonts;
    RecordingHost host;
    SettingModel model{nets, mainFonts, host};
    TSettingForm form{model};

    void SetUp() override {
        base::replaceLines(dir.file("NETLIST.DAT"), twoNets());
        model.loadNetList();
    }
    template <class T> T* find(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void clickNet(int row) {
        auto* list = find<QListWidget>("ListBox1");
        emit list->itemClicked(list->item(row));
    }
    // Typing: key presses for plain text; Japanese text arrives as an input method would
    // deliver it, as one edit.
    void type(const char* name, const QString& text) {
        auto* edit = find<QLineEdit>(name);
        edit->selectAll();
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; })) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
            emit edit->textEdited(edit->text());
        }
    }
};

} // namespace

TEST_F(SettingWindow, EditingTwoNetsAndSaving) {
    form.showPage(SettingPage::Net);
    EXPECT_EQ(form.windowTitle(), tr8(u8"環境設定"));
    EXPECT_EQ(host.calls, std::vector<std::string>{"disable"});
    auto* list = find<QListWidget>("ListBox1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "Beta");
    EXPECT_FALSE(find<QLineEdit>("NetName")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("DeleteNet")->isEnabled());

    clickNet(0);
    EXPECT_TRUE(find<QLineEdit>("NetName")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("NetTelNo")->text(), "111");
    EXPECT_EQ(find<QLineEdit>("Password")->echoMode(), QLineEdit::Password);
    type("NetName", tr8(u8"アルファ"));
    type("Password", "newpw");

    clickNet(1);
    // The window's own copy holds the edits; the program's list gets them with OK.
    EXPECT_EQ(model.nets().field(0, kNetName), base::sj(u8"アルファ"));
    EXPECT_EQ(model.nets().field(0, kPassword), "newpw");
    EXPECT_EQ(nets.field(0, kPassword), "pwa");
    EXPECT_EQ(find<QLineEdit>("NetName")->text(), "Beta");
    EXPECT_EQ(find<QComboBox>("ModemSetNo")->currentIndex(), 2);
    EXPECT_TRUE(find<QRadioButton>("BIG")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("BIG")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("DeleteNet")->isEnabled());

    QTest::mouseClick(find<QPushButton>("Button9"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    base::Lines saved = base::readLines(dir.file("NETLIST.DAT"));
    EXPECT_EQ(saved[0], base::sj(u8"アルファ"));
    EXPECT_EQ(saved[17], "BIG");
    EXPECT_EQ(nets.field(0, kPassword), "newpw");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "reloadMacro", "enable"}));
}

TEST_F(SettingWindow, NewAndDeleteButtons) {
    form.showPage(SettingPage::Net);
    clickNet(0);
    QTest::mouseClick(find<QPushButton>("DeleteNet"), Qt::LeftButton);
    auto* list = find<QListWidget>("ListBox1");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Beta");
    QTest::mouseClick(find<QPushButton>("NewNet"), Qt::LeftButton);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), tr8(u8"新規登録ネット"));
    EXPECT_FALSE(find<QPushButton>("DeleteNet")->isEnabled());
    form.hide();
    // Closing without OK keeps the edits in memory only.
    EXPECT_EQ(base::readLines(dir.file("NETLIST.DAT")), twoNets());
    EXPECT_EQ(nets.count(), 2);
    EXPECT_EQ(host.calls.back(), "enable");
}

TEST_F(SettingWindow, ModemPage) {
    form.showPage(SettingPage::Modem);
    auto* setting = find<QComboBox>("SettingName");
    EXPECT_EQ(setting->currentText(), tr8(u8"設定１"));
    EXPECT_EQ(find<QLabel>("BaudRate")->text(), "9600Bps");
    EXPECT_TRUE(find<QRadioButton>("COM1")->isChecked());

    emit setting->activated(2);
    find<QSpinBox>("UpDown1")->setValue(5);
    EXPECT_EQ(find<QLabel>("BaudRate")->text(), "128000bps");
    EXPECT_EQ(model.modems()[2].baudRate, 128000);
    QTest::mouseClick(find<QRadioButton>("COM3"), Qt::LeftButton);
    EXPECT_EQ(model.modems()[2].port, 3);
    type("InitCommand", "ATZ");
    type("RedialWait", "30");
    auto* digit = find<QCheckBox>("AppendDigit");
    QTest::mouseClick(digit, Qt::LeftButton, {}, QPoint(4, digit->height() / 2));
    EXPECT_EQ(model.modems()[2].initCommand, "ATZ");
    EXPECT_EQ(model.modems()[2].redialWait, 30);
    EXPECT_TRUE(model.modems()[2].appendDigit);

    emit setting->activated(0);
    EXPECT_EQ(find<QLineEdit>("InitCommand")->text(), "");
    emit setting->activated(2);
    EXPECT_EQ(find<QLabel>("BaudRate")->text(), "128000Bps");
    EXPECT_EQ(find<QLineEdit>("InitCommand")->text(), "ATZ");

    // Typing a name renames the setting, and the net page shows it when prepared again.
    setting->lineEdit()->selectAll();
    QTest::keyClicks(setting->lineEdit(), "Fast");
    EXPECT_EQ(model.modems()[2].name, "Fast");
    EXPECT_EQ(setting->itemText(2), "Fast");
    EXPECT_EQ(setting->lineEdit()->text(), "Fast");
    find<QTabWidget>("PageControl1")->setCurrentIndex(0);
    EXPECT_EQ(find<QComboBox>("ModemSetNo")->itemText(2), "Fast");
}

TEST_F(SettingWindow, FontPageAppliesOnlyOnUpdate) {
    DisplayFont chosen{"Chosen Mono", 15, 0x0000FF};
    int asked = 0;
    form.setFontChooser([&](QWidget*, const DisplayFont& start) -> std::optional<DisplayFont> {
        ++asked;
        EXPECT_EQ(start, mainFonts[kEditorFont]);
        return chosen;
    });
    form.showPage(SettingPage::Font);
    QTest::mouseClick(find<QPushButton>("EditorFontChange"), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(find<QLabel>("EditorFontName")->text(), "Chosen Mono");
    EXPECT_EQ(find<QLabel>("EditorFontSize")->text(), "15");
    EXPECT_EQ(find<QLabel>("EditorFontName")->font().pointSize(), 15);
    EXPECT_NE(mainFonts[kEditorFont], chosen);

    QTest::mouseClick(find<QPushButton>("FontCancel"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(mainFonts[kEditorFont], chosen);

    form.showPage(SettingPage::Font);
    EXPECT_EQ(find<QLabel>("EditorFontName")->text(), ui::toQ(mainFonts[kEditorFont].name));
    QTest::mouseClick(find<QPushButton>("EditorFontChange"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("FontUpdate"), Qt::LeftButton);
    EXPECT_EQ(mainFonts[kEditorFont], chosen);
    EXPECT_FALSE(form.isVisible());
}
