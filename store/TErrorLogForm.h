#pragma once
// The error log window "エラーログ": shows the program's one ErrorLog and lets the user edit
// it. Lines the run adds appear as they come (the window need not be visible); "クリア"
// empties the log and ERROR.LOG, and closing the window in any way saves the text when the
// user edited it, so the edits are kept; an untouched log is never written back, as the
// file holds bytes the text cannot show.
#include "base/ErrorLog.h"

#include <QWidget>
#include <functional>

class QPlainTextEdit;

namespace store {

class TErrorLogForm : public QWidget {
    Q_OBJECT
public:
    TErrorLogForm(base::ErrorLog& log, QWidget* parent = nullptr);
    ~TErrorLogForm() override;

    // How a failed save is shown; tests replace it.
    void setOnSaveFailed(std::function<void(const std::string&)> fn) {
        onSaveFailed_ = std::move(fn);
    }

    QPlainTextEdit* memo() const { return memo_; }
    void Button1Click(); // "クリア"
    void Button2Click(); // "ＯＫ"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showLog();
    void save(const std::vector<std::string>& utf8Lines);

    base::ErrorLog& log_;
    std::function<void(const std::string&)> onSaveFailed_;
    QPlainTextEdit* memo_;
    size_t shown_ = 0;     // how many of the log's lines the text holds
    bool filling_ = false; // the text is being set from the log, not typed
    bool edited_ = false;  // the user changed the text since it was last saved or shown
};

} // namespace store
