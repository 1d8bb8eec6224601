#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

TEST(Fonts, TheTerminalFontBecomesAnInstalledJapaneseFixedPitchFont) {
    const QString family = ui::japaneseFixedFamily();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        << family.toStdString();
    EXPECT_TRUE(ui::isFixedPitch(family)) << family.toStdString();
    EXPECT_TRUE(ui::fixedPitchFamilies().contains(family));

    QFont terminal = ui::resolveFont("Terminal", 12);
    EXPECT_EQ(terminal.family(), family);
    EXPECT_EQ(terminal.pointSize(), 12);
    EXPECT_EQ(ui::resolveFont(QString::fromUtf8("ＭＳ ゴシック"), 0).family(), family);
    EXPECT_EQ(ui::resolveFont(QString::fromUtf8("ＭＳ ゴシック"), 0).pointSize(), 9);
    // An installed family is kept.
    EXPECT_EQ(ui::resolveFont(family, 10).family(), family);
}

TEST(Fonts, StoredColoursAreBlueGreenRed) {
    EXPECT_EQ(ui::fromTColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ui::fromTColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ui::toTColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(ui::fromTColor(ui::toTColor(QColor(1, 2, 3))), QColor(1, 2, 3));
    // System colours come from the palette, never from their bit pattern.
    EXPECT_TRUE(ui::fromTColor(0x80000008u).isValid());
    EXPECT_NE(ui::fromTColor(0x80000008u), QColor(8, 0, 0));
}
