// The writing windows offscreen: a reply from the hand-over slot with its style, mail and
// binary mail, an upload request, the style dialog and the reservation editor, each
// checked against the NET.MAC it leaves.
#include "tests/writers/WriterFixture.h"
#include "ui/QtText.h"
#include "writers/ReserveEditor.h"
#include "writers/TMailWriteForm.h"
#include "writers/TNewWriteForm.h"
#include "writers/TResWriteForm.h"
#include "writers/TSendTxtEditForm.h"
#include "writers/TTextStyleForm.h"
#include "writers/TUPFileForm.h"
#include "writers/WriterText.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using writers::Answer;
using writers_test::sj;
using writers_test::WriterFixture;

namespace {

template <class W> W* child(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QString q(const char8_t* utf8) {
    return ui::tr8(utf8);
}

struct FormFixture : WriterFixture {
    writers::TTextStyleForm styleForm{styles};
    QFont font{"Monospace", 10};
};

} // namespace

TEST(WriterForms, AReplyFromTheHandOverSlotIsFramedQuotedAndReservedFromTheWindow) {
    FormFixture f;
    base::replaceLines(f.dir.file("TXTSTY1.dat"), {"%h-san", "", "", "-- %I"});
    f.macro.replySlot() = {sj(u8"テストネット"),
                           "No.0123 from: EFGH0456 Hanako\r\nTitle\r\n\r\nHello\r\n",
                           "0123",
                           "NEW",
                           "0",
                           "PC"};
    writers::TResWriteForm w(f.context(), f.font);
    w.show();
    EXPECT_EQ(w.windowTitle(), q(u8"レス作成"));
    EXPECT_EQ(child<QLineEdit>(w, "NetName")->text(), q(u8"テストネット"));
    EXPECT_TRUE(child<QLineEdit>(w, "NetName")->isReadOnly());
    EXPECT_EQ(child<QLineEdit>(w, "RESNO")->text(), "0123");
    EXPECT_EQ(child<QLabel>(w, "Ruler")->text().size(), 78);
    auto* memo = child<QPlainTextEdit>(w, "Memo1");
    EXPECT_EQ(memo->toPlainText(), ">Hello\n>");
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);

    // The style dialog shows the reply style with the addressee's values.
    EXPECT_TRUE(child<QRadioButton>(f.styleForm, "RES")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f.styleForm, "ComHandle")->text(), "Hanako");
    EXPECT_EQ(child<QPlainTextEdit>(f.styleForm, "memo4")->toPlainText(),
              "Hanako-san\n\n\n-- ABCD0123\n");
    child<QPushButton>(f.styleForm, "Button1")->click(); // OK
    f.loop.advance(1000);
    EXPECT_EQ(memo->toPlainText(), "Hanako-san\n\n\n>Hello\n>\n-- ABCD0123\n");

    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "//");
    child<QPushButton>(w, "Button1")->click(); // UP
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.dialogs.asked.empty());
    EXPECT_EQ(memo->toPlainText(), "Hanako-san\n\n\n>Hello\n>\n-- ABCD0123\n>//");
    EXPECT_EQ(base::readFile(f.dir.file("NETA/NET.MAC")),
              "SETKTBBS\r\nDIAL{0}\r\nLOGIN\r\nRES :PC#0123\r\nHanako-san\r\n\r\n\r\n>Hello\r\n"
              ">\r\n-- ABCD0123\r\n>//\r\n//\r\nQUIT\r\n");
}

TEST(WriterForms, TheCloseBoxAsksAndCancelKeepsTheWindow) {
    FormFixture f;
    f.macro.newSlot() = {"text", sj(u8"テストネット"), "0", "PC", "t", "EDIT", ""};
    writers::TNewWriteForm w(f.context(), f.font);
    w.show();
    EXPECT_EQ(w.windowTitle(), "t");
    QTest::keyClicks(child<QLineEdit>(w, "title"), "itle");
    EXPECT_EQ(w.windowTitle(), "title");
    f.dialogs.answers3 = {Answer::Cancel, Answer::No};
    w.close();
    EXPECT_TRUE(w.isVisible());
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.dialogs.asked.size(), 2u);
    EXPECT_EQ(f.netMac(), (base::Lines{"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"}));
}

