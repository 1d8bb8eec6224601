#include "shell/SettingModel.h"

#include "base/Sjis.h"
#include "base/Text.h"

namespace shell {

SettingModel::SettingModel(NetList& nets, Fonts& mainFonts, SettingHost& host)
    : nets_(nets), mainFonts_(mainFonts), host_(host), rowFonts_(mainFonts) {}

void SettingModel::loadNetList() {
    std::string error = nets_.load();
    if (!error.empty())
        host_.warn(error);
}

void SettingModel::FormShow() {
    host_.setMainAndMacroEnabled(false);
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
    if (!nets_.has(selectedNet_))
        return;
    const int n = selectedNet_;
    nets_.setField(n, kNetName, fields_.name);
    nets_.setField(n, kShortName, fields_.shortName);
    nets_.setField(n, kTelNo, fields_.telNo);
    nets_.setField(n, kModemSetNo, std::to_string(fields_.modemIndex));
    nets_.setField(n, kUserID, fields_.userId);
    nets_.setField(n, kPassword, fields_.password);
    nets_.setField(n, kHandle, fields_.handle);
    nets_.setField(n, kHostKind, hostKind_);
}

void SettingModel::ListBox1Click(int net) {
    if (!nets_.has(net))
        return;
    propertiesEnabled_ = true;
    PropatyCopy();
    fields_.name = nets_.field(net, kNetName);
    fields_.shortName = nets_.field(net, kShortName);
    fields_.telNo = nets_.field(net, kTelNo);
    // A setting number that is not one of the five selects the first, so a bad line never
    // turns into "-1" when the fields are copied back.
    int modem = base::strToIntDef(nets_.field(net, kModemSetNo), 0);
    fields_.modemIndex = modem >= 0 && modem < kModemSettings ? modem : 0;
    fields_.userId = nets_.field(net, kUserID);
    fields_.password = nets_.field(net, kPassword);
    fields_.handle = nets_.field(net, kHandle);
    hostKind_ = nets_.field(net, kHostKind);
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
    nets_.addNew();
    if (selectedNet_ >= 0)
        ListBox1Click(selectedNet_);
    prepareNetPage();
}

void SettingModel::deleteNet() {
    if (!nets_.has(selectedNet_))
        return;
    nets_.remove(selectedNet_);
    deleteEnabled_ = false;
    prepareNetPage();
}

bool SettingModel::Button9Click() {
    propertiesEnabled_ = false;
    PropatyCopy();
    try {
        nets_.save();
    } catch (const base::FileError& e) {
        host_.warn(base::sj(u8"ネットリストを保存できませんでした。") + "\r\n" + e.what());
        propertiesEnabled_ = selectedNet_ >= 0;
        return false;
    }
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
