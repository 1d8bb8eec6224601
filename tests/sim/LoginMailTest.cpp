// Login, the mail waiting at login (text and binary, kept and deleted) and logout, played
// the way the auto-pilot answers them.
#include "base/Sjis.h"
#include "sim/HostText.h"
#include "tests/sim/SimClient.h"

#include <gtest/gtest.h>

using base::sj;
using simtest::screenLines;
using simtest::SimClient;

TEST(Login, PromptsHaveNoLineEndAndThePasswordIsNotEchoed) {
    SimClient c;
    c.connect();
    ASSERT_TRUE(c.waitFor("User ID  = ", 2000));
    std::string banner = c.take();
    EXPECT_EQ(banner.substr(banner.size() - 11), "User ID  = ");
    EXPECT_NE(banner.find(sj(u8"TARNO デモネット  へようこそ")), std::string::npos);
    c.type("TARNO001\r");
    EXPECT_EQ(c.take(), "TARNO001\r\nPassword = ");
    c.type("tarno\r");
    std::string after = c.take();
    EXPECT_EQ(after.find("tarno"), std::string::npos);
    EXPECT_EQ(after.substr(0, 2), "\r\n");
    EXPECT_NE(after.find(sj(u8"前回のログイン: 26/12/04 21:00:00")), std::string::npos);
    EXPECT_EQ(c.sim.record().logins, (std::vector<std::string>{"TARNO001"}));
}

TEST(Login, ThreeWrongPasswordsDropTheLine) {
    SimClient c;
    c.connect();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(c.waitFor("User ID  = ", 2000));
        c.take();
        c.type("TARNO001\r");
        c.type("wrong\r");
    }
    EXPECT_NE(c.take().find(sj(u8"IDまたはパスワードが違います。")), std::string::npos);
    EXPECT_FALSE(c.carrier());
    EXPECT_TRUE(c.sim.record().logins.empty());
}

TEST(MailAtLogin, TextMailThenBinaryMailAreReadTransferredAndDeleted) {
    SimClient c;
    std::string first = c.login();
    EXPECT_EQ(screenLines(first).back(), sj(u8"未読のメールが 2 通あります [RET]:読む>"));

    c.type("\r");
    std::vector<std::string> mail = screenLines(c.take());
    std::vector<std::string> expected = {
        "",
        "Private Message is from: TARNO002 " + sj(u8"はなこ"),
        "Time: 26/12/06 08:00:00",
        "Subj: " + sj(u8"今度のオフ会"),
        sj(u8"はなこです。"),
        sj(u8"今度のオフ会は 12 月 20 日です。"),
        sj(u8"このメールを削除しますか (Y/N)>"),
    };
    EXPECT_EQ(mail, expected);
    c.type("Y\r");
    EXPECT_EQ(screenLines(c.take()).back(), sj(u8"未読のメールが 1 通あります [RET]:読む>"));

    c.type("\r");
    std::vector<std::string> bmail = screenLines(c.take());
    EXPECT_EQ(bmail[bmail.size() - 2], sj(u8"添付ファイル: SETUP.DAT (2048 bytes)"));
    EXPECT_EQ(bmail.back(), "BMAIL (M:MLINK" + sj(u8"で受信 0:受信しない)>"));
    c.type("M\r");
    EXPECT_EQ(c.take(), "M\r\n" + sj(u8"CTRL-X で中断します。") + "\r\n");
    std::string data;
    EXPECT_EQ(c.mlinkReceive(data), "SETUP.DAT 2048 26:12:07 09:00:00");
    EXPECT_EQ(data, sim::generatedContent(2048));
    ASSERT_TRUE(c.waitFor(sj(u8"削除しますか"), 1000));
    EXPECT_EQ(screenLines(c.take()),
              (std::vector<std::string>{sj(u8"転送終了しました。"),
                                        sj(u8"このメールを削除しますか (Y/N)>")}));
    c.type("Y\r");
    EXPECT_NE(screenLines(c.take()).back().find("MAIN ("), std::string::npos);

    const sim::SessionRecord& r = c.sim.record();
    ASSERT_EQ(r.deletedMail.size(), 2u);
    EXPECT_EQ(r.deletedMail[0].serial, 1);
    EXPECT_EQ(r.deletedMail[1].serial, 2);
    ASSERT_EQ(r.downloads.size(), 1u);
    EXPECT_TRUE(r.downloads[0].binaryMail);
    EXPECT_TRUE(r.downloads[0].complete);
    EXPECT_EQ(r.downloads[0].bytesSent, 2048u);
    EXPECT_TRUE(c.sim.data().mail.empty());
}

TEST(MailAtLogin, AbortedBinaryMailIsReportedAsFailedAndCanBeKept) {
    SimClient c;
    c.login();
    c.type("\r");
    c.type("N\r"); // keep the text mail
    c.type("\r");
    c.type("M\r");
    c.take();
    c.type("M");
    ASSERT_TRUE(c.waitFor("SETUP.DAT", 100));
    c.type("A\b"); // the terminal could not create the file
    c.advance(1999);
    EXPECT_EQ(c.all().find(sj(u8"失敗")), std::string::npos);
    c.advance(1);
    EXPECT_EQ(screenLines(c.take()),
              (std::vector<std::string>{"SETUP.DAT 2048 26:12:07 09:00:00",
                                        sj(u8"ファイル転送に失敗しました。"),
                                        sj(u8"このメールを削除しますか (Y/N)>")}));
    c.type("N\r");
    EXPECT_NE(c.take().find("MAIN ("), std::string::npos);
    EXPECT_EQ(c.sim.data().mail.size(), 2u);
    EXPECT_TRUE(c.sim.record().deletedMail.empty());
    EXPECT_FALSE(c.sim.record().downloads.at(0).complete);

    // The next login shows both again.
    c.type("Q\r\r");
    c.advance(2000);
    EXPECT_NE(screenLines(c.login()).back().find(sj(u8"2 通あります")), std::string::npos);
}

TEST(Logout, SaysGoodbyeAndDropsTheLineASecondLater) {
    SimClient c;
    c.loginToMenu();
    c.type("Q\r\r");
    std::vector<std::string> lines = screenLines(c.take());
    EXPECT_EQ(lines[0], "Q");
    EXPECT_EQ(lines[1], sj(u8"ログアウトしますか (RET:はい N:いいえ)>"));
    EXPECT_EQ(lines[2], sj(u8"ご利用ありがとうございました。"));
    EXPECT_TRUE(c.carrier());
    c.advance(999);
    EXPECT_TRUE(c.carrier());
    c.advance(1);
    EXPECT_FALSE(c.carrier());
    EXPECT_EQ(c.take(), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(c.sim.record().logouts, 1);
}

TEST(Logout, AnsweringNoStaysLoggedIn) {
    SimClient c;
    c.loginToMenu();
    c.type("Q\rN\r");
    c.advance(5000);
    EXPECT_TRUE(c.carrier());
    EXPECT_NE(c.take().rfind("MAIN ("), std::string::npos);
}
