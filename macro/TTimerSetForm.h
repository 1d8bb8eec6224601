#pragma once
// The timer window ("タイマーアクセスの設定"): the list of timed entries, the property
// panel of the entry being edited (enabled, net, day, hour, minute, weekday with its
// up-down control, every time or once only, the four conditions, done) and the buttons
// "新規予約項目", "削除" and "Ｏ    Ｋ". It owns widgets only: every edit goes to
// TimerModel, and after each change the model reports the window shows the model's state
// again, with its widgets' signals blocked so showing never feeds back. Showing it
// disables the main window and the net manager; closing it saves Timer.dat.
#include "macro/TimerModel.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace macro {

class TTimerSetForm : public QWidget, public TimerView {
    Q_OBJECT
public:
    // The model must outlive the window; the window registers itself as its view.
    explicit TTimerSetForm(TimerModel& model, QWidget* parent = nullptr);
    ~TTimerSetForm() override;

    // Shows the window in front (the menu entry and "タイマーログイン").
    void open();
    void timerChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void showPanel();
    // Hands the panel's widgets to the model after the user changed one of them.
    void panelEdited();

    TimerModel& model_;
    QListWidget* list_ = nullptr;
    QGroupBox* panelBox_ = nullptr;
    QCheckBox* enable_ = nullptr;
    QComboBox* net_ = nullptr;
    QSpinBox* day_ = nullptr;
    QSpinBox* hour_ = nullptr;
    QSpinBox* minute_ = nullptr;
    QLineEdit* weekday_ = nullptr;
    QToolButton* weekdayUp_ = nullptr;
    QToolButton* weekdayDown_ = nullptr;
    QRadioButton* everyTime_ = nullptr;
    QRadioButton* onceOnly_ = nullptr;
    QButtonGroup* modeGroup_ = nullptr;
    QCheckBox* hourCondition_ = nullptr;
    QCheckBox* minuteCondition_ = nullptr;
    QCheckBox* dateCondition_ = nullptr;
    QCheckBox* weekdayCondition_ = nullptr;
    QCheckBox* done_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* delete_ = nullptr;
};

} // namespace macro
