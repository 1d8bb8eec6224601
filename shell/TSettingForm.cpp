#include "shell/TSettingForm.h"

#include "ui/Fonts.h"
#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace shell {

using ui::fromQ;
using ui::toQ;
using ui::tr8;

QFont toQFont(const DisplayFont& font) {
    QFont f = ui::resolveFont(toQ(font.name), font.size);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

QColor fontColor(const DisplayFont& font) {
    return ui::fromTColor(font.color);
}

std::optional<DisplayFont> chooseFixedFont(QWidget* parent, const DisplayFont& start) {
    QDialog dialog(parent);
    dialog.setWindowTitle(tr8(u8"フォントの選択"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* top = new QHBoxLayout;
    auto* families = new QListWidget(&dialog);
    families->addItems(ui::fixedPitchFamilies());
    const QString startFamily = ui::resolveFont(toQ(start.name), start.size).family();
    auto found = families->findItems(startFamily, Qt::MatchFixedString);
    if (!found.isEmpty())
        families->setCurrentItem(found.first());
    top->addWidget(families, 2);

    auto* side = new QFormLayout;
    auto* size = new QSpinBox(&dialog);
    size->setRange(4, 72);
    size->setValue(start.size > 0 ? start.size : 9);
    side->addRow(tr8(u8"サイズ :"), size);
    auto* bold = new QCheckBox(tr8(u8"太字"), &dialog);
    auto* italic = new QCheckBox(tr8(u8"斜体"), &dialog);
    auto* underline = new QCheckBox(tr8(u8"下線"), &dialog);
    auto* strike = new QCheckBox(tr8(u8"取り消し線"), &dialog);
    bold->setChecked(start.bold);
    italic->setChecked(start.italic);
    underline->setChecked(start.underline);
    strike->setChecked(start.strikeOut);
    for (QCheckBox* b : {bold, italic, underline, strike})
        side->addRow(QString(), b);
    QColor color = fontColor(start);
    auto* colorButton = new QPushButton(tr8(u8"色..."), &dialog);
    side->addRow(tr8(u8"色 :"), colorButton);
    top->addLayout(side, 1);
    layout->addLayout(top);

    auto* sample = new QLabel(tr8(u8"AaBbYyZz 0123 あいうえお 漢字"), &dialog);
    sample->setMinimumHeight(60);
    sample->setFrameShape(QFrame::StyledPanel);
    sample->setAlignment(Qt::AlignCenter);
    layout->addWidget(sample);

    auto current = [&] {
        DisplayFont out = start;
        if (families->currentItem())
            out.name = fromQ(families->currentItem()->text());
        out.size = size->value();
        out.bold = bold->isChecked();
        out.italic = italic->isChecked();
        out.underline = underline->isChecked();
        out.strikeOut = strike->isChecked();
        // A colour that was not changed keeps its stored form (a system colour stays one).
        if (color != fontColor(start))
            out.color = ui::toTColor(color);
        return out;
    };
    auto preview = [&] {
        DisplayFont f = current();
        sample->setFont(toQFont(f));
        sample->setStyleSheet(QString("QLabel { color: %1; }").arg(color.name()));
    };
    preview();
    QObject::connect(families, &QListWidget::currentRowChanged, &dialog, preview);
    QObject::connect(size, &QSpinBox::valueChanged, &dialog, preview);
    for (QCheckBox* b : {bold, italic, underline, strike})
        QObject::connect(b, &QCheckBox::toggled, &dialog, preview);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        QColor chosen = QColorDialog::getColor(color, &dialog);
        if (chosen.isValid()) {
            color = chosen;
            preview();
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return current();
}

TSettingForm::TSettingForm(SettingModel& model, QWidget* parent)
    : QDialog(parent), model_(model), chooseFont_(chooseFixedFont) {
    setObjectName("SettingForm");
    setWindowTitle(tr8(u8"環境設定"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl1");
    pages_->addTab(buildNetPage(), tr8(u8"ネットの設定"));
    pages_->addTab(buildModemPage(), tr8(u8"モデムの設定"));
    pages_->addTab(buildFontPage(), tr8(u8"フォントの設定"));
    layout->addWidget(pages_);
    connect(pages_, &QTabWidget::currentChanged, this, &TSettingForm::pageEntered);
}

QWidget* TSettingForm::buildNetPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    netList_ = new QListWidget(page);
    netList_->setObjectName("ListBox1");
    layout->addWidget(netList_, 1);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    auto line = [&](const char* name, const char8_t* caption) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(name);
        form->addRow(tr8(caption), edit);
        return edit;
    };
    netName_ = line("NetName", u8"ネット名 :");
    shortName_ = line("ShortNetName", u8"略称（フォルダ名） :");
    shortName_->setToolTip(tr8(u8"半角英数字で入力してください。"));
    telNo_ = line("NetTelNo", u8"電話番号 :");
    modemSetNo_ = new QComboBox(page);
    modemSetNo_->setObjectName("ModemSetNo");
    form->addRow(tr8(u8"モデム設定 :"), modemSetNo_);
    userId_ = line("UserID", u8"ユーザーID :");
    password_ = line("Password", u8"パスワード :");
    password_->setEchoMode(QLineEdit::Password);
    handle_ = line("Handle", u8"ハンドル :");
    auto* kinds = new QHBoxLayout;
    ktbbs_ = new QRadioButton("KTBBS", page);
    ktbbs_->setObjectName("KTBBS");
    big_ = new QRadioButton("Big-Model", page);
    big_->setObjectName("BIG");
    big_->setEnabled(false); // only KTBBS hosts can be chosen; a stored "BIG" is kept
    kinds->addWidget(ktbbs_);
    kinds->addWidget(big_);
    form->addRow(tr8(u8"ホスト :"), kinds);
    right->addLayout(form);

    auto* buttons = new QHBoxLayout;
    newNet_ = new QPushButton(tr8(u8"新規作成"), page);
    newNet_->setObjectName("NewNet");
    deleteNet_ = new QPushButton(tr8(u8"登録抹消"), page);
    deleteNet_->setObjectName("DeleteNet");
    netOk_ = new QPushButton("OK", page);
    netOk_->setObjectName("Button9");
    buttons->addWidget(newNet_);
    buttons->addWidget(deleteNet_);
    buttons->addStretch();
    buttons->addWidget(netOk_);
    right->addStretch();
    right->addLayout(buttons);
    layout->addLayout(right, 2);

    connect(netList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { netClicked(netList_->row(item)); });
    auto edited = [this](QLineEdit* edit, std::string NetFields::*field) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { model_.fields().*field = fromQ(text); });
    };
    edited(netName_, &NetFields::name);
    edited(shortName_, &NetFields::shortName);
    edited(telNo_, &NetFields::telNo);
    edited(userId_, &NetFields::userId);
    edited(password_, &NetFields::password);
    edited(handle_, &NetFields::handle);
    connect(modemSetNo_, &QComboBox::activated, this,
            [this](int index) { model_.fields().modemIndex = index; });
    connect(ktbbs_, &QRadioButton::clicked, this, [this] { model_.KTBBSClick(); });
    connect(big_, &QRadioButton::clicked, this, [this] { model_.BIGClick(); });
    connect(newNet_, &QPushButton::clicked, this, [this] {
        model_.newNet();
        refreshNetPage();
    });
    connect(deleteNet_, &QPushButton::clicked, this, [this] {
        model_.deleteNet();
        refreshNetPage();
    });
    connect(netOk_, &QPushButton::clicked, this, &TSettingForm::netOk);
    return page;
}

QWidget* TSettingForm::buildModemPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    settingName_ = new QComboBox(page);
    settingName_->setObjectName("SettingName");
    settingName_->setEditable(true);
    settingName_->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(tr8(u8"設定名 :"), settingName_);

    auto* baudRow = new QHBoxLayout;
    baud_ = new QLabel(page);
    baud_->setObjectName("BaudRate");
    upDown_ = new QSpinBox(page);
    upDown_->setObjectName("UpDown1");
    upDown_->setRange(0, static_cast<int>(kBaudSteps.size()) - 1);
    upDown_->setValue(1);
    baudRow->addWidget(baud_);
    baudRow->addWidget(upDown_);
    baudRow->addStretch();
    form->addRow(tr8(u8"通信速度 :"), baudRow);

    auto* portRow = new QHBoxLayout;
    portGroup_ = new QButtonGroup(page);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString("COM%1").arg(i + 1), page);
        b->setObjectName(QString("COM%1").arg(i + 1));
        ports_[static_cast<size_t>(i)] = b;
        portGroup_->addButton(b, i + 1);
        portRow->addWidget(b);
    }
    form->addRow(tr8(u8"ポート :"), portRow);

    initCommand_ = new QLineEdit(page);
    initCommand_->setObjectName("InitCommand");
    form->addRow(tr8(u8"初期化コマンド :"), initCommand_);
    dialPrefix_ = new QLineEdit("ATD", page);
    dialPrefix_->setObjectName("DialPrefix");
    dialPrefix_->setToolTip(tr8(u8"ATDでうまくつながらない場合、トーン回線:ATDT "
                                u8"パルス回線:ATDPを入れてください。"));
    form->addRow(tr8(u8"ダイアル :"), dialPrefix_);
    appendDigit_ = new QCheckBox(tr8(u8"末尾に数字"), page);
    appendDigit_->setObjectName("AppendDigit");
    form->addRow(QString(), appendDigit_);
    redialWait_ = new QLineEdit(page);
    redialWait_->setObjectName("RedialWait");
    form->addRow(tr8(u8"リダイアル待ち時間 :"), redialWait_);
    auto* ok = new QPushButton("OK", page);
    ok->setObjectName("ModemOK");
    form->addRow(QString(), ok);

    connect(settingName_, &QComboBox::activated, this, &TSettingForm::settingChosen);
    connect(settingName_->lineEdit(), &QLineEdit::textEdited, this, &TSettingForm::settingTyped);
    connect(upDown_, &QSpinBox::valueChanged, this, [this](int position) {
        if (updating_)
            return;
        model_.UpDownClick(position);
        baud_->setText(toQ(model_.baudText()));
    });
    connect(portGroup_, &QButtonGroup::idClicked, this, [this](int port) { model_.setPort(port); });
    connect(initCommand_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setInitCommand(fromQ(t)); });
    connect(dialPrefix_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setDialPrefix(fromQ(t)); });
    connect(appendDigit_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setAppendDigit(on); });
    connect(redialWait_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setRedialWaitText(fromQ(t)); });
    connect(ok, &QPushButton::clicked, this, [this] {
        model_.applyFonts();
        closeWindow();
    });
    return page;
}

