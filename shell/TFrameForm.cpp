#include "shell/TFrameForm.h"

#include "ui/QtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace shell {

using ui::tr8;

TFrameForm::TFrameForm(FrameModel& model, Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), model_(model), desktop_(desktop), mdi_(new QMdiArea(this)) {
    setObjectName("FrameForm");
    setWindowTitle(tr8(u8"KTBBS用総合通信ソフト  TARNO Ver 1.16"));
    mdi_->setObjectName("MdiArea");
    setCentralWidget(mdi_);
    buildMenus();
    buildToolBar();

    status_ = new QLabel("Welcome To TARNO", this);
    status_->setObjectName("Status");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setMaximumWidth(200);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    refreshBrowseModes();
}

QAction* TFrameForm::addItem(QMenu* menu, const QString& name, const QString& caption,
                             bool enabled) {
    auto* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    actions_[name] = a;
    return a;
}

QAction* TFrameForm::action(const QString& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TFrameForm::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr8(u8"ﾌｧｲﾙ(&F)"));
    addItem(file, "Print", tr8(u8"印刷(&P)"), false);

    // Items whose windows do not exist yet stay disabled until they are connected.
    QMenu* view = menuBar()->addMenu(tr8(u8"表示(&V)"));
    addItem(view, "NetManager", tr8(u8"ネットマネージャー(&A)"), false)
        ->setShortcut(QKeySequence(Qt::Key_F12));
    addItem(view, "MessageBoard", tr8(u8"メッセージﾎﾞｰﾄﾞ(&B)"), false);
    addItem(view, "MailBox", tr8(u8"メールボックス(&M)"), false);
    addItem(view, "MemberList", tr8(u8"メンバー一覧(&L)"), false);
    addItem(view, "ArticleList", tr8(u8"アーティクルリスト(&I)"), false);
    addItem(view, "RawLog", tr8(u8"生ログ(&N)"), false);
    QMenu* browse = view->addMenu(tr8(u8"標準ブラウズモード(&P)"));
    QAction* browseNew = addItem(browse, "BrowseNew", tr8(u8"新規発言"), true);
    QAction* browseAll = addItem(browse, "BrowseAll", tr8(u8"すべて"), true);
    QAction* tree = addItem(browse, "TreeView", tr8(u8"ツリー表示"), true);
    for (QAction* a : {browseNew, browseAll, tree})
        a->setCheckable(true);
    connect(browseNew, &QAction::triggered, this, [this](bool on) {
        model_.setBrowseNew(on);
        refreshBrowseModes();
    });
    connect(browseAll, &QAction::triggered, this, [this](bool on) {
        model_.setBrowseAll(on);
        refreshBrowseModes();
    });
    connect(tree, &QAction::triggered, this, [this](bool on) { model_.setTreeView(on); });
    addItem(view, "ErrorLog", tr8(u8"エラーログ(&E)"), false);
    QAction* toolBar = addItem(view, "ToolBarToggle", tr8(u8"ツールバー(&S)"), true);
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, this, [this](bool on) { toolBar_->setVisible(on); });

    QMenu* settings = menuBar()->addMenu(tr8(u8"設定(&S)"));
    connect(addItem(settings, "EditNets", tr8(u8"ネットの編集(&N)"), true), &QAction::triggered,
            this, [this] { desktop_.showSettings(SettingPage::Net); });
    connect(addItem(settings, "ModemSettings", tr8(u8"モデムの設定(&M)"), true),
            &QAction::triggered, this, [this] { desktop_.showSettings(SettingPage::Modem); });
    connect(addItem(settings, "FontSettings", tr8(u8"フォント設定(&F)"), true), &QAction::triggered,
            this, [this] { desktop_.showSettings(SettingPage::Font); });
    addItem(settings, "TextStyle", tr8(u8"テキストのスタイル(&S)"), false);
    addItem(settings, "TimerAccess", tr8(u8"タイマーアクセスの設定(&T)"), false);

    QMenu* help = menuBar()->addMenu(tr8(u8"ﾍﾙﾌﾟ(&H)"));
    connect(addItem(help, "About", tr8(u8"このソフトについて(&A)"), true), &QAction::triggered,
            this, [this] { desktop_.showAbout(); });

    QMenu* window = menuBar()->addMenu(tr8(u8"ｳｲﾝﾄﾞｳ(&W)"));
    connect(addItem(window, "Tile", tr8(u8"並べて表示(&T)"), true), &QAction::triggered, mdi_,
            &QMdiArea::tileSubWindows);
    connect(addItem(window, "Cascade", tr8(u8"重ねて表示(&C)"), true), &QAction::triggered, mdi_,
            &QMdiArea::cascadeSubWindows);
    connect(addItem(window, "ArrangeIcons", tr8(u8"アイコンの整理(&A)"), true), &QAction::triggered,
            this, &TFrameForm::arrangeIcons);
}

