#pragma once
// The raw log view "生ログ表示": the last captured lines of the terminal's line table, the
// line being received included, in a fixed-pitch text without word wrap. The text is
// built afresh each time the window is shown (namaLogText) from the source it was given.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace store {

class TNamaLogForm : public QWidget {
    Q_OBJECT
public:
    // `lines` and `writePointer` read the terminal's table at the moment of showing.
    TNamaLogForm(std::function<const std::vector<std::string>&()> lines,
                 std::function<int()> writePointer, QWidget* parent = nullptr);

    QPlainTextEdit* memo() const { return memo_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<const std::vector<std::string>&()> lines_;
    std::function<int()> writePointer_;
    QPlainTextEdit* memo_;
};

} // namespace store
