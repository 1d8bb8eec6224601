#pragma once
// The settings window's state and rules: the net list's fields on screen and how they are
// copied back, new and deleted nets, the five modem settings and the three row fonts.
//
// The window forwards every user action here and then shows what the model holds; the
// model edits its own copy of the net list and hands it to the program (and saves it)
// only on the net page's OK. Modem settings and fonts live here for the whole run; the
// main window writes them to the settings file when the program closes.
#include "shell/ModemSetting.h"
#include "shell/NetList.h"
#include "shell/SettingPage.h"
#include "shell/SettingsFile.h"

#include <string>
#include <vector>

namespace shell {

// What the settings window needs of the rest of the program.
class SettingHost {
public:
    virtual ~SettingHost() = default;
    // The main and the net manager window are disabled while the settings window is shown.
    virtual void setMainAndMacroEnabled(bool enabled) = 0;
    // The net list was saved: the net manager forgets its net and lists the nets again.
    virtual void reloadMacroNetList() = 0;
    // Just before that, when nets were deleted from the `before` nets: net n of the saved
    // list was net origin[n], -1 for a net made since. What names nets by number follows.
    virtual void netsRenumbered(const std::vector<int>& origin, int before) {
        (void)origin;
        (void)before;
    }
    virtual void warn(const std::string& sjisText) = 0;
};

// The net fields on the net page, as typed.
struct NetFields {
    std::string name;
    std::string shortName;
    std::string telNo;
    int modemIndex = -1; // selected entry of the page's modem setting list, -1 for none
    std::string userId;
    std::string password;
    std::string handle;

    bool operator==(const NetFields&) const = default;
};

class SettingModel {
public:
    enum class HostKindButton { KTBBS, BIG };

    // `mainFonts` are the fonts the main window owns; "更新" copies the row fonts into them.
    SettingModel(NetList& nets, Fonts& mainFonts, SettingHost& host);

    // Loads NETLIST.DAT (else NETLIST.NEW) from the working folder; when neither can be read
    // the user is told and the list is empty.
    void loadNetList();

    // Showing and closing the window.
    void FormShow();
    void FormClose();

    // Entering a page prepares it again.
    void prepareNetPage();
    void prepareFontPage();

    // Net page.
    void PropatyCopy();
    void ListBox1Click(int net);
    void KTBBSClick();
    void BIGClick();
    void newNet();    // "新規作成"
    void deleteNet(); // "登録抹消"
    // OK: stores the fields, saves NETLIST.DAT and tells the net manager. Returns true when
    // the window should close; false when saving failed (the user was told, the old file is
    // intact and the edits are still in memory).
    bool Button9Click();
    NetFields& fields() { return fields_; }
    const NetFields& fields() const { return fields_; }

    // Modem page.
    void SettingNameChange(int index);
    void renameCurrentSetting(const std::string& name);
    void UpDownClick(int position);
    void setPort(int port);
    void setInitCommand(const std::string& text);
    void setDialPrefix(const std::string& text);
    void setAppendDigit(bool on);
    void setRedialWaitText(const std::string& text);

    // Font page.
    void setRowFont(int row, const DisplayFont& font);
    void applyFonts(); // "更新" and the modem page's OK; the window closes afterwards

    // State shown by the window.
    // The net list as the window shows it, with the edits not yet confirmed by OK.
    const NetList& nets() const { return draft_; }
    int selectedNet() const { return selectedNet_; }
    bool propertiesEnabled() const { return propertiesEnabled_; }
    bool deleteEnabled() const { return deleteEnabled_; }
    const std::string& hostKind() const { return hostKind_; }
    HostKindButton hostKindButton() const { return hostButton_; }
    // Bumped whenever the fields must be shown again (a net was clicked).
    int fieldsVersion() const { return fieldsVersion_; }

    ModemSettings& modems() { return modems_; }
    const ModemSettings& modems() const { return modems_; }
    int currentModem() const { return currentModem_; }
    const ModemSetting& current() const { return modems_[static_cast<size_t>(currentModem_)]; }
    std::vector<std::string> modemNames() const;
    // "9600Bps" after choosing a setting, "128000bps" after the up-down control.
    const std::string& baudText() const { return baudText_; }
    const std::string& settingListText() const { return settingListText_; }

    Fonts& rowFonts() { return rowFonts_; }
    const Fonts& rowFonts() const { return rowFonts_; }
    const Fonts& mainFonts() const { return mainFonts_; }

private:
    ModemSetting& cur() { return modems_[static_cast<size_t>(currentModem_)]; }

    NetList& nets_; // the list the program works with: changed only by OK
    NetList draft_; // the window's copy, which every edit changes
    // For each net of the draft, its number in the saved list (-1 for a new one).
    std::vector<int> origin_;
    void startDraft();
    Fonts& mainFonts_;
    SettingHost& host_;

    NetFields fields_;
    int selectedNet_ = -1;
    bool propertiesEnabled_ = false;
    bool deleteEnabled_ = false;
    std::string hostKind_ = "KTBBS";
    HostKindButton hostButton_ = HostKindButton::KTBBS;
    int fieldsVersion_ = 0;

    ModemSettings modems_ = defaultModemSettings();
    int currentModem_ = 0;
    std::string baudText_;
    std::string settingListText_;

    Fonts rowFonts_;
};

} // namespace shell