TEST(WriterForms, AMailAndABinaryMailFromTheWindow) {
    FormFixture f;
    f.macro.mailSlot() = {"0", sj(u8"テストネット"), "NEW", "", "", "ABCD0123  Taro", ""};
    writers::TMailWriteForm w(f.context(), f.font);
    w.show();
    f.styleForm.close();
    f.loop.advance(1000);
    auto* title = child<QLineEdit>(w, "title");
    title->clear();
    QTest::keyClicks(title, "Hello");
    EXPECT_EQ(w.windowTitle(), "Hello");
    auto* memo = child<QPlainTextEdit>(w, "Memo1");
    memo->setPlainText("Body");
    child<QPushButton>(w, "Button1")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.reserved(), (base::Lines{"MAIL :ABCD0123#Hello", "Body", "//"}));

    // Binary: the title field names the file, chosen with the browse button.
    const std::string file = f.dir.file("A.BIN");
    base::replaceFile(file, "x");
    f.macro.mailSlot() = {"0", sj(u8"テストネット"), "EDIT", "", "", "EFGH0456", ""};
    writers::TMailWriteForm b(f.context(), f.font);
    b.setFileChooser([&](const QString& caption) {
        EXPECT_EQ(caption, q(u8"アップロードするファイルの指定"));
        return ui::toQ(file);
    });
    b.show();
    auto* label = b.findChild<QCheckBox*>("BMAIL");
    ASSERT_NE(label, nullptr);
    label->click();
    child<QPushButton>(b, "Button2")->click();
    EXPECT_EQ(child<QLineEdit>(b, "title")->text(), ui::toQ(file));
    bool relabelled = false;
    for (QLabel* l : b.findChildren<QLabel*>())
        relabelled = relabelled || l->text() == q(u8"ファイル名");
    EXPECT_TRUE(relabelled);
    child<QAction>(b, "K4")->trigger(); // アップロード → 予約, as "UP"
    EXPECT_EQ(f.reserved(), (base::Lines{"MAIL :ABCD0123#Hello", "Body", "//",
                                         "BMAIL :EFGH0456#" + writers::storedPath(file), "//"}));
}

TEST(WriterForms, CharactersShiftJisCannotHoldAreNamedAndNothingIsReservedUntilTheyGo) {
    FormFixture f;
    f.macro.mailSlot() = {"0", sj(u8"テストネット"), "NEW", "", "", "ABCD0123  Taro", ""};
    writers::TMailWriteForm w(f.context(), f.font);
    w.show();
    f.styleForm.close();
    f.loop.advance(1000);
    auto* title = child<QLineEdit>(w, "title");
    title->clear();
    title->insert(q(u8"Hi \U0001F600")); // typed: textEdited, as keys would
    auto* memo = child<QPlainTextEdit>(w, "Memo1");
    memo->setPlainText(q(u8"\U00020BB7 and \U0001F600, ok: \u2252"));
    child<QPushButton>(w, "Button1")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(f.reserved().empty());
    ASSERT_EQ(f.dialogs.warnings.size(), 1u);
    // Named in the order typed, each once; the ones Shift-JIS holds are not named.
    const std::string& named = f.dialogs.warnings[0];
    EXPECT_LT(named.find("U+1F600"), named.find("U+20BB7"));
    EXPECT_NE(named.find("U+20BB7"), std::string::npos);
    EXPECT_EQ(named.find("U+1F600", named.find("U+1F600") + 1), std::string::npos);
    EXPECT_EQ(named.find("U+2252"), std::string::npos);

    // The close box asks, and a Yes meets the same refusal.
    f.dialogs.answers3 = {Answer::Yes};
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(f.reserved().empty());
    EXPECT_EQ(f.dialogs.warnings.size(), 2u);

    title->clear();
    QTest::keyClicks(title, "Hi");
    memo->setPlainText(q(u8"and, ok: \u2252"));
    child<QPushButton>(w, "Button1")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.reserved(), (base::Lines{"MAIL :ABCD0123#Hi", sj(u8"and, ok: \u2252"), "//"}));
}

