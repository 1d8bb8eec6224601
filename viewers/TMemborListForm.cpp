#include "viewers/TMemborListForm.h"

#include "ui/Fonts.h"
#include "ui/QtText.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace viewers {

using ui::tr8;

TMemborListForm::TMemborListForm(macro::MacroModel& macro, QWidget* parent)
    : QDialog(parent), model_(macro) {
    setObjectName("MemborListForm");
    setWindowTitle(tr8(u8"メンバー一覧"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* top = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    auto* title = new QLabel(tr8(u8"会員一覧"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    netName_ = new QComboBox(this);
    netName_->setObjectName("NetName");
    netName_->setMinimumContentsLength(16);
    head->addWidget(title);
    head->addStretch(1);
    head->addWidget(netName_);
    top->addLayout(head);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setFont(ui::resolveFont("Terminal", 10));
    list_->setMinimumSize(460, 320);
    top->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    mail_ = new QPushButton(tr8(u8"メールを出す"), this);
    mail_->setObjectName("Mail");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button1");
    buttons->addStretch(1);
    buttons->addWidget(mail_);
    buttons->addWidget(ok);
    top->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(netName_, &QComboBox::activated, this, [this](int i) { model_.NetNameChange(i); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!refreshing_ && r >= 0)
            model_.ListBox1Click(r);
    });
    connect(mail_, &QPushButton::clicked, this, [this] { model_.MailClick(); });
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    model_.setView(this);
    memberListChanged();
}

TMemborListForm::~TMemborListForm() {
    model_.setView(nullptr);
}

void TMemborListForm::open() {
    model_.FormShow();
    show();
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    raise();
    activateWindow();
}

void TMemborListForm::memberListChanged() {
    refreshing_ = true;
    {
        QSignalBlocker b(netName_);
        netName_->clear();
        netName_->addItems(ui::toQList(model_.netNames()));
        netName_->setCurrentIndex(model_.net());
    }
    if (const QStringList lines = ui::toQList(model_.list()); shownLines_ != lines) {
        shownLines_ = lines;
        list_->clear();
        list_->addItems(lines);
    }
    list_->setCurrentRow(model_.selected());
    mail_->setEnabled(model_.mailEnabled());
    refreshing_ = false;
}

} // namespace viewers
