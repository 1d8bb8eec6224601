#pragma once
// The main window's own state: the three browse-mode ticks and the three display fonts
// that the viewers and writers use, and the two moments it acts on the settings file:
// the first show (START) reads TARNO_I2.INI into itself and the settings window, closing
// (FormCloseQuery) writes it again.
#include "shell/SettingModel.h"
#include "shell/SettingsFile.h"

#include <string>

namespace shell {

// What the main window's start-up needs of the rest of the program.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // The net manager's net number text ("999" is no net).
    virtual void setMacroNetNo(const std::string& netNo) = 0;
    virtual void warn(const std::string& sjisText) = 0;
};

class FrameModel {
public:
    // `folder` is where the settings file lives (the data folder).
    explicit FrameModel(FrameHost& host, std::string folder = ".");

    // Runs the start-up on the first show only; later calls do nothing. Returns true when
    // the settings were read completely, which is when a capture log left by an interrupted
    // run may be looked for.
    bool START(SettingModel& settings);
    bool firstShow() const { return firstShow_; }

    // Writes TARNO_I2.INI afresh from the ticks, the fonts and the settings window's modem
    // settings. Closing is never refused; a failed write is reported and the old file kept.
    // A file that did not load whole was first kept as TARNO_I2.BAK by START; one that
    // could not be read (or kept) is not written at all.
    void FormCloseQuery(const SettingModel& settings);

    // "新規発言" and "すべて" untick each other; "ツリー表示" toggles.
    void setBrowseNew(bool on);
    void setBrowseAll(bool on);
    void setTreeView(bool on) { treeView_ = on; }
    bool browseNew() const { return browseNew_; }
    bool browseAll() const { return browseAll_; }
    bool treeView() const { return treeView_; }

    // TitleFont, ArticleFont, EditorFont.
    Fonts& fonts() { return fonts_; }
    const Fonts& fonts() const { return fonts_; }

private:
    std::string keepOriginal();

    FrameHost& host_;
    std::string folder_;
    bool firstShow_ = true;
    bool mayWrite_ = true;
    bool browseNew_;
    bool browseAll_;
    bool treeView_;
    Fonts fonts_;
};

} // namespace shell
