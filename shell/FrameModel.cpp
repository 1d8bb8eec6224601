#include "shell/FrameModel.h"

#include "base/Path.h"
#include "base/Sjis.h"

namespace shell {

FrameModel::FrameModel(FrameHost& host, std::string folder)
    : host_(host), folder_(std::move(folder)) {
    SettingsFileData defaults;
    browseNew_ = defaults.browseNew;
    browseAll_ = defaults.browseAll;
    treeView_ = defaults.treeView;
    fonts_ = defaults.fonts;
}

void FrameModel::setBrowseNew(bool on) {
    browseNew_ = on;
    if (on)
        browseAll_ = false;
}

void FrameModel::setBrowseAll(bool on) {
    browseAll_ = on;
    if (on)
        browseNew_ = false;
}

bool FrameModel::START(SettingModel& settings) {
    if (!firstShow_)
        return false;
    firstShow_ = false;
    host_.setMacroNetNo("999");

    base::Lines lines;
    bool found = false;
    bool ownFile = false; // read from TARNO_I2.INI, not from the starting copy
    std::string openError;
    for (const char* name : {kSettingsFile, kSettingsStartingCopy}) {
        try {
            if (base::readLinesIfExists(base::joinPath(folder_, name), lines)) {
                found = true;
                ownFile = name == std::string(kSettingsFile);
                break;
            }
        } catch (const base::FileError& e) {
            openError = e.what();
            break;
        }
    }
    if (!found) {
        if (!openError.empty()) {
            // The file is there but unreadable: what it holds is unknown, so the exit
            // must not replace it with the defaults.
            mayWrite_ = false;
            host_.warn(openError + base::sj(u8"\r\n終了時にも設定ファイルは書き換えません。"));
        }
        return false; // the design defaults stay
    }

    SettingsFileData data;
    data.browseNew = browseNew_;
    data.browseAll = browseAll_;
    data.treeView = treeView_;
    data.fonts = settings.rowFonts();
    data.modems = defaultModemSettings();
    SettingsReadResult result = applySettingsLines(lines, data);

    browseNew_ = data.browseNew;
    browseAll_ = data.browseAll;
    treeView_ = data.treeView;
    settings.rowFonts() = data.fonts;
    settings.modems() = data.modems;
    fonts_ = settings.rowFonts();
    if (!result.complete) {
        std::string text = result.error;
        if (ownFile)
            text += keepOriginal();
        host_.warn(text);
    }
    return result.complete;
}

// The settings the exit writes hold less than the file did: the file is kept beside first.
// When that fails the exit leaves the file alone.
std::string FrameModel::keepOriginal() {
    const std::string backup = base::joinPath(folder_, kSettingsBackup);
    try {
        base::replaceFile(backup, base::readFile(base::joinPath(folder_, kSettingsFile)));
    } catch (const base::FileError& e) {
        mayWrite_ = false;
        return base::sj(u8"\r\n元のファイルを保存できないため，終了時にも書き換えません。\r\n") +
               e.what();
    }
    return base::sj(u8"\r\n元のファイルは ") + kSettingsBackup + base::sj(u8" に保存しました。");
}

void FrameModel::FormCloseQuery(const SettingModel& settings) {
    if (!mayWrite_)
        return;
    SettingsFileData data;
    data.browseNew = browseNew_;
    data.browseAll = browseAll_;
    data.treeView = treeView_;
    data.fonts = fonts_;
    data.modems = settings.modems();
    try {
        base::replaceLines(base::joinPath(folder_, kSettingsFile), settingsLines(data));
    } catch (const base::FileError& e) {
        host_.warn(base::sj(u8"設定ファイルを保存できませんでした。") + "\r\n" + e.what());
    }
}

} // namespace shell
