#pragma once
// The member list's model: the lines of one net's MEMBOR.LST, and a new mail addressed to
// the chosen member through the net manager's mail slot and the mail writer.
#include "macro/MacroModel.h"

#include <string>
#include <vector>

namespace viewers {

class MemberListView {
public:
    virtual ~MemberListView() = default;
    virtual void memberListChanged() = 0;
};

class MemberListModel {
public:
    explicit MemberListModel(macro::MacroModel& macro) : macro_(macro) {}
    void setView(MemberListView* view) { view_ = view; }

    // The net of the net manager's NetNo; no listed net shows an empty list.
    void FormShow();
    const std::vector<std::string>& netNames() const { return netNames_; }
    int net() const { return net_; }
    void NetNameChange(int index);

    const std::vector<std::string>& list() const { return list_; }
    int selected() const { return selected_; }
    void ListBox1Click(int index);
    bool mailEnabled() const { return selected_ >= 0; }
    // "メールを出す": a new mail to the selected member; the list stays open.
    void MailClick();

private:
    void notify();

    macro::MacroModel& macro_;
    MemberListView* view_ = nullptr;
    std::vector<std::string> netNames_;
    int net_ = -1;
    std::vector<std::string> list_;
    int selected_ = -1;
};

} // namespace viewers
