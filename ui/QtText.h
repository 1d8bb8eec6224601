#pragma once
// Shift-JIS model text where it meets a widget.
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace ui {

QString toQ(const std::string& sjis);
std::string fromQ(const QString& text);
QStringList toQList(const std::vector<std::string>& sjisLines);
// A UTF-8 literal of the program's own texts, for widget captions.
inline QString tr8(const char8_t* utf8) {
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8));
}

} // namespace ui
