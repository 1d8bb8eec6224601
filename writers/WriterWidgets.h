#pragma once
// Pieces the writing windows share: message boxes with the program's captions, the column
// ruler, the 編集(&E) menu over a memo and a line edit, and the conversion between a
// memo's text and model lines.
#include "base/LineFile.h"
#include "writers/WriterModel.h"

#include <QString>

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

namespace writers {

// Message boxes over a parent window: questions "質問です．", warnings "警告です．".
class QtWriterDialogs : public WriterDialogs {
public:
    explicit QtWriterDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer askYesNoCancel(const std::string& sjisText) override;
    bool askYesNo(const std::string& sjisText) override;
    void warn(const std::string& sjisText) override;

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

} // namespace writers
