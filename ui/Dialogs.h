#pragma once
// The program's message boxes: questions are captioned "質問です．", warnings "警告です．".
// Texts are Shift-JIS, as everywhere in the models.
#include <functional>
#include <string>

class QMessageBox;
class QWidget;

namespace ui {

// Yes/No question; true for Yes.
bool askYesNo(QWidget* parent, const std::string& sjisText);
// The same question without waiting for the answer: the box is shown and returned, and
// `answered` is called with true for Yes once the user answers. The box deletes itself
// when it closes; closed without an answer, nothing is called.
QMessageBox* askWithoutWaiting(QWidget* parent, const std::string& sjisText,
                               std::function<void(bool)> answered);
// A warning with an OK button.
void warn(QWidget* parent, const std::string& sjisText);

} // namespace ui
