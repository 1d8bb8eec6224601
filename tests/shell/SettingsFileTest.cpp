#include "shell/SettingsFile.h"
#include "base/Sjis.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {
SettingsFileData sample() {
    SettingsFileData d;
    d.browseNew = false;
    d.browseAll = true;
    d.treeView = false;
    d.fonts[kTitleFont] = DisplayFont{base::sj(u8"ＭＳ ゴシック"), 9, 0x000000};
    d.fonts[kArticleFont] = DisplayFont{"IPAGothic", 12, 0x123456};
    d.fonts[kEditorFont] = DisplayFont{"Mono", 11, kClWindowText};
    for (int i = 0; i < kModemSettings; ++i) {
        auto& m = d.modems[static_cast<size_t>(i)];
        m.name = base::sj(u8"モデム") + std::to_string(i);
        m.dialPrefix = "ATDT";
        m.initCommand = "AT&F\\Q3";
        m.redialWait = 30 + i;
        m.port = 1 + i % 4;
        m.baudRate = 38400;
        m.appendDigit = i % 2 == 1;
    }
    return d;
}
} // namespace

TEST(SettingsFile, WrittenAndReadBackIdentically) {
    SettingsFileData d = sample();
    base::Lines lines = settingsLines(d);
    ASSERT_EQ(lines.size(), 61u);
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[1], "1");
    EXPECT_EQ(lines[3], "@\\a" + base::sj(u8"ＭＳ ゴシック") + "\\b9\\cclBlack\\d FONT_V0");
    EXPECT_EQ(lines[4], "@\\aIPAGothic\\b12\\c$00123456\\d FONT_V0");
    EXPECT_EQ(lines[5], "@\\aMono\\b11\\cclWindowText\\d FONT_V0");
    EXPECT_EQ((base::Lines{lines.begin() + 6, lines.begin() + 10}), base::Lines(4, "0"));
    EXPECT_EQ((base::Lines{lines.begin() + 20, lines.begin() + 30}),
              (base::Lines{"1", "ATDT", "AT&F\\Q3", "31", "2", "38400", base::sj(u8"モデム1"), "0",
                           "0", "0"}));
    EXPECT_EQ(lines[60], "END_OF_TARNO_INI");

    SettingsFileData back;
    SettingsReadResult r = applySettingsLines(lines, back);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(back.browseNew, d.browseNew);
    EXPECT_EQ(back.browseAll, d.browseAll);
    EXPECT_EQ(back.treeView, d.treeView);
    EXPECT_EQ(back.fonts, d.fonts);
    EXPECT_EQ(back.modems, d.modems);
    EXPECT_EQ(settingsLines(back), lines);
}

TEST(SettingsFile, LongFontNamesAreCutTo31Bytes) {
    DisplayFont f{std::string(40, 'N'), 10, 0};
    EXPECT_EQ(fontLine(f), "@\\a" + std::string(31, 'N') + "\\b10\\cclBlack\\d FONT_V0");
    EXPECT_EQ(std::string("@\\a").size() + 31, 34u);
    // A double-byte character across the cut is left out whole.
    DisplayFont j{std::string(30, 'x') + base::sj(u8"字字"), 10, 0};
    EXPECT_EQ(fontLine(j), "@\\a" + std::string(30, 'x') + "\\b10\\cclBlack\\d FONT_V0");
    DisplayFont exact{std::string(29, 'x') + base::sj(u8"字"), 10, 0};
    EXPECT_EQ(fontLine(exact), "@\\a" + exact.name + "\\b10\\cclBlack\\d FONT_V0");
}

TEST(SettingsFile, ColoursBothWays) {
    EXPECT_EQ(colorToString(0x0000FF), "clRed");
    EXPECT_EQ(colorToString(0xFF0000), "clBlue");
    EXPECT_EQ(colorToString(0xC0C0C0), "clSilver");
    EXPECT_EQ(colorToString(0x80000005), "clWindow");
    EXPECT_EQ(colorToString(0x00ABCDEF), "$00abcdef");
    EXPECT_EQ(stringToColor("clNavy"), 0x800000u);
    EXPECT_EQ(stringToColor("clLtGray"), 0xC0C0C0u);
    EXPECT_EQ(stringToColor("CLRED"), 0x0000FFu);
    EXPECT_EQ(stringToColor("$00abcdef"), 0x00ABCDEFu);
    EXPECT_EQ(stringToColor("$80000008"), kClWindowText);
    EXPECT_EQ(stringToColor("255"), 255u);
    EXPECT_FALSE(stringToColor("clNoSuchColour"));
    EXPECT_FALSE(stringToColor(""));
}

TEST(SettingsFile, ABadNumberStopsReadingAndLaterSettingsKeepTheirDefaults) {
    base::Lines lines = settingsLines(sample());
    lines[33] = "fast"; // setting 2's redial wait
    SettingsFileData d;
    SettingsReadResult r = applySettingsLines(lines, d);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.badLine, 34);
    EXPECT_NE(r.error.find("34"), std::string::npos);
    EXPECT_NE(r.error.find("fast"), std::string::npos);
    SettingsFileData s = sample();
    EXPECT_EQ(d.modems[0], s.modems[0]);
    EXPECT_EQ(d.modems[1], s.modems[1]);
    // Setting 2 has what came before the bad line, and nothing after it.
    EXPECT_EQ(d.modems[2].dialPrefix, "ATDT");
    EXPECT_EQ(d.modems[2].redialWait, 0);
    EXPECT_EQ(d.modems[2].name, base::sj(u8"設定３"));
    EXPECT_EQ(d.modems[4], defaultModemSettings()[4]);
}

TEST(SettingsFile, FontLinesThatCannotBeReadAndShortFiles) {
    base::Lines lines = settingsLines(sample());
    lines[4] = "plain text"; // no FONT_V0: the design font stays, reading goes on
    SettingsFileData d;
    EXPECT_TRUE(applySettingsLines(lines, d).complete);
    EXPECT_EQ(d.fonts[kArticleFont], DisplayFont{});
    EXPECT_EQ(d.modems, sample().modems);

    lines[4] = "@\\aX\\bbig\\cclRed\\d FONT_V0";
    SettingsFileData e;
    SettingsReadResult r = applySettingsLines(lines, e);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.badLine, 5);
    EXPECT_EQ(e.fonts[kTitleFont], sample().fonts[kTitleFont]);
    EXPECT_EQ(e.fonts[kArticleFont], DisplayFont{});

    const base::Lines full = settingsLines(sample());
    base::Lines shortFile(full.begin(), full.begin() + 25);
    SettingsFileData f;
    r = applySettingsLines(shortFile, f);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.badLine, 26);
    EXPECT_EQ(f.modems[0], sample().modems[0]);
    EXPECT_EQ(f.modems[1].name, base::sj(u8"設定２"));

    // The end marker itself is not needed.
    base::Lines noEnd = settingsLines(sample());
    noEnd.pop_back();
    SettingsFileData g;
    EXPECT_TRUE(applySettingsLines(noEnd, g).complete);
}
