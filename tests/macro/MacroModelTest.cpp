#include "macro/MacroModel.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "shell/NetList.h"
#include "shell/SettingModel.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using macro::BoardKind;
using macro::Button;
using macro::MacroModel;
using macro::ReserveList;
using macro::Step;
using macro::UnreadDate;
using testing_support::TempDir;

namespace {

base::Lines record(const std::string& name, const std::string& folder, const std::string& date) {
    return {name, folder, "03-1234-5678", "0", "ID", "PW", "H", "KTBBS", date, "10"};
}

base::Lines threeNets() {
    base::Lines out;
    for (const auto& r : {record("NET A", "NETA", "96/07/01 08:30:00"),
                          record("NET B", "NETB", "9"), record("NET C", "NETC", "9")})
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

constexpr Step kAllSteps[] = {Step::NEWMESSAGE, Step::MEMBOR, Step::QUIT,  Step::NewFile,
                              Step::MIDOKU,     Step::MBOARD, Step::FBOARD};

class MacroModelTest : public ::testing::Test {
protected:
    TempDir dir;
    shell::NetList nets{dir.path(), threeNets()};
    RecordingMacroHost host;
    MacroModel model{nets, host, dir.path()};

    void SetUp() override {
        base::replaceLines(dir.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "MBOARD", "QUIT"});
        model.FormShow();
    }
    void writeNetFile(const std::string& folder, const std::string& name, const base::Lines& l) {
        base::makeDirs(dir.file(folder));
        base::replaceLines(dir.file(folder + "/" + name), l);
    }
    std::string bytes(const std::string& path) { return base::readFile(dir.file(path)); }
    // Loads the net again without saving the one shown.
    void reload(int net) {
        model.setNetNo("999");
        model.setNetNo(std::to_string(net));
    }
    std::vector<Step> ticked() const {
        std::vector<Step> out;
        for (Step s : kAllSteps)
            if (model.checked(s))
                out.push_back(s);
        return out;
    }
};

} // namespace

TEST_F(MacroModelTest, ANewNetGetsItsFolderAndOnlyTheFixedCommands) {
    model.ListBox1Click(1);
    EXPECT_TRUE(base::dirExists(dir.file("NETB")));
    EXPECT_FALSE(base::fileExists(dir.file("NETB/NET.MAC")));
    // The template is read with its dial line replaced; its steps are not ticked.
    EXPECT_EQ(model.MacroLines(1), "DIAL{1}");
    EXPECT_EQ(ticked(), std::vector<Step>{});

    EXPECT_TRUE(model.Convert());
    EXPECT_EQ(bytes("NETB/NET.MAC"), "SETKTBBS\r\nDIAL{1}\r\nLOGIN\r\n");
    EXPECT_EQ(model.MacroCount(), 3);
}

TEST_F(MacroModelTest, EveryStepAndReservationInTheirOrderWithQuitLast) {
    model.ListBox1Click(0);
    for (Step s : kAllSteps)
        model.setChecked(s, true);
    model.setUnread(UnreadDate{96, 8, 1, 12, 0});
    ASSERT_TRUE(
        model.appendReservation(0, ReserveList::makeBlock("RES :PC#0123", {"Hello", "//"})));
    ASSERT_TRUE(model.appendReservation(0, ReserveList::makeBlock("MDOWN :PC#7")));
    EXPECT_EQ(bytes("NETA/NET.MAC"),
              "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nFBOARD\r\nMBOARD\r\nMEMBOR\r\n"
              "MIDOKU :96/08/01 12:00:00\r\nNEWMESSAGE\r\nNEWFILE\r\n"
              "RES :PC#0123\r\nHello\r\n>//\r\n//\r\nMDOWN :PC#7\r\nQUIT\r\n");
    EXPECT_EQ(model.MacroCount(), 15);
    EXPECT_EQ(model.MacroLines(14), "QUIT");
}

TEST_F(MacroModelTest, ReadingAFileTicksExactlyItsStepsAndItsDateWins) {
    for (Step s : kAllSteps)
        model.setChecked(s, true);
    writeNetFile(
        "NETA", "NET.MAC",
        {"SETKTBBS", "DIAL{7}", "LOGIN", "MBOARD", "RES :PC#1", "MEMBOR quoted", "//", "QUIT"});
    model.ListBox1Click(0);
    EXPECT_EQ(ticked(), (std::vector<Step>{Step::QUIT, Step::MBOARD}));
    // Without a MIDOKU line the net record's last-read date is the unread date.
    EXPECT_EQ(model.unread(), (UnreadDate{96, 7, 1, 8, 30}));
    EXPECT_EQ(model.reserve().lines(), (base::Lines{"RES :PC#1", "MEMBOR quoted", "//"}));

    writeNetFile("NETA", "NET.MAC", {"MIDOKU :26/03/09 07:05:00", "NEWFILE", "FBOARD"});
    reload(0);
    EXPECT_EQ(ticked(), (std::vector<Step>{Step::NewFile, Step::MIDOKU, Step::FBOARD}));
    EXPECT_EQ(model.unread(), (UnreadDate{126, 3, 9, 7, 5}));
    EXPECT_TRUE(model.reserve().empty());

    // A date that cannot be read leaves the fields as they were.
    nets.setField(0, shell::kLastRead, "96/99/99 99:99:99");
    writeNetFile("NETA", "NET.MAC", {"MIDOKU :bad"});
    reload(0);
    EXPECT_TRUE(model.checked(Step::MIDOKU));
    EXPECT_EQ(model.unread(), (UnreadDate{126, 3, 9, 7, 5}));
}