QWidget* TSettingForm::buildFontPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const char8_t* captions[3] = {u8"タイトル :", u8"アーティクル内容 :", u8"エディタ　:"};
    const char* names[3] = {"Title", "Article", "Editor"};
    for (int row = 0; row < 3; ++row) {
        auto r = static_cast<size_t>(row);
        grid->addWidget(new QLabel(tr8(captions[row]), page), row, 0);
        fontNames_[r] = new QLabel(page);
        fontNames_[r]->setObjectName(QString("%1FontName").arg(names[row]));
        fontNames_[r]->setMinimumWidth(240);
        grid->addWidget(fontNames_[r], row, 1);
        fontSizes_[r] = new QLabel(page);
        fontSizes_[r]->setObjectName(QString("%1FontSize").arg(names[row]));
        grid->addWidget(fontSizes_[r], row, 2);
        auto* change = new QPushButton(tr8(u8"変更"), page);
        change->setObjectName(QString("%1FontChange").arg(names[row]));
        grid->addWidget(change, row, 3);
        connect(change, &QPushButton::clicked, this, [this, row] { changeFont(row); });
    }
    auto* buttons = new QHBoxLayout;
    auto* update = new QPushButton(tr8(u8"更新"), page);
    update->setObjectName("FontUpdate");
    auto* cancel = new QPushButton(tr8(u8"キャンセル"), page);
    cancel->setObjectName("FontCancel");
    buttons->addStretch();
    buttons->addWidget(update);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 4);
    grid->setRowStretch(4, 1);
    connect(update, &QPushButton::clicked, this, [this] {
        model_.applyFonts();
        closeWindow();
    });
    connect(cancel, &QPushButton::clicked, this, &TSettingForm::closeWindow);
    return page;
}

