#pragma once
// The mail viewer's model: the mails of one net's MAIL.DAT as a list (number, sender,
// subject) and the text of the one selected. Each list line is tied by position to its
// mail; the newest mail is selected when the mail is loaded. Answering fills the net
// manager's mail slot and opens the mail writer.
#include "macro/MacroModel.h"
#include "viewers/ViewerHost.h"

#include <string>
#include <vector>

namespace viewers {

class MailView {
public:
    virtual ~MailView() = default;
    virtual void mailChanged() = 0;
};

struct MailEntry {
    std::string line;
    int mail = 0; // index into the mails held
};

class MailModel {
public:
    static constexpr int kMaxMails = 9999;
    static constexpr const char* kMailStart = "Private Message is from:";

    MailModel(macro::MacroModel& macro, ViewerHost& host) : macro_(macro), host_(host) {}
    void setView(MailView* view) { view_ = view; }

    // Net from the net manager's NetNo; no listed net loads nothing.
    void FormShow();
    const std::vector<std::string>& netNames() const { return netNames_; }
    int net() const { return net_; }
    void netnameChange(int index);

    const std::vector<MailEntry>& list() const { return list_; }
    // Goes up by one each time the list is read again.
    int loadCount() const { return loadCount_; }
    int selected() const { return selected_; }
    void ListBox1Click(int index);
    const std::string& memoText() const { return memo_; }
    bool resEnabled() const { return resEnabled_; }
    // Mails in MAIL.DAT that are not shown because the viewer keeps the newest kMaxMails.
    int leftOut() const { return leftOut_; }

    void UPButtonClick();
    void DOWNButtonClick();
    void ResButtonClick();
    // "新規": the member list, to choose whom to write to.
    void Button1Click() { host_.showMemberList(); }

private:
    void load();
    void notify();

    macro::MacroModel& macro_;
    ViewerHost& host_;
    MailView* view_ = nullptr;
    std::vector<std::string> netNames_;
    int net_ = -1;
    std::vector<std::string> texts_;
    std::vector<MailEntry> list_;
    int selected_ = -1;
    std::string memo_;
    bool resEnabled_ = false;
    int leftOut_ = 0;
    int loadCount_ = 0;
};

} // namespace viewers
