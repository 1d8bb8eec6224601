// The transfer window offscreen: shown and closed by the model, the panels following a
// download, and "中断" aborting it.
#include "transfer/TProtForm.h"
#include "tests/transfer/FakeLine.h"
#include "ui/QtText.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using transfer::MlinkModel;
using ui::tr8;

namespace {

struct TransferWindow : ::testing::Test {
    transfer_test::Rig r;
    transfer::TProtForm form{r.model};
};

TEST_F(TransferWindow, IsAFixedAlwaysOnTopDialog) {
    EXPECT_EQ(form.windowTitle(), tr8(u8"ファイル転送"));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.size(), QSize(272, 223));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TransferWindow, ShowsADownloadAsItRunsAndClosesWhenDone) {
    r.model.MDOWN();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.panelText("RecvSize"), "0 / 0");
    EXPECT_EQ(form.panelText("TimeCount"), "0:0");
    r.advance(MlinkModel::kDownloadPauseMs);
    EXPECT_EQ(form.panelText("ProtName"), " < M-LINK DOWNLOAD > ");
    EXPECT_EQ(form.panelText("Label6"), tr8(u8"受信サイズ(Byte)"));
    r.line.receive("BIG.BIN 10240 26:12:02 12:00:00\r");
    EXPECT_EQ(form.panelText("Filename"), "DOWNLOAD\\BIG.BIN");
    EXPECT_EQ(form.progressMaximum(), 10);
    r.advance(2000);
    r.line.receive(std::string(4096, 'x'));
    r.advance(150);
    EXPECT_EQ(form.panelText("RecvSize"), "4096 / 10240");
    EXPECT_EQ(form.panelText("Block"), "4 / 10");
    EXPECT_EQ(form.progressValue(), 4);
    EXPECT_EQ(form.panelText("TimeCount"), "0:2");
    EXPECT_EQ(form.panelText("Speed"), "2048");
    EXPECT_EQ(form.panelText("LeftTime"), "0:3");
    r.line.receive(std::string(6144, 'x'));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TransferWindow, AbortButtonAbortsTheTransfer) {
    r.model.MDOWN();
    r.advance(MlinkModel::kDownloadPauseMs);
    r.line.receive("BIG.BIN 10240 26:12:02 12:00:00\r");
    r.line.take();
    auto* abort = form.findChild<QPushButton*>("ABORT");
    ASSERT_NE(abort, nullptr);
    EXPECT_EQ(abort->text(), tr8(u8"中断"));
    QTest::mouseClick(abort, Qt::LeftButton);
    EXPECT_EQ(r.line.take(), "A\b");
    EXPECT_FALSE(r.model.busy());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TransferWindow, ASmallFileShowsAnEmptyBarNotABusyOne) {
    r.model.MDOWN();
    r.advance(MlinkModel::kDownloadPauseMs);
    r.line.receive("SMALL.TXT 100 26:12:02 12:00:00\r");
    EXPECT_GE(form.progressMaximum(), 1);
    EXPECT_EQ(form.progressValue(), 0);
}

} // namespace