void TSettingForm::showPage(SettingPage page) {
    {
        // The show itself prepares every page; switching the tab first must not do it twice.
        QSignalBlocker block(pages_);
        pages_->setCurrentIndex(static_cast<int>(page));
    }
    show();
    raise();
    activateWindow();
}

void TSettingForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    model_.FormShow();
    refreshFontPage();
    refreshNetPage();
    refreshModemPage(true);
}

void TSettingForm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!shown_ || event->spontaneous())
        return;
    shown_ = false;
    model_.FormClose();
}

void TSettingForm::closeWindow() {
    hide();
}

void TSettingForm::pageEntered(int index) {
    if (index == static_cast<int>(SettingPage::Net)) {
        model_.prepareNetPage();
        refreshNetPage();
    } else if (index == static_cast<int>(SettingPage::Font)) {
        model_.prepareFontPage();
        refreshFontPage();
        refreshModemPage(true);
    }
}

void TSettingForm::refreshNetPage() {
    updating_ = true;
    netList_->clear();
    netList_->addItems(ui::toQList(model_.nets().names()));
    if (model_.selectedNet() >= 0)
        netList_->setCurrentRow(model_.selectedNet());
    else
        netList_->clearSelection();
    modemSetNo_->clear();
    modemSetNo_->addItems(ui::toQList(model_.modemNames()));
    modemSetNo_->setCurrentIndex(model_.fields().modemIndex);
    for (QWidget* w : std::initializer_list<QWidget*>{netName_, shortName_, telNo_, modemSetNo_,
                                                      userId_, password_, handle_, ktbbs_})
        w->setEnabled(model_.propertiesEnabled());
    deleteNet_->setEnabled(model_.deleteEnabled());
    updating_ = false;
    if (fieldsShown_ != model_.fieldsVersion())
        showNetFields();
}

