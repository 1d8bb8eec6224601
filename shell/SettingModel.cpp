#include "shell/SettingModel.h"

#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>

namespace shell {

SettingModel::SettingModel(NetList& nets, Fonts& mainFonts, SettingHost& host)
    : nets_(nets), draft_(nets), mainFonts_(mainFonts), host_(host), rowFonts_(mainFonts) {
    startDraft();
}

void SettingModel::startDraft() {
    draft_ = nets_;
    origin_.clear();
    for (int n = 0; n < draft_.count(); ++n)
        origin_.push_back(n);
}

void SettingModel::loadNetList() {
    std::string error = nets_.load();
    startDraft();
    if (!error.empty())
        host_.warn(error);
}

void SettingModel::FormShow() {
    host_.setMainAndMacroEnabled(false);
    startDraft(); // edits stay in the draft until OK
    prepareFontPage();
    prepareNetPage();
    settingListText_ = modems_[0].name;
}

void SettingModel::FormClose() {
    host_.setMainAndMacroEnabled(true);
}

void SettingModel::prepareFontPage() {
    SettingNameChange(0);
    rowFonts_ = mainFonts_;
}

void SettingModel::prepareNetPage() {
    propertiesEnabled_ = false;
    hostKind_ = "KTBBS";
    selectedNet_ = -1;
    deleteEnabled_ = false;
}

void SettingModel::PropatyCopy() {
    if (!draft_.has(selectedNet_))
        return;
    const int n = selectedNet_;
    draft_.setField(n, kNetName, fields_.name);
    draft_.setField(n, kShortName, fields_.shortName);
    draft_.setField(n, kTelNo, fields_.telNo);
    draft_.setField(n, kModemSetNo, std::to_string(fields_.modemIndex));
    draft_.setField(n, kUserID, fields_.userId);
    draft_.setField(n, kPassword, fields_.password);
    draft_.setField(n, kHandle, fields_.handle);
    draft_.setField(n, kHostKind, hostKind_);
}

void SettingModel::ListBox1Click(int net) {
    if (!draft_.has(net))
        return;
    propertiesEnabled_ = true;
    PropatyCopy();
    fields_.name = draft_.field(net, kNetName);
    fields_.shortName = draft_.field(net, kShortName);
    fields_.telNo = draft_.field(net, kTelNo);
    // A setting number that is not one of the five selects the first, so a bad line never
    // turns into "-1" when the fields are copied back.
    int modem = base::strToIntDef(draft_.field(net, kModemSetNo), 0);
    fields_.modemIndex = modem >= 0 && modem < kModemSettings ? modem : 0;
    fields_.userId = draft_.field(net, kUserID);
    fields_.password = draft_.field(net, kPassword);
    fields_.handle = draft_.field(net, kHandle);
    hostKind_ = draft_.field(net, kHostKind);
    if (hostKind_ == "KTBBS")
        hostButton_ = HostKindButton::KTBBS;
    else if (hostKind_ == "BIG")
        hostButton_ = HostKindButton::BIG;
    selectedNet_ = net;
    deleteEnabled_ = true;
    ++fieldsVersion_;
}

void SettingModel::KTBBSClick() {
    hostButton_ = HostKindButton::KTBBS;
    hostKind_ = "KTBBS";
}

void SettingModel::BIGClick() {
    hostButton_ = HostKindButton::BIG;
    hostKind_ = "BIG";
}

void SettingModel::newNet() {
    if (draft_.count() >= NetList::kMaxNets) {
        host_.warn(
            base::sj(u8"ネットは 100 件までしか登録できません．新しいネットは作りませんでした．"));
        return;
    }
    draft_.addNew();
    origin_.push_back(-1);
    if (selectedNet_ >= 0)
        ListBox1Click(selectedNet_);
    prepareNetPage();
}

void SettingModel::deleteNet() {
    if (!draft_.has(selectedNet_))
        return;
    draft_.remove(selectedNet_);
    if (selectedNet_ < static_cast<int>(origin_.size()))
        origin_.erase(origin_.begin() + selectedNet_);
    deleteEnabled_ = false;
    prepareNetPage();
}

bool SettingModel::Button9Click() {
    PropatyCopy();
    for (int n = 0; n < draft_.count(); ++n) {
        const std::string shortName = draft_.field(n, kShortName);
        if (!plainFolderName(shortName)) {
            host_.warn(
                base::sj(u8"ネット「") + draft_.field(n, kNetName) + base::sj(u8"」の略称 \"") +
                shortName +
                base::sj(u8"\" はフォルダ名に使えません．"
                         u8"「/」「\\」「.」「..」や制御文字を含まない一つの名前にしてください．"));
            return false;
        }
    }
    propertiesEnabled_ = false;
    const NetList kept = nets_;
    nets_ = draft_;
    try {
        nets_.save();
    } catch (const base::FileError& e) {
        nets_ = kept;
        host_.warn(base::sj(u8"ネットリストを保存できませんでした。") + "\r\n" + e.what());
        propertiesEnabled_ = selectedNet_ >= 0;
        return false;
    }
    // Nets are only ever deleted or appended, so the old nets kept are all the old ones
    // exactly when none moved.
    const auto keptNets =
        std::count_if(origin_.begin(), origin_.end(), [](int n) { return n >= 0; });
    if (keptNets < kept.count())
        host_.netsRenumbered(origin_, kept.count());
    startDraft();
    host_.reloadMacroNetList();
    return true;
}

std::vector<std::string> SettingModel::modemNames() const {
    std::vector<std::string> out;
    for (const auto& m : modems_)
        out.push_back(m.name);
    return out;
}

void SettingModel::SettingNameChange(int index) {
    if (index < 0 || index >= kModemSettings)
        return;
    currentModem_ = index;
    if (cur().baudRate == 0)
        cur().baudRate = 9600;
    baudText_ = std::to_string(cur().baudRate) + "Bps";
    if (cur().port < 1 || cur().port > 4)
        cur().port = 1;
    settingListText_ = cur().name;
}

void SettingModel::renameCurrentSetting(const std::string& name) {
    cur().name = name;
    settingListText_ = name;
}

void SettingModel::UpDownClick(int position) {
    if (position < 0)
        position = 0;
    if (position >= static_cast<int>(kBaudSteps.size()))
        position = static_cast<int>(kBaudSteps.size()) - 1;
    cur().baudRate = kBaudSteps[static_cast<size_t>(position)];
    baudText_ = std::to_string(cur().baudRate) + "bps";
}

void SettingModel::setPort(int port) {
    if (port >= 1 && port <= 4)
        cur().port = port;
}

void SettingModel::setInitCommand(const std::string& text) {
    cur().initCommand = text;
}

void SettingModel::setDialPrefix(const std::string& text) {
    cur().dialPrefix = text;
}

void SettingModel::setAppendDigit(bool on) {
    cur().appendDigit = on;
}

void SettingModel::setRedialWaitText(const std::string& text) {
    cur().redialWait = base::strToIntDef(text, 0);
}

void SettingModel::setRowFont(int row, const DisplayFont& font) {
    if (row >= 0 && row < static_cast<int>(rowFonts_.size()))
        rowFonts_[static_cast<size_t>(row)] = font;
}

void SettingModel::applyFonts() {
    mainFonts_ = rowFonts_;
}

} // namespace shell
