#pragma once
// The reservation editor window: the header of every pending block of the net shown, with
// "削除", "編集" and "OK". It owns widgets only; ReserveEditor finds, deletes and reopens
// the blocks.
#include "writers/ReserveEditor.h"

#include <QWidget>

class QListWidget;
class QPushButton;

namespace writers {

class TSendTxtEditForm : public QWidget, public ReserveEditorView {
    Q_OBJECT
public:
    explicit TSendTxtEditForm(ReserveEditor& model, QWidget* parent = nullptr);
    ~TSendTxtEditForm() override;

    void editorChanged() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ReserveEditor& model_;
    QListWidget* list_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* edit_ = nullptr;
};

} // namespace writers
