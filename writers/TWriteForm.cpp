#include "writers/TWriteForm.h"

#include "base/Sjis.h"
#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
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

void QtWriterDialogs::warnUtf8(const std::string& utf8Text) {
    QMessageBox::warning(parent_, ui::tr8(u8"警告です．"), QString::fromStdString(utf8Text));
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

using ui::fromQ;
using ui::toQ;
using ui::tr8;

namespace {

QLineEdit* edit(const char* name, bool readOnly, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

// A field already showing this text keeps its own spelling: a character Shift-JIS cannot
// hold stays on screen as typed instead of turning into the "?" the model holds.
void showText(QLineEdit* e, const std::string& sjis) {
    if (!e || fromQ(e->text()) == sjis)
        return;
    const QSignalBlocker block(e);
    e->setText(toQ(sjis));
}

bool fitsSjis(const QString& text) {
    return base::fitsSjis(text.toStdString());
}

} // namespace

TWriteForm::TWriteForm(WriterContext ctx, WriterKind kind, const QFont& editorFont, QWidget* parent)
    : QWidget(parent), ctx_(std::move(ctx)), model_(std::make_unique<WriterModel>(ctx_, kind)) {
    static const char* names[] = {"TResWriteForm", "TNewWriteForm", "TMailWriteForm",
                                  "TUPFileForm"};
    setObjectName(names[static_cast<int>(kind)]);
    build(editorFont);
    model_->setView(this);
    chooseFile_ = [this](const QString& caption) { return chooseFileKeepingFolder(this, caption); };
    writerChanged();
}

TWriteForm::~TWriteForm() {
    model_->setView(nullptr);
}

void TWriteForm::build(const QFont& editorFont) {
    const WriterKind kind = model_->kind();
    auto* top = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    top->setMenuBar(bar);

    QMenu* upload = bar->addMenu(tr8(u8"アップロード(&U)"));
    QAction* reserve = upload->addAction(tr8(u8"予約(&Y)"));
    reserve->setObjectName(kind == WriterKind::Mail ? "K4" : "K2");
    connect(reserve, &QAction::triggered, this, &TWriteForm::Button1Click);
    QAction* discard = upload->addAction(tr8(u8"破棄(&A)"));
    discard->setObjectName("K3");
    connect(discard, &QAction::triggered, this, &TWriteForm::K3Click);

    auto* fields = new QGridLayout;
    top->addLayout(fields);
    static const char8_t* big[] = {u8"RES", u8"NEW", u8"MAIL", u8"UPFILE"};
    auto* bigLabel = new QLabel(tr8(big[static_cast<int>(kind)]), this);
    bigLabel->setObjectName(kind == WriterKind::Upload ? "UPFILE" : "BigLabel");
    QFont bigFont = bigLabel->font();
    bigFont.setPointSize(bigFont.pointSize() * 2);
    bigFont.setBold(true);
    bigLabel->setFont(bigFont);
    fields->addWidget(bigLabel, 0, 0, 2, 1);

    int row = 0;
    auto addField = [&](const char8_t* label, QWidget* w) {
        auto* l = new QLabel(tr8(label), this);
        fields->addWidget(l, row, 1);
        fields->addWidget(w, row, 2);
        ++row;
        return l;
    };
    netName_ = edit("NetName", true, this);
    addField(u8"ネット", netName_);
    if (kind != WriterKind::Mail) {
        boardname_ = edit("boardname", kind == WriterKind::Upload, this);
        addField(u8"ボード", boardname_);
        connect(boardname_, &QLineEdit::textEdited, this,
                [this](const QString& t) { model_->setBoardname(fromQ(t)); });
    }
    if (kind == WriterKind::Reply) {
        resNo_ = edit("RESNO", true, this);
        addField(u8"レス番号", resNo_);
    }
    if (kind == WriterKind::Mail) {
        sendId_ = edit("SendId", false, this);
        addField(u8"宛先ID", sendId_);
        connect(sendId_, &QLineEdit::textEdited, this,
                [this](const QString& t) { model_->setSendId(fromQ(t)); });
    }
    if (kind != WriterKind::Reply) {
        title_ = edit("title", false, this);
        titleLabel_ = addField(u8"タイトル", title_);
        connect(title_, &QLineEdit::textEdited, this,
                [this](const QString& t) { model_->setTitle(fromQ(t), fitsSjis(t)); });
    }
    if (kind == WriterKind::Upload) {
        fName_ = edit("FName", false, this);
        addField(u8"ﾌｧｲﾙ名", fName_);
        connect(fName_, &QLineEdit::textEdited, this,
                [this](const QString& t) { model_->setFName(fromQ(t), fitsSjis(t)); });
    }

    auto* buttons = new QHBoxLayout;
    if (kind == WriterKind::Mail) {
        bmail_ = new QCheckBox(tr8(u8"ﾊﾞｲﾅﾘ"), this);
        bmail_->setObjectName("BMAIL");
        buttons->addWidget(bmail_);
        connect(bmail_, &QCheckBox::toggled, this, [this](bool on) { model_->setBMAIL(on); });
    }
    if (kind == WriterKind::Mail || kind == WriterKind::Upload) {
        auto* browse =
            new QPushButton(kind == WriterKind::Mail ? tr8(u8"ﾌｧｲﾙ参照") : tr8(u8"参照"), this);
        browse->setObjectName("Button2");
        buttons->addWidget(browse);
        connect(browse, &QPushButton::clicked, this, &TWriteForm::Button2Click);
    }
    auto* up = new QPushButton(tr8(u8"UP"), this);
    up->setObjectName("Button1");
    buttons->addWidget(up);
    connect(up, &QPushButton::clicked, this, &TWriteForm::Button1Click);
    buttons->addStretch();
    fields->addLayout(buttons, row, 1, 1, 2);
    fields->setColumnStretch(2, 1);

    ruler_ = new QLabel(rulerText(), this);
    ruler_->setObjectName("Ruler");
    ruler_->setFont(editorFont);
    ruler_->setIndent(0);
    top->addWidget(ruler_);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setTabChangesFocus(false);
    memo_->setFont(editorFont);
    top->addWidget(memo_, 1);
    connect(memo_, &QPlainTextEdit::textChanged, this,
            [this] { model_->setBody(memoLines(memo_)); });
    // The body's first column moves with the memo's frame, its document margin and its
    // font; the ruler is indented to stand over it whenever one of them changes.
    memo_->installEventFilter(this);
    memo_->viewport()->installEventFilter(this);
    connect(memo_, &QPlainTextEdit::updateRequest, this, [this] { alignRuler(); });

    QMenu* editMenu = bar->addMenu(tr8(u8"編集(&E)"));
    editMenu->setObjectName("Edit1");
    buildEditMenu(editMenu, memo_, title_, kind != WriterKind::Upload);

    const QFontMetrics fm(editorFont);
    resize(fm.horizontalAdvance(rulerText()) + 60, 480);
}

void TWriteForm::writerChanged() {
    const WriterModel& m = *model_;
    setWindowTitle(toQ(m.caption()));
    showText(netName_, m.NetName());
    showText(boardname_, m.boardname());
    showText(resNo_, m.RESNO());
    showText(title_, m.title());
    showText(sendId_, m.SendId());
    showText(fName_, m.FName());
    if (titleLabel_)
        titleLabel_->setText(toQ(m.titleLabel()));
    if (bmail_ && bmail_->isChecked() != m.BMAIL()) {
        const QSignalBlocker block(bmail_);
        bmail_->setChecked(m.BMAIL());
    }
    const QSignalBlocker block(memo_);
    showMemoLines(memo_, m.body());
}

// What the user typed, before the model's Shift-JIS copy turned what it cannot hold into "?".
std::vector<std::string> TWriteForm::unsendableChars() const {
    QString all;
    for (const QLineEdit* e : {boardname_, sendId_, title_, fName_})
        if (e && !e->isReadOnly())
            all += e->text() + '\n';
    all += memo_->toPlainText();
    return base::unmappableChars(all.toStdString());
}

void TWriteForm::bringToFront() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->raise();
        sub->activateWindow();
    }
    raise();
    activateWindow();
}