TEST_F(MacroModelTest, UnreadYearsOf1996And2026SurviveSaveAndLoad) {
    model.ListBox1Click(0);
    model.setChecked(Step::MIDOKU, true);
    for (int year : {96, 126}) {
        model.setUnread(UnreadDate{year, 2, 29, 23, 59});
        for (int cycle = 0; cycle < 3; ++cycle) {
            ASSERT_TRUE(model.Convert());
            reload(0);
        }
        EXPECT_EQ(model.unread(), (UnreadDate{year, 2, 29, 23, 59})) << year;
    }
    EXPECT_EQ(bytes("NETA/NET.MAC"),
              "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMIDOKU :26/02/29 23:59:00\r\n");

    nets.setField(0, shell::kLastRead, "26/01/02 03:04:05");
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS"});
    reload(0);
    EXPECT_EQ(model.unread(), (UnreadDate{126, 1, 2, 3, 4}));
}

TEST_F(MacroModelTest, BodyLinesStayInTheirBlockAcrossWriteAndRead) {
    model.ListBox1Click(0);
    const base::Lines block =
        ReserveList::makeBlock("RES :PC#0123", {"Hello", "//", "//quoted", "QUIT", "MDOWN :PC#1"});
    ASSERT_TRUE(model.appendReservation(0, block));
    reload(0);
    EXPECT_EQ(model.reserve().lines(), block);
    EXPECT_EQ(model.reserve().ReserveLines(2), ">//");
    EXPECT_FALSE(model.checked(Step::QUIT));
}

TEST_F(MacroModelTest, ABlockCutOffByTheEndOfTheFileIsClosedOnLoad) {
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "RES :PC#1", "body", "NEWMESSAGE"});
    model.ListBox1Click(0);
    EXPECT_FALSE(model.checked(Step::NEWMESSAGE));
    EXPECT_EQ(model.reserve().lines(), (base::Lines{"RES :PC#1", "body", "NEWMESSAGE", "//"}));
    model.setChecked(Step::QUIT, true);
    ASSERT_TRUE(model.Convert());
    reload(0);
    EXPECT_TRUE(model.checked(Step::QUIT));
    EXPECT_EQ(model.reserve().ReserveCount(), 4);
}

TEST_F(MacroModelTest, AMissingTemplateIsReportedAndTheNetStartsEmpty) {
    base::removeFile(dir.file("NET.MAC"));
    model.ListBox1Click(2);
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(model.MacroCount(), 0);
    EXPECT_TRUE(model.Convert());
    EXPECT_EQ(bytes("NETC/NET.MAC"), "SETKTBBS\r\nDIAL{2}\r\nLOGIN\r\n");
}

TEST_F(MacroModelTest, TheDayFollowsTheMonth) {
    model.setMonth(1);
    model.setDay(31);
    model.setMonth(2);
    EXPECT_EQ(model.unread().day, 29);
    EXPECT_EQ(model.dayMax(), 29);
    model.setMonth(4);
    EXPECT_EQ(model.unread().day, 29);
    model.setDay(31);
    EXPECT_EQ(model.unread().day, 30);
    model.setMonth(12);
    model.setDay(31);
    EXPECT_EQ(model.unread().day, 31);
}

TEST_F(MacroModelTest, ChoosingANetSavesTheOneLeftAndMirrorsTheMainSelector) {
    EXPECT_EQ(host.calls, std::vector<std::string>{"selector:3:-1"});
    EXPECT_EQ(host.selectorNames, (std::vector<std::string>{"NET A", "NET B", "NET C"}));
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN"});
    writeNetFile("NETB", "NET.MAC", {"SETKTBBS", "DIAL{1}", "LOGIN", "QUIT"});

    model.ListBox1Click(0);
    model.setChecked(Step::MEMBOR, true);
    model.ListBox1Click(1);
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMEMBOR\r\n");
    EXPECT_EQ(ticked(), std::vector<Step>{Step::QUIT});

    // Choosing the net shown again saves it but does not reload it.
    model.setChecked(Step::NEWMESSAGE, true);
    model.ListBox1Click(1);
    EXPECT_TRUE(model.checked(Step::NEWMESSAGE));
    model.setChecked(Step::NEWMESSAGE, false);
    model.FormClose();
    EXPECT_EQ(bytes("NETB/NET.MAC"), "SETKTBBS\r\nDIAL{1}\r\nLOGIN\r\nQUIT\r\n");

    model.ListBox1Click(0);
    EXPECT_EQ(ticked(), std::vector<Step>{Step::MEMBOR});
    model.ListBox1Click(7); // no such net
    EXPECT_EQ(model.selectedNet(), 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"selector:3:-1", "selectMain:0", "selectMain:1",
                                                    "selectMain:1", "selectMain:0"}));
}

