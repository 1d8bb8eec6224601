#pragma once
// The mail viewer ("メールボックス"): a child window of the main window with the mail
// list above, the selected mail's text below and the button bar between them. It owns
// widgets only; MailModel holds the mails. The bar is the handle of the splitter that list
// and text share: dragging it resizes them.
#include "viewers/MailModel.h"

#include <QFont>
#include <QWidget>

class QAction;
class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace viewers {

class TMailForm : public QWidget, public MailView {
    Q_OBJECT
public:
    TMailForm(macro::MacroModel& macro, ViewerHost& host, const QFont& titleFont,
              const QFont& articleFont, QWidget* parent = nullptr);
    ~TMailForm() override;

    MailModel& model() { return model_; }
    void mailChanged() override;

private:
    MailModel model_;
    bool refreshing_ = false;
    int shownLoad_ = -1;
    QComboBox* netname_ = nullptr;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* res_ = nullptr;
    QAction* resAction_ = nullptr;
    QAction* selectAll_ = nullptr;
};

} // namespace viewers
