#pragma once
// The main window: a maximised multiple-document frame with the menu, the tool bar (with
// the net selector), the status text and the progress bar. Viewers open as its child
// windows. Its first show runs the start-up, closing it saves the settings and ends the
// program; everything it starts elsewhere goes through the Desktop.
#include "shell/Desktop.h"
#include "shell/FrameModel.h"

#include <QMainWindow>
#include <map>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QProgressBar;
class QToolBar;

namespace shell {

class TFrameForm : public QMainWindow {
    Q_OBJECT
public:
    TFrameForm(FrameModel& model, Desktop& desktop, QWidget* parent = nullptr);

    // The net selector: the same names and selected entry as the net manager's list.
    void setNetSelector(const std::vector<std::string>& names, int selected);
    // Selects an entry as the program's own choice (the handler below is not called).
    void selectNet(int index);
    int selectedNet() const;
    // Called with the index the user picks in the net selector.
    void setOnNetSelected(std::function<void(int)> handler) { onNetSelected_ = std::move(handler); }

    void setStatusText(const std::string& sjisText);
    void setProgress(int percent);

    // A menu item or tool button by its object name, for connecting later windows to it.
    QAction* action(const QString& name) const;
    QMdiArea* mdiArea() const { return mdi_; }
    // Asks every child window to close; true when none is left open.
    bool closeChildren();
    // Shows the browse-mode ticks the model holds.
    void refreshBrowseModes();

    // Places minimised child windows in a row along the bottom of the frame.
    void arrangeIcons();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, bool enabled);
    void buildMenus();
    void buildToolBar();

    FrameModel& model_;
    Desktop& desktop_;
    std::function<void(int)> onNetSelected_;
    std::map<QString, QAction*> actions_;
    QMdiArea* mdi_;
    QToolBar* toolBar_ = nullptr;
    QComboBox* netList_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    bool startQueued_ = false;
};

} // namespace shell
