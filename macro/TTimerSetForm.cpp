#include "macro/TTimerSetForm.h"

#include "ui/Fonts.h"
#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace macro {

namespace {

QSpinBox* spin(const char* name, int lo, int hi, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lo, hi);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QCheckBox* check(const char8_t* caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(ui::tr8(caption), parent);
    box->setObjectName(name);
    return box;
}

// The selected row of a single-selection list, -1 for none.
int selectedRow(QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

} // namespace

TTimerSetForm::TTimerSetForm(TimerModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("TTimerSetForm");
    setWindowTitle(ui::tr8(u8"タイマーアクセスの設定"));
    build();
    model_.setView(this);
    timerChanged();
}

TTimerSetForm::~TTimerSetForm() {
    model_.setView(nullptr);
}

void TTimerSetForm::build() {
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setFont(ui::resolveFont(ui::japaneseFixedFamily(), 10));
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(66, 'x')));
    // Selection, not the current row: a list that takes the focus makes a row current by
    // itself, which is no click of the user's.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = selectedRow(list_);
        if (row >= 0)
            model_.ListBox1Click(row);
    });

    panelBox_ = new QGroupBox(ui::tr8(u8"予約内容"), this);
    panelBox_->setObjectName("PropertyPanel");
    auto* grid = new QGridLayout(panelBox_);
    int row = 0;

    enable_ = check(u8"予約実行", "Enable", panelBox_);
    grid->addWidget(enable_, row++, 0, 1, 4);

    grid->addWidget(new QLabel(ui::tr8(u8"ネット"), panelBox_), row, 0);
    net_ = new QComboBox(panelBox_);
    net_->setObjectName("NetBox");
    net_->setMinimumContentsLength(16);
    grid->addWidget(net_, row++, 1, 1, 3);
    connect(net_, &QComboBox::activated, this, [this](int index) {
        panelEdited();
        model_.chooseNet(index);
        showPanel();
    });

    day_ = spin("DayEdit", 1, 31, panelBox_);
    hour_ = spin("HourEdit", 0, 23, panelBox_);
    minute_ = spin("MinuteEdit", 0, 59, panelBox_);
    auto* when = new QHBoxLayout;
    when->addWidget(day_);
    when->addWidget(new QLabel(ui::tr8(u8"日"), panelBox_));
    when->addSpacing(8);
    when->addWidget(hour_);
    when->addWidget(new QLabel(ui::tr8(u8"時"), panelBox_));
    when->addWidget(minute_);
    when->addWidget(new QLabel(ui::tr8(u8"分"), panelBox_));
    when->addStretch(1);
    grid->addWidget(new QLabel(ui::tr8(u8"日時"), panelBox_), row, 0);
    grid->addLayout(when, row++, 1, 1, 3);
    for (QSpinBox* s : {day_, hour_, minute_})
        connect(s, &QSpinBox::valueChanged, this, [this] { panelEdited(); });

    weekday_ = new QLineEdit(panelBox_);
    weekday_->setObjectName("WeekEdit");
    weekday_->setMaxLength(6);
    weekday_->setFixedWidth(weekday_->fontMetrics().horizontalAdvance(ui::tr8(u8"水曜日")) + 16);
    connect(weekday_, &QLineEdit::textEdited, this, [this] { panelEdited(); });
    // The up-down control: its position 1..7 is Sunday .. Saturday.
    weekdayUp_ = new QToolButton(panelBox_);
    weekdayUp_->setObjectName("UpDownUp");
    weekdayUp_->setArrowType(Qt::UpArrow);
    weekdayDown_ = new QToolButton(panelBox_);
    weekdayDown_->setObjectName("UpDownDown");
    weekdayDown_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {weekdayUp_, weekdayDown_}) {
        b->setFixedSize(18, 12);
        b->setAutoRepeat(true);
    }
    connect(weekdayUp_, &QToolButton::clicked, this, [this] {
        panelEdited();
        model_.setWeekdayPosition(model_.panel().weekdayPosition + 1);
        showPanel();
    });
    connect(weekdayDown_, &QToolButton::clicked, this, [this] {
        panelEdited();
        model_.setWeekdayPosition(model_.panel().weekdayPosition - 1);
        showPanel();
    });
    auto* upDown = new QVBoxLayout;
    upDown->setSpacing(0);
    upDown->addWidget(weekdayUp_);
    upDown->addWidget(weekdayDown_);
    auto* week = new QHBoxLayout;
    week->setSpacing(2);
    week->addWidget(weekday_);
    week->addLayout(upDown);
    week->addStretch(1);
    grid->addWidget(new QLabel(ui::tr8(u8"曜日"), panelBox_), row, 0);
    grid->addLayout(week, row++, 1, 1, 3);

    everyTime_ = new QRadioButton(ui::tr8(u8"毎回"), panelBox_);
    everyTime_->setObjectName("EveryTime");
    onceOnly_ = new QRadioButton(ui::tr8(u8"一回だけ"), panelBox_);
    onceOnly_->setObjectName("OnceOnly");
    onceOnly_->setToolTip(ui::tr8(u8"１度実行すると[予約無効]にセットされます．"));
    modeGroup_ = new QButtonGroup(this);
    modeGroup_->addButton(everyTime_);
    modeGroup_->addButton(onceOnly_);
    auto* mode = new QHBoxLayout;
    mode->addWidget(everyTime_);
    mode->addWidget(onceOnly_);
    mode->addStretch(1);
    grid->addLayout(mode, row++, 0, 1, 4);

    auto* conditions = new QGroupBox(ui::tr8(u8"動作条件"), panelBox_);
    auto* conditionRow = new QHBoxLayout(conditions);
    hourCondition_ = check(u8"時", "HourCheck", conditions);
    minuteCondition_ = check(u8"分", "MinuteCheck", conditions);
    dateCondition_ = check(u8"日付", "DateCheck", conditions);
    weekdayCondition_ = check(u8"曜日", "WeekCheck", conditions);
    for (QCheckBox* c : {hourCondition_, minuteCondition_, dateCondition_, weekdayCondition_})
        conditionRow->addWidget(c);
    grid->addWidget(conditions, row++, 0, 1, 4);

    done_ = check(u8"動作済", "DoneCheck", panelBox_);
    done_->setToolTip(ui::tr8(u8"条件を満たさなくなると自動的に解除されます．"));
    grid->addWidget(done_, row++, 0, 1, 4);

    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             enable_, everyTime_, onceOnly_, hourCondition_, minuteCondition_, dateCondition_,
             weekdayCondition_, done_})
        connect(b, &QAbstractButton::toggled, this, [this] { panelEdited(); });

    problem_ = new QLabel(panelBox_);
    problem_->setObjectName("ProblemLabel");
    problem_->setWordWrap(true);
    problem_->setStyleSheet("color: #b00000;");
    grid->addWidget(problem_, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    auto* newButton = new QPushButton(ui::tr8(u8"新規予約項目"), this);
    newButton->setObjectName("NewButton");
    connect(newButton, &QPushButton::clicked, this, [this] {
        panelEdited();
        model_.addNew();
    });
    delete_ = new QPushButton(ui::tr8(u8"削除"), this);
    delete_->setObjectName("DeleteButton");
    connect(delete_, &QPushButton::clicked, this, [this] {
        panelEdited();
        model_.deleteEntry(selectedRow(list_));
    });
    auto* ok = new QPushButton(ui::tr8(u8"Ｏ    Ｋ"), this);
    ok->setObjectName("OKButton");
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(newButton);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* top = new QHBoxLayout;
    top->addWidget(list_, 1);
    top->addWidget(panelBox_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(900, 380);
}

void TTimerSetForm::open() {
    show();
    raise();
    activateWindow();
}

void TTimerSetForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.FormShow();
}

