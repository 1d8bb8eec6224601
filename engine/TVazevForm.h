#pragma once
// The terminal window ("VESPARI"): the 80-column screen of what the host sends, drawn
// from the engine's line table, with the top bar (forced end, state and counters, back
// view, key lock, manual transfers), the one-line input and the status line. It owns
// widgets only: received bytes, ticks and every rule live in VazevModel, which reports
// back through TerminalView.
#include "engine/TerminalView.h"
#include "engine/VazevModel.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolButton;

namespace engine {

class TVazevScreen;

class TVazevForm : public QWidget, public TerminalView {
    Q_OBJECT
public:
    // The model must outlive the window; the window registers itself as its view and
    // forwards every status text to `statusSink` as well (when set).
    explicit TVazevForm(VazevModel& model, QWidget* parent = nullptr);
    ~TVazevForm() override;

    // TerminalView
    void status(const std::string& sjisText) override;
    void stateLabel(const std::string& text) override;
    void counters(const std::string& text) override;
    void redraw() override;
    void blinkCursor(bool phase) override;
    void beep() override;

    // "M-DOWN" and "M-UP": enabled with a handler once the file transfer is connected.
    void setManualTransfer(std::function<void()> down, std::function<void()> up);

    // For tests and the screen: what the screen shows.
    QString statusText() const;
    QString stateText() const;
    QString countersText() const;
    bool backViewVisible() const;
    QString backViewText() const;
    VazevModel& model() { return model_; }

    // FormShow: keys locked, idle counter zeroed, the screen takes the focus.
    void FormShow();
    // The status bar's top edge, which decides how many rows the screen shows.
    int statusTop() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void ScrollClick();
    void CheckBox1Click();
    void KeyGardClick();
    void SendButton();

    VazevModel& model_;
    QWidget* panel1_ = nullptr;
    QPushButton* button2_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QCheckBox* scroll_ = nullptr;
    QCheckBox* keyGard_ = nullptr;
    QPushButton* button1_ = nullptr;
    QPushButton* button3_ = nullptr;
    QCheckBox* checkBox1_ = nullptr;
    QWidget* panel2_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QToolButton* speedButton3_ = nullptr;
    QPlainTextEdit* backText_ = nullptr;
    QPushButton* reLoad_ = nullptr;
    TVazevScreen* screen_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QTimer* timer1_ = nullptr;
    bool redraw_ = true;
    std::function<void()> manualDown_;
    std::function<void()> manualUp_;
    bool placed_ = false; // moved to the middle of the screen on the first show
};

} // namespace engine
