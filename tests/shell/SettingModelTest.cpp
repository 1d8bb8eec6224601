#include "RecordingHosts.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace shell;
using testing_support::TempDir;

namespace {

base::Lines record(const std::string& name, const std::string& kind = "KTBBS",
                   const std::string& modem = "1") {
    return {name,       name + "DIR", "0" + name,          modem, "ID" + name, "PW" + name,
            "H" + name, kind,         "96/08/01 12:00:00", "10"};
}

struct Fixture : ::testing::Test {
    TempDir dir;
    NetList nets{dir.path()};
    Fonts mainFonts;
    RecordingHost host;
    SettingModel model{nets, mainFonts, host};

    void give(std::initializer_list<base::Lines> records) {
        base::Lines all;
        for (const auto& r : records)
            all.insert(all.end(), r.begin(), r.end());
        base::replaceLines(dir.file("NETLIST.DAT"), all);
        model.loadNetList();
    }
    base::Lines saved() { return base::readLines(dir.file("NETLIST.DAT")); }
};

} // namespace

TEST_F(Fixture, NewNetSavedWithoutAClickKeepsItsDefaults) {
    give({record("A")});
    model.FormShow();
    model.newNet();
    EXPECT_EQ(model.selectedNet(), -1);
    EXPECT_TRUE(model.Button9Click());
    base::Lines expected = record("A");
    for (const auto& l : NetList::newNetLines())
        expected.push_back(l);
    EXPECT_EQ(saved(), expected);
    EXPECT_EQ(saved()[15], "QWERTYUI");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "reloadMacro"}));
}

TEST_F(Fixture, ClickingAnotherNetStoresTheEditsFirst) {
    give({record("A"), record("B", "BIG", "x")});
    model.FormShow();
    model.ListBox1Click(0);
    EXPECT_TRUE(model.propertiesEnabled());
    EXPECT_TRUE(model.deleteEnabled());
    EXPECT_EQ(model.fields().telNo, "0A");
    model.fields().name = "Renamed";
    model.fields().password = "secret";
    model.fields().modemIndex = 3;

    model.ListBox1Click(1);
    EXPECT_EQ(model.nets().field(0, kNetName), "Renamed");
    EXPECT_EQ(model.nets().field(0, kPassword), "secret");
    EXPECT_EQ(model.nets().field(0, kModemSetNo), "3");
    EXPECT_EQ(model.nets().field(0, kLastRead), "96/08/01 12:00:00"); // lines 8 and 9 pass through
    // Net B: "BIG" shown with its button, a setting number that is not a number shows 0.
    EXPECT_EQ(model.fields().name, "B");
    EXPECT_EQ(model.fields().modemIndex, 0);
    EXPECT_EQ(model.hostKind(), "BIG");
    EXPECT_EQ(model.hostKindButton(), SettingModel::HostKindButton::BIG);

    // Nothing reaches the file until OK, and then B keeps "BIG".
    EXPECT_EQ(saved()[0], "A");
    EXPECT_TRUE(model.Button9Click());
    EXPECT_EQ(saved()[0], "Renamed");
    EXPECT_EQ(saved()[17], "BIG");
    EXPECT_EQ(saved()[13], "0");
}

TEST_F(Fixture, ChoosingKtbbsReplacesBig) {
    give({record("A", "BIG")});
    model.FormShow();
    model.ListBox1Click(0);
    model.KTBBSClick();
    model.Button9Click();
    EXPECT_EQ(saved()[7], "KTBBS");
}

TEST_F(Fixture, AnUnknownHostKindLeavesTheButtonsAsTheyWere) {
    give({record("A", "BIG"), record("B", "OTHER")});
    model.FormShow();
    model.ListBox1Click(0);
    model.ListBox1Click(1);
    EXPECT_EQ(model.hostKindButton(), SettingModel::HostKindButton::BIG);
    EXPECT_EQ(model.hostKind(), "OTHER");
}

TEST_F(Fixture, DeletingTheFirstOfThreeRenumbersTheOthers) {
    give({record("A"), record("B"), record("C")});
    model.FormShow();
    model.deleteNet(); // nothing selected: nothing happens
    EXPECT_EQ(model.nets().count(), 3);
    model.ListBox1Click(0);
    model.deleteNet();
    EXPECT_FALSE(model.deleteEnabled());
    EXPECT_EQ(model.selectedNet(), -1);
    EXPECT_EQ(model.nets().names(), (std::vector<std::string>{"B", "C"}));
    // The fields still on screen belong to the deleted net and must not leak into B.
    EXPECT_TRUE(model.Button9Click());
    EXPECT_EQ(saved(), [] {
        base::Lines l = record("B");
        for (const auto& x : record("C"))
            l.push_back(x);
        return l;
    }());
}

