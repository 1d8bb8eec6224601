// Uploads against a scripted host: the pause, the ready and OK signs, the header, the
// 1024-byte blocks every 200 ms and the end mark, and every way the handshake and the data
// phase can fail.
#include "base/LineFile.h"
#include "tests/transfer/FakeLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using base::sj;
using transfer::MlinkModel;
using transfer_test::Rig;

namespace {

std::string content(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

struct Upload : ::testing::Test {
    Rig r;
    void file(const std::string& name, const std::string& bytes) {
        base::replaceFile(r.dir.file(name), bytes);
    }
    // MUP, the pause, the ready sign; returns the header sent.
    std::string toHeader(const std::string& path) {
        r.model.MUP(path);
        r.advance(MlinkModel::kUploadPauseMs);
        r.line.receive("M");
        return r.line.take();
    }
};

TEST_F(Upload, EmptyFileSendsSizeZeroAndFinishesOnTheFirstTickWithCr) {
    file("EMPTY.TXT", "");
    r.model.MUP("EMPTY.TXT");
    EXPECT_EQ(r.line.mode, 1);
    EXPECT_EQ(r.window.calls, (std::vector<std::string>{"show"}));
    r.advance(MlinkModel::kUploadPauseMs - 1);
    r.line.receive("M"); // too early: the pause is not over, the byte waits in the ring
    EXPECT_EQ(r.line.take(), "");
    r.advance(1);
    EXPECT_EQ(r.model.display().protName, " < M-LINK UPLOAD > ");
    EXPECT_EQ(r.model.display().sizeLabel, sj(u8"送信サイズ"));
    EXPECT_EQ(r.line.take(), "EMPTY.TXT 0 80:00:00 00:00:00\r");
    EXPECT_EQ(r.model.display().filename, "EMPTY.TXT");
    r.line.receive("M");
    EXPECT_EQ(r.line.mode, 3);
    EXPECT_FALSE(r.line.uploadSent);
    r.advance(MlinkModel::kUploadTickMs - 1);
    EXPECT_EQ(r.line.take(), "");
    r.advance(1);
    EXPECT_EQ(r.line.take(), "\r");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    EXPECT_EQ(r.window.calls, (std::vector<std::string>{"show", "close"}));
    EXPECT_TRUE(r.line.errors.empty());
}

TEST_F(Upload, ThreeThousandBytesGoOutAs1024And1024And952ThenCr) {
    const std::string data = content(3000);
    file("DATA.BIN", data);
    EXPECT_EQ(toHeader("DATA.BIN"), "DATA.BIN 3000 80:00:00 00:00:00\r");
    r.line.receive("M");
    const size_t before = r.line.sends.size();
    const std::int64_t start = r.loop.nowMs();
    r.advance(200);
    EXPECT_EQ(r.model.display().recvSize, "1024 / 3000");
    EXPECT_EQ(r.model.display().block, "1 / 2");
    EXPECT_EQ(r.model.display().progress, 1);
    EXPECT_EQ(r.model.display().progressMax, 2);
    r.advance(400);
    ASSERT_EQ(r.line.sends.size(), before + 4);
    EXPECT_EQ(r.line.sends[before].size(), 1024u);
    EXPECT_EQ(r.line.sends[before + 1].size(), 1024u);
    EXPECT_EQ(r.line.sends[before + 2].size(), 952u);
    EXPECT_EQ(r.line.sends[before + 3], "\r");
    EXPECT_EQ(r.line.sendAt[before] - start, 200);
    EXPECT_EQ(r.line.sendAt[before + 1] - start, 400);
    EXPECT_EQ(r.line.sendAt[before + 2] - start, 600);
    EXPECT_EQ(r.line.sendAt[before + 3] - start, 600);
    EXPECT_EQ(r.line.take(), data + "\r");
    EXPECT_EQ(r.line.mode, 0);
    r.advance(1000);
    EXPECT_EQ(r.line.take(), ""); // the pump stopped
}

TEST_F(Upload, AnnouncesAtMost12BytesOfTheFileNameNeverSplittingACharacter) {
    std::filesystem::create_directories(r.dir.file("SUB"));
    file("SUB/LONGFILENAME.TXT", "abc");
    // A stored path with "\" separators, relative to the data folder.
    EXPECT_EQ(toHeader("SUB\\LONGFILENAME.TXT"), "LONGFILENAME 3 80:00:00 00:00:00\r");
    r.model.ABORTClick();
    r.line.take();

    file("ABCDEFGHIJKLM", "x"); // 13 characters: the first 12 are announced
    EXPECT_EQ(toHeader("ABCDEFGHIJKLM"), "ABCDEFGHIJKL 1 80:00:00 00:00:00\r");
    r.model.ABORTClick();
    r.line.take();

    // 11 bytes of whole characters, then one that would need bytes 12 and 13.
    const std::string jp = "A" + sj(u8"写真のファイル.TXT");
    file(jp, "xy");
    EXPECT_EQ(toHeader(jp), "A" + sj(u8"写真のファ") + " 2 80:00:00 00:00:00\r");
}

TEST_F(Upload, AShiftJisPathFindsTheFileUnderItsUtf8Name) {
    file(base::toUtf8(sj(u8"写真.JPG")), "jpg");
    EXPECT_EQ(toHeader(sj(u8"写真.JPG")), sj(u8"写真.JPG") + " 3 80:00:00 00:00:00\r");
}

// Every failure of the handshake: its status (in the error log too, with the date), the
// bytes sent after the header, the host's bytes back to the terminal, and the line given
// back in terminal mode with the window closed.
TEST_F(Upload, EachHandshakeFailureEndsWithItsStatusAndBytes) {
    struct Row {
        const char* what;
        std::string path;
        std::function<void(Rig&)> host; // what happens after the pause
        std::u8string status;
        std::string sentAfterHeader;
        std::string text;
    };
    const std::string failed = sj(u8"ファイル転送に失敗しました。") + "\r\n";
    const Row rows[] = {
        {"missing file", "C:\\DATA\\NOPE.TXT", [](Rig&) {},
         u8"[MLINK] UP  <C:\\DATA\\NOPE.TXT> ファイルが存在しません.", "", ""},
        {"no ready sign", "A.TXT", [](Rig& r) { r.advance(MlinkModel::kReadySignMs); },
         u8"[MLINK] -ヘッダ送信- ｱｯﾌﾟﾛｰﾄﾞ : 時間切れ.", "", ""},
        {"wrong ready sign", "A.TXT", [&](Rig& r) { r.line.receive(failed); },
         u8"[MLINK] -ヘッダ送信- 相手側から中止されました.", "", failed},
        {"no OK sign", "A.TXT",
         [](Rig& r) {
             r.line.receive("M");
             r.advance(MlinkModel::kOkSignMs);
         },
         u8"[MLINK] -転送OKサイン待機- ﾀｲﾑｱｳﾄによりアップロードを中止しました.", "A\b", ""},
        {"wrong OK sign", "A.TXT",
         [](Rig& r) {
             r.line.receive("M");
             r.line.receive("A\b");
         },
         u8"[MLINK] -転送OKサイン待機- 相手側から中止されました.", "", "A\b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Rig r;
        base::replaceFile(r.dir.file("A.TXT"), "a");
        r.model.MUP(row.path);
        r.advance(MlinkModel::kUploadPauseMs);
        row.host(r);
        const std::string status = sj(row.status);
        EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
        EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
        const std::string header = "A.TXT 1 80:00:00 00:00:00\r";
        std::string sent = r.line.take();
        if (sent.rfind(header, 0) == 0)
            sent.erase(0, header.size());
        EXPECT_EQ(sent, row.sentAfterHeader);
        EXPECT_EQ(r.line.text, row.text);
        EXPECT_EQ(r.line.mode, 0);
        EXPECT_FALSE(r.model.visible());
        r.advance(1000);
        EXPECT_EQ(r.line.take(), ""); // no data went out
    }
}

TEST_F(Upload, ReadySignsQueuedBeforeTheHeaderAreNotItsOkSign) {
    file("A.TXT", "a");
    r.model.MUP("A.TXT");
    r.advance(MlinkModel::kUploadPauseMs);
    r.line.receive("MM");
    EXPECT_EQ(r.line.take(), "A.TXT 1 80:00:00 00:00:00\r");
    EXPECT_EQ(r.model.phase(), MlinkModel::Phase::UpWaitOk);
    r.line.receive("M");
    EXPECT_EQ(r.model.phase(), MlinkModel::Phase::UpData);
}

TEST_F(Upload, FileThatShrinksWhileSendingEndsWithTheReadErrorAndCr) {
    file("BIG.BIN", content(3000));
    toHeader("BIG.BIN");
    r.line.receive("M");
    r.advance(200);
    r.line.take();
    std::filesystem::resize_file(r.dir.file("BIG.BIN"), 1500);
    r.advance(200);
    EXPECT_EQ(r.line.take(), "\r");
    const std::string status =
        sj(u8"MLINK プロトコル 送信／ファイル読み込みエラーまたは送信エラー") +
        "BIG.BINSize 3000 Reading Size 1024 ";
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"plain:" + status});
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    r.advance(1000);
    EXPECT_EQ(r.line.take(), "");
}

TEST_F(Upload, ASlowLineHoldsThePumpBackAndTheUploadEndsOnceAllHasLeft) {
    const std::string data = content(3000);
    file("DATA.BIN", data);
    toHeader("DATA.BIN");
    r.line.receive("M");
    r.line.backlog = 3073; // one more block would overfill the line's queue
    r.advance(200);
    EXPECT_EQ(r.line.take(), "");
    r.line.backlog = 3072; // room for exactly one block
    r.advance(200);
    EXPECT_EQ(r.line.take(), data.substr(0, 1024));
    r.line.backlog = 0;
    r.advance(200);
    EXPECT_EQ(r.line.take(), data.substr(1024, 1024));
    // The last block goes, but it is still on its way: no end, no CR yet.
    r.line.backlog = 952;
    r.advance(200);
    EXPECT_EQ(r.line.take(), data.substr(2048));
    r.advance(200);
    EXPECT_EQ(r.line.take(), "");
    EXPECT_EQ(r.line.mode, 3);
    EXPECT_TRUE(r.model.visible());
    r.line.backlog = 0;
    r.advance(200);
    EXPECT_EQ(r.line.take(), "\r");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    EXPECT_TRUE(r.line.errors.empty());
}

TEST_F(Upload, AFailedSendEndsTheUploadWithItsErrorStatus) {
    const std::string status =
        sj(u8"MLINK プロトコル 送信／ファイル読み込みエラーまたは送信エラー") +
        "DATA.BINSize 3000 Reading Size 1024 ";
    // The line fails while a block goes out, or between two blocks.
    for (const bool duringSend : {true, false}) {
        Rig rig;
        base::replaceFile(rig.dir.file("DATA.BIN"), content(3000));
        rig.model.MUP("DATA.BIN");
        rig.advance(MlinkModel::kUploadPauseMs);
        rig.line.receive("M");
        rig.line.receive("M");
        rig.advance(200); // the first block
        if (duringSend)
            rig.line.sendsUntilFailure = 0;
        else
            rig.line.failed = true;
        rig.advance(200);
        EXPECT_EQ(rig.line.statuses, std::vector<std::string>{status}) << duringSend;
        EXPECT_EQ(rig.line.errors, std::vector<std::string>{"plain:" + status});
        EXPECT_EQ(rig.line.mode, 0);
        EXPECT_FALSE(rig.model.visible());
        EXPECT_FALSE(rig.model.busy());
    }
}

TEST_F(Upload, MoreThanTenBytesFromTheHostAbortTheUpload) {
    file("BIG.BIN", content(5000));
    toHeader("BIG.BIN");
    r.line.receive("M");
    r.advance(200);
    r.line.take();
    r.line.receive("0123456789"); // ten bytes: noise, dropped
    EXPECT_EQ(r.line.mode, 3);
    r.line.receive("0123456789X");
    EXPECT_EQ(r.line.take(), "A\b");
    const std::string status = sj(u8"ファイル転送を中止します.");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    r.advance(1000);
    EXPECT_EQ(r.line.take(), "");
}

TEST_F(Upload, ASecondStartWhileOneRunsIsIgnored) {
    file("A.TXT", "a");
    r.model.MUP("A.TXT");
    r.model.MDOWN();
    r.model.MUP("B.TXT");
    r.advance(MlinkModel::kUploadPauseMs);
    r.line.receive("M");
    EXPECT_EQ(r.line.take(), "A.TXT 1 80:00:00 00:00:00\r");
}

} // namespace

