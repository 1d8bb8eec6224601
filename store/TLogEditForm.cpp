#include "store/TLogEditForm.h"

#include "ui/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace store {

using ui::toQ;
using ui::tr8;

TLogEditForm::TLogEditForm(LogEditModel& model, std::function<void(bool)> setOthersEnabled,
                           QWidget* parent)
    : QDialog(parent), model_(model), setOthersEnabled_(std::move(setOthersEnabled)) {
    setObjectName("LogEditForm");
    auto* layout = new QVBoxLayout(this);
    panel1_ = new QLabel(this);
    panel1_->setObjectName("Panel1");
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(panel1_);

    checkBox1_ = new QCheckBox(tr8(u8"発言の削除行う"), this);
    checkBox1_->setObjectName("CheckBox1");
    layout->addWidget(checkBox1_);
    auto* grid = new QGridLayout;
    radioButton1_ = new QRadioButton(tr8(u8"指定範囲を削除　:"), this);
    radioButton1_->setObjectName("RadioButton1");
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName("Edit1");
    edit2_ = new QLineEdit(this);
    edit2_->setObjectName("Edit2");
    radioButton2_ = new QRadioButton(tr8(u8"指定数のアーティクルを残す :"), this);
    radioButton2_->setObjectName("RadioButton2");
    edit3_ = new QLineEdit(this);
    edit3_->setObjectName("Edit3");
    grid->addWidget(radioButton1_, 0, 0);
    grid->addWidget(edit1_, 0, 1);
    grid->addWidget(new QLabel("-", this), 0, 2);
    grid->addWidget(edit2_, 0, 3);
    grid->addWidget(radioButton2_, 1, 0);
    grid->addWidget(edit3_, 1, 1);
    layout->addLayout(grid);

    checkBox2_ = new QCheckBox(tr8(u8"削除されたアーティクルを別のファイルに保存 :"), this);
    checkBox2_->setObjectName("CheckBox2");
    edit4_ = new QLineEdit(this);
    edit4_->setObjectName("Edit4");
    edit4_->setReadOnly(true);
    layout->addWidget(checkBox2_);
    layout->addWidget(edit4_);
    auto* label3 = new QLabel(toQ(LogEditModel::Label3Text()), this);
    label3->setObjectName("Label3");
    layout->addWidget(label3);

    auto* buttons = new QHBoxLayout;
    auto* run = new QPushButton(tr8(u8"実行"), this);
    run->setObjectName("Button1");
    auto* cancel = new QPushButton(tr8(u8"ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("Button2");
    buttons->addStretch();
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(run, &QPushButton::clicked, this, &TLogEditForm::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &TLogEditForm::Button2Click);
    onRefused_ = [this](const std::string& text) {
        QMessageBox::warning(this, tr8(u8"出来ません"), toQ(text));
    };
    refresh();
}

void TLogEditForm::refresh() {
    setWindowTitle(toQ(model_.caption()));
    panel1_->setText(toQ(model_.Panel1));
    checkBox1_->setChecked(model_.CheckBox1);
    radioButton2_->setChecked(model_.RadioButton2);
    radioButton1_->setChecked(!model_.RadioButton2);
    edit1_->setText(toQ(model_.Edit1));
    edit2_->setText(toQ(model_.Edit2));
    edit3_->setText(toQ(model_.Edit3));
    checkBox2_->setChecked(model_.CheckBox2);
    edit4_->setText(toQ(model_.Edit4));
}

void TLogEditForm::toModel() {
    model_.CheckBox1 = checkBox1_->isChecked();
    model_.RadioButton2 = radioButton2_->isChecked();
    model_.Edit1 = ui::fromQ(edit1_->text());
    model_.Edit2 = ui::fromQ(edit2_->text());
    model_.Edit3 = ui::fromQ(edit3_->text());
    model_.CheckBox2 = checkBox2_->isChecked();
}

void TLogEditForm::showWindow() {
    if (!othersDisabled_ && setOthersEnabled_) {
        setOthersEnabled_(false);
        othersDisabled_ = true;
    }
    refresh();
    show();
    raise();
}

void TLogEditForm::open(const std::string& netFolder, const std::string& boardLine) {
    model_.FormShow(netFolder, boardLine);
    showWindow();
}

void TLogEditForm::showForImport() {
    showWindow();
}

void TLogEditForm::Button1Click() {
    toModel();
    const LogEditModel::Result r = model_.go();
    refresh();
    if (r == LogEditModel::Result::BadRange) {
        if (onRefused_)
            onRefused_(model_.lastError());
        return;
    }
    close();
}

void TLogEditForm::Button2Click() {
    close();
}

// However the dialog goes (its buttons, the close box, Escape), the other windows come back.
void TLogEditForm::hideEvent(QHideEvent* event) {
    toModel();
    if (othersDisabled_ && setOthersEnabled_) {
        othersDisabled_ = false;
        setOthersEnabled_(true);
    }
    QDialog::hideEvent(event);
}

} // namespace store
