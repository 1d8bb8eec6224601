#pragma once
// The member list ("メンバー一覧"): created once and shown again whenever it is asked
// for; "メールを出す" starts a new mail to the chosen member, "OK" hides the window.
#include "viewers/MemberListModel.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QListWidget;
class QPushButton;

namespace viewers {

class TMemborListForm : public QDialog, public MemberListView {
    Q_OBJECT
public:
    explicit TMemborListForm(macro::MacroModel& macro, QWidget* parent = nullptr);
    ~TMemborListForm() override;

    MemberListModel& model() { return model_; }
    // Shows the window with the net manager's net, reading the list again.
    void open();
    void memberListChanged() override;

private:
    MemberListModel model_;
    bool refreshing_ = false;
    QStringList shownLines_;
    QComboBox* netName_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* mail_ = nullptr;
};

} // namespace viewers
