#include "writers/TSendTxtEditForm.h"

#include "ui/QtText.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace writers {

using ui::tr8;

TSendTxtEditForm::TSendTxtEditForm(ReserveEditor& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog), model_(model) {
    setObjectName("TSendTxtEditForm");
    auto* top = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    top->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    delete_ = new QPushButton(tr8(u8"削除"), this);
    delete_->setObjectName("DeleteButton");
    edit_ = new QPushButton(tr8(u8"編集"), this);
    edit_->setObjectName("EditButton");
    auto* ok = new QPushButton(tr8(u8"OK"), this);
    ok->setObjectName("OKButton");
    row->addWidget(delete_);
    row->addWidget(edit_);
    row->addStretch();
    row->addWidget(ok);

    // A selection chooses an item; the list taking the focus (which makes a row current
    // without selecting it) chooses none.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto items = list_->selectedItems();
        model_.ListBox1Click(items.isEmpty() ? -1 : list_->row(items.first()));
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        if (model_.editEnabled())
            model_.editClick();
    });
    connect(delete_, &QPushButton::clicked, this, [this] { model_.deleteClick(); });
    connect(edit_, &QPushButton::clicked, this, [this] { model_.editClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { close(); });
    resize(520, 360);
    model_.setView(this);
    editorChanged();
}

TSendTxtEditForm::~TSendTxtEditForm() {
    model_.setView(nullptr);
}

void TSendTxtEditForm::editorChanged() {
    setWindowTitle(ui::toQ(model_.caption()));
    const QStringList items = ui::toQList(model_.items());
    {
        const QSignalBlocker block(list_);
        bool same = list_->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i)
            same = list_->item(i)->text() == items[i];
        if (!same) {
            list_->clear();
            list_->addItems(items);
        }
        if (model_.selected() >= 0)
            list_->setCurrentRow(model_.selected());
        else
            list_->clearSelection();
    }
    delete_->setEnabled(model_.deleteEnabled());
    edit_->setEnabled(model_.editEnabled());
}

void TSendTxtEditForm::closeEvent(QCloseEvent* event) {
    // hideReserveEditor hides this window; the close itself is accepted either way.
    model_.close();
    event->accept();
}

} // namespace writers
