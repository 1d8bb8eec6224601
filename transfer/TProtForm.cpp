#include "transfer/TProtForm.h"

#include "ui/QtText.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace transfer {

using ui::toQ;
using ui::tr8;

namespace {
constexpr int kWidth = 272;
constexpr int kHeight = 223;
} // namespace

TProtForm::TProtForm(MlinkModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("ProtForm");
    setWindowTitle(tr8(u8"ファイル転送"));
    // A fixed dialog without border icons, above every other window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kWidth, kHeight);
    build();
    model_.setView(this);
    changed();
}

TProtForm::~TProtForm() {
    model_.setView(nullptr);
}

void TProtForm::build() {
    auto caption = [this](const char8_t* text, int y) {
        auto* l = new QLabel(tr8(text), this);
        l->setGeometry(8, y + 2, 150, 18);
        return l;
    };
    auto panel = [this](const char* name, int x, int y, int w) {
        auto* p = new QLabel(this);
        p->setObjectName(name);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setGeometry(x, y, w, 20);
        return p;
    };
    caption(u8"プロトコル :", 6);
    protName_ = panel("ProtName", 84, 6, 180);
    caption(u8"ファイル名:", 30);
    filename_ = panel("Filename", 84, 30, 180);
    caption(u8"転送時間 (分:秒) :", 54);
    timeCount_ = panel("TimeCount", 150, 54, 114);
    label6_ = caption(u8"受信サイズ(Byte)", 78);
    label6_->setObjectName("Label6");
    recvSize_ = panel("RecvSize", 150, 78, 114);
    caption(u8"転送ブロック", 102);
    block_ = panel("Block", 150, 102, 114);
    caption(u8"転送速度 (Byte/Sec)", 126);
    speed_ = panel("Speed", 150, 126, 114);
    caption(u8"転送予測(あと　分:秒)", 150);
    leftTime_ = panel("LeftTime", 150, 150, 114);
    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setGeometry(8, 174, 256, 16);
    progressBar1_->setRange(0, 100);
    progressBar1_->setTextVisible(false);
    abort_ = new QPushButton(tr8(u8"中断"), this);
    abort_->setObjectName("ABORT");
    abort_->setGeometry(96, 194, 80, 24);
    connect(abort_, &QPushButton::clicked, this, [this] { ABORTClick(); });
}

void TProtForm::showWindow() {
    changed();
    show();
    raise();
}

void TProtForm::closeWindow() {
    hide();
}

void TProtForm::changed() {
    const MlinkModel::Display& d = model_.display();
    protName_->setText(toQ(d.protName));
    filename_->setText(toQ(d.filename));
    timeCount_->setText(toQ(d.timeCount));
    if (!d.sizeLabel.empty())
        label6_->setText(toQ(d.sizeLabel));
    recvSize_->setText(toQ(d.recvSize));
    block_->setText(toQ(d.block));
    speed_->setText(toQ(d.speed));
    leftTime_->setText(toQ(d.leftTime));
    // A bar whose maximum is 0 would show Qt's busy animation; a file under one kilobyte
    // shows an empty bar until it is done.
    const auto clamp = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, INT_MAX));
    };
    const int max = std::max(1, clamp(d.progressMax));
    progressBar1_->setRange(0, max);
    progressBar1_->setValue(std::min(max, clamp(d.progress)));
}

QString TProtForm::panelText(const char* objectName) const {
    auto* l = findChild<QLabel*>(objectName);
    return l ? l->text() : QString();
}

int TProtForm::progressValue() const {
    return progressBar1_->value();
}

int TProtForm::progressMaximum() const {
    return progressBar1_->maximum();
}

void TProtForm::ABORTClick() {
    if (model_.busy())
        model_.ABORTClick();
    else
        hide();
}

void TProtForm::closeEvent(QCloseEvent* event) {
    if (model_.busy())
        model_.ABORTClick();
    event->accept();
}

void TProtForm::reject() {
    ABORTClick();
}

} // namespace transfer
