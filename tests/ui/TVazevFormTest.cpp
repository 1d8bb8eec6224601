// The terminal window offscreen: what the host sent on the screen, the status line, the
// counters after a tick, the back view, the one-line input and the refused close.
#include "engine/TVazevForm.h"
#include "tests/engine/EngineHarness.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using engine_test::EngineHarness;
using ui::tr8;

namespace {

struct TerminalWindow : ::testing::Test {
    EngineHarness h;
    engine::TVazevForm form{h.model};
    void SetUp() override {
        form.show();
        h.start();
    }
    template <class T> T* child(const char* name) { return form.findChild<T*>(name); }
};

TEST_F(TerminalWindow, ShowsReceivedTextOnTheScreen) {
    h.receive("ATZ\r\r\nOK\r\n" + base::sj(u8"ようこそ") + "\r\n");
    QWidget* screen = child<QWidget>("Screen");
    ASSERT_NE(screen, nullptr);
    QImage blank = screen->grab().toImage();
    h.receive("X");
    QImage drawn = screen->grab().toImage();
    EXPECT_NE(blank, drawn); // the new byte changed the picture
    // Text is white on grey.
    EXPECT_EQ(drawn.pixelColor(drawn.width() - 1, drawn.height() - 1), QColor(0x80, 0x80, 0x80));
    bool white = false;
    for (int y = 0; y < drawn.height() && !white; ++y)
        for (int x = 0; x < 80 && !white; ++x)
            white = drawn.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(white);
}

TEST_F(TerminalWindow, ShowsTheHostsColoursAndKeepsTheBackViewPlain) {
    h.receive("\x1b[41mAB\x1b[0mC\x1b[1;33;44mD\x1b[7mE\x1b[m\r\nnext");
    QWidget* screen = child<QWidget>("Screen");
    ASSERT_NE(screen, nullptr);
    const QImage img = screen->grab().toImage();
    // The bottom-left pixel of each cell of the first row shows its background.
    auto ground = [&](int column) { return img.pixelColor(column * 8, 15); };
    EXPECT_EQ(ground(0), QColor(0xaa, 0x00, 0x00));
    EXPECT_EQ(ground(1), QColor(0xaa, 0x00, 0x00));
    EXPECT_EQ(ground(2), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(ground(3), QColor(0x00, 0x00, 0xaa));
    EXPECT_EQ(ground(4), QColor(0xff, 0xff, 0x55)); // reversed: the bright yellow text colour
    EXPECT_EQ(ground(5), QColor(0x80, 0x80, 0x80)); // after the line's end
    EXPECT_EQ(h.model.line(1), "ABCDE");
    auto* scroll = child<QCheckBox>("Scroll");
    scroll->setChecked(true);
    EXPECT_EQ(form.backViewText(), "\nABCDE\n");
}

TEST_F(TerminalWindow, StatusAndCountersFollowTheEngine) {
    h.ticks(1);
    EXPECT_EQ(form.countersText(), QString("0WP1,RP1,MP0/4"));
    EXPECT_EQ(form.stateText(), "SETKTBBS");
    h.model.Button2Click();
    EXPECT_EQ(form.statusText(), tr8(u8"強制終了シマシタ."));
}

TEST_F(TerminalWindow, BackViewShowsTheCompletedLines) {
    h.receive("one\r\ntwo\r\nthree");
    auto* scroll = child<QCheckBox>("Scroll");
    scroll->setChecked(true);
    EXPECT_TRUE(form.backViewVisible());
    EXPECT_TRUE(child<QPushButton>("ReLoad")->isVisibleTo(&form));
    EXPECT_EQ(form.backViewText(), "\none\ntwo\n");
    h.receive("\r\nfour\r\n");
    child<QPushButton>("ReLoad")->click();
    EXPECT_EQ(form.backViewText(), "\none\ntwo\nthree\nfour\n");
    scroll->setChecked(false);
    EXPECT_FALSE(form.backViewVisible());
}

TEST_F(TerminalWindow, OneLineInputSendsWithCrAndUnlocksKeys) {
    auto* keyGard = child<QCheckBox>("KeyGard");
    EXPECT_TRUE(keyGard->isChecked());
    child<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_FALSE(keyGard->isChecked());
    EXPECT_FALSE(h.model.KeyGard());
    h.takeSent();
    auto* edit = child<QLineEdit>("Edit1");
    edit->setText("R;01");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(h.takeSent(), "R;01\r");
    EXPECT_TRUE(edit->text().isEmpty());
    keyGard->setChecked(true);
    EXPECT_FALSE(child<QCheckBox>("CheckBox1")->isChecked());
}

TEST_F(TerminalWindow, ManualTransfersStayDisabledUntilConnected) {
    EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());
    int downs = 0;
    form.setManualTransfer([&] { ++downs; }, [] {});
    child<QPushButton>("Button1")->click();
    EXPECT_EQ(downs, 1);
}

TEST_F(TerminalWindow, ClosingIsRefusedWithAWarning) {
    bool answered = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == tr8(u8"警告")) {
                answered = true;
                w->close();
            }
    });
    form.close();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
