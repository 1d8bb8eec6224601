#include "macro/TTimerSetForm.h"

#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "macro/MacroModel.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using base::sj;
using testing_support::TempDir;

namespace {

base::Lines twoNets() {
    base::Lines out;
    for (const std::string& name : {std::string("ALPHA"), sj(u8"ベータ")}) {
        const base::Lines r = {
            name, name == "ALPHA" ? "NA" : "NB", "999", "0", "ID", "PW", "H", "KTBBS", "", ""};
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

struct Host : macro::TimerHost {
    bool allowed = true;
    std::vector<std::string> warnings;
    std::vector<bool> enabledCalls;
    bool mayStartRun() override { return allowed; }
    void warn(const std::string& t) override { warnings.push_back(t); }
    void report(const std::string& t) override { warnings.push_back(t); }
    void setMainAndMacroEnabled(bool on) override { enabledCalls.push_back(on); }
};

const std::string kBlanks20(20, ' ');
const std::string kAlpha30 =
    "o00 ALPHA            01 00:30 " + sj(u8"日曜日") + kBlanks20 + "@1001000";

struct Fixture {
    TempDir dir;
    base::VirtualLoop loop{base::makeDateTime(2026, 12, 8, 9, 29, 58)};
    shell::NetList nets{dir.path(), twoNets()};
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    Host host;
    macro::TimerModel timer{loop, macro, host, dir.path()};

    Fixture() {
        macroHost.provided.insert(macro::Feature::Run);
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN"});
        base::replaceLines(dir.file("Timer.dat"), {kAlpha30});
        macro.FormShow();
        timer.load();
    }
};

template <class W> W* child(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace

TEST(TTimerSetForm, AddEditDeleteAndCloseWriteTimerDat) {
    Fixture f;
    macro::TTimerSetForm form(f.timer);
    form.show();
    EXPECT_EQ(form.windowTitle(), ui::tr8(u8"タイマーアクセスの設定"));
    EXPECT_EQ(f.host.enabledCalls, std::vector<bool>{false});

    auto* list = child<QListWidget>(form, "ListBox1");
    auto* panel = child<QGroupBox>(form, "PropertyPanel");
    auto* net = child<QComboBox>(form, "NetBox");
    auto* day = child<QSpinBox>(form, "DayEdit");
    auto* hour = child<QSpinBox>(form, "HourEdit");
    auto* minute = child<QSpinBox>(form, "MinuteEdit");
    auto* weekday = child<QLineEdit>(form, "WeekEdit");
    auto* deleteButton = child<QPushButton>(form, "DeleteButton");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), ui::toQ(kAlpha30));
    EXPECT_FALSE(panel->isEnabled()); // nothing edited yet
    EXPECT_FALSE(deleteButton->isEnabled());
    ASSERT_EQ(net->count(), 2);

    child<QPushButton>(form, "NewButton")->click();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), ui::toQ(macro::newTimerLine()));

    list->setCurrentRow(1);
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(form, "Enable")->isChecked());
    EXPECT_EQ(net->currentIndex(), -1);
    EXPECT_EQ(net->placeholderText(), ui::tr8(u8"新規予約項目"));
    EXPECT_EQ(day->value(), 1);
    EXPECT_EQ(hour->value(), 12);
    EXPECT_EQ(minute->value(), 34);
    EXPECT_EQ(weekday->text(), ui::tr8(u8"月曜日"));
    EXPECT_TRUE(child<QRadioButton>(form, "EveryTime")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(form, "HourCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(form, "MinuteCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(form, "DoneCheck")->isChecked());
    EXPECT_FALSE(child<QLabel>(form, "ProblemLabel")->text().isEmpty()); // net 99

    net->setCurrentIndex(1);
    emit net->activated(1);
    EXPECT_TRUE(child<QLabel>(form, "ProblemLabel")->text().isEmpty()); // the pick counts at once
    day->setValue(15);
    hour->setValue(6);
    minute->setValue(5);
    auto* up = child<QToolButton>(form, "UpDownUp");
    up->click();
    up->click();
    EXPECT_EQ(weekday->text(), ui::tr8(u8"水曜日"));
    child<QToolButton>(form, "UpDownDown")->click();
    EXPECT_EQ(weekday->text(), ui::tr8(u8"火曜日"));
    child<QRadioButton>(form, "OnceOnly")->click();
    child<QCheckBox>(form, "DateCheck")->click();
    child<QCheckBox>(form, "HourCheck")->click();

    // Deleting the first entry commits the edited one first.
    list->setCurrentRow(0);
    EXPECT_EQ(day->value(), 1);
    EXPECT_EQ(weekday->text(), ui::tr8(u8"日曜日"));
    deleteButton->click();
    ASSERT_EQ(list->count(), 1);
    EXPECT_FALSE(panel->isEnabled());

    child<QPushButton>(form, "OKButton")->click();
    EXPECT_FALSE(form.isVisible());
    const std::string expected = "o01 " + sj(u8"ベータ") + std::string(10, ' ') + " 15 06:05 " +
                                 sj(u8"火曜日") + kBlanks20 + "@0101100";
    EXPECT_EQ(base::readFile(f.dir.file("Timer.dat")), expected + "\r\n");
    EXPECT_EQ(f.host.enabledCalls, (std::vector<bool>{false, true}));
    EXPECT_EQ(list->item(0)->text(), ui::toQ(expected));
}

TEST(TTimerSetForm, TypedWeekdayAndTheClocksChangesShowInTheWindow) {
    Fixture f;
    macro::TTimerSetForm form(f.timer);
    form.show();
    auto* list = child<QListWidget>(form, "ListBox1");
    list->setCurrentRow(0);
    auto* weekday = child<QLineEdit>(form, "WeekEdit");
    weekday->selectAll();
    QTest::keyClicks(weekday, "Sun");
    child<QCheckBox>(form, "Enable")->click(); // untick
    form.close();
    const std::string typed = "x00 ALPHA            01 00:30 Sun   " + kBlanks20 + "@1001000";
    EXPECT_EQ(base::readLines(f.dir.file("Timer.dat")), base::Lines{typed});

    // Enabled again by hand; the window is hidden and the clock fires at 09:30:02.
    form.show();
    list->setCurrentRow(0);
    child<QCheckBox>(form, "Enable")->click();
    form.close();
    f.loop.advance(macro::TimerModel::kClockMs);
    const std::string done = "o00 ALPHA            01 00:30 Sun   " + kBlanks20 + "@1001001";
    EXPECT_EQ(list->item(0)->text(), ui::toQ(done));
    EXPECT_EQ(base::readLines(f.dir.file("Timer.dat")), base::Lines{done});
    EXPECT_EQ(f.macroHost.calls.back(), "autoLogin");

    // An entry for a net that is not there is marked in the list.
    f.timer.addNew();
    EXPECT_FALSE(list->item(1)->toolTip().isEmpty());
    EXPECT_TRUE(list->item(0)->toolTip().isEmpty());
}
