// MLINK on the wire in both directions: files of 0, 1024 and 3000 bytes, the handshake
// bytes exactly, the abort "A\b", the host's faults, hostile header names and a line
// dropped halfway.
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/Fixture.h"
#include "sim/HostText.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using base::sj;
using simtest::screenLines;
using simtest::SimClient;

namespace {

std::string ctrlX() {
    return sj(u8"CTRL-X で中断します。") + "\r\n";
}

// Types a download command and checks the host stops after the announcement.
void startDownload(SimClient& c, const std::string& command) {
    std::string out = c.command(command, 100);
    ASSERT_GE(out.size(), ctrlX().size());
    ASSERT_EQ(out.substr(out.size() - ctrlX().size()), ctrlX()) << out;
}

// Types an upload command up to the announcement.
void startUpload(SimClient& c, const std::string& name) {
    c.take();
    c.type("F;01;MU;" + name + "\r");
    ASSERT_NE(c.take().find(sj(u8"コメント (1行)>")), std::string::npos);
    c.type(sj(u8"説明") + ";Y\r" + sj(u8"一行目") + "\r//\rS\r");
    std::string out = c.take();
    ASSERT_EQ(out.substr(out.size() - ctrlX().size()), ctrlX()) << out;
}

} // namespace

TEST(MlinkDownload, HeaderDataAndEndForEmptyExactBlockAndMultiBlockFiles) {
    struct Case {
        std::string command;
        std::string header;
        size_t size;
    };
    const Case cases[] = {
        {"F;02;MD1;Y;0\r", "EMPTY.TXT 0 26:12:02 12:00:00", 0},
        {"F;01;MD3;Y;0\r", "BLOCK.BIN 1024 26:12:06 18:00:00", 1024},
        {"F;" + sj(u8"ツール") + ";MD2;Y;0\r", "TOOL.LZH 3000 26:12:05 12:00:00", 3000},
    };
    SimClient c;
    c.loginToMenu();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.header);
        startDownload(c, k.command);
        c.advance(5000);
        EXPECT_EQ(c.take(), ""); // the host waits for the receiver's ready sign
        c.type("M");
        EXPECT_EQ(c.take(), k.header + "\r");
        c.type("M");
        std::string data = c.take();
        // Only an empty file is followed by the end mark.
        EXPECT_EQ(data, k.size == 0 ? "\r" : sim::generatedContent(k.size));
        c.type("E\r");
        std::vector<std::string> after = screenLines(c.take());
        EXPECT_EQ(after[0], sj(u8"転送終了しました。"));
        EXPECT_TRUE(base::startsWith(after[1], "FILE "));
        std::vector<std::string> back = screenLines(c.command("0;0\r"));
        EXPECT_TRUE(base::startsWith(back.back(), "MAIN ("));
        ASSERT_FALSE(c.sim.record().downloads.empty());
        const sim::DownloadRecord& d = c.sim.record().downloads.back();
        EXPECT_TRUE(d.complete);
        EXPECT_EQ(d.bytesSent, k.size);
    }
    EXPECT_EQ(c.sim.record().downloads.size(), 3u);
}

TEST(MlinkDownload, AbortFromTheTerminalIsReportedAsFailureLater) {
    SimClient c;
    c.loginToMenu();
    startDownload(c, "F;01;MD2;Y;0\r");
    c.type("M");
    c.take();
    c.type("A\b");
    c.advance(1999);
    EXPECT_EQ(c.take(), "");
    c.advance(1);
    std::vector<std::string> l = screenLines(c.take());
    EXPECT_EQ(l[0], sj(u8"ファイル転送に失敗しました。"));
    EXPECT_TRUE(base::startsWith(l[1], "FILE "));
    EXPECT_FALSE(c.sim.record().downloads.back().complete);
    EXPECT_EQ(c.sim.record().downloads.back().bytesSent, 0u);
}

