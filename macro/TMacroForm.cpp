#include "macro/TMacroForm.h"

#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace macro {

namespace {

constexpr int kYearOffset = 1900; // the year field counts from 1900; the window shows it whole

struct StepBox {
    Step step;
    const char8_t* caption;
    const char* name;
    bool listHint; // the lists a first login to a net must fetch
};
const StepBox kStepBoxes[] = {
    {Step::NEWMESSAGE, u8"新規発言", "NEWMESSAGE", false},
    {Step::MEMBOR, u8"メンバー一覧", "MEMBOR", true},
    {Step::QUIT, u8"回線切断", "QUIT", false},
    {Step::NewFile, u8"新着ファイル一覧", "NewFile", false},
    {Step::MIDOKU, u8"未読日時変更", "MIDOKU", false},
    {Step::MBOARD, u8"メッセージボード一覧", "MBOARD", true},
    {Step::FBOARD, u8"ファイルボード一覧", "FBOARD", true},
};

QSpinBox* spin(const char* name, int lo, int hi, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lo, hi);
    return box;
}

// Replaces the list's items only when they differ, so the selection and scroll position
// of an unchanged list survive a refresh.
void showLines(QListWidget* list, const std::vector<std::string>& lines, int selected) {
    const QSignalBlocker block(list);
    const QStringList items = ui::toQList(lines);
    bool same = list->count() == items.size();
    for (int i = 0; same && i < items.size(); ++i)
        same = list->item(i)->text() == items[i];
    if (!same) {
        list->clear();
        list->addItems(items);
    }
    list->setCurrentRow(selected);
    if (selected < 0)
        list->clearSelection();
}

// The selected row of a single-selection list, -1 for none.
int selectedRow(QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

} // namespace

TMacroForm::TMacroForm(MacroModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("TMacroForm");
    setWindowTitle(ui::tr8(u8"ネットマネージャー"));
    build();
    model_.setView(this);
    macroChanged();
}

TMacroForm::~TMacroForm() {
    model_.setView(nullptr);
}

QPushButton* TMacroForm::addButton(Button b, const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    buttons_[b] = button;
    connect(button, &QPushButton::clicked, this, [this, b] {
        if (b == Button::LogImport)
            chooseLogFile(); // the file is asked for here, the model reads it
        else
            model_.press(b);
    });
    return button;
}

