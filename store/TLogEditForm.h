#pragma once
// The reorganise dialog "ログの整理": shows LogEditModel's fields, runs its go on "実行"
// and tells the user when the range makes no sense. While it is shown the main window and
// the net manager are disabled (through the callback), so neither a run nor an import
// starts beside it. The import shows it too, while it puts the boards in order.
#include "store/LogEditModel.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace store {

class TLogEditForm : public QDialog {
    Q_OBJECT
public:
    // `setOthersEnabled(false)` on show, `(true)` on close.
    TLogEditForm(LogEditModel& model, std::function<void(bool)> setOthersEnabled,
                 QWidget* parent = nullptr);

    // Opened by the user for this net folder and the board line chosen in the net manager.
    void open(const std::string& netFolder, const std::string& boardLine);
    // Shown by the import (the model's fields are set by the import itself).
    void showForImport();
    // The model's fields shown again (the import changes the board field).
    void refresh();

    // How the refusal of a range is shown; tests replace it.
    void setOnRefused(std::function<void(const std::string&)> fn) { onRefused_ = std::move(fn); }

    void Button1Click();
    void Button2Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void toModel();
    void showWindow();

    LogEditModel& model_;
    std::function<void(bool)> setOthersEnabled_;
    std::function<void(const std::string&)> onRefused_;
    QLabel* panel1_;
    QCheckBox* checkBox1_;
    QRadioButton* radioButton1_;
    QRadioButton* radioButton2_;
    QLineEdit* edit1_;
    QLineEdit* edit2_;
    QLineEdit* edit3_;
    QCheckBox* checkBox2_;
    QLineEdit* edit4_;
    bool othersDisabled_ = false;
};

} // namespace store
