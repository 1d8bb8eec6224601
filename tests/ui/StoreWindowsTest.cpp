// The store's windows on the offscreen platform: the reorganise dialog, the error log
// window and the raw log view.
#include "store/TErrorLogForm.h"
#include "store/TLogEditForm.h"
#include "store/TNamaLogForm.h"

#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "tests/support/TempDir.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

using base::sj;

template <class W> W* child(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct LogEditFixture {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    store::LogEditModel model{loop, errors, dir.path()};
    std::vector<bool> others; // what the dialog asked of the other windows, in order
    std::vector<std::string> refusals;
    store::TLogEditForm form{model, [this](bool on) { others.push_back(on); }};

    LogEditFixture() {
        form.setOnRefused([this](const std::string& t) { refusals.push_back(t); });
        base::makeDirs(dir.file("NET1"));
        base::replaceLines(dir.file("NET1/MBOARD03.DAT"),
                           {"Message  #0002   from: B", "two", "Message  #0001   from: A", "one"});
    }
};

TEST(TLogEditForm, OpensForTheChosenBoardAndRunsWithTheFieldsShown) {
    LogEditFixture f;
    f.form.open("NET1", sj(u8"0003: 雑談     なんでも"));
    EXPECT_TRUE(f.form.isVisible());
    EXPECT_EQ(f.others, std::vector<bool>{false});
    EXPECT_EQ(f.form.windowTitle(), ui::tr8(u8"ログの整理 [NET1\\MBOARD03.DAT ]"));
    EXPECT_EQ(child<QLineEdit>(f.form, "Edit4")->text(), "NET1\\MBOARD03.OLD");
    EXPECT_TRUE(child<QCheckBox>(f.form, "CheckBox1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(f.form, "RadioButton2")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f.form, "Edit3")->text(), "500");

    // A field that is not a number stays as typed and 実行 is refused with the dialog open.
    QLineEdit* edit3 = child<QLineEdit>(f.form, "Edit3");
    edit3->setFocus();
    edit3->selectAll();
    edit3->insert("x");
    EXPECT_EQ(edit3->text(), "x");
    child<QPushButton>(f.form, "Button1")->click();
    EXPECT_TRUE(f.form.isVisible());
    EXPECT_EQ(f.refusals, std::vector<std::string>{sj(
                              u8"残すアーティクルの数が数字ではありません．実行しませんでした．")});
    EXPECT_FALSE(base::fileExists(f.dir.file("NET1/MBOARD03.OLD")));
    edit3->selectAll();
    edit3->insert("1");

    child<QPushButton>(f.form, "Button1")->click();
    EXPECT_FALSE(f.form.isVisible());
    EXPECT_EQ(f.others, (std::vector<bool>{false, true}));
    EXPECT_EQ(base::readLines(f.dir.file("NET1/MBOARD03.DAT")),
              (base::Lines{"Message  #0002   from: B", "two"}));
    EXPECT_EQ(base::readLines(f.dir.file("NET1/MBOARD03.OLD")),
              (base::Lines{"Message  #0001   from: A", "one"}));
}

TEST(TLogEditForm, ABadRangeIsRefusedAndTheDialogStays) {
    LogEditFixture f;
    f.form.open("NET1", "0003: x");
    child<QRadioButton>(f.form, "RadioButton1")->setChecked(true);
    child<QLineEdit>(f.form, "Edit1")->setText("9");
    child<QLineEdit>(f.form, "Edit2")->setText("3");
    child<QPushButton>(f.form, "Button1")->click();
    EXPECT_EQ(f.refusals, std::vector<std::string>{sj(u8"範囲指定がおかしいです.")});
    EXPECT_TRUE(f.form.isVisible());
    EXPECT_EQ(f.others, std::vector<bool>{false});
    // Cancel leaves the board as it was and gives the other windows back.
    child<QPushButton>(f.form, "Button2")->click();
    EXPECT_EQ(f.others, (std::vector<bool>{false, true}));
    EXPECT_EQ(base::readLines(f.dir.file("NET1/MBOARD03.DAT")).front(), "Message  #0002   from: B");
}

TEST(TErrorLogForm, ShowsAddedLinesKeepsEditsAndClears) {
    testing_support::TempDir dir;
    base::replaceLines(dir.file("ERROR.LOG"), {"old line"});
    base::ErrorLog log{dir.file("ERROR.LOG")};
    log.load();
    store::TErrorLogForm form(log);
    QPlainTextEdit* memo = child<QPlainTextEdit>(form, "Memo1");
    EXPECT_EQ(memo->toPlainText(), "old line");

    // A run adds a line while the window is hidden.
    log.add(sj(u8"26/12/08 09:00:00回線が切れました."));
    EXPECT_EQ(memo->toPlainText(), "old line\n" + ui::tr8(u8"26/12/08 09:00:00回線が切れました."));

    // The user's edit is saved when the window closes.
    form.show();
    memo->setPlainText("edited");
    child<QPushButton>(form, "Button2")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(base::readLines(dir.file("ERROR.LOG")), base::Lines{"edited"});
    EXPECT_EQ(log.lines(), base::Lines{"edited"});

    child<QPushButton>(form, "Button1")->click();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_TRUE(base::readLines(dir.file("ERROR.LOG")).empty());
}

// A lone 0xA0 is no Shift-JIS character and 0xED 0x40 is an NEC-selected IBM extension that
// a trip through Unicode brings back as 0xFA 0x5C: the window must never be the trip.
TEST(TErrorLogForm, AnUntouchedLogIsNeverRewrittenAndEditsKeepTheOtherLinesBytes) {
    testing_support::TempDir dir;
    const std::string path = dir.file("ERROR.LOG");
    const std::string odd = "26/12/08 09:00:00bad \xA0 byte";
    const std::string ibm = "26/12/08 09:01:00\xED\x40 kanji";
    const std::string original = odd + "\r\n" + ibm + "\r\n";
    base::replaceFile(path, original);
    base::ErrorLog log{path};
    log.load();
    {
        // A run start closes the window that was never opened.
        store::TErrorLogForm form(log);
        form.close();
        EXPECT_EQ(base::readFile(path), original);
        // Opened, looked at, closed.
        form.show();
        child<QPushButton>(form, "Button2")->click();
        EXPECT_EQ(base::readFile(path), original);
        // A line the program adds goes to the file as it is and the close keeps it so.
        form.show();
        const std::string added = "26/12/08 09:02:00\xED\x41\xA0";
        log.add(added);
        form.close();
        EXPECT_EQ(base::readFile(path), original + added + "\r\n");

        // The user edits one line: the others keep their bytes.
        form.show();
        QPlainTextEdit* memo = child<QPlainTextEdit>(form, "Memo1");
        QTextCursor cursor(memo->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText("\n" + ui::tr8(u8"メモ"));
        form.close();
        EXPECT_EQ(base::readFile(path), original + added + "\r\n" + sj(u8"メモ") + "\r\n");
        EXPECT_EQ(log.lines(), (base::Lines{odd, ibm, added, sj(u8"メモ")}));
        EXPECT_TRUE(memo->toPlainText().endsWith(ui::tr8(u8"kanji\n") + ui::toQ(added) + "\n" +
                                                 ui::tr8(u8"メモ")));
        // Once saved, the next untouched close writes nothing.
        base::replaceFile(path, original);
        form.show();
        form.close();
        EXPECT_EQ(base::readFile(path), original);
    }
    EXPECT_EQ(base::readFile(path), original);
}

TEST(TNamaLogForm, ShowsTheTableFromLineZeroWhenItIsShort) {
    std::vector<std::string> lines = {"", "ATZ", "OK", sj(u8"MAIN (残り60分)>")};
    int wp = 3;
    store::TNamaLogForm form([&]() -> const std::vector<std::string>& { return lines; },
                             [&] { return wp; });
    form.show();
    EXPECT_EQ(form.memo()->toPlainText(), "\nATZ\nOK\n" + ui::tr8(u8"MAIN (残り60分)>") + "\n");
    EXPECT_EQ(form.memo()->lineWrapMode(), QPlainTextEdit::NoWrap);
    // Shown again, it reads the table again.
    form.hide();
    lines.push_back("more");
    wp = 4;
    form.show();
    EXPECT_TRUE(form.memo()->toPlainText().endsWith("more\n"));
}

} // namespace
