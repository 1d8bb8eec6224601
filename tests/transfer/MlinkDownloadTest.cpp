// Downloads against a scripted host: the pause, the two header reads, the OK sign, exactly
// the announced bytes into DOWNLOAD, the end mark, the refused headers and names, the
// abort, and the progress panels with the inactivity abort.
#include "base/LineFile.h"
#include "tests/transfer/FakeLine.h"
#include "transfer/MlinkHeader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using base::sj;
using transfer::MlinkModel;
using transfer::numberedName;
using transfer_test::Rig;

namespace fs = std::filesystem;

namespace {

std::string content(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>((i * 13 + 5) & 0xFF);
    return s;
}

struct Download : ::testing::Test {
    Rig r;
    std::string downloads() const { return r.dir.file("DOWNLOAD"); }
    // Every entry of the data folder and below, relative, sorted.
    std::vector<std::string> tree() const {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(r.dir.path()))
            out.push_back(fs::relative(e.path(), r.dir.path()).string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // MDOWN up to the first ready sign.
    void start() {
        r.model.MDOWN();
        r.advance(MlinkModel::kDownloadPauseMs);
        ASSERT_EQ(r.line.take(), "M");
    }
    const std::string cannotCreate = sj(u8"[MLINK] ファイルを作成 または ダウンロードできません.");
};

TEST_F(Download, ReadmeOf2048BytesTakesExactlyItsSizeAndHandsTheRestToTheTerminal) {
    r.model.MDOWN();
    EXPECT_TRUE(r.model.visible());
    EXPECT_EQ(r.line.mode, 0); // terminal text until the pause is over
    r.advance(MlinkModel::kDownloadPauseMs - 1);
    EXPECT_EQ(r.line.take(), "");
    r.advance(1);
    EXPECT_EQ(r.line.take(), "M");
    EXPECT_EQ(r.line.mode, 1);
    EXPECT_EQ(r.model.display().protName, " < M-LINK DOWNLOAD > ");
    EXPECT_EQ(r.model.display().sizeLabel, sj(u8"受信サイズ(Byte)"));

    r.line.receive("README.TXT 2048 ");
    EXPECT_EQ(r.line.take(), ""); // half a header
    r.line.receive("26:12:02 12:00:00\r");
    EXPECT_EQ(r.line.take(), "M");
    EXPECT_EQ(r.line.mode, 2);
    EXPECT_EQ(r.model.display().filename, "DOWNLOAD\\README.TXT");
    EXPECT_EQ(r.model.display().recvSize, "0 / 2048");
    EXPECT_EQ(r.model.display().progressMax, 2);

    const std::string data = content(2048);
    r.line.receive(data + "\r\n");
    EXPECT_EQ(r.line.take(), "E\r");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{sj(u8"[MLINK] すべて受信しました.")});
    EXPECT_TRUE(r.line.errors.empty());
    EXPECT_EQ(base::readFile(downloads() + "/README.TXT"), data);
    EXPECT_EQ(r.line.text, "\r\n");
    EXPECT_EQ(tree(), (std::vector<std::string>{"DOWNLOAD", "DOWNLOAD/README.TXT"}));
}

TEST_F(Download, EmptyFileIsCompleteWhenItsDataPhaseStarts) {
    start();
    r.line.receive("EMPTY.TXT 0 26:12:02 12:00:00\r");
    EXPECT_EQ(r.line.take(), "ME\r");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_TRUE(base::fileExists(downloads() + "/EMPTY.TXT"));
    EXPECT_EQ(fs::file_size(downloads() + "/EMPTY.TXT"), 0u);
    r.line.receive("\r"); // the sender's end mark is terminal text now
    EXPECT_EQ(r.line.text, "\r");
}

TEST_F(Download, TwoEmptyHeaderReadsTimeOut) {
    r.model.MDOWN();
    r.advance(MlinkModel::kDownloadPauseMs);
    EXPECT_EQ(r.line.take(), "M");
    r.advance(MlinkModel::kHeaderReadMs - 1);
    EXPECT_EQ(r.line.take(), "");
    r.advance(1);
    EXPECT_EQ(r.line.take(), "M");
    r.line.receive("\r"); // an empty line is no header either
    const std::string status = sj(u8"[MLINK] ﾀﾞｳﾝﾛｰﾄﾞ :  タイムアウト");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
    EXPECT_EQ(r.line.take(), "");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    EXPECT_FALSE(fs::exists(downloads()));
}

TEST_F(Download, SecondAttemptCanStillBringTheHeader) {
    start();
    r.advance(MlinkModel::kHeaderReadMs);
    EXPECT_EQ(r.line.take(), "M");
    r.line.receive("A.TXT 1 26:12:02 12:00:00\r");
    EXPECT_EQ(r.line.take(), "M");
    r.line.receive("z");
    EXPECT_EQ(base::readFile(downloads() + "/A.TXT"), "z");
}

TEST_F(Download, TheHostsFailureTextIsNoHeaderAndReachesTheTerminal) {
    start();
    const std::string failure =
        sj(u8"ファイル転送に失敗しました。") + "\r\n" + sj(u8"FILE 01 (残り58分)>");
    r.line.receive(failure);
    EXPECT_EQ(r.line.take(), "A\b"); // the sender is told, whatever state it is in
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{cannotCreate});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + cannotCreate});
    EXPECT_EQ(r.line.text, failure);
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(fs::exists(downloads()));
}

