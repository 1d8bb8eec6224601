#include "engine/TVazevForm.h"

#include "base/Sjis.h"
#include "ui/Fonts.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace engine {

using ui::toQ;
using ui::tr8;

namespace {
constexpr int kColumn = 8;
constexpr int kRow = 16;
constexpr int kTopBar = 32;
const QColor kScreenText = Qt::white;
const QColor kScreenGround(0x80, 0x80, 0x80);

// The 16 colours of a colouring host: black, red, green, yellow, blue, magenta, cyan and
// white, then their bright forms.
QColor paletteColour(int n) {
    static const QRgb colours[16] = {0x000000, 0xaa0000, 0x00aa00, 0xaa5500, 0x0000aa, 0xaa00aa,
                                     0x00aaaa, 0xaaaaaa, 0x555555, 0xff5555, 0x55ff55, 0xffff55,
                                     0x5555ff, 0xff55ff, 0x55ffff, 0xffffff};
    return QColor::fromRgb(colours[n & 15]);
}

// Text and background colour of an attribute: bold brightens a normal colour, reverse
// swaps the two.
std::pair<QColor, QColor> attrColours(const TextAttr& a) {
    QColor fg = kScreenText;
    if (a.fg)
        fg = paletteColour(a.fg - 1 + (a.bold && a.fg <= 8 ? 8 : 0));
    QColor bg = a.bg ? paletteColour(a.bg - 1) : kScreenGround;
    if (a.reverse)
        std::swap(fg, bg);
    return {fg, bg};
}
} // namespace

// The screen: rows of the line table drawn in the terminal font, white on grey (or in the
// colours the host gave the text), 8 pixels a column and 16 a row; it takes the keyboard
// focus while the terminal is in use, so key presses reach the host (the part the
// original "Dummy" edit played).
class TVazevScreen : public QWidget {
public:
    TVazevScreen(VazevModel& model, QWidget* parent) : QWidget(parent), model_(model) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        font_ = ui::resolveFont("Terminal", 10);
        font_.setPixelSize(14);
        setMinimumSize(80 * kColumn, 4 * kRow);
    }

    void setCursorPhase(bool on) {
        cursor_ = on;
        update();
    }
    // The rows shown: from the first row the status bar's edge allows to WritePointer.
    int firstRow() const { return model_.firstRow(height() + kTopBar); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), kScreenGround);
        p.setFont(font_);
        const int wp = model_.WritePointer();
        int y = 0;
        int lastY = 0;
        for (int i = firstRow(); i <= wp; ++i, y += kRow) {
            drawRow(p, VazevModel::rowText(model_.line(i)), model_.line(i).size(),
                    model_.colours().runs(i), y);
            lastY = y;
        }
        if (cursor_ && hasFocus()) {
            int x = static_cast<int>(model_.line(wp).size()) * kColumn;
            p.fillRect(x, lastY + 2, kColumn, kRow - 3, Qt::white);
        }
    }

    void keyPressEvent(QKeyEvent* e) override {
        char key = 0;
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = '\r';
            break;
        case Qt::Key_Backspace:
            key = '\b';
            break;
        case Qt::Key_Escape:
            key = 0x1b;
            break;
        case Qt::Key_Tab:
            key = '\t';
            break;
        default: {
            std::string sj = ui::fromQ(e->text());
            if (sj.size() == 1)
                key = sj[0];
            else if (!sj.empty()) {
                for (char c : sj)
                    model_.TextKeyPress(c, true);
                return;
            }
        }
        }
        if (key)
            model_.TextKeyPress(key, hasFocus());
    }
    void mousePressEvent(QMouseEvent*) override {
        setFocus();
        update();
    }

