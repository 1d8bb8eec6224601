#include "shell/TABOUTForm.h"

#include "ui/QtText.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

TABOUT::TABOUT(std::function<void(bool)> setOthersEnabled, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog),
      setOthersEnabled_(std::move(setOthersEnabled)), timer_(new QTimer(this)),
      random_(std::random_device{}()) {
    setObjectName("ABOUT");
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(ui::tr8(u8"KTBBS用総合通信ソフト  TARNO"), this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel("Ver 1.16", this);
    version->setAlignment(Qt::AlignCenter);
    auto* help = new QLabel(ui::tr8(u8"ヘルプはまだです。"), this);
    help->setObjectName("HelpText");
    help->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addSpacing(12);
    layout->addWidget(help);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    setFixedSize(420, 220);

    timer_->setInterval(5);
    connect(timer_, &QTimer::timeout, this, &TABOUT::Timer1Timer);
    connect(ok, &QPushButton::clicked, this, &TABOUT::OKClick);
}

void TABOUT::open() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    if (setOthersEnabled_)
        setOthersEnabled_(false);
    timer_->start();
    show();
    raise();
}

bool TABOUT::colourTimerActive() const {
    return timer_->isActive();
}

void TABOUT::OKClick() {
    if (setOthersEnabled_)
        setOthersEnabled_(true);
    timer_->stop();
    hide();
}

void TABOUT::Timer1Timer() {
    std::uniform_int_distribution<int> channel(0, 255);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(channel(random_), channel(random_), channel(random_)));
    setPalette(pal);
}

} // namespace shell
