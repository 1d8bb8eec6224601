#pragma once
// The window every writer is built on: net, board, number, title and addressee fields as
// its kind has them, the column ruler and the body memo, the アップロード(&U) and 編集(&E)
// menus and the "UP" button. It owns widgets only; the WriterModel holds the text and
// decides whether the window may close. TResWriteForm, TNewWriteForm, TMailWriteForm and
// TUPFileForm choose the kind.
//
// The window reads its hand-over slot from the net manager when it is first shown and
// frees itself when it closes (inside the main window's work area, the sub-window closes
// with it).
#include "writers/WriterModel.h"

#include <QFont>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace writers {

class TWriteForm : public QWidget, public WriterView {
    Q_OBJECT
public:
    TWriteForm(WriterContext ctx, WriterKind kind, const QFont& editorFont,
               QWidget* parent = nullptr);
    ~TWriteForm() override;

    WriterModel& model() { return *model_; }

    // The open-file dialog of the browse button; tests put a chooser of their own here.
    void setFileChooser(std::function<QString(const QString& caption)> chooser) {
        chooseFile_ = std::move(chooser);
    }

    void writerChanged() override;
    void bringToFront() override;

    // "UP" and 予約: reserve and close; 破棄: close without reserving.
    void Button1Click();
    void K3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build(const QFont& editorFont);
    void Button2Click();
    void closeWindow();

    WriterContext ctx_;
    std::unique_ptr<WriterModel> model_;
    bool shownOnce_ = false;
    std::function<QString(const QString&)> chooseFile_;

    QLineEdit* netName_ = nullptr;
    QLineEdit* boardname_ = nullptr;
    QLineEdit* resNo_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLineEdit* sendId_ = nullptr;
    QCheckBox* bmail_ = nullptr;
    QLineEdit* fName_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
};

} // namespace writers