TEST(WriterForms, AnUploadRequestWithItsBrowseButton) {
    FormFixture f;
    const std::string file = f.dir.file("TOOL.LZH");
    base::replaceFile(file, "x");
    f.macro.newSlot() = {"", sj(u8"テストネット"), "0", "GAME", "New version", "NEW", ""};
    writers::TUPFileForm w(f.context(), f.font);
    w.setFileChooser([&](const QString& caption) {
        EXPECT_EQ(caption, q(u8"アップロードファイルの指定"));
        return ui::toQ(file);
    });
    w.show();
    EXPECT_EQ(w.windowTitle(), q(u8"ファイルのアップロード"));
    EXPECT_TRUE(child<QLineEdit>(w, "boardname")->isReadOnly());
    EXPECT_EQ(child<QPushButton>(w, "Button2")->text(), q(u8"参照"));
    EXPECT_FALSE(f.styles.shown());
    child<QPushButton>(w, "Button2")->click();
    EXPECT_EQ(child<QLineEdit>(w, "FName")->text(), ui::toQ(file));
    child<QPlainTextEdit>(w, "Memo1")->setPlainText("line one\n//");
    child<QPushButton>(w, "Button1")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(child<QPlainTextEdit>(w, "Memo1")->toPlainText(), "line one\n>//");
    EXPECT_EQ(f.reserved(), (base::Lines{"UPFILE :GAME#New version|" + writers::storedPath(file),
                                         "line one", ">//", "//"}));
}

TEST(WriterForms, AnUploadFromAFolderNamedOutsideShiftJISIsRefusedAndAJapaneseOneFound) {
    FormFixture f;
    const QString lost = ui::toQ(f.dir.path()) + q(u8"/♔/TOOL.LZH");
    const std::string japanese = f.dir.file(sj(u8"資料")) + "/TOOL.LZH";
    ASSERT_TRUE(base::makeDirs(base::toUtf8(f.dir.file(sj(u8"資料")))));
    base::replaceFile(base::toUtf8(japanese), "x");
    f.macro.newSlot() = {"", sj(u8"テストネット"), "0", "GAME", "v3", "NEW", ""};
    writers::TUPFileForm w(f.context(), f.font);
    QString chosen = lost;
    w.setFileChooser([&](const QString&) { return chosen; });
    w.show();
    auto* name = child<QLineEdit>(w, "FName");
    child<QPushButton>(w, "Button2")->click();
    EXPECT_EQ(name->text(), lost); // shown as chosen, not with a "?"
    child<QPushButton>(w, "Button1")->click();
    ASSERT_EQ(f.dialogs.warnings.size(), 1u);
    // The refusal names the character the name cannot keep.
    EXPECT_NE(f.dialogs.warnings[0].find("U+2654"), std::string::npos)
        << base::toUtf8(f.dialogs.warnings[0]);
    // Typing on keeps the name as it is and still refused.
    name->end(false);
    QTest::keyClicks(name, "X");
    EXPECT_EQ(name->text(), lost + "X");
    child<QPushButton>(w, "Button1")->click();
    EXPECT_EQ(f.dialogs.warnings.size(), 2u);
    EXPECT_TRUE(f.reserved().empty());

    chosen = ui::toQ(japanese);
    child<QPushButton>(w, "Button2")->click();
    child<QPushButton>(w, "Button1")->click();
    EXPECT_TRUE(f.dialogs.asked.empty());
    EXPECT_EQ(f.reserved(),
              (base::Lines{"UPFILE :GAME#v3|" + writers::storedPath(japanese), "//"}));
}

TEST(WriterForms, TheStyleDialogSwitchesStylesAndShowsTheLegend) {
    FormFixture f;
    base::replaceLines(f.dir.file("TXTSTY2.dat"), {"mail %i"});
    f.styles.FormShow();
    EXPECT_EQ(f.styleForm.windowTitle(), q(u8"文のスタイル"));
    EXPECT_EQ(child<QPlainTextEdit>(f.styleForm, "Memo3")->toPlainText().split('\n').size(), 4);
    EXPECT_TRUE(child<QLineEdit>(f.styleForm, "ResNo")->isReadOnly());
    auto* memo1 = child<QPlainTextEdit>(f.styleForm, "Memo1");
    memo1->setPlainText("new %H");
    EXPECT_EQ(child<QPlainTextEdit>(f.styleForm, "memo4")->toPlainText(), q(u8"new 一太郎\n"));
    child<QRadioButton>(f.styleForm, "Mail")->click();
    EXPECT_EQ(base::readLines(f.dir.file("TXTSTY0.dat")), (base::Lines{"new %H"}));
    EXPECT_EQ(memo1->toPlainText(), "mail %i");
    EXPECT_EQ(child<QPlainTextEdit>(f.styleForm, "memo4")->toPlainText(), "mail ABCD0321\n");
    f.styleForm.close(); // the close box saves like OK
    EXPECT_FALSE(f.styles.shown());
    EXPECT_EQ(f.styleHost.calls.back(), "hide");
}

