#include "ui/Dialogs.h"

#include "ui/QtText.h"

#include <QMessageBox>

namespace ui {

bool askYesNo(QWidget* parent, const std::string& sjisText) {
    return QMessageBox::question(parent, tr8(u8"質問です．"), toQ(sjisText),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QMessageBox* askWithoutWaiting(QWidget* parent, const std::string& sjisText,
                               std::function<void(bool)> answered) {
    auto* box = new QMessageBox(QMessageBox::Question, tr8(u8"質問です．"), toQ(sjisText),
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setObjectName("QuestionWithoutWaiting");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, answered](int) {
        const QAbstractButton* clicked = box->clickedButton();
        if (clicked && answered)
            answered(clicked == box->button(QMessageBox::Yes));
    });
    box->show();
    return box;
}

void warn(QWidget* parent, const std::string& sjisText) {
    QMessageBox::warning(parent, tr8(u8"警告です．"), toQ(sjisText));
}

} // namespace ui
