#pragma once
// The program's message boxes: questions are captioned "質問です．", warnings "警告です．".
// Texts are Shift-JIS, as everywhere in the models.
#include <string>

class QWidget;

namespace ui {

// Yes/No question; true for Yes.
bool askYesNo(QWidget* parent, const std::string& sjisText);
// A warning with an OK button.
void warn(QWidget* parent, const std::string& sjisText);

} // namespace ui
