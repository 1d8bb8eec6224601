#pragma once
// The net manager window ("ネットマネージャー"): the net list, the seven fixed steps, the
// unread date, the message-board / file-board buttons with the board list, and the
// buttons that start a run or open the other windows. It owns widgets only: every user
// action goes to MacroModel, and after each change the model reports (macroChanged) the
// window shows the model's state again, with its widgets' signals blocked meanwhile so
// showing never feeds back into the model.
#include "macro/MacroModel.h"

#include <QWidget>

#include <map>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace macro {

class TMacroForm : public QWidget, public MacroView {
    Q_OBJECT
public:
    // The model must outlive the window; the window registers itself as its view.
    explicit TMacroForm(MacroModel& model, QWidget* parent = nullptr);
    ~TMacroForm() override;

    void macroChanged() override;

protected:
    // Showing with no net lists the nets again (FormShow); closing saves the net (FormClose).
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    QPushButton* addButton(Button b, const QString& caption, const char* name);
    void chooseLogFile();

    MacroModel& model_;
    QListWidget* netList_ = nullptr;
    QLineEdit* netNo_ = nullptr;
    std::map<Step, QCheckBox*> steps_;
    QSpinBox* year_ = nullptr;
    QSpinBox* month_ = nullptr;
    QSpinBox* day_ = nullptr;
    QSpinBox* hour_ = nullptr;
    QSpinBox* minute_ = nullptr;
    QToolButton* messageBoards_ = nullptr;
    QToolButton* fileBoards_ = nullptr;
    QButtonGroup* boardButtons_ = nullptr;
    QListWidget* boardList_ = nullptr;
    std::map<Button, QPushButton*> buttons_;
};

} // namespace macro