private:
    // Each byte has its column, so a Japanese character always takes two whatever the
    // font's own widths are. A character takes the attribute of the run it starts in; the
    // blanks after the line's end stay on the screen's own ground.
    void drawRow(QPainter& p, const std::string& row, size_t length,
                 const std::vector<ScreenColours::Run>& runs, int y) {
        const int base = y + kRow - 3;
        size_t run = 0;
        for (size_t i = 0; i < row.size();) {
            size_t n = base::isLeadByte(row[i]) && i + 1 < row.size() ? 2 : 1;
            while (run + 1 < runs.size() && runs[run + 1].offset <= i)
                ++run;
            auto [fg, bg] = i < length ? attrColours(runs[run].attr)
                                       : std::pair<QColor, QColor>{kScreenText, kScreenGround};
            const int x = static_cast<int>(i) * kColumn;
            if (bg != kScreenGround)
                p.fillRect(x, y, static_cast<int>(n) * kColumn, kRow, bg);
            if (row[i] != ' ') {
                p.setPen(fg);
                p.drawText(x, base, toQ(row.substr(i, n)));
            }
            i += n;
        }
    }

    VazevModel& model_;
    QFont font_;
    bool cursor_ = false;
};

TVazevForm::TVazevForm(VazevModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("VazevForm");
    setWindowTitle("VESPARI");
    build();
    model_.setView(this);
    timer1_ = new QTimer(this);
    timer1_->setInterval(150);
    connect(timer1_, &QTimer::timeout, this, [this] {
        if (redraw_) {
            redraw_ = false;
            screen_->update();
        }
    });
    timer1_->start();
}

TVazevForm::~TVazevForm() {
    model_.setView(nullptr);
}

void TVazevForm::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    panel1_ = new QWidget(this);
    panel1_->setObjectName("Panel1");
    panel1_->setFixedHeight(kTopBar);
    auto* top = new QHBoxLayout(panel1_);
    top->setContentsMargins(4, 2, 4, 2);
    button2_ = new QPushButton(tr8(u8"強制通信終了"), panel1_);
    button2_->setObjectName("Button2");
    label1_ = new QLabel(panel1_);
    label1_->setObjectName("Label1");
    label1_->setStyleSheet("color: red;");
    label1_->setMinimumWidth(160);
    label2_ = new QLabel(panel1_);
    label2_->setObjectName("Label2");
    label2_->setStyleSheet("color: navy;");
    label2_->setMinimumWidth(180);
    scroll_ = new QCheckBox(tr8(u8"バック表示"), panel1_);
    scroll_->setObjectName("Scroll");
    keyGard_ = new QCheckBox(tr8(u8"キー入力禁止"), panel1_);
    keyGard_->setObjectName("KeyGard");
    keyGard_->setChecked(true);
    checkBox1_ = new QCheckBox(tr8(u8"一行入力"), panel1_);
    checkBox1_->setObjectName("CheckBox1");
    button1_ = new QPushButton("M-DOWN", panel1_);
    button1_->setObjectName("Button1");
    button1_->setEnabled(false);
    button3_ = new QPushButton("M-UP", panel1_);
    button3_->setObjectName("Button3");
    button3_->setEnabled(false);
    reLoad_ = new QPushButton("RL", panel1_);
    reLoad_->setObjectName("ReLoad");
    reLoad_->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{button2_, label1_, label2_, scroll_, reLoad_,
                                                      keyGard_, checkBox1_, button1_, button3_})
        top->addWidget(w);
    top->addStretch();
    layout->addWidget(panel1_);

    panel2_ = new QWidget(this);
    panel2_->setObjectName("Panel2");
    auto* input = new QHBoxLayout(panel2_);
    input->setContentsMargins(4, 2, 4, 2);
    edit1_ = new QLineEdit(panel2_);
    edit1_->setObjectName("Edit1");
    speedButton3_ = new QToolButton(panel2_);
    speedButton3_->setObjectName("SpeedButton3");
    speedButton3_->setText(tr8(u8"送信"));
    input->addWidget(edit1_);
    input->addWidget(speedButton3_);
    panel2_->setVisible(false);
    layout->addWidget(panel2_);

    screen_ = new TVazevScreen(model_, this);
    screen_->setObjectName("Screen");
    layout->addWidget(screen_, 1);
    backText_ = new QPlainTextEdit(this);
    backText_->setObjectName("BackText");
    backText_->setReadOnly(true);
    backText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    backText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    backText_->setFont(ui::resolveFont("Terminal", 10));
    backText_->setVisible(false);
    layout->addWidget(backText_, 1);

    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName("StatusBar1");
    statusBar1_->setSizeGripEnabled(false);
    layout->addWidget(statusBar1_);

    connect(button2_, &QPushButton::clicked, this, [this] { model_.Button2Click(); });
    connect(scroll_, &QCheckBox::toggled, this, [this] { ScrollClick(); });
    connect(reLoad_, &QPushButton::clicked, this, [this] { ScrollClick(); });
    connect(keyGard_, &QCheckBox::toggled, this, [this] { KeyGardClick(); });
    connect(checkBox1_, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(speedButton3_, &QToolButton::clicked, this, [this] { SendButton(); });
    connect(edit1_, &QLineEdit::returnPressed, this, [this] { SendButton(); });
    connect(button1_, &QPushButton::clicked, this, [this] {
        if (manualDown_)
            manualDown_();
    });
    connect(button3_, &QPushButton::clicked, this, [this] {
        if (manualUp_)
            manualUp_();
    });
    resize(80 * kColumn + 16, 25 * kRow + kTopBar + 24);
}