void TTimerSetForm::closeEvent(QCloseEvent* event) {
    panelEdited();
    model_.FormClose();
    QWidget::closeEvent(event);
}

void TTimerSetForm::panelEdited() {
    if (model_.edited() < 0)
        return;
    TimerPanel p = model_.panel();
    p.Enable = enable_->isChecked();
    p.day = day_->value();
    p.hour = hour_->value();
    p.minute = minute_->value();
    // The field holds the model's bytes until the user types, so text that does not
    // convert cleanly is never changed by merely looking at it.
    if (weekday_->isModified())
        p.weekday = ui::fromQ(weekday_->text());
    p.everyTime = everyTime_->isChecked();
    p.onceOnly = onceOnly_->isChecked();
    p.hourCondition = hourCondition_->isChecked();
    p.minuteCondition = minuteCondition_->isChecked();
    p.dateCondition = dateCondition_->isChecked();
    p.weekdayCondition = weekdayCondition_->isChecked();
    p.done = done_->isChecked();
    model_.setPanel(p);
    problem_->setText(ui::toQ(model_.panelProblem()));
}

void TTimerSetForm::timerChanged() {
    {
        const QSignalBlocker block(list_);
        // Rows are changed in place where they can be: this runs inside the list's own
        // selection handler too.
        QStringList items;
        for (int i = 0; i < model_.count(); ++i)
            items << ui::toQ(model_.shownLine(i));
        if (list_->count() != items.size()) {
            list_->clear();
            list_->addItems(items);
        }
        for (int i = 0; i < items.size(); ++i)
            if (list_->item(i)->text() != items[i])
                list_->item(i)->setText(items[i]);
        for (int i = 0; i < list_->count(); ++i) {
            const std::string problem = model_.problem(i);
            QListWidgetItem* item = list_->item(i);
            item->setToolTip(ui::toQ(problem));
            item->setForeground(problem.empty() ? palette().color(QPalette::Text)
                                                : QColor(0xb0, 0x00, 0x00));
        }
        list_->setCurrentRow(model_.edited());
        if (model_.edited() < 0)
            list_->clearSelection();
    }
    {
        const QSignalBlocker block(net_);
        QStringList names = ui::toQList(model_.netNames());
        bool same = net_->count() == names.size();
        for (int i = 0; same && i < names.size(); ++i)
            same = net_->itemText(i) == names[i];
        if (!same) {
            net_->clear();
            net_->addItems(names);
        }
    }
    showPanel();
}

