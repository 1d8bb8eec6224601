#include "viewers/TMessageBoardForm.h"

#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

namespace viewers {

using ui::toQ;
using ui::tr8;

TMessageBoardForm::TMessageBoardForm(macro::MacroModel& macro, const shell::NetList& nets,
                                     ViewerHost& host, const base::LocalDateTime& today,
                                     const BoardViewerSetup& setup, QWidget* parent)
    : QWidget(parent), model_(macro, nets, host, today) {
    setObjectName("MessageBoardForm");
    setAttribute(Qt::WA_DeleteOnClose);
    build(setup);
    model_.setView(this);
    model_.FormShow(setup.browseNew, setup.browseAll, setup.tree);
    boardChanged();
}

TMessageBoardForm::~TMessageBoardForm() {
    model_.setView(nullptr);
}

void TMessageBoardForm::build(const BoardViewerSetup& setup) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QMenuBar(this);
    top->setMenuBar(bar);
    QMenu* edit = bar->addMenu(tr8(u8"編集(&E)"));
    QMenu* jump = bar->addMenu(tr8(u8"ジャンプ(&J)"));
    QMenu* action = bar->addMenu(tr8(u8"アクション(&A)"));

    auto* panel = new QWidget(this);
    panel->setObjectName("Panel1");
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    rows->addLayout(row1);
    rows->addLayout(row2);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    netname_ = static_cast<QComboBox*>(named(new QComboBox(panel), "netname"));
    boardname_ = static_cast<QComboBox*>(named(new QComboBox(panel), "boardname"));
    boardname_->setMinimumContentsLength(30);
    boardname_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fileKind_ = static_cast<QPushButton*>(named(new QPushButton(".DAT", panel), "FileKind"));
    auto* ok = static_cast<QPushButton*>(named(new QPushButton("OK", panel), "Button2"));
    up_ = static_cast<QPushButton*>(named(new QPushButton(tr8(u8"▲"), panel), "UPButton"));
    down_ = static_cast<QPushButton*>(named(new QPushButton(tr8(u8"▼"), panel), "DOWNButton"));
    res_ = static_cast<QPushButton*>(named(new QPushButton(tr8(u8"レス"), panel), "ResButton"));
    newButton_ = static_cast<QPushButton*>(named(new QPushButton(tr8(u8"新規"), panel), "Button1"));
    row1->addWidget(netname_);
    row1->addWidget(boardname_, 1);
    row1->addWidget(fileKind_);
    row1->addWidget(ok);
    row1->addWidget(up_);
    row1->addWidget(down_);
    row1->addWidget(res_);
    row1->addWidget(newButton_);

    newMode_ = static_cast<QRadioButton*>(named(new QRadioButton(tr8(u8"新規"), panel), "NewMode"));
    allMode_ =
        static_cast<QRadioButton*>(named(new QRadioButton(tr8(u8"すべて"), panel), "allmode"));
    dateMode_ =
        static_cast<QRadioButton*>(named(new QRadioButton(tr8(u8"日付"), panel), "datemode"));
    searchMode_ =
        static_cast<QRadioButton*>(named(new QRadioButton(tr8(u8"検索"), panel), "searchmode"));
    auto* group = new QButtonGroup(panel);
    for (QRadioButton* b : {newMode_, allMode_, dateMode_, searchMode_})
        group->addButton(b);
    setdate_ = static_cast<QLineEdit*>(named(new QLineEdit(panel), "setdate"));
    setdate_->setReadOnly(true);
    setdate_->setMaximumWidth(80);
    year_ = static_cast<QSpinBox*>(named(new QSpinBox(panel), "year"));
    month_ = static_cast<QSpinBox*>(named(new QSpinBox(panel), "month"));
    day_ = static_cast<QSpinBox*>(named(new QSpinBox(panel), "day"));
    month_->setRange(1, 12);
    searchword_ = static_cast<QLineEdit*>(named(new QLineEdit(panel), "searchword"));
    tree_ = static_cast<QCheckBox*>(named(new QCheckBox(tr8(u8"ツリー"), panel), "Tree"));
    for (QWidget* w : std::initializer_list<QWidget*>{newMode_, allMode_, dateMode_, searchMode_,
                                                      setdate_, year_, month_, day_})
        row2->addWidget(w);
    row2->addWidget(searchword_, 1);
    row2->addWidget(tree_);
    top->addWidget(panel);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName("Splitter");
    list_ = static_cast<QListWidget*>(named(new QListWidget(split), "ListBox1"));
    list_->setFont(setup.titleFont);
    list_->setUniformItemSizes(true);
    memo_ = static_cast<QPlainTextEdit*>(named(new QPlainTextEdit(split), "Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(setup.articleFont);
    split->addWidget(list_);
    split->addWidget(memo_);
    split->setSizes({85, 300});
    top->addWidget(split, 1);
    buildMenus(edit, jump, action); // after the buttons the jump items press

    connect(netname_, &QComboBox::activated, this, [this](int i) {
        pushSettings();
        model_.netnameChange(i);
    });
    connect(boardname_, &QComboBox::activated, this, [this](int i) {
        pushSettings();
        model_.boardnameChange(i);
    });
    connect(fileKind_, &QPushButton::clicked, this, [this] {
        pushSettings();
        model_.FileKindClick();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        pushSettings();
        model_.Button2Click();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_ || row < 0)
            return;
        model_.ListBox1Click(row);
        memo_->setFocus();
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        pushSettings();
        model_.UPButtonClick();
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        pushSettings();
        model_.DOWNButtonClick();
    });
    connect(res_, &QPushButton::clicked, this, [this] { model_.ResButtonClick(); });
    connect(newButton_, &QPushButton::clicked, this, [this] { model_.Button1Click(); });
    connect(year_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!refreshing_)
            model_.setYear(v);
    });
    connect(month_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!refreshing_)
            model_.setMonth(v);
    });
    connect(day_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!refreshing_)
            model_.setDay(v);
    });
}

