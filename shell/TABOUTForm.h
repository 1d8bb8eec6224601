#pragma once
// The about box: a borderless window in the middle of the screen with the program's name,
// its version and a note that help is not written yet. While it is shown the main and the
// net manager windows are disabled, and its background changes colour every 5 ms.
#include <QDialog>
#include <functional>
#include <random>

class QTimer;

namespace shell {

class TABOUT : public QDialog {
    Q_OBJECT
public:
    // `setOthersEnabled` disables the main and net manager windows on show and enables
    // them again on OK.
    explicit TABOUT(std::function<void(bool)> setOthersEnabled, QWidget* parent = nullptr);

    // Shows the box centred on the screen and starts the colour timer.
    void open();
    bool colourTimerActive() const;

protected:
    // Escape closes the box like OK, so the other windows never stay disabled.
    void reject() override { OKClick(); }

private:
    void OKClick();
    void Timer1Timer();

    std::function<void(bool)> setOthersEnabled_;
    QTimer* timer_;
    std::mt19937 random_;
};

} // namespace shell
