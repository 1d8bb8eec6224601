#include "viewers/TMailForm.h"

#include "ui/QtText.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTextDocument>
#include <QVBoxLayout>

namespace viewers {

using ui::toQ;
using ui::tr8;

TMailForm::TMailForm(macro::MacroModel& macro, ViewerHost& host, const QFont& titleFont,
                     const QFont& articleFont, QWidget* parent)
    : QWidget(parent), model_(macro, host) {
    setObjectName("MailForm");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr8(u8"メールボックス"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(2, 2, 2, 2);

    auto* bar = new QMenuBar(this);
    top->setMenuBar(bar);
    QMenu* edit = bar->addMenu(tr8(u8"編集(&E)"));
    // Shown as the mail box has always shown them; the mail text is read-only, so cutting,
    // pasting and deleting have nothing to act on and stay disabled. Select-all takes the
    // whole shown mail (to copy it with Ctrl+C), whichever way the mail came up.
    for (const char8_t* c : {u8"切り取り", u8"コピー", u8"貼り付け", u8"削除"})
        edit->addAction(tr8(c))->setEnabled(false);
    selectAll_ = edit->addAction(tr8(u8"すべて選択(&L)"));
    QMenu* action = bar->addMenu(tr8(u8"アクション(&A)"));
    resAction_ = action->addAction(tr8(u8"レス(&R)"));
    resAction_->setObjectName("K3");
    action->addAction(tr8(u8"新規書き込み(&W)"))->setEnabled(false);
    connect(action, &QMenu::aboutToShow, this,
            [this] { resAction_->setEnabled(model_.resEnabled()); });
    connect(resAction_, &QAction::triggered, this, [this] { model_.ResButtonClick(); });

    auto* panel = new QWidget(this);
    panel->setObjectName("Panel1");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    auto* up = new QPushButton(tr8(u8"▲"), panel);
    up->setObjectName("UPButton");
    auto* down = new QPushButton(tr8(u8"▼"), panel);
    down->setObjectName("DOWNButton");
    auto* newButton = new QPushButton(tr8(u8"新規"), panel);
    newButton->setObjectName("Button1");
    res_ = new QPushButton(tr8(u8"レス"), panel);
    res_->setObjectName("ResButton");
    netname_ = new QComboBox(panel);
    netname_->setObjectName("netname");
    netname_->setMinimumContentsLength(16);
    for (QWidget* w : std::initializer_list<QWidget*>{up, down, newButton, res_})
        row->addWidget(w);
    row->addStretch(1);
    row->addWidget(new QLabel(tr8(u8"ﾈｯﾄ"), panel));
    row->addWidget(netname_);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    list_ = new QListWidget(split);
    list_->setObjectName("ListBox1");
    list_->setFont(titleFont);
    memo_ = new QPlainTextEdit(split);
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(articleFont);
    connect(selectAll_, &QAction::triggered, this, [this] {
        memo_->setFocus();
        memo_->selectAll();
    });
    split->setSizes({120, 300});
    top->addWidget(split, 1);
    // The bar is the splitter's handle between list and text: it sits between them, and
    // dragging it by its empty part (with the vertical-split cursor) moves the border.
    // The buttons on it keep the ordinary cursor.
    QSplitterHandle* handle = split->handle(1);
    auto* handleRow = new QHBoxLayout(handle);
    handleRow->setContentsMargins(0, 0, 0, 0);
    handleRow->addWidget(panel);
    split->setHandleWidth(panel->sizeHint().height());
    for (QWidget* w : panel->findChildren<QWidget*>())
        w->setCursor(Qt::ArrowCursor);

    connect(up, &QPushButton::clicked, this, [this] { model_.UPButtonClick(); });
    connect(down, &QPushButton::clicked, this, [this] { model_.DOWNButtonClick(); });
    connect(newButton, &QPushButton::clicked, this, [this] { model_.Button1Click(); });
    connect(res_, &QPushButton::clicked, this, [this] { model_.ResButtonClick(); });
    connect(netname_, &QComboBox::activated, this, [this](int i) { model_.netnameChange(i); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_ || row < 0)
            return;
        model_.ListBox1Click(row);
        memo_->setFocus();
    });

    model_.setView(this);
    model_.FormShow();
    mailChanged();
}

TMailForm::~TMailForm() {
    model_.setView(nullptr);
}

void TMailForm::mailChanged() {
    refreshing_ = true;
    {
        QSignalBlocker b(netname_);
        if (netname_->count() != static_cast<int>(model_.netNames().size())) {
            netname_->clear();
            netname_->addItems(ui::toQList(model_.netNames()));
        }
        netname_->setCurrentIndex(model_.net());
    }
    if (shownLoad_ != model_.loadCount()) {
        shownLoad_ = model_.loadCount();
        list_->clear();
        QStringList lines;
        for (const MailEntry& e : model_.list())
            lines << toQ(e.line);
        list_->addItems(lines);
    }
    {
        QSignalBlocker b(list_);
        list_->setCurrentRow(model_.selected());
    }
    const QString text = toQ(model_.memoText()).replace("\r\n", "\n");
    if (memo_->toPlainText() != text)
        memo_->setPlainText(text);
    res_->setEnabled(model_.resEnabled());
    selectAll_->setEnabled(!memo_->document()->isEmpty());
    refreshing_ = false;
}

} // namespace viewers
