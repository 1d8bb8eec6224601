#include "viewers/MemberListModel.h"

#include "base/Sjis.h"
#include "store/StoreFiles.h"

namespace viewers {

using store::readStoreLines;
using store::storeFile;

void MemberListModel::FormShow() {
    netNames_ = macro_.netNames();
    const int n = macro_.currentNet();
    if (n >= 0 && n < static_cast<int>(netNames_.size())) {
        NetNameChange(n);
        return;
    }
    net_ = -1;
    list_.clear();
    selected_ = -1;
    notify();
}

void MemberListModel::NetNameChange(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()))
        return;
    net_ = index;
    selected_ = -1;
    list_ = readStoreLines(storeFile(macro_.netFolder(index), "MEMBOR.LST"));
    notify();
}

void MemberListModel::ListBox1Click(int index) {
    if (index < 0 || index >= static_cast<int>(list_.size()))
        return;
    selected_ = index;
    notify();
}

void MemberListModel::MailClick() {
    // Refused during a run before the slot is touched.
    if (!mailEnabled() || net_ < 0 || macro_.refusedDuringRun())
        return;
    macro::MailSlot& s = macro_.mailSlot();
    s.MailNetNo = std::to_string(net_);
    s.MailNetName = netNames_[static_cast<size_t>(net_)];
    s.MailSendId = list_[static_cast<size_t>(selected_)];
    s.MailMode = "NEW";
    s.MailText.clear();
    s.MailTitle = base::sj(u8"タイトルを入れてください");
    s.MailKind.clear();
    macro_.MailWriteFormCleateClick();
}

void MemberListModel::notify() {
    if (view_)
        view_->memberListChanged();
}

} // namespace viewers