TEST_F(Download, RefusedHeadersAreAbortedAndCreateNothing) {
    const char* headers[] = {
        "X.TXT 12a 26:12:02 12:00:00\r",                   // size is not a number
        "X.TXT -5 26:12:02 12:00:00\r",                    // nor is this
        ".. 10 26:12:02 12:00:00\r",                       // nothing left of the name
        "/// 10 26:12:02 12:00:00\r",                      // nor here
        "HUGE.BIN 999999999999999999 26:12:02 12:00:00\r", // more than the disk holds
        "README.TXT\r",                                    // no size at all
        "NOSIZE  26:12:02 12:00:00\r",                     // an empty size field
    };
    for (const char* h : headers) {
        SCOPED_TRACE(h);
        r.line.statuses.clear();
        r.line.errors.clear();
        r.line.text.clear();
        start();
        r.line.receive(h);
        EXPECT_EQ(r.line.take(), "A\b");
        EXPECT_EQ(r.line.statuses, std::vector<std::string>{cannotCreate});
        EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + cannotCreate});
        EXPECT_EQ(r.line.mode, 0);
        EXPECT_FALSE(r.model.busy());
        // The line is the host's to the auto-pilot as much as any other it sends.
        EXPECT_EQ(r.line.text, h);
        for (const auto& e : tree())
            EXPECT_EQ(e, "DOWNLOAD");
    }
}

TEST_F(Download, AHeaderWithAStampOfAnyShapeIsDownloaded) {
    for (const std::string stamp : {" Wed Dec  2 12:00:00 2026", " ?", ""}) {
        SCOPED_TRACE(stamp);
        fs::remove_all(downloads());
        start();
        r.line.receive("STAMP.TXT 3" + stamp + "\r");
        EXPECT_EQ(r.line.take(), "M");
        r.line.receive("abc");
        EXPECT_EQ(r.line.take(), "E\r");
        EXPECT_EQ(base::readFile(downloads() + "/STAMP.TXT"), "abc");
    }
}

TEST_F(Download, AFileThatCannotBeCreatedIsAborted) {
    // A download folder that is a plain file.
    base::replaceFile(downloads(), "not a folder");
    start();
    r.line.receive("A.TXT 3 26:12:02 12:00:00\r");
    EXPECT_EQ(r.line.take(), "A\b");
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_EQ(base::readFile(downloads()), "not a folder");
}

// Two boards' files, or a file and a mail's, may share a name: the one already there stays.
TEST_F(Download, ANameAlreadyInTheFolderGetsAFreeNameOfTheSameShape) {
    fs::create_directories(downloads());
    base::replaceFile(downloads() + "/README.TXT", "first");
    base::replaceFile(downloads() + "/README~1.TXT", "second");
    start();
    r.line.receive("README.TXT 5 26:12:02 12:00:00\r");
    EXPECT_EQ(r.model.display().filename, "DOWNLOAD\\README~2.TXT");
    EXPECT_EQ(r.line.take(), "M");
    r.line.receive("third");
    EXPECT_EQ(r.line.take(), "E\r");
    EXPECT_EQ(base::readFile(downloads() + "/README.TXT"), "first");
    EXPECT_EQ(base::readFile(downloads() + "/README~1.TXT"), "second");
    EXPECT_EQ(base::readFile(downloads() + "/README~2.TXT"), "third");
    const std::string status =
        sj(u8"[MLINK] すべて受信しました. DOWNLOAD\\README.TXT は既にあるので "
           u8"DOWNLOAD\\README~2.TXT に保存しました.");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
    EXPECT_EQ(tree(), (std::vector<std::string>{"DOWNLOAD", "DOWNLOAD/README.TXT",
                                                "DOWNLOAD/README~1.TXT", "DOWNLOAD/README~2.TXT"}));
}