// The ruler's text starts at its left contents margin; that margin is set to where the
// memo draws the first column of its text, measured in the window, the horizontal scroll
// left out (the ruler stays put while the body scrolls).
void TWriteForm::alignRuler() {
    if (!ruler_ || !memo_)
        return;
    QTextCursor start(memo_->document());
    start.movePosition(QTextCursor::Start);
    const int column0 = memo_->viewport()->mapTo(this, memo_->cursorRect(start).topLeft()).x() +
                        memo_->horizontalScrollBar()->value();
    const int indent = std::max(0, column0 - ruler_->x());
    if (ruler_->contentsMargins().left() != indent)
        ruler_->setContentsMargins(indent, 0, 0, 0);
}

bool TWriteForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
        alignRuler();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TWriteForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    alignRuler();
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // The user starts in the first field there is to type in, never in the net's name.
    if (model_->kind() == WriterKind::Reply)
        memo_->setFocus();
    else
        title_->setFocus();
    switch (model_->kind()) {
    case WriterKind::Reply:
        model_->FormShow(ctx_.macro.replySlot());
        break;
    case WriterKind::NewMessage:
    case WriterKind::Upload:
        model_->FormShow(ctx_.macro.newSlot());
        break;
    case WriterKind::Mail:
        model_->FormShow(ctx_.macro.mailSlot());
        break;
    }
}

void TWriteForm::closeEvent(QCloseEvent* event) {
    if (model_->FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TWriteForm::closeWindow() {
    // Inside the work area the sub-window is closed, which closes this window first.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TWriteForm::Button1Click() {
    model_->up();
    closeWindow();
}

void TWriteForm::K3Click() {
    model_->discard();
    closeWindow();
}

void TWriteForm::Button2Click() {
    const bool mail = model_->kind() == WriterKind::Mail;
    const QString chosen = chooseFile_(mail ? tr8(u8"アップロードするファイルの指定")
                                            : tr8(u8"アップロードファイルの指定"));
    if (chosen.isEmpty())
        return;
    // The field shows the name as chosen; the model holds its Shift-JIS text.
    QLineEdit* field = mail ? title_ : fName_;
    {
        const QSignalBlocker block(field);
        field->setText(chosen);
    }
    if (mail)
        model_->setTitle(fromQ(chosen), fitsSjis(chosen));
    else
        model_->setFName(fromQ(chosen), fitsSjis(chosen));
    writerChanged();
}

} // namespace writers
