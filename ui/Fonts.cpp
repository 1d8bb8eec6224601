#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

namespace ui {

QString japaneseFixedFamily() {
    static const QString chosen = [] {
        const QStringList preferred = {"IPAGothic",   "IPAゴシック",           "VL Gothic",
                                       "TakaoGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"};
        const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
        for (const QString& name : preferred)
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        for (const QString& name : installed)
            if (isFixedPitch(name))
                return name;
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return chosen;
}

bool isFixedPitch(const QString& family) {
    if (QFontDatabase::isFixedPitch(family))
        return true;
    QFont f(family, 12);
    f.setStyleStrategy(QFont::NoFontMerging);
    QFontMetrics m(f);
    const int w = m.horizontalAdvance(QChar('W'));
    return w > 0 && m.horizontalAdvance(QChar('i')) == w && m.horizontalAdvance(QChar('.')) == w;
}

QStringList fixedPitchFamilies() {
    QStringList out;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family) && isFixedPitch(family))
            out << family;
    out.sort(Qt::CaseInsensitive);
    return out;
}

QFont resolveFont(const QString& family, int pointSize) {
    QString use = family;
    if (use.isEmpty() || use.compare("Terminal", Qt::CaseInsensitive) == 0 ||
        !QFontDatabase::families().contains(use, Qt::CaseInsensitive))
        use = japaneseFixedFamily();
    QFont font(use, pointSize < 1 ? 9 : pointSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QColor fromTColor(std::uint32_t color) {
    if (color & 0x80000000u) {
        // System colours: the few a font or background can carry, from the palette.
        const QPalette pal = QGuiApplication::palette();
        switch (color & 0xFFu) {
        case 5: // window
            return pal.color(QPalette::Base);
        case 8:  // window text
        case 7:  // menu text
        case 18: // button text
            return pal.color(QPalette::WindowText);
        case 13:
            return pal.color(QPalette::Highlight);
        case 14:
            return pal.color(QPalette::HighlightedText);
        case 15:
            return pal.color(QPalette::Button);
        case 17:
            return pal.color(QPalette::PlaceholderText);
        default:
            return pal.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

std::uint32_t toTColor(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

} // namespace ui