void TTimerSetForm::showPanel() {
    const bool editing = model_.edited() >= 0;
    const TimerPanel& p = model_.panel();
    panelBox_->setEnabled(editing);
    delete_->setEnabled(editing);

    QWidget* widgets[] = {enable_,        net_,
                          day_,           hour_,
                          minute_,        weekday_,
                          everyTime_,     onceOnly_,
                          hourCondition_, minuteCondition_,
                          dateCondition_, weekdayCondition_,
                          done_};
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QWidget* w : widgets)
        blocks.push_back(std::make_unique<QSignalBlocker>(w));

    if (!editing) {
        TimerPanel blank;
        enable_->setChecked(false);
        net_->setCurrentIndex(-1);
        net_->setPlaceholderText({});
        day_->setValue(blank.day);
        hour_->setValue(blank.hour);
        minute_->setValue(blank.minute);
        weekday_->clear();
        modeGroup_->setExclusive(false);
        everyTime_->setChecked(false);
        onceOnly_->setChecked(false);
        modeGroup_->setExclusive(true);
        for (QCheckBox* c :
             {hourCondition_, minuteCondition_, dateCondition_, weekdayCondition_, done_})
            c->setChecked(false);
        problem_->clear();
        return;
    }
    enable_->setChecked(p.Enable);
    // With no net selected the selector shows the stored name in grey.
    net_->setCurrentIndex(p.netIndex);
    net_->setPlaceholderText(ui::toQ(p.netName));
    day_->setValue(p.day);
    hour_->setValue(p.hour);
    minute_->setValue(p.minute);
    if (ui::fromQ(weekday_->text()) != p.weekday || weekday_->isModified())
        weekday_->setText(ui::toQ(p.weekday));
    modeGroup_->setExclusive(false);
    everyTime_->setChecked(p.everyTime);
    onceOnly_->setChecked(p.onceOnly);
    modeGroup_->setExclusive(true);
    hourCondition_->setChecked(p.hourCondition);
    minuteCondition_->setChecked(p.minuteCondition);
    dateCondition_->setChecked(p.dateCondition);
    weekdayCondition_->setChecked(p.weekdayCondition);
    done_->setChecked(p.done);
    problem_->setText(ui::toQ(model_.panelProblem()));
}

} // namespace macro
