#include "RecordingHosts.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace shell;
using testing_support::TempDir;

namespace {
struct Program {
    RecordingHost host;
    FrameModel frame;
    NetList nets;
    SettingModel settings;
    explicit Program(const std::string& dir)
        : frame(host, dir), nets(dir), settings(nets, frame.fonts(), host) {}
};
} // namespace

TEST(FrameModel, WithoutASettingsFileTheDesignDefaultsStay) {
    TempDir dir;
    Program p(dir.path());
    EXPECT_FALSE(p.frame.START(p.settings));
    EXPECT_EQ(p.host.calls, (std::vector<std::string>{"netNo:999"}));
    EXPECT_EQ(p.settings.modems(), defaultModemSettings());
    EXPECT_TRUE(p.frame.browseNew());
    EXPECT_FALSE(p.frame.firstShow());
    EXPECT_FALSE(p.frame.START(p.settings)); // only the first show runs it
    EXPECT_EQ(p.host.calls.size(), 1u);
}

TEST(FrameModel, ClosingAndStartingAgainRestoresEverything) {
    TempDir dir;
    {
        Program p(dir.path());
        p.frame.START(p.settings);
        p.frame.setBrowseAll(true);
        p.frame.setTreeView(false);
        EXPECT_FALSE(p.frame.browseNew());
        p.settings.SettingNameChange(4);
        p.settings.renameCurrentSetting(base::sj(u8"外付けモデム"));
        p.settings.UpDownClick(3);
        p.settings.setPort(4);
        p.settings.setInitCommand("ATZ");
        p.settings.setAppendDigit(true);
        p.settings.setRowFont(kEditorFont, DisplayFont{"Ed", 14, 0xFF0000});
        p.settings.applyFonts();
        p.frame.FormCloseQuery(p.settings);
    }
    base::Lines file = base::readLines(dir.file("TARNO_I2.INI"));
    EXPECT_EQ(file.size(), 61u);
    EXPECT_EQ(file.back(), "END_OF_TARNO_INI");
    EXPECT_EQ(base::readFile(dir.file("TARNO_I2.INI")).substr(0, 9), "0\r\n1\r\n0\r\n");

    Program q(dir.path());
    EXPECT_TRUE(q.frame.START(q.settings));
    EXPECT_FALSE(q.frame.browseNew());
    EXPECT_TRUE(q.frame.browseAll());
    EXPECT_FALSE(q.frame.treeView());
    EXPECT_EQ(q.frame.fonts()[kEditorFont], (DisplayFont{"Ed", 14, 0xFF0000}));
    EXPECT_EQ(q.settings.rowFonts(), q.frame.fonts());
    const ModemSetting& m = q.settings.modems()[4];
    EXPECT_EQ(m.name, base::sj(u8"外付けモデム"));
    EXPECT_EQ(m.baudRate, 38400);
    EXPECT_EQ(m.port, 4);
    EXPECT_EQ(m.initCommand, "ATZ");
    EXPECT_TRUE(m.appendDigit);
    EXPECT_EQ(q.host.calls, (std::vector<std::string>{"netNo:999"}));
}

TEST(FrameModel, TheStartingCopyIsReadButNeverWritten) {
    TempDir dir;
    SettingsFileData d;
    d.modems[0].name = "FromNew";
    base::replaceLines(dir.file("TARNO_I2.NEW"), settingsLines(d));
    Program p(dir.path());
    EXPECT_TRUE(p.frame.START(p.settings));
    EXPECT_EQ(p.settings.modems()[0].name, "FromNew");
    p.frame.FormCloseQuery(p.settings);
    EXPECT_TRUE(base::fileExists(dir.file("TARNO_I2.INI")));
    EXPECT_EQ(base::readLines(dir.file("TARNO_I2.NEW")), settingsLines(d));
}

TEST(FrameModel, ABadLineIsReportedAndStopsTheCaptureLogSearch) {
    TempDir dir;
    base::Lines lines = settingsLines(SettingsFileData{});
    lines[0] = "yes";
    base::replaceLines(dir.file("TARNO_I2.INI"), lines);
    Program p(dir.path());
    EXPECT_FALSE(p.frame.START(p.settings));
    ASSERT_EQ(p.host.calls.size(), 2u);
    EXPECT_EQ(p.host.calls[1].rfind("warn:", 0), 0u);
    EXPECT_NE(p.host.calls[1].find("TARNO_I2.INI"), std::string::npos);
}

TEST(FrameModel, AFailedWriteIsReportedAndKeepsTheOldFile) {
    TempDir dir;
    base::replaceLines(dir.file("TARNO_I2.INI"), {"old"});
    // Point the model at a folder that is gone: nothing can be written there.
    Program p(dir.file("gone"));
    p.frame.FormCloseQuery(p.settings);
    ASSERT_EQ(p.host.calls.size(), 1u);
    EXPECT_EQ(p.host.calls[0].rfind("warn:", 0), 0u);
    EXPECT_EQ(base::readLines(dir.file("TARNO_I2.INI")), base::Lines{"old"});
}

// A file that did not load whole keeps what it held: the original is kept beside before
// anything is written over it, and one that could not be read at all is never written.
TEST(FrameModel, ASettingsFileThatDidNotLoadWholeIsNeverOverwrittenWithLess) {
    TempDir dir;
    SettingsFileData mine;
    mine.modems[3].name = "MINE";
    base::Lines lines = settingsLines(mine);
    lines[23] = "slow"; // modem setting 1's redial wait
    base::replaceLines(dir.file("TARNO_I2.INI"), lines);
    const std::string original = base::readFile(dir.file("TARNO_I2.INI"));
    {
        Program p(dir.path());
        EXPECT_FALSE(p.frame.START(p.settings));
        p.frame.FormCloseQuery(p.settings);
        EXPECT_NE(p.host.calls.back().find("TARNO_I2.BAK"), std::string::npos);
    }
    EXPECT_EQ(base::readFile(dir.file("TARNO_I2.BAK")), original);

    // The next start reads its own file whole; the copy beside is left alone.
    base::replaceLines(dir.file("TARNO_I2.INI"), settingsLines(mine));
    Program q(dir.path());
    EXPECT_TRUE(q.frame.START(q.settings));
    base::replaceFile(dir.file("TARNO_I2.BAK"), "kept");
    q.frame.FormCloseQuery(q.settings);
    EXPECT_EQ(base::readFile(dir.file("TARNO_I2.BAK")), "kept");

    // Unreadable (a folder stands where the file should be): nothing is written at exit.
    TempDir other;
    base::makeDirs(other.file("TARNO_I2.INI"));
    Program r(other.path());
    EXPECT_FALSE(r.frame.START(r.settings));
    r.frame.FormCloseQuery(r.settings);
    EXPECT_TRUE(base::dirExists(other.file("TARNO_I2.INI")));
    EXPECT_FALSE(base::fileExists(other.file("TARNO_I2.BAK")));
}