TEST_F(MacroModelTest, ReloadingTheNetListSavesTheNetShownThenForgetsIt) {
    host.provideAll();
    model.ListBox1Click(0);
    EXPECT_TRUE(model.enabled(Button::Login));
    model.FormShow(); // a net is loaded: nothing to do
    EXPECT_EQ(model.NetNo(), "0");
    model.setChecked(Step::MEMBOR, true);
    nets.addNew();
    model.reloadNetList();
    EXPECT_EQ(model.NetNo(), "999");
    EXPECT_EQ(model.selectedNet(), -1);
    EXPECT_EQ(model.netNames().size(), 4u);
    // Leaving the net for the new list saves it as choosing another net would.
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMEMBOR\r\n");
    EXPECT_FALSE(model.enabled(Button::Login));
    EXPECT_FALSE(model.enabled(Button::MailBox));
    EXPECT_EQ(host.calls.back(), "selector:4:-1");

    // With no net shown there is nothing to save.
    model.reloadNetList();
    EXPECT_EQ(bytes("NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMBOARD\r\nQUIT\r\n");
}

namespace {

// The settings window over the same net list, telling the net manager as the program does.
struct SettingsOverMacro : shell::SettingHost {
    MacroModel& macro;
    explicit SettingsOverMacro(MacroModel& m) : macro(m) {}
    void setMainAndMacroEnabled(bool) override {}
    void reloadMacroNetList() override { macro.reloadNetList(); }
    void warn(const std::string&) override {}
};

class SettingsAndMacroTest : public MacroModelTest {
protected:
    shell::Fonts fonts;
    SettingsOverMacro settingsHost{model};
    shell::SettingModel settings{nets, fonts, settingsHost};

    // Net B shown with a step ticked, an unread date and a reservation: everything Convert
    // writes. Only the reservation has reached NETB/NET.MAC yet.
    void showNetBWithUnsavedState() {
        writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN", "MBOARD"});
        writeNetFile("NETC", "NET.MAC", {"SETKTBBS", "DIAL{2}", "LOGIN", "QUIT"});
        model.ListBox1Click(1);
        ASSERT_TRUE(model.appendReservation(1, ReserveList::makeBlock("MDOWN :PC#5")));
        model.setChecked(Step::NEWMESSAGE, true);
        model.setChecked(Step::MIDOKU, true);
        model.setUnread(UnreadDate{126, 4, 5, 6, 7});
    }
    static constexpr const char* kNetBSaved =
        "SETKTBBS\r\nDIAL{1}\r\nLOGIN\r\nMIDOKU :26/04/05 06:07:00\r\nNEWMESSAGE\r\n"
        "MDOWN :PC#5\r\n";
    static constexpr const char* kTemplate = "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMBOARD\r\nQUIT\r\n";
};

} // namespace

TEST_F(SettingsAndMacroTest, OkInTheSettingsKeepsTheNetShownInItsOwnFile) {
    showNetBWithUnsavedState();
    settings.FormShow();
    settings.ListBox1Click(1);
    settings.fields().handle = "NEWHANDLE";
    ASSERT_TRUE(settings.Button9Click());
    settings.FormClose();
    EXPECT_EQ(model.NetNo(), "999");
    EXPECT_EQ(bytes("NETB/NET.MAC"), kNetBSaved);

    model.ListBox1Click(1);
    EXPECT_EQ(ticked(), (std::vector<Step>{Step::NEWMESSAGE, Step::MIDOKU}));
    EXPECT_EQ(model.unread(), (UnreadDate{126, 4, 5, 6, 7}));
    EXPECT_EQ(model.reserve().lines(), base::Lines{"MDOWN :PC#5"});
}

TEST_F(SettingsAndMacroTest, ANetMovedOrDeletedByOkIsSavedWhereItWasLoadedFrom) {
    // Deleting the net before it: net B becomes net 0, net C net 1.
    showNetBWithUnsavedState();
    settings.FormShow();
    settings.ListBox1Click(0);
    settings.deleteNet();
    ASSERT_TRUE(settings.Button9Click());
    EXPECT_EQ(bytes("NETB/NET.MAC"), kNetBSaved);
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMBOARD\r\n");
    EXPECT_EQ(bytes("NETC/NET.MAC"), "SETKTBBS\r\nDIAL{2}\r\nLOGIN\r\nQUIT\r\n");
    EXPECT_EQ(bytes("NET.MAC"), kTemplate);
    model.ListBox1Click(0);
    EXPECT_EQ(model.reserve().lines(), base::Lines{"MDOWN :PC#5"});
    EXPECT_EQ(ticked(), (std::vector<Step>{Step::NEWMESSAGE, Step::MIDOKU}));

    // Deleting the net shown itself: its state still goes to its own folder, nowhere else.
    model.setChecked(Step::QUIT, true);
    settings.FormShow();
    settings.ListBox1Click(0);
    settings.deleteNet();
    ASSERT_TRUE(settings.Button9Click());
    EXPECT_EQ(bytes("NETB/NET.MAC"),
              "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMIDOKU :26/04/05 06:07:00\r\nNEWMESSAGE\r\n"
              "MDOWN :PC#5\r\nQUIT\r\n");
    EXPECT_EQ(bytes("NETC/NET.MAC"), "SETKTBBS\r\nDIAL{2}\r\nLOGIN\r\nQUIT\r\n");
    EXPECT_EQ(bytes("NET.MAC"), kTemplate);
    EXPECT_EQ(model.netNames(), std::vector<std::string>{"NET C"});
}

TEST_F(SettingsAndMacroTest, ClosingTheSettingsWithoutOkLeavesTheNetShownAsItWas) {
    showNetBWithUnsavedState();
    settings.FormShow();
    settings.ListBox1Click(0);
    settings.deleteNet();
    settings.FormClose(); // the window's box: the deletion stays in the window
    EXPECT_EQ(model.NetNo(), "1");
    EXPECT_TRUE(model.checked(Step::NEWMESSAGE));
    // Leaving the net later saves it in its own folder under its unchanged number.
    model.ListBox1Click(2);
    EXPECT_EQ(bytes("NETB/NET.MAC"), kNetBSaved);
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMBOARD\r\n");
    EXPECT_EQ(bytes("NET.MAC"), kTemplate);
    EXPECT_EQ(ticked(), std::vector<Step>{Step::QUIT});
}

TEST_F(MacroModelTest, AppendingForAnotherNetSwitchesThereAndBack) {
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN", "MBOARD"});
    model.ListBox1Click(0);
    model.setChecked(Step::NEWMESSAGE, true); // kept: the net shown is not read again
    ASSERT_TRUE(model.appendReservation(1, ReserveList::makeBlock("MDOWN :PC#3")));
    // The new net kept the ticks on screen when it was loaded.
    EXPECT_EQ(bytes("NETB/NET.MAC"),
              "SETKTBBS\r\nDIAL{1}\r\nLOGIN\r\nMBOARD\r\nNEWMESSAGE\r\nMDOWN :PC#3\r\n");
    EXPECT_EQ(model.NetNo(), "0");
    EXPECT_EQ(ticked(), (std::vector<Step>{Step::NEWMESSAGE, Step::MBOARD}));
    EXPECT_TRUE(model.reserve().empty());

    model.reloadNetList(); // nothing selected: back to no net
    ASSERT_TRUE(model.appendReservation(2, ReserveList::makeBlock("FDOWN :BIN#1")));
    EXPECT_EQ(model.NetNo(), "999");
    EXPECT_TRUE(model.reserve().empty());
    EXPECT_FALSE(model.appendReservation(9, ReserveList::makeBlock("FDOWN :BIN#1")));
    EXPECT_EQ(host.warnings.size(), 1u);
}

// The engine takes carried-out blocks off the list; whatever is reserved for another net
// meanwhile must not read the net shown back from its file over that list.
TEST_F(MacroModelTest, AppendingForAnotherNetNeverReadsTheNetShownAgain) {
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN", "MDOWN :PC#1", "MDOWN :PC#2"});
    model.ListBox1Click(0);
    model.selectBoard(-1);
    ASSERT_TRUE(model.reserve().removeBlock("MDOWN :PC#1"));
    ASSERT_TRUE(model.appendReservation(1, ReserveList::makeBlock("MDOWN :PC#3")));
    EXPECT_EQ(model.reserve().lines(), base::Lines{"MDOWN :PC#2"});
    EXPECT_EQ(model.currentNet(), 0);
    EXPECT_TRUE(model.netLoaded());
    ASSERT_TRUE(model.saveNetMac());
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMDOWN :PC#2\r\n");
}

TEST_F(MacroModelTest, NothingIsReservedOrRemovedAndNoWriterOpensWhileARunIsOn) {
    host.provideAll();
    writeNetFile("NETA", "NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN", "MDOWN :PC#1"});
    model.ListBox1Click(0);
    host.calls.clear();
    host.running = true;
    EXPECT_FALSE(model.appendReservation(1, ReserveList::makeBlock("MDOWN :PC#3")));
    EXPECT_FALSE(model.appendReservation(0, ReserveList::makeBlock("MDOWN :PC#3")));
    EXPECT_FALSE(model.removeReservationAt(0));
    model.resformcleateClick();
    model.newwriteformcleateClick();
    model.MailWriteFormCleateClick();
    model.openUploadRequest();
    EXPECT_EQ(host.calls, std::vector<std::string>(7, "warn"));
    EXPECT_EQ(host.warnings.front(),
              base::sj(u8"通信中は予約できません．通信が終わってからもう一度予約してください．"));
    EXPECT_FALSE(base::fileExists(dir.file("NETB/NET.MAC")));
    EXPECT_EQ(model.reserve().lines(), base::Lines{"MDOWN :PC#1"});
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nMDOWN :PC#1\r\n");

    host.running = false;
    EXPECT_TRUE(model.removeReservationAt(0));
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\n");
    model.MailWriteFormCleateClick();
    EXPECT_EQ(host.calls.back(), "mailWriter");
}

