#include "viewers/TDownLoadForm.h"
#include "viewers/TMailForm.h"
#include "viewers/TMemborListForm.h"
#include "viewers/TMessageBoardForm.h"

#include "tests/viewers/ViewerFixture.h"
#include "ui/QtText.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

using base::sj;
using ui::toQ;

namespace {

template <class W> W* child(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct Forms : ViewerFixture {
    base::Lines m1 = message(1, "SYSOP", "26/12/01 10:00:00", "hello", {"first body"});
    base::Lines m2 = message(2, "TARNO002", "26/12/06 10:00:00", reply(1, "answer"), {"second"});
    base::Lines m3 = message(5, "TARNO003", "26/12/07 10:00:00", "new on pc", {"third"}, 2);

    Forms() {
        boards({"0001: ZATSU " + sj(u8"雑談"), "0002: PC " + sj(u8"パソコン")});
        write("MBOARD01.DAT", join({m1, m2}));
        write("MBOARD02.DAT", m3);
        chooseNet(0);
    }
    viewers::BoardViewerSetup setup() const { return {true, false, true, QFont(), QFont()}; }
};

} // namespace

TEST(TMessageBoardForm, OpenedFromTheNetManagerClickJumpAndDelete) {
    Forms f;
    f.macro.selectBoard(0);
    f.macro.boardDoubleClick();
    ASSERT_NE(std::find(f.macroHost.calls.begin(), f.macroHost.calls.end(), "boardViewer"),
              f.macroHost.calls.end());

    viewers::TMessageBoardForm form(f.macro, f.nets, f.host, base::makeDateTime(2026, 12, 8),
                                    f.setup());
    form.show();
    EXPECT_EQ(form.windowTitle(), toQ(sj(u8"メッセージボード [テストネット] [0001: ZATSU 雑談]")));
    auto* list = child<QListWidget>(form, "ListBox1");
    auto* memo = child<QPlainTextEdit>(form, "Memo1");
    auto* res = child<QPushButton>(form, "ResButton");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(child<QRadioButton>(form, "NewMode")->isChecked());
    // Only the reply is past the last-read date "26/12/05 12:00:00".
    EXPECT_TRUE(list->item(0)->text().startsWith("_   1:"));
    EXPECT_TRUE(list->item(1)->text().startsWith("*   2:  " + ui::tr8(u8"└")));
    EXPECT_FALSE(res->isEnabled());

    list->setCurrentRow(0);
    EXPECT_EQ(memo->toPlainText(), toQ(base::joinLines(f.m1)).replace("\r\n", "\n"));
    EXPECT_TRUE(res->isEnabled());

    // ▼ goes to the marked reply, then on to the next board's new message.
    auto* down = child<QPushButton>(form, "DOWNButton");
    down->click();
    EXPECT_EQ(list->currentRow(), 1);
    down->click();
    EXPECT_EQ(child<QComboBox>(form, "boardname")->currentIndex(), 1);
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(memo->toPlainText().contains("third"));

    // Back on board 01, delete the first message through the edit menu.
    child<QComboBox>(form, "boardname")->setCurrentIndex(0);
    emit child<QComboBox>(form, "boardname")->activated(0);
    list->setCurrentRow(0);
    QAction* del = form.findChild<QAction*>("DeleteArticle");
    ASSERT_NE(del, nullptr);
    ASSERT_TRUE(del->isEnabled());
    del->trigger();
    EXPECT_EQ(base::readFile(f.file("MBOARD01.DAT")), base::joinLines(f.m2));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_FALSE(del->isEnabled());

    // レス hands the reply over to the writer.
    list->setCurrentRow(1);
    res->click();
    EXPECT_EQ(f.macroHost.calls.back(), "replyWriter");
    EXPECT_EQ(f.macro.replySlot().ResNumber, "0002");
}

TEST(TDownLoadForm, ReservingWritesTheNetsMacroFile) {
    Forms f;
    f.write("MBOARD01.LST", {"0118: a", "0119: b"});
    f.macro.selectBoard(0);
    viewers::TDownLoadForm form(f.macro, f.host);
    form.show();
    EXPECT_EQ(form.windowTitle(), ui::tr8(u8"ボードのアーティクル一覧表示"));
    auto* lNo = child<QLineEdit>(form, "LDownNo");
    auto* no = child<QLineEdit>(form, "DownNo");
    EXPECT_EQ(lNo->text(), "120");
    EXPECT_EQ(no->text(), "119");
    child<QListWidget>(form, "ListBox1")->setCurrentRow(0);
    EXPECT_EQ(no->text(), "118");
    no->clear();
    QTest::keyClicks(no, "x");
    EXPECT_EQ(no->text(), "0");
    EXPECT_FALSE(child<QPushButton>(form, "Down")->isEnabled());
    no->clear();
    QTest::keyClicks(no, "118");
    ASSERT_TRUE(child<QPushButton>(form, "Down")->isEnabled());
    child<QPushButton>(form, "Down")->click();
    child<QPushButton>(form, "LDown")->click();
    EXPECT_EQ(
        base::readFile(f.file("NET.MAC")),
        base::joinLines({"SETKTBBS", "DIAL{0}", "LOGIN", "MDOWN :ZATSU#118", "MLISTDOWN :01#120"}));
}

TEST(TMailForm, ShowsTheNewestMailAndAnswersIt) {
    Forms f;
    f.write("MAIL.DAT", {"Private Message is from: SYSOP", "Time: 26/12/06 08:00:00", "Subj: one",
                         "Private Message is from: TARNO002 " + sj(u8"はなこ"),
                         "Time: 26/12/07 08:00:00", "Subj: " + sj(u8"二通目"), "text"});
    viewers::TMailForm form(f.macro, f.host, QFont(), QFont());
    form.show();
    EXPECT_EQ(form.windowTitle(), ui::tr8(u8"メールボックス"));
    auto* list = child<QListWidget>(form, "ListBox1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(child<QPlainTextEdit>(form, "Memo1")->toPlainText().endsWith("text\n"));
    child<QPushButton>(form, "UPButton")->click();
    EXPECT_EQ(list->currentRow(), 0);
    child<QPushButton>(form, "ResButton")->click();
    EXPECT_EQ(f.macroHost.calls.back(), "mailWriter");
    EXPECT_EQ(f.macro.mailSlot().MailText,
              base::joinLines(
                  {"Private Message is from: SYSOP", "Time: 26/12/06 08:00:00", "Subj: one"}));
    child<QPushButton>(form, "Button1")->click();
    EXPECT_EQ(f.host.memberListShown, 1);
}

TEST(TMailForm, SelectAllTakesTheWholeMailAfterStepping) {
    Forms f;
    f.write("MAIL.DAT", {"Private Message is from: SYSOP", "Time: 26/12/06 08:00:00", "Subj: one",
                         "first", "Private Message is from: TARNO002", "Time: 26/12/07 08:00:00",
                         "Subj: two", "second"});
    viewers::TMailForm form(f.macro, f.host, QFont(), QFont());
    form.show();
    QAction* selectAll = nullptr;
    for (QAction* a : form.findChildren<QAction*>())
        if (a->text() == ui::tr8(u8"すべて選択(&L)"))
            selectAll = a;
    ASSERT_NE(selectAll, nullptr);
    auto* memo = child<QPlainTextEdit>(form, "Memo1");
    for (const char* step : {"UPButton", "DOWNButton"}) {
        child<QPushButton>(form, step)->click();
        QTextCursor none = memo->textCursor();
        none.clearSelection();
        memo->setTextCursor(none);
        ASSERT_TRUE(selectAll->isEnabled()) << step;
        selectAll->trigger();
        EXPECT_EQ(memo->textCursor().selectedText().replace(QChar(0x2029), '\n'),
                  memo->toPlainText())
            << step;
        EXPECT_TRUE(memo->toPlainText().contains(step[0] == 'U' ? "first" : "second"));
    }
}

// The button bar stands between the list and the mail's text, and dragging it by its
// empty part moves the border between them.
TEST(TMailForm, TheButtonBarLiesBetweenListAndTextAndIsDragged) {
    Forms f;
    f.write("MAIL.DAT", {"Private Message is from: SYSOP", "Time: 26/12/06 08:00:00", "Subj: one"});
    viewers::TMailForm form(f.macro, f.host, QFont(), QFont());
    form.resize(600, 500);
    form.show();
    QCoreApplication::processEvents();
    auto* list = child<QListWidget>(form, "ListBox1");
    auto* panel = child<QWidget>(form, "Panel1");
    auto* memo = child<QPlainTextEdit>(form, "Memo1");
    const auto rect = [&form](QWidget* w) { return QRect(w->mapTo(&form, QPoint()), w->size()); };
    EXPECT_LE(rect(list).bottom(), rect(panel).top());
    EXPECT_LE(rect(panel).bottom(), rect(memo).top());
    for (const char* name : {"UPButton", "DOWNButton", "Button1", "ResButton"}) {
        auto* b = child<QPushButton>(form, name);
        EXPECT_TRUE(rect(panel).contains(rect(b))) << name;
    }

    // Press on the bar right of its net box's label-less stretch and drag 40 pixels down.
    const int listHeight = list->height();
    QPoint grip(child<QPushButton>(form, "ResButton")->geometry().right() + 8, panel->height() / 2);
    ASSERT_EQ(panel->childAt(grip), nullptr);
    const auto mouse = [panel](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, panel->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &e);
    };
    mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    mouse(QEvent::MouseMove, grip + QPoint(0, 40), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, grip + QPoint(0, 40), Qt::NoButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->height(), listHeight + 40);
    EXPECT_LE(rect(list).bottom(), rect(panel).top());
    EXPECT_LE(rect(panel).bottom(), rect(memo).top());
}

TEST(TMemborListForm, MailsTheChosenMember) {
    Forms f;
    f.write("MEMBOR.LST", {"SYSOP     " + sj(u8"しすおぺ"), "TARNO002  " + sj(u8"はなこ")});
    viewers::TMemborListForm form(f.macro);
    form.open();
    EXPECT_EQ(form.windowTitle(), ui::tr8(u8"メンバー一覧"));
    auto* mail = child<QPushButton>(form, "Mail");
    EXPECT_FALSE(mail->isEnabled());
    child<QListWidget>(form, "ListBox1")->setCurrentRow(1);
    ASSERT_TRUE(mail->isEnabled());
    mail->click();
    EXPECT_EQ(f.macro.mailSlot().MailSendId, "TARNO002  " + sj(u8"はなこ"));
    EXPECT_EQ(f.macroHost.calls.back(), "mailWriter");
    EXPECT_TRUE(form.isVisible()); // stays open
    child<QPushButton>(form, "Button1")->click();
    EXPECT_FALSE(form.isVisible());
}
