#include "store/TErrorLogForm.h"

#include "ui/QtText.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace store {

TErrorLogForm::TErrorLogForm(base::ErrorLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window), log_(log) {
    setObjectName("ErrorLogForm");
    setWindowTitle(ui::tr8(u8"エラーログ"));
    auto* layout = new QVBoxLayout(this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memo_);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(ui::tr8(u8"クリア"), this);
    clear->setObjectName("Button1");
    auto* ok = new QPushButton(ui::tr8(u8"ＯＫ"), this);
    ok->setObjectName("Button2");
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(clear, &QPushButton::clicked, this, &TErrorLogForm::Button1Click);
    connect(ok, &QPushButton::clicked, this, &TErrorLogForm::Button2Click);
    onSaveFailed_ = [this](const std::string& what) {
        QMessageBox::warning(this, ui::tr8(u8"警告です．"), ui::toQ(what));
    };
    resize(560, 360);

    connect(memo_->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!filling_)
            edited_ = true;
    });
    filling_ = true;
    memo_->setPlainText(ui::toQList(log_.lines()).join('\n'));
    filling_ = false;
    shown_ = log_.lines().size();
    log_.setOnChange([this] { showLog(); });
}

TErrorLogForm::~TErrorLogForm() {
    log_.setOnChange({});
}

// Lines added to the log are appended to the text without touching the user's edits; any
// other change (a load, a save of the text) shows the log afresh.
void TErrorLogForm::showLog() {
    const base::Lines& lines = log_.lines();
    filling_ = true;
    if (lines.size() > shown_) {
        for (size_t i = shown_; i < lines.size(); ++i)
            memo_->appendPlainText(ui::toQ(lines[i]));
    } else if (lines.size() < shown_ || memo_->document()->isEmpty() != lines.empty()) {
        memo_->setPlainText(ui::toQList(lines).join('\n'));
        edited_ = false;
    }
    filling_ = false;
    shown_ = lines.size();
}

// The text already shows what is saved, so the change the save reports adds nothing to it.
void TErrorLogForm::save(const std::vector<std::string>& utf8Lines) {
    const size_t before = shown_;
    shown_ = utf8Lines.size();
    try {
        log_.setEditedText(utf8Lines);
        edited_ = false;
    } catch (const base::FileError& e) {
        shown_ = before;
        if (onSaveFailed_)
            onSaveFailed_(e.what());
    }
}

void TErrorLogForm::Button1Click() {
    filling_ = true;
    memo_->clear();
    filling_ = false;
    shown_ = 0;
    save({});
}

void TErrorLogForm::Button2Click() {
    close();
}

void TErrorLogForm::closeEvent(QCloseEvent* event) {
    if (edited_) {
        std::vector<std::string> lines;
        const QString text = memo_->toPlainText();
        if (!text.isEmpty())
            for (const QString& line : text.split('\n'))
                lines.push_back(line.toStdString());
        save(lines);
    }
    QWidget::closeEvent(event);
}

} // namespace store