TEST(MlinkUpload, ReadySignHeaderOkSignDataAndEndMarkForThreeSizes) {
    SimClient c;
    c.loginToMenu();
    const size_t sizes[] = {0, 1024, 3000};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        std::string name = "UP" + std::to_string(size) + ".DAT";
        startUpload(c, name);
        c.advance(1499);
        EXPECT_EQ(c.take(), "");
        c.advance(1);
        EXPECT_EQ(c.take(), "M");
        std::string data = sim::generatedContent(size);
        c.type(name + " " + std::to_string(size) + " 80:00:00 00:00:00\r");
        EXPECT_EQ(c.take(), "M");
        for (size_t at = 0; at < size; at += 1024) {
            c.type(data.substr(at, 1024));
            EXPECT_EQ(c.take(), ""); // nothing until the end mark
        }
        c.type("\r");
        EXPECT_EQ(screenLines(c.take())[0], sj(u8"転送終了しました。"));
        c.command("0;0\r");

        const sim::UploadRecord& u = c.sim.record().uploads.back();
        EXPECT_TRUE(u.complete);
        EXPECT_EQ(u.headerName, name);
        EXPECT_EQ(u.declaredSize, static_cast<long>(size));
        EXPECT_EQ(u.bytes, data);
        EXPECT_EQ(u.comment, sj(u8"説明"));
        EXPECT_EQ(u.description, (base::Lines{sj(u8"一行目")}));
        const sim::HostFile& f = c.sim.data().fileBoards[0].files.back();
        EXPECT_EQ(f.name, name);
        EXPECT_EQ(f.content, data);
    }
    EXPECT_EQ(c.sim.data().fileBoards[0].files.size(), 6u);
}

TEST(MlinkUpload, ReadySignRepeatsUntilAHeaderComesAndSameNameAsksFirst) {
    SimClient c;
    c.loginToMenu();
    c.take();
    c.type("F;01;MU;README.TXT\r");
    EXPECT_EQ(screenLines(c.take()).back(), sj(u8"同名ファイルがあります。いいですか (Y/N)>"));
    c.type("Y;" + sj(u8"差し替え") + ";Y\r//\rS\r");
    c.take();
    c.advance(1500 + 2000 + 2000);
    EXPECT_EQ(c.take(), "MMM");
    c.type("README.TXT 3 80:00:00 00:00:00\rabc\r");
    c.advance(10000);
    // The OK sign, then the end of the transfer: no more ready signs after the header.
    EXPECT_EQ(screenLines(c.take())[0], "M" + sj(u8"転送終了しました。"));
    EXPECT_EQ(c.sim.data().fileBoards[0].files[0].content, "abc");
    EXPECT_EQ(c.sim.data().fileBoards[0].files.size(), 3u);
}

TEST(MlinkUpload, BinaryMailGoesTheSameWay) {
    SimClient c;
    c.loginToMenu();
    c.take();
    c.type("EB;TARNO002\r");
    std::string prompt = screenLines(c.take()).back();
    EXPECT_NE(prompt.find(":end"), std::string::npos);
    EXPECT_EQ(prompt.find(sj(u8"同報")), std::string::npos);
    c.type("DATA.BIN\rY;Y\r" + sj(u8"写真です") + "\r//\rS\rM\r");
    std::string announced = c.take();
    ASSERT_EQ(announced.substr(announced.size() - ctrlX().size()), ctrlX());
    std::string data = sim::generatedContent(1500);
    ASSERT_TRUE(c.mlinkSend("DATA.BIN", data));
    ASSERT_TRUE(c.waitFor(sj(u8"転送終了しました。"), 100));
    const sim::UploadRecord& u = c.sim.record().uploads.back();
    EXPECT_TRUE(u.binaryMail);
    EXPECT_EQ(u.to, "TARNO002");
    EXPECT_EQ(u.name, "DATA.BIN");
    EXPECT_EQ(u.bytes, data);
    EXPECT_EQ(u.description, (base::Lines{sj(u8"写真です")}));

    sim::SimOptions o;
    o.host.groupMail = true;
    SimClient g(o);
    g.loginToMenu();
    g.take();
    g.type("EB;TARNO002\r");
    std::string first = screenLines(g.take()).back();
    EXPECT_NE(first.find(":end"), std::string::npos);
    EXPECT_NE(first.find(sj(u8"同報")), std::string::npos);
}

