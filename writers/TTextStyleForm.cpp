#include "writers/TTextStyleForm.h"

#include "ui/Fonts.h"
#include "ui/QtText.h"
#include "writers/TWriteForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace writers {

using ui::fromQ;
using ui::toQ;
using ui::tr8;

TTextStyleForm::TTextStyleForm(TextStyleModel& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), model_(model) {
    setObjectName("TTextStyleForm");
    setWindowTitle(tr8(u8"文のスタイル"));
    build();
    model_.setView(this);
    styleChanged();
}

TTextStyleForm::~TTextStyleForm() {
    model_.setView(nullptr);
}

void TTextStyleForm::build() {
    auto* top = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    top->setMenuBar(bar);

    const QFont mono = ui::resolveFont("Terminal", 10);
    memo1_ = new QPlainTextEdit(this);
    memo1_->setObjectName("Memo1");
    memo1_->setFont(mono);
    memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int width = QFontMetrics(mono).horizontalAdvance(QString(60, 'x'));
    memo1_->setMinimumSize(width, QFontMetrics(mono).lineSpacing() * 9);
    top->addWidget(memo1_);
    connect(memo1_, &QPlainTextEdit::textChanged, this,
            [this] { model_.setMemo1(memoLines(memo1_)); });

    memo3_ = new QPlainTextEdit(this);
    memo3_->setObjectName("Memo3");
    memo3_->setReadOnly(true);
    memo3_->setPlainText(ui::toQList(styleLegend()).join('\n'));
    memo3_->setFixedHeight(QFontMetrics(memo3_->font()).lineSpacing() * 5);
    top->addWidget(memo3_);

    auto* middle = new QHBoxLayout;
    top->addLayout(middle);
    auto* styleBox = new QVBoxLayout;
    middle->addLayout(styleBox);
    static const struct {
        const char* name;
        const char8_t* caption;
    } kButtons[] = {
        {"New", u8"新規発言"}, {"RES", u8"レポンス"}, {"Mail", u8"メール"}, {"OMAKE", u8"おまけ"}};
    for (int i = 0; i < kStyleCount; ++i) {
        auto* b = new QRadioButton(tr8(kButtons[i].caption), this);
        b->setObjectName(kButtons[i].name);
        styleBox->addWidget(b);
        buttons_[static_cast<size_t>(i)] = b;
        connect(b, &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on)
                return;
            pushValues();
            model_.check(static_cast<Style>(i));
            styleChanged(); // a refused switch puts the check back
        });
    }
    styleBox->addStretch();

    auto* values = new QGridLayout;
    middle->addLayout(values, 1);
    auto addValue = [&](int row, const char* name, const char* label, bool readOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setReadOnly(readOnly);
        values->addWidget(new QLabel(label, this), row, 0);
        values->addWidget(e, row, 1);
        connect(e, &QLineEdit::textEdited, this, [this] { pushValues(); });
        return e;
    };
    meHandle_ = addValue(0, "MeHandle", "#H", false);
    meID_ = addValue(1, "MeID", "#I", false);
    comHandle_ = addValue(2, "ComHandle", "#h", false);
    comID_ = addValue(3, "ComID", "#i", false);
    resNo_ = addValue(4, "ResNo", "#X", true);

    memo4_ = new QPlainTextEdit(this);
    memo4_->setObjectName("memo4");
    memo4_->setReadOnly(true);
    memo4_->setFont(mono);
    memo4_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo4_->setMinimumSize(width, QFontMetrics(mono).lineSpacing() * 9);
    top->addWidget(memo4_);

    auto* ok = new QPushButton(tr8(u8"OK"), this);
    ok->setObjectName("Button1");
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(ok);
    top->addLayout(okRow);
    connect(ok, &QPushButton::clicked, this, [this] { close(); });

    QMenu* editMenu = bar->addMenu(tr8(u8"編集(&E)"));
    buildEditMenu(editMenu, memo1_, nullptr, true, memo4_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TTextStyleForm::pushValues() {
    StyleValues& v = model_.values();
    v.MeHandle = fromQ(meHandle_->text());
    v.MeID = fromQ(meID_->text());
    v.ComHandle = fromQ(comHandle_->text());
    v.ComID = fromQ(comID_->text());
}

void TTextStyleForm::styleChanged() {
    {
        const QSignalBlocker block(memo1_);
        showMemoLines(memo1_, model_.Memo1());
    }
    // memo4 shows the expansion as the writers take it: one paragraph per line.
    showMemoLines(memo4_, model_.memo4());
    const int checked = static_cast<int>(model_.checked());
    for (int i = 0; i < kStyleCount; ++i) {
        QRadioButton* b = buttons_[static_cast<size_t>(i)];
        if (b->isChecked() != (i == checked)) {
            const QSignalBlocker block(b);
            b->setChecked(i == checked);
        }
    }
    const StyleValues& v = model_.values();
    const std::pair<QLineEdit*, const std::string*> fields[] = {{meHandle_, &v.MeHandle},
                                                                {meID_, &v.MeID},
                                                                {comHandle_, &v.ComHandle},
                                                                {comID_, &v.ComID},
                                                                {resNo_, &v.ResNo}};
    for (const auto& [e, s] : fields)
        if (e->text() != toQ(*s)) {
            const QSignalBlocker block(e);
            e->setText(toQ(*s));
        }
}

void TTextStyleForm::closeEvent(QCloseEvent* event) {
    pushValues();
    if (!model_.shown() || model_.close())
        event->accept();
    else
        event->ignore();
}

} // namespace writers
