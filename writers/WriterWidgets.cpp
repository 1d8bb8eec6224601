#include "writers/WriterWidgets.h"

#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <unistd.h>

namespace writers {

Answer QtWriterDialogs::askYesNoCancel(const std::string& sjisText) {
    switch (QMessageBox::question(parent_, ui::tr8(u8"質問です．"), ui::toQ(sjisText),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtWriterDialogs::askYesNo(const std::string& sjisText) {
    return QMessageBox::question(parent_, ui::tr8(u8"質問です．"), ui::toQ(sjisText),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtWriterDialogs::warn(const std::string& sjisText) {
    QMessageBox::warning(parent_, ui::tr8(u8"警告です．"), ui::toQ(sjisText));
}

QString rulerText() {
    QString r;
    for (int i = 1; i <= 7; ++i)
        r += QString("----+----%1").arg(i);
    return r + "----+---";
}

base::Lines memoLines(const QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    if (text.isEmpty())
        return {};
    base::Lines out;
    for (const QString& line : text.split('\n'))
        out.push_back(ui::fromQ(line));
    return out;
}

void showMemoLines(QPlainTextEdit* memo, const base::Lines& lines) {
    if (memoLines(memo) == lines)
        return;
    QStringList q = ui::toQList(lines);
    memo->setPlainText(q.join('\n'));
}

void buildEditMenu(QMenu* menu, QPlainTextEdit* memo, QLineEdit* line, bool enabling,
                   QPlainTextEdit* otherMemo) {
    // The memo or line edit the menu acts on: the one with the focus.
    auto focusedMemo = [memo, otherMemo]() -> QPlainTextEdit* {
        if (memo->hasFocus())
            return memo;
        if (otherMemo && otherMemo->hasFocus())
            return otherMemo;
        return nullptr;
    };
    auto focusedLine = [line]() -> QLineEdit* { return line && line->hasFocus() ? line : nullptr; };

    QAction* cut = menu->addAction(ui::tr8(u8"切り取り"));
    cut->setObjectName("Cut");
    cut->setShortcut(QKeySequence::Cut);
    QAction* copy = menu->addAction(ui::tr8(u8"コピー"));
    copy->setObjectName("Copy");
    copy->setShortcut(QKeySequence::Copy);
    QAction* paste = menu->addAction(ui::tr8(u8"貼り付け"));
    paste->setObjectName("Paste");
    paste->setShortcut(QKeySequence::Paste);
    QAction* del = menu->addAction(ui::tr8(u8"削除"));
    del->setObjectName("Delete");
    del->setShortcut(QKeySequence::Delete);
    QAction* all = menu->addAction(ui::tr8(u8"すべて選択(&L)"));
    all->setObjectName("SelectAll");
    // The shortcuts are shown in the menu; the editors handle the keys themselves.
    for (QAction* a : {cut, copy, paste, del})
        a->setShortcutContext(Qt::WidgetShortcut);

    QObject::connect(cut, &QAction::triggered, menu, [=] {
        if (auto* m = focusedMemo())
            m->cut();
        else if (auto* l = focusedLine())
            l->cut();
    });
    QObject::connect(copy, &QAction::triggered, menu, [=] {
        if (auto* m = focusedMemo())
            m->copy();
        else if (auto* l = focusedLine())
            l->copy();
    });
    QObject::connect(paste, &QAction::triggered, menu, [=] {
        if (auto* m = focusedMemo())
            m->paste();
        else if (auto* l = focusedLine())
            l->paste();
    });
    QObject::connect(del, &QAction::triggered, menu, [=] {
        if (auto* m = focusedMemo())
            m->textCursor().removeSelectedText();
        else if (auto* l = focusedLine())
            l->del();
    });
    QObject::connect(all, &QAction::triggered, memo, &QPlainTextEdit::selectAll);
    if (!enabling)
        return;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [=] {
        QPlainTextEdit* m = focusedMemo();
        const bool selection = m && m->textCursor().hasSelection();
        cut->setEnabled(selection);
        copy->setEnabled(selection);
        del->setEnabled(selection);
        paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    });
}

QString chooseFileKeepingFolder(QWidget* parent, const QString& caption) {
    char* cwd = ::getcwd(nullptr, 0);
    const QString chosen = QFileDialog::getOpenFileName(parent, caption);
    if (cwd) {
        // Relative data paths (the style files, every net's folder) depend on it.
        if (::chdir(cwd) != 0) {
        }
        ::free(cwd);
    }
    return chosen;
}

} // namespace writers
