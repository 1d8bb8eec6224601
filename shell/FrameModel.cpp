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
    std::string openError;
    for (const char* name : {kSettingsFile, kSettingsStartingCopy}) {
        try {
            if (base::readLinesIfExists(base::joinPath(folder_, name), lines)) {
                found = true;
                break;
            }
        } catch (const base::FileError& e) {
            openError = e.what();
            break;
        }
    }
    if (!found) {
        if (!openError.empty())
            host_.warn(openError);
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
    if (!result.complete)
        host_.warn(result.error);
    return result.complete;
}

void FrameModel::FormCloseQuery(const SettingModel& settings) {
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
