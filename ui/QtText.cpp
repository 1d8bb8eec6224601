#include "ui/QtText.h"

#include "base/Sjis.h"

namespace ui {

QString toQ(const std::string& sjis) {
    return QString::fromStdString(base::toUtf8(sjis));
}

std::string fromQ(const QString& text) {
    return base::fromUtf8(text.toStdString());
}

QStringList toQList(const std::vector<std::string>& sjisLines) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(sjisLines.size()));
    for (const auto& l : sjisLines)
        out << toQ(l);
    return out;
}

} // namespace ui