TEST(MlinkFaults, CancelSilenceAndReportedFailure) {
    using F = sim::HostOptions::MlinkFault;
    {
        sim::SimOptions o;
        o.host.mlinkFault = F::Cancel;
        SimClient c(o);
        c.loginToMenu();
        startDownload(c, "F;01;MD1;Y;0\r");
        c.type("M");
        EXPECT_EQ(c.take(), "A\b");
        // The terminal reads for a header twice, ten seconds each: the report waits until
        // it has given up, or it would be taken for a header.
        c.advance(20000);
        EXPECT_EQ(c.take(), "");
        c.advance(1000);
        EXPECT_NE(c.take().find(sj(u8"ファイル転送に失敗しました。")), std::string::npos);
        c.command("0;0\r");
        startUpload(c, "X.DAT");
        c.advance(1500);
        EXPECT_EQ(c.take(), "A\b"); // instead of the ready sign
        c.advance(2000);
        EXPECT_NE(c.take().find(sj(u8"ファイル転送に失敗しました。")), std::string::npos);
    }
    {
        sim::SimOptions o;
        o.host.mlinkFault = F::Silent;
        SimClient c(o);
        c.loginToMenu();
        startUpload(c, "X.DAT");
        c.advance(59999);
        EXPECT_EQ(c.take(), "");
        c.advance(1 + 2000);
        EXPECT_NE(c.take().find(sj(u8"失敗")), std::string::npos);
        c.command("0;0\r");
        startDownload(c, "F;01;MD1;Y;0\r");
        c.type("M");
        c.advance(30000);
        EXPECT_EQ(c.take(), "");
    }
    {
        sim::SimOptions o;
        o.host.mlinkFault = F::Fail;
        SimClient c(o);
        c.loginToMenu();
        startUpload(c, "X.DAT");
        ASSERT_TRUE(c.mlinkSend("X.DAT", "hello"));
        c.advance(2000);
        std::string out = c.take();
        EXPECT_NE(out.find(sj(u8"失敗")), std::string::npos);
        EXPECT_EQ(out.find(sj(u8"転送終了")), std::string::npos);
        EXPECT_FALSE(c.sim.record().uploads.back().complete);
        EXPECT_EQ(c.sim.data().fileBoards[0].files.size(), 3u); // not registered
    }
}

TEST(MlinkFaults, HostileHeaderNames) {
    using H = sim::HostOptions::HostileName;
    const std::pair<H, std::string> cases[] = {
        {H::Path, "../../tmp/README.TXT"},
        {H::DotDot, ".."},
        {H::LeadingDot, ".profile"},
        {H::Control, "EV\x07IL\x1bREADME.TXT"},
    };
    for (const auto& [kind, name] : cases) {
        sim::SimOptions o;
        o.host.hostileName = kind;
        SimClient c(o);
        c.loginToMenu();
        startDownload(c, "F;01;MD1;Y;0\r");
        c.type("M");
        EXPECT_EQ(c.take(), name + " 95 26:12:01 10:30:00\r");
        EXPECT_EQ(c.sim.record().downloads.back().headerName, name);
    }
}

TEST(MlinkFaults, LineDroppedHalfwayThroughTheData) {
    sim::SimOptions o;
    o.host.dropAt = sim::HostOptions::DropPoint::Transfer;
    SimClient c(o);
    c.loginToMenu();
    startDownload(c, "F;01;MD2;Y;0\r");
    c.type("M");
    c.take();
    c.type("M");
    EXPECT_EQ(c.take(), sim::generatedContent(3000).substr(0, 1500) + "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(c.carrier());
    EXPECT_EQ(c.sim.record().downloads.back().bytesSent, 1500u);
    EXPECT_FALSE(c.sim.record().downloads.back().complete);

    SimClient up(o);
    up.loginToMenu();
    startUpload(up, "X.DAT");
    up.advance(1500);
    up.take();
    up.type("X.DAT 2000 80:00:00 00:00:00\r");
    up.type(std::string(999, 'a'));
    EXPECT_TRUE(up.carrier());
    up.type("a");
    EXPECT_FALSE(up.carrier());
    EXPECT_EQ(up.sim.record().uploads.back().bytes.size(), 1000u);
}