void TFrameForm::buildToolBar() {
    toolBar_ = addToolBar(tr8(u8"ツールバー"));
    toolBar_->setObjectName("ToolBar");
    toolBar_->setMovable(false);
    auto button = [this](const QString& name, const QString& caption, const QString& hint,
                         bool enabled) {
        QAction* a = toolBar_->addAction(caption);
        a->setObjectName(name);
        a->setToolTip(hint.isEmpty() ? QString(caption).replace("&&", "&") : hint);
        a->setEnabled(enabled);
        actions_[name] = a;
        return a;
    };
    button("StartButton", tr8(u8"ｽﾀｰﾄ"), tr8(u8"アクセスマネージャー"), false);
    netList_ = new QComboBox(this);
    netList_->setObjectName("NetList");
    netList_->setMinimumContentsLength(16);
    netList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    toolBar_->addWidget(netList_);
    connect(netList_, &QComboBox::activated, this, [this](int index) {
        if (onNetSelected_)
            onNetSelected_(index);
    });
    button("MessageBoardButton", tr8(u8"メッセージボード"), {}, false);
    button("MailBoxButton", tr8(u8"メールボックス"), {}, false);
    // "&" is doubled so it shows instead of marking a shortcut key.
    button("ArticleListButton", tr8(u8"ﾌｧｲﾙ&&ﾒｯｾｰｼﾞﾎﾞｰﾄﾞ アーティクル一覧 "), {}, false);
    button("ConnectButton", tr8(u8"接続"), {}, false);
    button("ReserveEditButton", tr8(u8"書込み＆読み込み予約の編集"), {}, false);
    connect(button("CascadeButton", "C", tr8(u8"重ねて表示"), true), &QAction::triggered, mdi_,
            &QMdiArea::cascadeSubWindows);
    connect(button("TileButton", "T", tr8(u8"並べて表示"), true), &QAction::triggered, mdi_,
            &QMdiArea::tileSubWindows);
}

void TFrameForm::refreshBrowseModes() {
    action("BrowseNew")->setChecked(model_.browseNew());
    action("BrowseAll")->setChecked(model_.browseAll());
    action("TreeView")->setChecked(model_.treeView());
}

void TFrameForm::setNetSelector(const std::vector<std::string>& names, int selected) {
    QSignalBlocker block(netList_);
    netList_->clear();
    netList_->addItems(ui::toQList(names));
    netList_->setCurrentIndex(selected >= 0 && selected < netList_->count() ? selected : -1);
}

void TFrameForm::selectNet(int index) {
    QSignalBlocker block(netList_);
    netList_->setCurrentIndex(index >= 0 && index < netList_->count() ? index : -1);
}

int TFrameForm::selectedNet() const {
    return netList_->currentIndex();
}

void TFrameForm::setStatusText(const std::string& sjisText) {
    status_->setText(ui::toQ(sjisText));
}

void TFrameForm::setProgress(int percent) {
    progress_->setValue(percent);
}

void TFrameForm::arrangeIcons() {
    int x = 0;
    const int bottom = mdi_->viewport()->height();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized())
            continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

void TFrameForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!model_.firstShow() || startQueued_)
        return;
    // Run the start-up once the window is on screen, so its questions have a parent to
    // sit over.
    startQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        desktop_.startUp();
        refreshBrowseModes();
    });
}

bool TFrameForm::closeChildren() {
    mdi_->closeAllSubWindows();
    // A closed sub-window may be deleted only later; the ones that refused stay visible.
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (sub->isVisible())
            return false;
    return true;
}

void TFrameForm::closeEvent(QCloseEvent* event) {
    if (desktop_.closing())
        event->accept();
    else
        event->ignore();
}

} // namespace shell
