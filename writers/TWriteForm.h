#pragma once
// The window every writer is built on: net, board, number, title and addressee fields as
// its kind has them, the column ruler and the body memo, the アップロード(&U) and 編集(&E)
// menus and the "UP" button. It owns widgets only; the WriterModel holds the text and
// decides whether the window may close. TResWriteForm, TNewWriteForm, TMailWriteForm and
// TUPFileForm choose the kind.
// The pieces every writing window shares come first: message boxes with the program's
// captions, the column ruler, the 編集(&E) menu over a memo and a line edit, and the
// conversion between a memo's text and model lines.
//
// The window reads its hand-over slot from the net manager when it is first shown and
// frees itself when it closes (inside the main window's work area, the sub-window closes
// with it).
#include "base/LineFile.h"
#include "writers/WriterModel.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace writers {

// Message boxes over a parent window: questions "質問です．", warnings "警告です．".
class QtWriterDialogs : public WriterDialogs {
public:
    explicit QtWriterDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer askYesNoCancel(const std::string& sjisText) override;
    bool askYesNo(const std::string& sjisText) override;
    void warn(const std::string& sjisText) override;
    void warnUtf8(const std::string& utf8Text) override;

private:
    QWidget* parent_;
};

// "----+----1----+---- ... ----7----+---" (78 characters).
QString rulerText();

// A memo's lines: an empty memo has none; otherwise one line per paragraph.
base::Lines memoLines(const QPlainTextEdit* memo);
// Shows lines in a memo, replacing its text only when it differs.
void showMemoLines(QPlainTextEdit* memo, const base::Lines& lines);

// Fills a 編集(&E) menu: cut, copy, paste and delete act on whichever of `memo` and
// `line` (may be null) has the focus, select-all on the memo. With `enabling`, opening
// the menu enables cut, copy and delete only for a focused memo with a selection, and
// paste only while the clipboard holds text.
void buildEditMenu(QMenu* menu, QPlainTextEdit* memo, QLineEdit* line, bool enabling,
                   QPlainTextEdit* otherMemo = nullptr);

// Runs an open-file dialog with the process's working folder kept as it was.
QString chooseFileKeepingFolder(QWidget* parent, const QString& caption);

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
    std::vector<std::string> unsendableChars() const override;

    // "UP" and 予約: reserve and close; 破棄: close without reserving.
    void Button1Click();
    void K3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(const QFont& editorFont);
    void alignRuler();
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
    QLabel* ruler_ = nullptr;
};

} // namespace writers
