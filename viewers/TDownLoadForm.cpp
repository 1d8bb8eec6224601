#include "viewers/TDownLoadForm.h"

#include "ui/Fonts.h"
#include "ui/QtText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace viewers {

using ui::toQ;
using ui::tr8;

TDownLoadForm::TDownLoadForm(macro::MacroModel& macro, ViewerHost& host, QWidget* parent)
    : QWidget(parent), model_(macro, host) {
    setObjectName("DownLoadForm");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr8(u8"ボードのアーティクル一覧表示"));
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    net_ = new QComboBox(this);
    net_->setObjectName("Net");
    net_->setMinimumContentsLength(14);
    board_ = new QComboBox(this);
    board_->setObjectName("Board");
    board_->setMinimumContentsLength(30);
    board_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fboard_ = new QPushButton(tr8(u8"ﾌｧｲﾙﾎﾞｰﾄﾞ"), this);
    fboard_->setObjectName("Fboard");
    mboard_ = new QPushButton(tr8(u8"ﾒｯｾｰｼﾞﾎﾞｰﾄﾞ"), this);
    mboard_->setObjectName("Mboard");
    for (QPushButton* b : {fboard_, mboard_})
        b->setCheckable(true);
    row->addWidget(net_);
    row->addWidget(mboard_);
    row->addWidget(fboard_);
    row->addWidget(board_, 1);
    top->addLayout(row);

    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setFont(ui::resolveFont("Terminal", 10));
    top->addWidget(list_, 1);

    auto* grid = new QGridLayout;
    lDownNo_ = new QLineEdit(this);
    lDownNo_->setObjectName("LDownNo");
    lDownNo_->setMaximumWidth(80);
    lDown_ = new QPushButton(tr8(u8"一覧読み取り予約"), this);
    lDown_->setObjectName("LDown");
    downNo_ = new QLineEdit(this);
    downNo_->setObjectName("DownNo");
    downNo_->setMaximumWidth(80);
    down_ = new QPushButton(tr8(u8"ダウンロード予約"), this);
    down_->setObjectName("Down");
    grid->addWidget(lDownNo_, 0, 0);
    grid->addWidget(new QLabel(tr8(u8"以降"), this), 0, 1);
    grid->addWidget(lDown_, 0, 2);
    grid->addWidget(downNo_, 1, 0);
    grid->addWidget(down_, 1, 2);
    grid->setColumnStretch(3, 1);
    top->addLayout(grid);

    connect(net_, &QComboBox::activated, this, [this](int i) { model_.NetChange(i); });
    connect(board_, &QComboBox::activated, this, [this](int i) { model_.BoardChange(i); });
    connect(fboard_, &QPushButton::clicked, this, [this] { model_.FboardClick(); });
    connect(mboard_, &QPushButton::clicked, this, [this] { model_.MboardClick(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!refreshing_ && r >= 0)
            model_.ListBox1Click(r);
    });
    connect(lDownNo_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setLDownNo(ui::fromQ(t)); });
    connect(downNo_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setDownNo(ui::fromQ(t)); });
    connect(lDown_, &QPushButton::clicked, this, [this] { model_.LDownClick(); });
    connect(down_, &QPushButton::clicked, this, [this] { model_.DownClick(); });

    model_.setView(this);
    model_.FormShow();
    articleListChanged();
}

TDownLoadForm::~TDownLoadForm() {
    model_.setView(nullptr);
}

void TDownLoadForm::articleListChanged() {
    refreshing_ = true;
    {
        QSignalBlocker b1(net_), b2(board_), b3(list_);
        net_->clear();
        net_->addItems(ui::toQList(model_.netNames()));
        net_->setCurrentIndex(model_.net());
        board_->clear();
        board_->addItems(ui::toQList(model_.boardLines()));
        board_->setCurrentIndex(model_.board());
        if (const QStringList lines = ui::toQList(model_.list()); shownLines_ != lines) {
            shownLines_ = lines;
            list_->clear();
            list_->addItems(lines);
        }
        list_->setCurrentRow(model_.selected());
    }
    fboard_->setChecked(model_.fileBoards());
    mboard_->setChecked(!model_.fileBoards());
    if (lDownNo_->text() != toQ(model_.LDownNo()))
        lDownNo_->setText(toQ(model_.LDownNo()));
    if (downNo_->text() != toQ(model_.DownNo()))
        downNo_->setText(toQ(model_.DownNo()));
    lDown_->setEnabled(model_.LDownEnabled());
    down_->setEnabled(model_.DownEnabled());
    refreshing_ = false;
}

} // namespace viewers
