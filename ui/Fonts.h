#pragma once
// Fonts and colours as the program stores them, turned into what Qt draws with.
//
// Stored font names come from another platform ("Terminal", "ＭＳ ゴシック"); a name that
// is not installed here is drawn with an installed fixed-pitch font that has Japanese
// glyphs. Colours are stored in the original platform's form: 0x00BBGGRR, or 0x800000nn
// for the system colour nn.
#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>

namespace ui {

// The installed fixed-pitch family with Japanese glyphs the program prefers, or the
// system's fixed font when there is none.
QString japaneseFixedFamily();

// A font of that family and size; "Terminal" and families that are not installed are
// replaced by japaneseFixedFamily(). A size below 1 becomes 9.
QFont resolveFont(const QString& family, int pointSize);

// True when the family draws every half-width character in the same width. Japanese
// fonts that pair half-width and full-width glyphs count, though the font database does
// not mark them fixed.
bool isFixedPitch(const QString& family);
// Every installed family for which isFixedPitch holds, sorted.
QStringList fixedPitchFamilies();

QColor fromTColor(std::uint32_t color);
std::uint32_t toTColor(const QColor& color);

} // namespace ui