// A short name read from the net list that is not one plain folder name never puts a
// net's files anywhere: not outside the data folder, not into the data folder itself.
TEST_F(MacroModelTest, ANetWhoseShortNameIsNoPlainFolderNameIsNeverWritten) {
    // A name of its own beside the test's folder, so no other run can have made it.
    const std::string outside = "../" + dir.path().substr(dir.path().rfind('/') + 1) + "-out";
    base::Lines list;
    for (const auto& r : {record("OUT", outside, "9"), record("DOT", ".", "9")})
        list.insert(list.end(), r.begin(), r.end());
    shell::NetList bad{dir.path(), list};
    MacroModel m{bad, host, dir.path()};
    m.FormShow();
    const std::string template_ = bytes("NET.MAC");
    for (int n : {0, 1}) {
        host.warnings.clear();
        m.ListBox1Click(n);
        EXPECT_FALSE(m.netLoaded()) << n;
        EXPECT_EQ(host.warnings.size(), 1u) << n;
        EXPECT_EQ(m.netFolder(n), "");
        EXPECT_FALSE(m.Convert());
        EXPECT_FALSE(m.appendReservation(n, ReserveList::makeBlock("MDOWN :PC#1")));
    }
    m.FormClose();
    EXPECT_FALSE(base::dirExists(dir.file(outside)));
    EXPECT_EQ(bytes("NET.MAC"), template_);
}

