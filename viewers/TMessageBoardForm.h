#pragma once
// The message board viewer ("メッセージボード"): a child window of the main window, and
// several may be open at once. It owns widgets only: every action goes to its BoardModel,
// and after BoardView::boardChanged the widgets show the model again. The list is filled
// again only when the model made a new one, so clicking and jumping stay quick on large
// boards. The list and text panes share a splitter, which the user drags to resize them.
#include "viewers/BoardModel.h"

#include <QFont>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QAction;

namespace viewers {

// What the window is opened with: the main window's browse-mode ticks and fonts.
struct BoardViewerSetup {
    bool browseNew = true;
    bool browseAll = false;
    bool tree = true;
    QFont titleFont;
    QFont articleFont;
};

class TMessageBoardForm : public QWidget, public BoardView {
    Q_OBJECT
public:
    TMessageBoardForm(macro::MacroModel& macro, const shell::NetList& nets, ViewerHost& host,
                      const base::LocalDateTime& today, const BoardViewerSetup& setup,
                      QWidget* parent = nullptr);
    ~TMessageBoardForm() override;

    BoardModel& model() { return model_; }
    void boardChanged() override;

private:
    void build(const BoardViewerSetup& setup);
    void buildMenus(QMenu* edit, QMenu* jump, QMenu* action);
    void pushSettings();
    QWidget* editTarget() const;

    BoardModel model_;
    int shownLoad_ = -1;
    bool refreshing_ = false;

    QComboBox* netname_ = nullptr;
    QComboBox* boardname_ = nullptr;
    QPushButton* fileKind_ = nullptr;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* res_ = nullptr;
    QPushButton* newButton_ = nullptr;
    QRadioButton* newMode_ = nullptr;
    QRadioButton* allMode_ = nullptr;
    QRadioButton* dateMode_ = nullptr;
    QRadioButton* searchMode_ = nullptr;
    QLineEdit* setdate_ = nullptr;
    QSpinBox* year_ = nullptr;
    QSpinBox* month_ = nullptr;
    QSpinBox* day_ = nullptr;
    QLineEdit* searchword_ = nullptr;
    QCheckBox* tree_ = nullptr;
    QAction* deleteArticle_ = nullptr;
    QAction* resAction_ = nullptr;
};

} // namespace viewers