// Whatever holds the name (a folder, a link, a link to nothing) stays as it is.
TEST_F(Download, AFolderOrALinkUnderTheNameIsLeftAlone) {
    base::replaceFile(r.dir.file("outside.txt"), "keep");
    fs::create_directories(downloads() + "/TAKEN");
    fs::create_symlink("../outside.txt", downloads() + "/LINK.TXT");
    fs::create_symlink("../nowhere.txt", downloads() + "/DANGLING.TXT");
    for (const std::string name : {"TAKEN", "LINK.TXT", "DANGLING.TXT"}) {
        SCOPED_TRACE(name);
        start();
        r.line.receive(name + " 3 26:12:02 12:00:00\r");
        EXPECT_EQ(r.line.take(), "M");
        r.line.receive("abc");
        EXPECT_EQ(r.line.take(), "E\r");
        EXPECT_EQ(base::readFile(downloads() + "/" + numberedName(name, 1)), "abc");
    }
    EXPECT_TRUE(fs::is_directory(downloads() + "/TAKEN"));
    EXPECT_TRUE(fs::is_symlink(downloads() + "/LINK.TXT"));
    EXPECT_TRUE(fs::is_symlink(downloads() + "/DANGLING.TXT"));
    EXPECT_FALSE(fs::exists(r.dir.file("nowhere.txt")));
    EXPECT_EQ(base::readFile(r.dir.file("outside.txt")), "keep");
}

// A name taken while the data came (another program, a second terminal) is not replaced
// either: the file goes to the next free name.
TEST_F(Download, ANameTakenDuringTheTransferIsNotReplaced) {
    start();
    r.line.receive("RACE.TXT 3 26:12:02 12:00:00\r");
    EXPECT_EQ(r.model.display().filename, "DOWNLOAD\\RACE.TXT");
    base::replaceFile(downloads() + "/RACE.TXT", "theirs");
    r.line.receive("abc");
    EXPECT_EQ(r.line.take(), "ME\r");
    EXPECT_EQ(base::readFile(downloads() + "/RACE.TXT"), "theirs");
    EXPECT_EQ(base::readFile(downloads() + "/RACE~1.TXT"), "abc");
    EXPECT_EQ(r.model.display().filename, "DOWNLOAD\\RACE~1.TXT");
    ASSERT_EQ(r.line.statuses.size(), 1u);
    EXPECT_NE(r.line.statuses[0].find("RACE~1.TXT"), std::string::npos);
}

// The host takes "E\r" as the file being safe (it deletes the mail, the reservation goes):
// at that moment the whole file is under its final name on disk.
TEST_F(Download, TheEndMarkGoesOnlyOnceTheFileIsInPlace) {
    const std::string data = content(3000);
    std::vector<std::string> atEndMark;
    bool whole = false;
    r.line.onSend = [&](std::string_view b) {
        if (b != "E\r")
            return;
        atEndMark = tree();
        const std::string path = downloads() + "/DATA.BIN";
        whole = base::fileExists(path) && base::readFile(path) == data;
    };
    start();
    r.line.receive("DATA.BIN 3000 26:12:02 12:00:00\r");
    r.line.receive(data.substr(0, 1000));
    r.line.receive(data.substr(1000));
    EXPECT_EQ(r.line.take(), "ME\r");
    EXPECT_EQ(atEndMark, (std::vector<std::string>{"DOWNLOAD", "DOWNLOAD/DATA.BIN"}));
    EXPECT_TRUE(whole);
}

// A file that cannot be put in place (no room, a failing disk) is no download: the host
// hears "A\b" instead of "E\r", nothing of it stays, and the status says so.
TEST_F(Download, AFileThatCannotBeKeptIsAnsweredWithAbort) {
    using Step = MlinkModel::FileStep;
    struct Fault {
        Step step;
        int err;
    };
    for (const Fault f : {Fault{Step::Write, ENOSPC}, Fault{Step::Sync, EIO},
                          Fault{Step::Rename, EIO}, Fault{Step::Rename, ENOSPC}}) {
        SCOPED_TRACE(static_cast<int>(f.step));
        fs::remove_all(downloads());
        fs::create_directories(downloads());
        base::replaceFile(downloads() + "/OLD.TXT", "old");
        r.line.statuses.clear();
        r.line.errors.clear();
        r.line.text.clear();
        r.model.setFaultHook([f](Step s) { return s == f.step ? f.err : 0; });
        start();
        r.line.receive("OLD.TXT 2000 26:12:02 12:00:00\r");
        EXPECT_EQ(r.line.take(), "M");
        r.line.receive(content(1000));
        r.line.receive(content(1000) + "\r\n");
        EXPECT_EQ(r.line.take(), "A\b");
        EXPECT_EQ(r.line.statuses, std::vector<std::string>{cannotCreate});
        EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + cannotCreate});
        EXPECT_EQ(r.line.mode, 0);
        EXPECT_FALSE(r.model.busy());
        EXPECT_FALSE(r.model.visible());
        EXPECT_EQ(tree(), (std::vector<std::string>{"DOWNLOAD", "DOWNLOAD/OLD.TXT"}));
        EXPECT_EQ(base::readFile(downloads() + "/OLD.TXT"), "old");
        // The host's report after the abort is terminal text.
        r.line.receive("failed\r\n");
        EXPECT_NE(r.line.text.find("failed"), std::string::npos);
    }
    // Without the fault the same download goes through.
    r.model.setFaultHook({});
    start();
    r.line.receive("OLD.TXT 2 26:12:02 12:00:00\r");
    r.line.receive("ok");
    EXPECT_EQ(r.line.take(), "ME\r");
    EXPECT_EQ(base::readFile(downloads() + "/OLD~1.TXT"), "ok");
}