TEST_F(MacroModelTest, TheCommandListNeverOutgrowsItsTable) {
    model.ListBox1Click(0);
    for (Step s : kAllSteps)
        model.setChecked(s, true);
    const int room = MacroModel::kCommandCapacity - MacroModel::kMaxFixedCommands;
    ASSERT_TRUE(model.reserve().append(base::Lines(room - 1, "MDOWN :PC#1")));
    ASSERT_TRUE(model.Convert());
    const std::string before = bytes("NETA/NET.MAC");

    EXPECT_FALSE(model.appendReservation(0, ReserveList::makeBlock("NEWW :PC#t", {"x"})));
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(bytes("NETA/NET.MAC"), before);
    EXPECT_EQ(model.reserve().ReserveCount(), room - 1);

    EXPECT_TRUE(model.appendReservation(0, ReserveList::makeBlock("MDOWN :PC#2")));
    EXPECT_EQ(model.MacroCount(), MacroModel::kCommandCapacity);
    EXPECT_EQ(model.MacroLines(MacroModel::kCommandCapacity - 1), "QUIT");
}

TEST_F(MacroModelTest, AnOverlongFileIsReadAsFarAsItFitsAndKeptBeside) {
    base::Lines file = {"SETKTBBS", "DIAL{0}", "LOGIN"};
    for (int i = 0; i < 10005; ++i)
        file.push_back("MDOWN :PC#" + std::to_string(i));
    writeNetFile("NETA", "NET.MAC", file);
    model.ListBox1Click(0);
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(model.MacroCount(), MacroModel::kCommandCapacity);
    EXPECT_EQ(model.reserve().ReserveCount(),
              MacroModel::kCommandCapacity - MacroModel::kMaxFixedCommands);
    EXPECT_EQ(base::readLines(dir.file("NETA/NET.BAK")), file);
    EXPECT_TRUE(model.netLoaded());
}

TEST_F(MacroModelTest, NetNumbersThatNameNoNetLoadAndWriteNothing) {
    for (const char* text : {"abc", "5", "-1", "999"}) {
        model.setNetNo(text);
        EXPECT_FALSE(model.netLoaded()) << text;
        EXPECT_FALSE(model.Convert()) << text;
    }
    EXPECT_EQ(model.currentNet(), 999);
    nets.setField(1, shell::kShortName, " ");
    model.setNetNo("1");
    EXPECT_FALSE(model.Convert());
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_FALSE(base::fileExists(dir.file(" /NET.MAC")));

    // A folder that cannot be made: the write fails and is reported.
    base::replaceLines(dir.file("FILE"), {"x"});
    nets.setField(2, shell::kShortName, "FILE");
    model.setNetNo("2");
    EXPECT_TRUE(model.netLoaded());
    EXPECT_FALSE(model.Convert());
    EXPECT_EQ(host.warnings.size(), 2u);
    EXPECT_EQ(base::readLines(dir.file("NET.MAC")).size(), 5u); // the template is untouched
}