TEST_F(Fixture, NewNetWhileOneIsSelectedStoresItsFields) {
    give({record("A")});
    model.FormShow();
    model.ListBox1Click(0);
    model.fields().handle = "edited";
    model.newNet();
    EXPECT_EQ(model.nets().field(0, kHandle), "edited");
    EXPECT_EQ(model.nets().count(), 2);
    EXPECT_EQ(model.nets().field(1, kNetName), base::sj(u8"新規登録ネット"));
    EXPECT_EQ(model.selectedNet(), -1);
    EXPECT_FALSE(model.propertiesEnabled());
}

TEST_F(Fixture, AFailedSaveKeepsTheOldFileAndTheWindowOpen) {
    give({record("A")});
    model.FormShow();
    model.ListBox1Click(0);
    model.fields().name = "New name";
    // A folder in place of the list file makes the rename fail.
    NetList elsewhere{dir.file("missing/folder")};
    SettingModel other{elsewhere, mainFonts, host};
    other.newNet();
    host.calls.clear();
    EXPECT_FALSE(other.Button9Click());
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].rfind("warn:", 0), 0u);
    EXPECT_EQ(other.nets().count(), 1); // the edits stay in the window
    EXPECT_EQ(elsewhere.count(), 0);
}

TEST_F(Fixture, ModemPageRules) {
    model.FormShow();
    EXPECT_EQ(model.settingListText(), base::sj(u8"設定１"));
    EXPECT_EQ(model.current().baudRate, 9600); // 0 is shown and stored as 9600
    EXPECT_EQ(model.current().port, 1);        // so is a port outside 1..4
    EXPECT_EQ(model.baudText(), "9600Bps");

    model.SettingNameChange(2);
    model.UpDownClick(5);
    EXPECT_EQ(model.current().baudRate, 128000);
    EXPECT_EQ(model.baudText(), "128000bps");
    model.SettingNameChange(0);
    model.SettingNameChange(2);
    EXPECT_EQ(model.baudText(), "128000Bps");

    model.setPort(3);
    model.setPort(7); // not a port button: ignored
    model.setRedialWaitText("45");
    model.setInitCommand("ATZ");
    model.setDialPrefix("ATDT");
    model.setAppendDigit(true);
    EXPECT_EQ(model.modems()[2].port, 3);
    EXPECT_EQ(model.modems()[2].redialWait, 45);
    model.setRedialWaitText("4x");
    EXPECT_EQ(model.modems()[2].redialWait, 0);
    EXPECT_EQ(model.modems()[2].initCommand, "ATZ");
    EXPECT_EQ(model.modems()[2].dialPrefix, "ATDT");
    EXPECT_TRUE(model.modems()[2].appendDigit);
    EXPECT_FALSE(model.modems()[0].appendDigit);

    model.renameCurrentSetting("Fast");
    EXPECT_EQ(model.modemNames()[2], "Fast");
    EXPECT_EQ(model.modemNames()[1], base::sj(u8"設定２"));
}

TEST_F(Fixture, FontsReachTheMainWindowOnlyOnUpdate) {
    model.FormShow();
    DisplayFont big{"Big", 20, 0x0000FF};
    model.setRowFont(kArticleFont, big);
    EXPECT_NE(mainFonts[kArticleFont], big);
    model.applyFonts();
    EXPECT_EQ(mainFonts[kArticleFont], big);
    // Entering the font page again starts from the main window's fonts.
    model.setRowFont(kTitleFont, big);
    model.prepareFontPage();
    EXPECT_EQ(model.rowFonts()[kTitleFont], mainFonts[kTitleFont]);
    model.FormClose();
    EXPECT_EQ(host.calls.back(), "enable");
}