TEST_F(Upload, AByteAfterARepeatedReadySignIsTakenAsTheAnswerToTheHeader) {
    // The second "M" came before the header went out, so it cannot be the OK sign: the
    // host's answer to the header is the byte after it.
    file("A.TXT", "a");
    r.model.MUP("A.TXT");
    r.advance(MlinkModel::kUploadPauseMs);
    r.line.receive("MM");
    EXPECT_EQ(r.line.take(), "A.TXT 1 80:00:00 00:00:00\r");
    r.line.receive("X");
    EXPECT_NE(r.model.phase(), MlinkModel::Phase::UpData);
    const std::string status = sj(u8"[MLINK] -転送OKサイン待機- 相手側から中止されました.");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    r.advance(1000);
    EXPECT_EQ(r.line.take(), ""); // no data went out
}

TEST_F(Upload, AFolderIsNoFileToUpload) {
    std::filesystem::create_directories(r.dir.file("SUB"));
    r.model.MUP("SUB");
    r.advance(MlinkModel::kUploadPauseMs);
    const std::string status = sj(u8"[MLINK] UP  <SUB> ファイルが存在しません.");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
    r.line.receive("M");
    r.line.receive("M");
    r.advance(1000);
    EXPECT_EQ(r.line.take(), ""); // no header, no data
    EXPECT_FALSE(r.model.visible());
}