TEST_F(MacroModelTest, BoardListsAndTheButtonsThatFollowThem) {
    host.provideAll();
    const base::Lines message = {base::sj(u8"0001: PC パソコン"), "0002: CHAT"};
    writeNetFile("NETA", "MBOARD.LST", message);
    writeNetFile("NETA", "FBOARD.LST", {"0003: BIN binaries"});
    EXPECT_FALSE(model.enabled(Button::Login));
    model.ListBox1Click(0);
    for (Button b : {Button::Login, Button::MemberList, Button::MailBox, Button::LogImport})
        EXPECT_TRUE(model.enabled(b));
    for (Button b : {Button::Open, Button::Write, Button::ArticleList, Button::LogEdit})
        EXPECT_FALSE(model.enabled(b));
    EXPECT_EQ(model.boardLines(), message);

    model.selectBoard(0);
    for (Button b : {Button::Open, Button::Write, Button::ArticleList, Button::LogEdit})
        EXPECT_TRUE(model.enabled(b));
    host.calls.clear();
    model.writeButtonClick();
    const macro::NewSlot& slot = model.newSlot();
    EXPECT_EQ(slot.NewNetName, "NET A");
    EXPECT_EQ(slot.NewNetNo, "0");
    EXPECT_EQ(slot.NewBoard, "PC");
    EXPECT_EQ(slot.NewTitle, base::sj(u8"タイトルを入れてください"));
    EXPECT_EQ(slot.NewWriteMode, "NEW");
    model.boardDoubleClick();

    model.SpeedButton2Click();
    EXPECT_EQ(model.boardKind(), BoardKind::File);
    EXPECT_EQ(model.boardLines(), base::Lines{"0003: BIN binaries"});
    EXPECT_FALSE(model.enabled(Button::Write));
    model.selectBoard(0);
    EXPECT_TRUE(model.enabled(Button::Write));
    EXPECT_TRUE(model.enabled(Button::ArticleList));
    EXPECT_FALSE(model.enabled(Button::Open));
    EXPECT_FALSE(model.enabled(Button::LogEdit));
    model.newSlot().NewText = "left over";
    model.writeButtonClick();
    EXPECT_EQ(slot.NewBoard, "BIN");
    EXPECT_EQ(slot.NewText, "");
    model.boardDoubleClick(); // file boards open nothing
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"newWriter", "boardViewer", "hideMacro", "uploadRequest"}));

    // A net without board lists shows none.
    model.ListBox1Click(1);
    EXPECT_TRUE(model.boardLines().empty());
    EXPECT_EQ(model.selectedBoard(), -1);
}

TEST_F(MacroModelTest, LaterWindowsStayClosedUntilTheyAreProvided) {
    writeNetFile("NETA", "MBOARD.LST", {"0001: PC"});
    model.ListBox1Click(0);
    model.selectBoard(0);
    host.calls.clear();
    const Button all[] = {Button::Login,         Button::Open,         Button::ArticleList,
                          Button::LogEdit,       Button::MemberList,   Button::MailBox,
                          Button::Timer,         Button::TextStyle,    Button::ReserveEditor,
                          Button::LogImport,     Button::Write,        Button::EditNets,
                          Button::ModemSettings, Button::FontSettings, Button::Help};
    for (Button b : all)
        model.press(b);
    model.boardDoubleClick();
    EXPECT_FALSE(model.BitBtn2Click());
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"settings:0", "settings:1", "settings:2", "about"}));
}

TEST_F(MacroModelTest, StartingARunSavesTheNetBeforeTheAutoLogin) {
    host.provideAll();
    EXPECT_FALSE(model.BitBtn2Click()); // no net selected
    model.ListBox1Click(0);
    model.setChecked(Step::QUIT, true);
    host.calls.clear();
    EXPECT_TRUE(model.BitBtn2Click());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"stopTimer", "hideErrorLog", "showTerminal",
                                                    "hideMacro", "autoLogin"}));
    EXPECT_EQ(bytes("NETA/NET.MAC"), "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nQUIT\r\n");
    EXPECT_EQ(model.commandList(), (base::Lines{"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"}));
}

TEST_F(MacroModelTest, ASavedLogIsHandedToTheImport) {
    host.provideAll();
    model.ListBox1Click(0);
    base::replaceLines(dir.file("SAVED.LOG"), {"MAIN>", base::sj(u8"書き込み中")});
    model.importSavedLog(dir.file("SAVED.LOG"));
    EXPECT_EQ(host.importedLog, (base::Lines{"MAIN>", base::sj(u8"書き込み中")}));
    model.importSavedLog(dir.file("MISSING.LOG"));
    EXPECT_EQ(host.calls.back(), "warn");
}

TEST(BoardLine, NameAndNumber) {
    EXPECT_EQ(macro::boardNameOf(base::sj(u8"0001: PC パソコン")), "PC");
    EXPECT_EQ(macro::boardNameOf(base::sj(u8"0012: 雑談")), base::sj(u8"雑談"));
    EXPECT_EQ(macro::boardNameOf("0012 no colon"), "");
    EXPECT_EQ(macro::boardNumberOf("0012: X"), "12");
}