TEST_F(Fixture, AListFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    // Reads of this file fail with an I/O error, whoever runs the test.
    ASSERT_EQ(::symlink("/proc/self/mem", dir.file("NETLIST.DAT").c_str()), 0);
    base::replaceLines(dir.file("NETLIST.NEW"), record("STARTER"));
    model.loadNetList();
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].rfind("warn:", 0), 0u);
    EXPECT_EQ(nets.count(), 0); // the starting copy does not stand in for the user's list

    model.FormShow();
    model.newNet();
    host.calls.clear();
    EXPECT_FALSE(model.Button9Click());
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].rfind("warn:", 0), 0u);
    EXPECT_THROW(nets.save(), base::FileError);
    char target[64] = {};
    ASSERT_GT(::readlink(dir.file("NETLIST.DAT").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/proc/self/mem"); // still the file it was
    EXPECT_EQ(model.nets().count(), 1);     // the edit stays in the window
}

// Edits stay inside the settings window until OK: closing it without OK leaves the net list
// the rest of the program works with as it was.
TEST_F(Fixture, EditsReachTheNetListOnlyWithOK) {
    give({record("A"), record("B")});
    model.FormShow();
    model.ListBox1Click(0);
    model.deleteNet();
    model.newNet();
    EXPECT_EQ(model.nets().names(), (std::vector<std::string>{"B", base::sj(u8"新規登録ネット")}));
    EXPECT_EQ(nets.names(), (std::vector<std::string>{"A", "B"}));
    model.FormClose();
    model.FormShow(); // shown again: the list as it is, the edits gone
    EXPECT_EQ(model.nets().names(), (std::vector<std::string>{"A", "B"}));

    model.ListBox1Click(0);
    model.deleteNet();
    host.calls.clear();
    EXPECT_TRUE(model.Button9Click());
    EXPECT_EQ(nets.names(), std::vector<std::string>{"B"});
    // What names nets by number is told where each net went, before the net manager
    // lists them again.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"renumbered:1,of2", "reloadMacro"}));
}

TEST_F(Fixture, OnlyAnOKThatDeletedNetsTellsWhereTheNetsWent) {
    give({record("A"), record("B"), record("C")});
    model.FormShow();
    model.newNet();
    model.ListBox1Click(1);
    model.deleteNet();
    model.newNet();
    model.ListBox1Click(2); // the first new one, now third
    model.deleteNet();
    host.calls.clear();
    ASSERT_TRUE(model.Button9Click());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"renumbered:0,2,-1,of3", "reloadMacro"}));

    // Nets added and edited only: numbers stay, nothing to tell.
    model.FormShow();
    model.newNet();
    model.ListBox1Click(0);
    model.fields().name = "AA";
    host.calls.clear();
    ASSERT_TRUE(model.Button9Click());
    EXPECT_EQ(host.calls, std::vector<std::string>{"reloadMacro"});
}

// A short name is one plain folder name inside the data folder.
TEST_F(Fixture, AShortNameThatIsNotOnePlainFolderNameIsRefused) {
    give({record("A")});
    model.FormShow();
    model.ListBox1Click(0);
    const std::vector<std::string> bads = {"../outside", "..",   ".",    "",
                                           "a/b",        "a\\b", "a\tb", "x\x7f"};
    for (const std::string& bad : bads) {
        model.fields().shortName = bad;
        host.calls.clear();
        EXPECT_FALSE(model.Button9Click()) << bad;
        ASSERT_EQ(host.calls.size(), 1u) << bad;
        EXPECT_EQ(host.calls[0].rfind("warn:", 0), 0u);
        EXPECT_EQ(saved(), record("A"));
    }
    EXPECT_FALSE(plainFolderName("../outside"));
    // ソ ends in the byte of "\", and a full-width name is a plain name all the same.
    for (std::string good : std::vector<std::string>{base::sj(u8"ソフト"), "NET1", "a.b"}) {
        EXPECT_TRUE(plainFolderName(good)) << good;
        model.fields().shortName = good;
        EXPECT_TRUE(model.Button9Click());
        EXPECT_EQ(nets.field(0, kShortName), good);
    }
}

// The net manager serves nets 0 to 99; a hundred-and-first net is refused.
TEST_F(Fixture, NoMoreThanAHundredNets) {
    base::Lines all;
    for (int n = 0; n < 99; ++n) {
        const base::Lines r = record("N" + std::to_string(n));
        all.insert(all.end(), r.begin(), r.end());
    }
    base::replaceLines(dir.file("NETLIST.DAT"), all);
    model.loadNetList();
    model.FormShow();
    model.newNet();
    EXPECT_EQ(model.nets().count(), 100);
    host.calls.clear();
    model.newNet();
    EXPECT_EQ(model.nets().count(), 100);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_NE(host.calls[0].find("100"), std::string::npos);
}
