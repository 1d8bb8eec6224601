#include "ui/Dialogs.h"

#include "ui/QtText.h"

#include <QMessageBox>

namespace ui {

bool askYesNo(QWidget* parent, const std::string& sjisText) {
    return QMessageBox::question(parent, tr8(u8"質問です．"), toQ(sjisText),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void warn(QWidget* parent, const std::string& sjisText) {
    QMessageBox::warning(parent, tr8(u8"警告です．"), toQ(sjisText));
}

} // namespace ui