void TMessageBoardForm::buildMenus(QMenu* edit, QMenu* jump, QMenu* action) {
    auto add = [this](QMenu* m, const char* name, const QString& caption, const QKeySequence& key) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        return a;
    };
    QAction* cut = add(edit, "Cut", tr8(u8"切り取り"), QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction* copy = add(edit, "Copy", tr8(u8"コピー"), QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* paste = add(edit, "Paste", tr8(u8"貼り付け"), QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction* del = add(edit, "Delete", tr8(u8"削除"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    QAction* all = add(edit, "SelectAll", tr8(u8"すべて選択(&L)"), {});
    edit->addSeparator();
    deleteArticle_ = add(edit, "DeleteArticle", tr8(u8"アーティクルの削除(&D)"), {});
    deleteArticle_->setEnabled(false);
    connect(edit, &QMenu::aboutToShow, this, [=, this] {
        QWidget* t = editTarget();
        bool selection = false;
        if (auto* m = qobject_cast<QPlainTextEdit*>(t))
            selection = m->textCursor().hasSelection();
        else if (auto* e = qobject_cast<QLineEdit*>(t))
            selection = e->hasSelectedText();
        // The text of a message is read-only: it can be copied, not cut or pasted into.
        const bool editable = t == searchword_;
        cut->setEnabled(selection && editable);
        copy->setEnabled(selection);
        del->setEnabled(selection && editable);
        paste->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
        all->setEnabled(t != nullptr);
    });
    auto onTarget = [this](auto memoFn, auto editFn) {
        return [=, this] {
            QWidget* t = editTarget();
            if (auto* m = qobject_cast<QPlainTextEdit*>(t))
                memoFn(m);
            else if (auto* e = qobject_cast<QLineEdit*>(t))
                editFn(e);
        };
    };
    connect(cut, &QAction::triggered, this,
            onTarget([](QPlainTextEdit*) {}, [](QLineEdit* e) { e->cut(); }));
    connect(copy, &QAction::triggered, this,
            onTarget([](QPlainTextEdit* m) { m->copy(); }, [](QLineEdit* e) { e->copy(); }));
    connect(paste, &QAction::triggered, this,
            onTarget([](QPlainTextEdit*) {}, [](QLineEdit* e) { e->paste(); }));
    connect(del, &QAction::triggered, this,
            onTarget([](QPlainTextEdit*) {}, [](QLineEdit* e) { e->del(); }));
    connect(
        all, &QAction::triggered, this,
        onTarget([](QPlainTextEdit* m) { m->selectAll(); }, [](QLineEdit* e) { e->selectAll(); }));
    connect(deleteArticle_, &QAction::triggered, this, [this] { model_.deleteArticle(); });

    connect(
        add(jump, "PrevArticle", tr8(u8"前のアーティクル"), QKeySequence(Qt::CTRL | Qt::Key_Up)),
        &QAction::triggered, up_, [this] {
            up_->setFocus();
            up_->click();
        });
    connect(
        add(jump, "NextArticle", tr8(u8"次のアーティクル"), QKeySequence(Qt::CTRL | Qt::Key_Down)),
        &QAction::triggered, down_, [this] {
            down_->setFocus();
            down_->click();
        });
    connect(
        add(jump, "PrevLine", tr8(u8"すぐ前のアーティクル"), QKeySequence(Qt::ALT | Qt::Key_Up)),
        &QAction::triggered, this, [this] { model_.previousLine(); });
    connect(
        add(jump, "NextLine", tr8(u8"すぐ次のアーティクル"), QKeySequence(Qt::ALT | Qt::Key_Down)),
        &QAction::triggered, this, [this] { model_.nextLine(); });

    resAction_ = add(action, "ResAction", tr8(u8"レス(&R)"), {});
    connect(resAction_, &QAction::triggered, this, [this] { model_.ResButtonClick(); });
    connect(add(action, "NewAction", tr8(u8"新規書き込み(&W)"), {}), &QAction::triggered, this,
            [this] { model_.Button1Click(); });
    connect(action, &QMenu::aboutToShow, this,
            [this] { resAction_->setEnabled(model_.resEnabled()); });
}

QWidget* TMessageBoardForm::editTarget() const {
    QWidget* f = focusWidget();
    return f == memo_ || f == searchword_ ? f : nullptr;
}

// The browse settings the user set in the window, taken before every load.
void TMessageBoardForm::pushSettings() {
    model_.setMode(allMode_->isChecked()      ? BrowseMode::All
                   : dateMode_->isChecked()   ? BrowseMode::Date
                   : searchMode_->isChecked() ? BrowseMode::Search
                                              : BrowseMode::New);
    model_.setTree(tree_->isChecked());
    model_.setSearchword(ui::fromQ(searchword_->text()));
}

void TMessageBoardForm::boardChanged() {
    refreshing_ = true;
    setWindowTitle(toQ(model_.caption()));
    {
        QSignalBlocker b1(netname_), b2(boardname_);
        const QStringList nets = ui::toQList(model_.netNames());
        if (netname_->count() != nets.size())
            netname_->clear(), netname_->addItems(nets);
        netname_->setCurrentIndex(model_.net());
        boardname_->clear();
        boardname_->addItems(ui::toQList(model_.boardLines()));
        boardname_->setCurrentIndex(model_.board());
    }
    fileKind_->setText(QString::fromLatin1(model_.fileKind().c_str()));
    switch (model_.mode()) {
    case BrowseMode::New:
        newMode_->setChecked(true);
        break;
    case BrowseMode::All:
        allMode_->setChecked(true);
        break;
    case BrowseMode::Date:
        dateMode_->setChecked(true);
        break;
    case BrowseMode::Search:
        searchMode_->setChecked(true);
        break;
    }
    tree_->setChecked(model_.tree());
    if (!searchword_->hasFocus())
        searchword_->setText(toQ(model_.searchword()));
    year_->setRange(model_.yearMin(), model_.yearMax());
    year_->setValue(model_.year());
    month_->setValue(model_.month());
    day_->setRange(1, model_.dayMax());
    day_->setValue(model_.day());
    setdate_->setText(toQ(model_.setdate()));

    if (shownLoad_ != model_.loadCount()) {
        shownLoad_ = model_.loadCount();
        QSignalBlocker b(list_);
        list_->clear();
        QStringList lines;
        lines.reserve(static_cast<int>(model_.list().size()));
        for (const BoardEntry& e : model_.list())
            lines << toQ(e.line);
        list_->addItems(lines);
    }
    {
        QSignalBlocker b(list_);
        list_->setCurrentRow(model_.selected());
        if (model_.selected() >= 0)
            list_->scrollToItem(list_->item(model_.selected()));
    }
    const QString text = toQ(model_.memoText()).replace("\r\n", "\n");
    if (memo_->toPlainText() != text)
        memo_->setPlainText(text);
    res_->setEnabled(model_.resEnabled());
    deleteArticle_->setEnabled(model_.deleteEnabled());
    refreshing_ = false;
}

} // namespace viewers