void TMacroForm::build() {
    // Left: the nets and the run.
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(ui::tr8(u8"ネット"), this));
    netList_ = new QListWidget(this);
    netList_->setObjectName("ListBox1");
    left->addWidget(netList_, 1);
    netNo_ = new QLineEdit(this);
    netNo_->setObjectName("NetNo");
    netNo_->setReadOnly(true);
    netNo_->setFocusPolicy(Qt::NoFocus);
    left->addWidget(netNo_);
    left->addWidget(addButton(Button::Login, ui::tr8(u8"ログイン"), "BitBtn2"));
    left->addWidget(addButton(Button::Timer, ui::tr8(u8"タイマーログイン"), "TimerButton"));
    left->addWidget(addButton(Button::LogImport, ui::tr8(u8"LOG取込み"), "BitBtn7"));

    // Middle: the fixed steps and the unread date.
    auto* stepsBox = new QGroupBox(ui::tr8(u8"自動操縦"), this);
    auto* stepsLayout = new QVBoxLayout(stepsBox);
    for (const StepBox& s : kStepBoxes) {
        auto* box = new QCheckBox(ui::tr8(s.caption), stepsBox);
        box->setObjectName(s.name);
        if (s.listHint)
            box->setToolTip(ui::tr8(u8"初回ログインでは必ず必要です．"));
        const Step step = s.step;
        connect(box, &QCheckBox::toggled, this,
                [this, step](bool on) { model_.setChecked(step, on); });
        stepsLayout->addWidget(box);
        steps_[step] = box;
    }

    auto* dateBox = new QGroupBox(ui::tr8(u8"未読日時"), this);
    auto* dateLayout = new QGridLayout(dateBox);
    year_ = spin("year", UnreadDate::kMinYear + kYearOffset, UnreadDate::kMaxYear + kYearOffset,
                 dateBox);
    month_ = spin("month", 1, 12, dateBox);
    day_ = spin("day", 1, 31, dateBox);
    hour_ = spin("hour", 0, 23, dateBox);
    minute_ = spin("minute", 0, 59, dateBox);
    const std::pair<QSpinBox*, const char8_t*> fields[] = {
        {year_, u8"年"}, {month_, u8"月"}, {day_, u8"日"}, {hour_, u8"時"}, {minute_, u8"分"}};
    int column = 0;
    for (const auto& [box, unit] : fields) {
        dateLayout->addWidget(box, 0, column++);
        dateLayout->addWidget(new QLabel(ui::tr8(unit), dateBox), 0, column++);
    }
    connect(year_, &QSpinBox::valueChanged, this,
            [this](int v) { model_.setYear(v - kYearOffset); });
    connect(month_, &QSpinBox::valueChanged, this, [this](int v) { model_.setMonth(v); });
    connect(day_, &QSpinBox::valueChanged, this, [this](int v) { model_.setDay(v); });
    connect(hour_, &QSpinBox::valueChanged, this, [this](int v) { model_.setHour(v); });
    connect(minute_, &QSpinBox::valueChanged, this, [this](int v) { model_.setMinute(v); });

    auto* middle = new QVBoxLayout;
    middle->addWidget(stepsBox);
    middle->addWidget(dateBox);
    middle->addStretch(1);

    // Right: the boards.
    messageBoards_ = new QToolButton(this);
    messageBoards_->setObjectName("SpeedButton1");
    messageBoards_->setText(ui::tr8(u8"メッセージボード"));
    fileBoards_ = new QToolButton(this);
    fileBoards_->setObjectName("SpeedButton2");
    fileBoards_->setText(ui::tr8(u8"ファイルボード"));
    boardButtons_ = new QButtonGroup(this);
    boardButtons_->setExclusive(true);
    for (QToolButton* b : {messageBoards_, fileBoards_}) {
        b->setCheckable(true);
        boardButtons_->addButton(b);
    }
    connect(messageBoards_, &QToolButton::clicked, this, [this] { model_.SpeedButton1Click(); });
    connect(fileBoards_, &QToolButton::clicked, this, [this] { model_.SpeedButton2Click(); });
    auto* boardRow = new QHBoxLayout;
    boardRow->addWidget(messageBoards_);
    boardRow->addWidget(fileBoards_);
    boardRow->addStretch(1);

    boardList_ = new QListWidget(this);
    boardList_->setObjectName("BoardList");
    // Selection, not the current row: a list that takes the focus makes its first row
    // current by itself, which is no choice of the user's.
    connect(boardList_, &QListWidget::itemSelectionChanged, this,
            [this] { model_.selectBoard(selectedRow(boardList_)); });
    connect(boardList_, &QListWidget::itemDoubleClicked, this,
            [this] { model_.boardDoubleClick(); });

    auto* boardActions = new QHBoxLayout;
    boardActions->addWidget(addButton(Button::Open, ui::tr8(u8"開く"), "OpenButton"));
    boardActions->addWidget(addButton(Button::Write, ui::tr8(u8"新規書込み"), "WriteButton"));
    boardActions->addWidget(
        addButton(Button::ArticleList, ui::tr8(u8"ｱｰﾃｨｸﾙリスト"), "ArticleListButton"));
    boardActions->addWidget(addButton(Button::LogEdit, ui::tr8(u8"ログの整理"), "LogEditButton"));

    auto* right = new QVBoxLayout;
    right->addLayout(boardRow);
    right->addWidget(boardList_, 1);
    right->addLayout(boardActions);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(middle);
    top->addLayout(right, 2);

    auto* bottom = new QGridLayout;
    bottom->addWidget(addButton(Button::MemberList, ui::tr8(u8"メンバー一覧"), "MemberButton"), 0,
                      0);
    bottom->addWidget(addButton(Button::MailBox, ui::tr8(u8"メールボックス"), "MailBoxButton"), 0,
                      1);
    bottom->addWidget(addButton(Button::TextStyle, ui::tr8(u8"ﾃｷｽﾄｽﾀｲﾙ"), "TextStyleButton"), 0, 2);
    bottom->addWidget(addButton(Button::ReserveEditor, ui::tr8(u8"読み込み＆書きこみ予約の編集"),
                                "ReserveEditButton"),
                      0, 3);
    bottom->addWidget(addButton(Button::EditNets, ui::tr8(u8"ネットの編集"), "EditNetsButton"), 1,
                      0);
    bottom->addWidget(addButton(Button::ModemSettings, ui::tr8(u8"モデム設定"), "ModemButton"), 1,
                      1);
    bottom->addWidget(addButton(Button::FontSettings, ui::tr8(u8"フォント設定"), "FontButton"), 1,
                      2);
    bottom->addWidget(addButton(Button::Help, ui::tr8(u8"ヘルプ !!"), "HelpButton"), 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(netList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (int row = selectedRow(netList_); row >= 0)
            model_.ListBox1Click(row);
    });
}

void TMacroForm::macroChanged() {
    showLines(netList_, model_.netNames(), model_.selectedNet());
    {
        const QSignalBlocker block(netNo_);
        netNo_->setText(ui::toQ(model_.NetNo()));
    }
    for (auto& [step, box] : steps_) {
        const QSignalBlocker block(box);
        box->setChecked(model_.checked(step));
    }
    const UnreadDate& d = model_.unread();
    for (QSpinBox* box : {year_, month_, day_, hour_, minute_})
        box->blockSignals(true);
    year_->setValue(d.year + kYearOffset);
    month_->setValue(d.month);
    day_->setMaximum(model_.dayMax());
    day_->setValue(d.day);
    hour_->setValue(d.hour);
    minute_->setValue(d.minute);
    for (QSpinBox* box : {year_, month_, day_, hour_, minute_})
        box->blockSignals(false);

    const bool message = model_.boardKind() == BoardKind::Message;
    {
        const QSignalBlocker a(messageBoards_);
        const QSignalBlocker b(fileBoards_);
        messageBoards_->setChecked(message);
        fileBoards_->setChecked(!message);
    }
    showLines(boardList_, model_.boardLines(), model_.selectedBoard());
    buttons_[Button::Write]->setText(message ? ui::tr8(u8"新規書込み") : ui::tr8(u8"ｱｯﾌﾟﾛｰﾄﾞ"));
    for (auto& [b, button] : buttons_)
        button->setEnabled(model_.enabled(b));
}

void TMacroForm::chooseLogFile() {
    if (!model_.enabled(Button::LogImport))
        return;
    const QString file = QFileDialog::getOpenFileName(
        this,
        ui::tr8(u8"ログファイルの指定　※ネットの指定を間違えていませんか？ "
                u8"違っていると大変なことになりますので(^^;"),
        QString(), ui::tr8(u8"ログファイル (*.LOG);;テキストファイル (*.TXT)"));
    if (file.isEmpty())
        return;
    model_.importSavedLog(QFile::encodeName(file).toStdString());
}

void TMacroForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.FormShow();
}

void TMacroForm::closeEvent(QCloseEvent* event) {
    model_.FormClose();
    QWidget::closeEvent(event);
}

} // namespace macro
