#include "viewers/MailModel.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "store/StoreFiles.h"

#include <cstdio>

namespace viewers {

using store::readStoreLines;
using store::storeFile;

using base::sj;

void MailModel::FormShow() {
    netNames_ = macro_.netNames();
    const int n = macro_.currentNet();
    net_ = n >= 0 && n < static_cast<int>(netNames_.size()) ? n : -1;
    load();
}

void MailModel::netnameChange(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()))
        return;
    net_ = index;
    load();
}

void MailModel::load() {
    list_.clear();
    ++loadCount_;
    texts_.clear();
    selected_ = -1;
    memo_.clear();
    resEnabled_ = false;
    leftOut_ = 0;
    if (net_ < 0) {
        notify();
        return;
    }
    host_.showStatus(sj(u8"読み込み中です.") + netNames_[static_cast<size_t>(net_)]);
    host_.showProgress(0);

    struct Mail {
        std::string text, sender, subject;
        int lines = 0;
    };
    std::vector<Mail> mails;
    for (const std::string& s : readStoreLines(storeFile(macro_.netFolder(net_), "MAIL.DAT"))) {
        if (base::startsWith(s, kMailStart)) {
            Mail m;
            const int from = base::pos("from:", s);
            m.sender = base::copyColumns(s + std::string(22, ' '), from + 5, 25);
            mails.push_back(std::move(m));
        }
        if (mails.empty())
            continue; // before the first mail
        Mail& m = mails.back();
        if (++m.lines == 3) {
            const int subj = base::pos("Subj:", s);
            m.subject = subj > 0 ? base::copyColumns(s, subj + 5, 50) : std::string();
        }
        m.text += s + "\r\n";
    }
    // The newest mails are kept when there are more than the viewer holds.
    size_t first = 0;
    if (mails.size() > static_cast<size_t>(kMaxMails)) {
        first = mails.size() - kMaxMails;
        leftOut_ = static_cast<int>(first);
    }
    for (size_t i = first; i < mails.size(); ++i) {
        const int n = static_cast<int>(i - first) + 1;
        texts_.push_back(std::move(mails[i].text));
        if (mails[i].lines < 3)
            continue; // no subject line, no list line
        char num[16];
        std::snprintf(num, sizeof num, "%4d|", n);
        list_.push_back({num + mails[i].sender + " |" + mails[i].subject, n - 1});
    }
    if (leftOut_ > 0)
        host_.warn(sj(u8"メールが多すぎるため，古いメール ") + std::to_string(leftOut_) +
                   sj(u8" 通は表示していません．新しい ") + std::to_string(kMaxMails) +
                   sj(u8" 通を表示します．"));
    if (!list_.empty())
        ListBox1Click(static_cast<int>(list_.size()) - 1);
    host_.showStatus(sj(u8"読み込み完了しました."));
    host_.showProgress(100);
    notify();
}

void MailModel::ListBox1Click(int index) {
    if (index < 0 || index >= static_cast<int>(list_.size()))
        return;
    selected_ = index;
    memo_ = texts_[static_cast<size_t>(list_[static_cast<size_t>(index)].mail)];
    resEnabled_ = true;
    notify();
}

void MailModel::UPButtonClick() {
    if (selected_ > 0)
        ListBox1Click(selected_ - 1);
}

void MailModel::DOWNButtonClick() {
    if (selected_ >= 0 && selected_ + 1 < static_cast<int>(list_.size()))
        ListBox1Click(selected_ + 1);
}

void MailModel::ResButtonClick() {
    if (!resEnabled_ || net_ < 0)
        return;
    macro::MailSlot& s = macro_.mailSlot();
    s.MailNetNo = std::to_string(net_);
    s.MailNetName = netNames_[static_cast<size_t>(net_)];
    s.MailText = memo_;
    s.MailMode = "RES";
    s.MailTitle = sj(u8"タイトルを入れてください");
    s.MailKind.clear();
    macro_.MailWriteFormCleateClick();
}

void MailModel::notify() {
    if (view_)
        view_->mailChanged();
}

} // namespace viewers
