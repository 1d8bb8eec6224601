#include "store/TNamaLogForm.h"

#include "store/ConvModel.h"
#include "ui/QtText.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace store {

TNamaLogForm::TNamaLogForm(std::function<const std::vector<std::string>&()> lines,
                           std::function<int()> writePointer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), lines_(std::move(lines)),
      writePointer_(std::move(writePointer)) {
    setObjectName("NamaLogForm");
    setWindowTitle(ui::tr8(u8"生ログ表示"));
    auto* layout = new QVBoxLayout(this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // "Terminal" where the font exists; any fixed-pitch font otherwise.
    QFont font("Terminal");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memo_->setFont(font);
    layout->addWidget(memo_);
    resize(640, 480);
}

void TNamaLogForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    std::string text = namaLogText(lines_(), writePointer_());
    // The widget keeps lines, not line ends: the CR of each CR LF goes.
    std::string plain;
    plain.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            plain += c;
    memo_->setPlainText(ui::toQ(plain));
}

} // namespace store
