#pragma once
// The settings file TARNO_I2.INI: the three browse-mode ticks, the three display fonts and
// the five modem settings, 61 lines of Shift-JIS text.
//
//   1-3    browse ticks "新規発言", "すべて", "ツリー表示": 1 or 0
//   4-6    title, article and editor font: "@\a" name "\b" size "\c" colour "\d FONT_V0"
//   7-10   "0"
//   11-60  five modem settings of ten lines: append-digit flag, dial prefix, init command,
//          redial wait, port, baud rate, name, "0", "0", "0"
//   61     "END_OF_TARNO_INI"
#include "base/LineFile.h"
#include "shell/DisplayFont.h"
#include "shell/ModemSetting.h"

#include <array>
#include <string>

namespace shell {

enum FontRow { kTitleFont = 0, kArticleFont = 1, kEditorFont = 2 };
using Fonts = std::array<DisplayFont, 3>;

struct SettingsFileData {
    bool browseNew = true;  // "新規発言"
    bool browseAll = false; // "すべて"
    bool treeView = true;   // "ツリー表示"
    Fonts fonts;
    ModemSettings modems = defaultModemSettings();
};

struct SettingsReadResult {
    bool complete = true; // every setting was read
    int badLine = 0;      // 1-based line that stopped reading, 0 when complete
    std::string error;    // Shift-JIS message for the user, empty when complete
};

constexpr const char* kSettingsFile = "TARNO_I2.INI";
constexpr const char* kSettingsStartingCopy = "TARNO_I2.NEW";
constexpr const char* kSettingsBackup = "TARNO_I2.BAK"; // a file that did not load whole
constexpr int kSettingsLines = 61;
constexpr int kFontNameMax = 31;

// Applies the lines over `data` in file order. Reading stops at the first line that should
// be a number and is not (or a font line that cannot be read, or the end of a short file);
// what came before it is applied, everything from it on keeps the value `data` had.
SettingsReadResult applySettingsLines(const base::Lines& lines, SettingsFileData& data);

// The 61 lines of the file for `data`.
base::Lines settingsLines(const SettingsFileData& data);

// One font line; the name is cut to 31 bytes without splitting a double-byte character.
std::string fontLine(const DisplayFont& font);
// Reads name, size and colour of a line holding "FONT_V0" into `font` (its effects are
// kept); false, and `font` unchanged, when the line cannot be read.
bool parseFontLine(const std::string& line, DisplayFont& font);

} // namespace shell
