// The program's windows wired together, in a data folder of the test's own: what happens
// between windows when nobody is at the keyboard.
#include "app/App.h"

#include "base/LineFile.h"
#include "base/Sjis.h"
#include "shell/NetList.h"
#include "shell/TFrameForm.h"
#include "tests/support/TempDir.h"
#include "ui/QtText.h"
#include "viewers/TMailForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>

#include <gtest/gtest.h>

using base::sj;

namespace {

// The program keeps its files in the working folder: each test gets a fresh one.
struct DataFolder {
    testing_support::TempDir dir;
    QString before = QDir::currentPath();
    DataFolder() {
        base::Lines net = {"ALPHA", "NA", "999", "0", "ID", "PW", "H", "KTBBS", "", ""};
        base::replaceLines(dir.file(shell::NetList::kFileName), net);
        base::replaceLines(dir.file("Timer.dat"), {});
        QDir::setCurrent(QString::fromStdString(dir.path()));
    }
    ~DataFolder() { QDir::setCurrent(before); }
};

int openMailViewers(app::App& app) {
    return static_cast<int>(app.frame().findChildren<viewers::TMailForm*>().size());
}

} // namespace

TEST(App, TheMailQuestionAfterAnImportWaitsForNobody) {
    DataFolder folder;
    app::App app;
    const std::string question = sj(u8"メールを取り込みました(^^;メールBOXを開きますか?");
    app.offerMailBox(question);
    QMessageBox* box = app.mailQuestion();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), ui::tr8(u8"質問です．"));
    EXPECT_EQ(box->text(), ui::toQ(question));
    // Nothing waits on it: no modal box, and the timer may start a run.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(app.mayStartRun());

    // A run that starts meanwhile closes it unanswered; the next import asks again.
    app.showTerminal();
    QApplication::processEvents();
    EXPECT_EQ(app.mailQuestion(), nullptr);
    EXPECT_EQ(openMailViewers(app), 0);
    app.hideTerminal();

    app.offerMailBox(question);
    ASSERT_NE(app.mailQuestion(), nullptr);
    app.mailQuestion()->button(QMessageBox::Yes)->click();
    QApplication::processEvents();
    EXPECT_EQ(app.mailQuestion(), nullptr);
    EXPECT_EQ(openMailViewers(app), 1);

    app.offerMailBox(question);
    app.mailQuestion()->button(QMessageBox::No)->click();
    QApplication::processEvents();
    EXPECT_EQ(openMailViewers(app), 1);
}

TEST(App, WhatTheClockCouldNotDoIsAStatusTextAndAnErrorLogLine) {
    DataFolder folder;
    app::App app;
    const std::string text = sj(u8"タイマー予約 1 行目: ネット番号 05 のネットはありません．");
    app.report(text);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    auto* status = app.frame().findChild<QLabel*>("Status");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), ui::toQ(text));
    ASSERT_EQ(app.errorLog().lines().size(), 1u);
    EXPECT_NE(app.errorLog().lines()[0].find(text), std::string::npos);
    const base::Lines onDisk = base::readLines(folder.dir.file("ERROR.LOG"));
    EXPECT_EQ(onDisk, app.errorLog().lines());
}