TEST(WriterForms, TheReservationEditorDeletesAndReopensByPosition) {
    FormFixture f;
    struct Host : writers::ReserveEditorHost {
        void setMainAndMacroEnabled(bool) override {}
        void warn(const std::string&) override {}
        std::string mainNetText() const override { return "A"; }
        void hideReserveEditor() override { hidden = true; }
        bool hidden = false;
    } host;
    base::replaceLines(f.dir.file("NETA/NET.MAC"),
                       {"SETKTBBS", "DIAL{0}", "LOGIN", "NEWW :PC#t", "NEWW :PC#t", "//",
                        "NEWW :PC#t", "b", "//", "MDOWN :PC#1", "QUIT"});
    f.macro.setNetNo("999");
    f.macro.ListBox1Click(0);
    writers::ReserveEditor editor(f.macro, f.nets, host);
    writers::TSendTxtEditForm form(editor);
    editor.FormShow();
    form.show();
    EXPECT_EQ(form.windowTitle(), q(u8"書込み＆読み込み予約の編集 [A]"));
    auto* list = child<QListWidget>(form, "ListBox1");
    auto* del = child<QPushButton>(form, "DeleteButton");
    auto* edit = child<QPushButton>(form, "EditButton");
    ASSERT_EQ(list->count(), 3);
    EXPECT_FALSE(del->isEnabled());
    // Taking the focus selects nothing.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(list, &focus);
    EXPECT_EQ(editor.selected(), -1);
    EXPECT_FALSE(del->isEnabled());
    list->setCurrentRow(2);
    EXPECT_TRUE(del->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    del->click();
    EXPECT_EQ(f.reserved(),
              (base::Lines{"NEWW :PC#t", "NEWW :PC#t", "//", "NEWW :PC#t", "b", "//"}));
    EXPECT_FALSE(del->isEnabled());

    list->setCurrentRow(1);
    edit->click();
    EXPECT_TRUE(host.hidden);
    EXPECT_EQ(f.macroHost.calls.back(), "newWriter");
    writers::TNewWriteForm w(f.context(), f.font);
    w.show();
    EXPECT_EQ(child<QPlainTextEdit>(w, "Memo1")->toPlainText(), "b");
    child<QPushButton>(w, "Button1")->click();
    // The first block, whose body line looks like its header, is untouched.
    EXPECT_EQ(f.reserved(),
              (base::Lines{"NEWW :PC#t", "NEWW :PC#t", "//", "NEWW :PC#t", "b", "//"}));
}

namespace {
// Where column 0 of the ruler's text and of the body text start, in the window's
// coordinates.
int rulerColumn0(QWidget& w) {
    auto* ruler = child<QLabel>(w, "Ruler");
    return ruler->mapTo(&w, ruler->contentsRect().topLeft()).x() + ruler->margin() +
           std::max(ruler->indent(), 0);
}
int bodyColumn0(QWidget& w) {
    auto* memo = child<QPlainTextEdit>(w, "Memo1");
    QTextCursor start(memo->document());
    return memo->viewport()->mapTo(&w, memo->cursorRect(start).topLeft()).x();
}
} // namespace

// The ruler's marks stand over the body's columns: its first column starts where the body
// text does, whatever the editor's frame, document margin and font.
TEST(WriterForms, TheRulerStandsOverTheBodysColumns) {
    for (int size : {9, 10, 16}) {
        FormFixture f;
        f.macro.newSlot() = {"text", sj(u8"テストネット"), "0", "PC", "t", "NEW", ""};
        writers::TNewWriteForm w(f.context(), QFont("Monospace", size));
        w.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(rulerColumn0(w), bodyColumn0(w)) << "font size " << size;

        // A wider frame or margin moves the body's text; the ruler follows.
        auto* memo = child<QPlainTextEdit>(w, "Memo1");
        memo->document()->setDocumentMargin(9);
        memo->setLineWidth(3);
        memo->setFrameStyle(QFrame::Box | QFrame::Plain);
        QCoreApplication::processEvents();
        EXPECT_EQ(rulerColumn0(w), bodyColumn0(w)) << "font size " << size;
    }
}