TEST_F(Download, AbortLeavesTheOldFileAndNoPartOfTheNewOne) {
    fs::create_directories(downloads());
    base::replaceFile(downloads() + "/README.TXT", "old");
    start();
    r.line.receive("README.TXT 2048 26:12:02 12:00:00\r");
    r.line.take();
    r.line.receive(content(1000));
    r.model.ABORTClick();
    EXPECT_EQ(r.line.take(), "A\b");
    const std::string status = sj(u8"ファイル転送を中止します.");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{status});
    EXPECT_EQ(r.line.errors, std::vector<std::string>{"stamped:" + status});
    EXPECT_EQ(r.line.mode, 0);
    EXPECT_FALSE(r.model.visible());
    EXPECT_EQ(base::readFile(downloads() + "/README.TXT"), "old");
    EXPECT_EQ(tree(), (std::vector<std::string>{"DOWNLOAD", "DOWNLOAD/README.TXT"}));
    // What comes after the abort is terminal text.
    r.line.receive("late");
    EXPECT_EQ(r.line.text, "late");
}

TEST_F(Download, TimeCountSpeedAndTimeLeftAfter65Seconds) {
    start();
    r.line.receive("SLOW.BIN 100000 26:12:02 12:00:00\r");
    for (int i = 0; i < 13; ++i) {
        r.advance(5000);
        r.line.receive(content(1000));
    }
    // 65 s after the data phase began; the progress timer has run since.
    r.advance(100);
    EXPECT_EQ(r.model.display().timeCount, "1:5");
    EXPECT_EQ(r.model.display().speed, "200"); // 13000 bytes in 65 s
    // (100000 - 13000) / 200 = 435 s
    EXPECT_EQ(r.model.display().leftTime, "7:15");
    EXPECT_TRUE(r.model.busy());
}

TEST_F(Download, SixtySecondsWithoutDataAbortTheDownload) {
    start();
    r.line.receive("SLOW.BIN 100000 26:12:02 12:00:00\r");
    r.line.take();
    r.line.receive(content(10));
    r.advance(MlinkModel::kInactivityMs);
    EXPECT_TRUE(r.model.busy());
    r.advance(MlinkModel::kProgressTickMs);
    EXPECT_TRUE(r.model.AbortRequested());
    EXPECT_FALSE(r.model.busy());
    EXPECT_EQ(r.line.take(), "A\b");
    EXPECT_EQ(r.line.statuses, std::vector<std::string>{sj(u8"ファイル転送を中止します.")});
    EXPECT_FALSE(fs::exists(downloads() + "/SLOW.BIN"));
}

TEST_F(Download, ClearStatusResetsThePanelsOfTheLastTransfer) {
    start();
    r.line.receive("A.TXT 3000 26:12:02 12:00:00\r");
    r.line.receive(content(1500));
    r.advance(2000);
    r.model.ABORTClick();
    r.model.MDOWN();
    const MlinkModel::Display& d = r.model.display();
    EXPECT_EQ(d.progress, 0);
    EXPECT_EQ(d.recvSize, "0 / 0");
    EXPECT_EQ(d.block, "0 / 0");
    EXPECT_EQ(d.timeCount, "0:0");
    EXPECT_EQ(d.speed, "0");
    EXPECT_EQ(d.filename, "");
    EXPECT_EQ(d.leftTime, "0:0");
    // The new transfer's clock starts with it, and the old byte count is gone.
    r.advance(1050); // the progress timer's seventh tick
    EXPECT_EQ(d.timeCount, "0:1");
    EXPECT_EQ(d.speed, "0");
}

TEST_F(Download, AFloodThatOverrunsTheRingEndsTheTransfer) {
    start();
    r.model.ringOverrun();
    EXPECT_EQ(r.line.take(), "A\b");
    EXPECT_FALSE(r.model.busy());
    EXPECT_EQ(r.line.mode, 0);
}

TEST_F(Download, OverlongHeaderLineIsTheHostsText) {
    start();
    const std::string junk(MlinkModel::kMaxHeaderBytes + 1, 'x');
    r.line.receive(junk);
    EXPECT_FALSE(r.model.busy());
    EXPECT_EQ(r.line.take(), "A\b");
    EXPECT_EQ(r.line.text, junk);
}

} // namespace