void TSettingForm::showNetFields() {
    fieldsShown_ = model_.fieldsVersion();
    const NetFields& f = model_.fields();
    netName_->setText(toQ(f.name));
    shortName_->setText(toQ(f.shortName));
    telNo_->setText(toQ(f.telNo));
    modemSetNo_->setCurrentIndex(f.modemIndex);
    userId_->setText(toQ(f.userId));
    password_->setText(toQ(f.password));
    handle_->setText(toQ(f.handle));
    if (model_.hostKindButton() == SettingModel::HostKindButton::KTBBS)
        ktbbs_->setChecked(true);
    else
        big_->setChecked(true);
}

void TSettingForm::netClicked(int row) {
    model_.ListBox1Click(row);
    refreshNetPage();
}

void TSettingForm::netOk() {
    if (model_.Button9Click())
        closeWindow();
    else
        refreshNetPage();
}

void TSettingForm::refreshModemPage(bool fields) {
    updating_ = true;
    const int current = model_.currentModem();
    const auto names = ui::toQList(model_.modemNames());
    if (settingName_->count() != names.size()) {
        settingName_->clear();
        settingName_->addItems(names);
    } else {
        for (int i = 0; i < names.size(); ++i)
            if (settingName_->itemText(i) != names[i])
                settingName_->setItemText(i, names[i]);
    }
    if (fields) {
        settingName_->setCurrentIndex(current);
        settingName_->setEditText(toQ(model_.settingListText()));
        const ModemSetting& m = model_.current();
        baud_->setText(toQ(model_.baudText()));
        for (size_t i = 0; i < ports_.size(); ++i)
            ports_[i]->setChecked(m.port == static_cast<int>(i) + 1);
        initCommand_->setText(toQ(m.initCommand));
        dialPrefix_->setText(toQ(m.dialPrefix));
        appendDigit_->setChecked(m.appendDigit);
        redialWait_->setText(QString::number(m.redialWait));
    }
    updating_ = false;
}

void TSettingForm::settingChosen(int index) {
    model_.SettingNameChange(index);
    refreshModemPage(true);
}

void TSettingForm::settingTyped(const QString& text) {
    // Typing in the list instead of choosing renames the setting shown.
    model_.renameCurrentSetting(fromQ(text));
    updating_ = true;
    const QString typed = settingName_->lineEdit()->text();
    const int cursor = settingName_->lineEdit()->cursorPosition();
    settingName_->setItemText(model_.currentModem(), toQ(model_.current().name));
    settingName_->setEditText(typed);
    settingName_->lineEdit()->setCursorPosition(cursor);
    updating_ = false;
}

void TSettingForm::refreshFontPage() {
    for (size_t row = 0; row < 3; ++row) {
        const DisplayFont& f = model_.rowFonts()[row];
        fontNames_[row]->setText(toQ(f.name));
        fontNames_[row]->setFont(toQFont(f));
        QPalette pal = fontNames_[row]->palette();
        pal.setColor(QPalette::WindowText, fontColor(f));
        fontNames_[row]->setPalette(pal);
        fontSizes_[row]->setText(QString::number(f.size));
    }
}

void TSettingForm::changeFont(int row) {
    auto chosen = chooseFont_(this, model_.rowFonts()[static_cast<size_t>(row)]);
    if (!chosen)
        return;
    model_.setRowFont(row, *chosen);
    refreshFontPage();
}

} // namespace shell