void TVazevForm::setManualTransfer(std::function<void()> down, std::function<void()> up) {
    manualDown_ = std::move(down);
    manualUp_ = std::move(up);
    button1_->setEnabled(static_cast<bool>(manualDown_));
    button3_->setEnabled(static_cast<bool>(manualUp_));
}

void TVazevForm::status(const std::string& sjisText) {
    statusBar1_->showMessage(toQ(sjisText));
}

void TVazevForm::stateLabel(const std::string& text) {
    label1_->setText(toQ(text));
}

void TVazevForm::counters(const std::string& text) {
    label2_->setText(toQ(text));
}

void TVazevForm::redraw() {
    redraw_ = true;
}

void TVazevForm::blinkCursor(bool phase) {
    screen_->setCursorPhase(phase);
}

void TVazevForm::beep() {
    QApplication::beep();
}

QString TVazevForm::statusText() const {
    return statusBar1_->currentMessage();
}
QString TVazevForm::stateText() const {
    return label1_->text();
}
QString TVazevForm::countersText() const {
    return label2_->text();
}
bool TVazevForm::backViewVisible() const {
    return !backText_->isHidden();
}
QString TVazevForm::backViewText() const {
    return backText_->toPlainText();
}

int TVazevForm::statusTop() const {
    return statusBar1_->geometry().top();
}

void TVazevForm::FormShow() {
    keyGard_->setChecked(true);
    model_.FormShow();
    screen_->setFocus();
    redraw_ = true;
}

void TVazevForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first time, in the middle of the screen: left to the window manager it may open
    // half off the screen beside the net manager, with the status line out of sight.
    if (!placed_) {
        placed_ = true;
        if (QScreen* s = screen()) {
            const QRect area = s->availableGeometry();
            QRect frame = frameGeometry();
            frame.moveCenter(area.center());
            move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
        }
    }
    FormShow();
}

void TVazevForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, tr8(u8"警告"),
                    tr8(u8"強制通信終了のボタンを押してください"), QMessageBox::Ok, this);
    box.exec();
}

void TVazevForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    redraw_ = true;
}

void TVazevForm::ScrollClick() {
    if (scroll_->isChecked()) {
        backText_->setPlainText(toQ(model_.backViewText()));
        backText_->moveCursor(QTextCursor::End);
        backText_->setVisible(true);
        screen_->setVisible(false);
        backText_->setFocus();
    } else {
        backText_->setVisible(false);
        screen_->setVisible(true);
        screen_->setFocus();
    }
    reLoad_->setVisible(!backText_->isHidden());
}

void TVazevForm::CheckBox1Click() {
    panel2_->setVisible(checkBox1_->isChecked());
    if (checkBox1_->isChecked()) {
        edit1_->setFocus();
        keyGard_->setChecked(false);
    }
}

void TVazevForm::KeyGardClick() {
    model_.setKeyGard(keyGard_->isChecked());
    if (keyGard_->isChecked())
        checkBox1_->setChecked(false);
    else
        screen_->setFocus();
}

void TVazevForm::SendButton() {
    model_.SendButton(ui::fromQ(edit1_->text()));
    edit1_->clear();
}

} // namespace engine
