#pragma once
// The text style dialog ("文のスタイル"): the template being edited (Memo1), the legend of
// % codes (Memo3), the expansion the writers take (memo4), the four style buttons and the
// value fields. It owns widgets only; TextStyleModel holds the templates and the values.
// Closing it in any way saves the template (TextStyleModel::close).
#include "writers/TextStyleModel.h"

#include <QWidget>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace writers {

class TTextStyleForm : public QWidget, public TextStyleView {
    Q_OBJECT
public:
    explicit TTextStyleForm(TextStyleModel& model, QWidget* parent = nullptr);
    ~TTextStyleForm() override;

    void styleChanged() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void pushValues();

    TextStyleModel& model_;
    QPlainTextEdit* memo1_ = nullptr;
    QPlainTextEdit* memo3_ = nullptr;
    QPlainTextEdit* memo4_ = nullptr;
    std::array<QRadioButton*, kStyleCount> buttons_{};
    QLineEdit* meHandle_ = nullptr;
    QLineEdit* meID_ = nullptr;
    QLineEdit* comHandle_ = nullptr;
    QLineEdit* comID_ = nullptr;
    QLineEdit* resNo_ = nullptr;
};

} // namespace writers