TEST_F(MacroModelTest, NothingAWriterHandsOverChangesTheShapeOfTheFile) {
    model.ListBox1Click(0);
    model.setChecked(Step::MEMBOR, true);
    const base::Lines block =
        ReserveList::makeBlock("RES :PC#1", {"Hello\r\n//\r\nQUIT", "MDOWN :PC#9\nbye"});
    ASSERT_TRUE(model.appendReservation(0, block));
    reload(0);
    EXPECT_EQ(model.reserve().lines(),
              (base::Lines{"RES :PC#1", "Hello", ">//", "QUIT", "MDOWN :PC#9", "bye", "//"}));
    EXPECT_EQ(model.reserve().headers(), std::vector<std::string>{"RES :PC#1"});
    EXPECT_EQ(ticked(), std::vector<Step>{Step::MEMBOR});

    // Blocks not made by makeBlock are checked before anything is touched.
    const std::string before = bytes("NETA/NET.MAC");
    for (const base::Lines& bad : std::vector<base::Lines>{{"QUIT"},
                                                           {"RES :PC#2", "a\r\nQUIT", "//"},
                                                           {"RES :PC#2", "x"},
                                                           {"MDOWN :PC#1", "QUIT"},
                                                           {}})
        EXPECT_FALSE(model.appendReservation(0, bad)) << ::testing::PrintToString(bad);
    EXPECT_EQ(host.warnings.size(), 5u);
    EXPECT_EQ(bytes("NETA/NET.MAC"), before);
    EXPECT_EQ(model.reserve().ReserveCount(), 7);
}

TEST_F(MacroModelTest, Net99IsSavedOnLeavingItLikeEveryOtherNet) {
    base::Lines hundredAndOne;
    for (int n = 0; n <= 100; ++n) {
        const auto r = record("NET " + std::to_string(n), "N" + std::to_string(n), "9");
        hundredAndOne.insert(hundredAndOne.end(), r.begin(), r.end());
    }
    shell::NetList many{dir.path(), hundredAndOne};
    MacroModel m{many, host, dir.path()};
    m.FormShow();
    for (int n : {98, 99, 100})
        writeNetFile("N" + std::to_string(n), "NET.MAC",
                     {"SETKTBBS", "DIAL{" + std::to_string(n) + "}", "LOGIN", "MBOARD"});

    m.ListBox1Click(98);
    m.setChecked(Step::QUIT, true);
    m.ListBox1Click(99); // leaving 98 saves it
    EXPECT_EQ(bytes("N98/NET.MAC"), "SETKTBBS\r\nDIAL{98}\r\nLOGIN\r\nMBOARD\r\nQUIT\r\n");
    EXPECT_TRUE(m.netLoaded());
    EXPECT_TRUE(m.checked(Step::MBOARD));
    EXPECT_FALSE(m.checked(Step::QUIT));
    m.setChecked(Step::QUIT, true);
    m.setDay(3);
    m.setChecked(Step::MIDOKU, true);
    m.ListBox1Click(98); // leaving 99 saves its steps and unread date
    EXPECT_EQ(bytes("N99/NET.MAC"), "SETKTBBS\r\nDIAL{99}\r\nLOGIN\r\nMBOARD\r\nMIDOKU :" +
                                        macro::midokuDate(m.unread()) + "\r\nQUIT\r\n");
    m.ListBox1Click(99);
    m.setChecked(Step::MBOARD, false);
    m.FormClose();
    EXPECT_EQ(bytes("N99/NET.MAC"), "SETKTBBS\r\nDIAL{99}\r\nLOGIN\r\nMIDOKU :" +
                                        macro::midokuDate(m.unread()) + "\r\nQUIT\r\n");

    m.ListBox1Click(100); // past the last net served: it cannot be chosen
    EXPECT_EQ(m.selectedNet(), 99);
    m.setNetNo("100"); // nor loaded by its number
    EXPECT_FALSE(m.netLoaded());
    EXPECT_EQ(m.MacroCount(), 0);
    EXPECT_FALSE(m.Convert());
}

TEST_F(MacroModelTest, AFileOfExactlyTenThousandLinesIsReadWhole) {
    base::Lines file = {"SETKTBBS", "DIAL{0}", "LOGIN", "MBOARD", "MEMBOR", "NEWMESSAGE"};
    const int room = MacroModel::kCommandCapacity - MacroModel::kMaxFixedCommands;
    while (static_cast<int>(file.size()) < 6 + room)
        file.push_back("MDOWN :PC#" + std::to_string(file.size()));
    file.insert(file.end(), {"NEWFILE", "FBOARD", "MIDOKU :96/07/01 08:30:00", "QUIT"});
    ASSERT_EQ(file.size(), 10000u);
    writeNetFile("NETA", "NET.MAC", file);
    model.ListBox1Click(0);
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_FALSE(base::fileExists(dir.file("NETA/NET.BAK")));
    EXPECT_EQ(model.MacroCount(), 10000);
    EXPECT_EQ(model.reserve().ReserveCount(), room);
    EXPECT_TRUE(model.checked(Step::QUIT));
    ASSERT_TRUE(model.Convert());
    EXPECT_EQ(base::readLines(dir.file("NETA/NET.MAC")).size(), 10000u);

    // One line more and the last one is cut off, with the whole file kept beside.
    file.push_back("NEWMESSAGE");
    writeNetFile("NETA", "NET.MAC", file);
    reload(0);
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(base::readLines(dir.file("NETA/NET.BAK")), file);
}

