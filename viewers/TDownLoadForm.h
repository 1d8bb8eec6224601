#pragma once
// The download list ("ボードのアーティクル一覧表示"): a child window of the main window
// showing one board's article or file list, from which a list refresh or a download is
// reserved. It owns widgets only; ArticleListModel reads the files and reserves.
#include "viewers/ArticleListModel.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace viewers {

class TDownLoadForm : public QWidget, public ArticleListView {
    Q_OBJECT
public:
    TDownLoadForm(macro::MacroModel& macro, ViewerHost& host, QWidget* parent = nullptr);
    ~TDownLoadForm() override;

    ArticleListModel& model() { return model_; }
    void articleListChanged() override;

private:
    ArticleListModel model_;
    bool refreshing_ = false;
    QStringList shownLines_;
    QComboBox* net_ = nullptr;
    QComboBox* board_ = nullptr;
    QPushButton* fboard_ = nullptr;
    QPushButton* mboard_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* lDownNo_ = nullptr;
    QLineEdit* downNo_ = nullptr;
    QPushButton* lDown_ = nullptr;
    QPushButton* down_ = nullptr;
};

} // namespace viewers