TEST_F(MacroModelTest, ReservationsThatOverflowTheFixedCommandsRoomAreKeptInTheBackup) {
    // Fewer than 10,000 lines, but the fixed commands Convert writes and the reservations
    // would pass 10,000 together: the blocks past the room are kept only in NET.BAK.
    const int room = MacroModel::kCommandCapacity - MacroModel::kMaxFixedCommands;
    base::Lines file = {"SETKTBBS"};
    for (int i = 0; i < room + 5; ++i)
        file.push_back("FDOWN :BIN#" + std::to_string(i));
    ASSERT_LT(file.size(), 10000u);
    writeNetFile("NETA", "NET.MAC", file);
    model.ListBox1Click(0);
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(base::readLines(dir.file("NETA/NET.BAK")), file);
    EXPECT_EQ(model.reserve().ReserveCount(), room);
    EXPECT_TRUE(model.netLoaded());
    for (Step s : kAllSteps)
        model.setChecked(s, true);
    ASSERT_TRUE(model.Convert());
    EXPECT_EQ(model.MacroCount(), 10000);

    // When NET.BAK cannot be written the net is not written either.
    base::removeFile(dir.file("NETA/NET.BAK"));
    base::makeDirs(dir.file("NETA/NET.BAK/x"));
    writeNetFile("NETA", "NET.MAC", file);
    reload(0);
    EXPECT_EQ(host.warnings.size(), 2u);
    EXPECT_FALSE(model.netLoaded());
    EXPECT_FALSE(model.Convert());
    EXPECT_EQ(base::readLines(dir.file("NETA/NET.MAC")), file);
}

TEST_F(MacroModelTest, ALastReadDateWithAOneDigitYearSetsTheUnreadDate) {
    struct Case {
        const char* lastRead;
        UnreadDate date;
        const char* midoku; // the line Convert writes from it
    };
    for (const Case& c :
         {Case{"6/03/09 07:05:00", {106, 3, 9, 7, 5}, "MIDOKU :06/03/09 07:05:00"},
          Case{"0/1/1 0:00", {100, 1, 1, 0, 0}, "MIDOKU :00/01/01 00:00:00"},
          Case{"last 9/12/31 23:59", {109, 12, 31, 23, 59}, "MIDOKU :09/12/31 23:59:00"}}) {
        writeNetFile("NETB", "NET.MAC", {"SETKTBBS", "DIAL{1}", "LOGIN"}); // no MIDOKU line
        nets.setField(1, shell::kLastRead, c.lastRead);
        reload(1);
        EXPECT_EQ(model.unread(), c.date) << c.lastRead;
        model.setChecked(Step::MIDOKU, true);
        ASSERT_TRUE(model.Convert());
        EXPECT_EQ(base::readLines(dir.file("NETB/NET.MAC")).back(), c.midoku) << c.lastRead;
    }
}

// A net list written by hand or by an older program may hold more nets than are served:
// those past the 100th are kept in the file but cannot be chosen, and the user is told once.
TEST_F(MacroModelTest, NetsPastTheHundredthAreKeptButNeverChosen) {
    base::Lines lines;
    for (int i = 0; i < 102; ++i) {
        const base::Lines r = record("NET" + std::to_string(i), "F" + std::to_string(i), "9");
        lines.insert(lines.end(), r.begin(), r.end());
    }
    shell::NetList many(dir.path(), lines);
    RecordingMacroHost manyHost;
    MacroModel manyModel(many, manyHost, dir.path());
    manyModel.FormShow();
    ASSERT_EQ(manyModel.netNames().size(), 100u);
    EXPECT_EQ(manyModel.netNames().back(), "NET99");
    ASSERT_EQ(manyHost.warnings.size(), 1u);
    EXPECT_NE(manyHost.warnings[0].find("NETLIST.DAT"), std::string::npos);
    EXPECT_EQ(manyHost.selectorNames.size(), 100u); // the main window's selector too

    manyModel.ListBox1Click(99);
    EXPECT_EQ(manyModel.selectedNet(), 99);
    manyModel.ListBox1Click(100);
    manyModel.ListBox1Click(101);
    EXPECT_EQ(manyModel.selectedNet(), 99);
    manyModel.reloadNetList();
    EXPECT_EQ(manyHost.warnings.size(), 1u); // told once
    EXPECT_EQ(many.count(), 102);            // nothing of the file is dropped
    EXPECT_FALSE(base::dirExists(dir.file("F100")));
}
