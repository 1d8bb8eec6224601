#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Sjis.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace base;
using testing_support::TempDir;

TEST(LineFile, SplitsEveryKindOfLineEnd) {
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(splitLines("\n\n"), (Lines{"", ""}));
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("x\n\r"), (Lines{"x", ""})); // LF then a lone CR: two ends
}

TEST(LineFile, WritesCrLfAndReadsItBack) {
    TempDir dir;
    const std::string path = dir.file("A.DAT");
    Lines lines{sj(u8"新規登録ネット"), "", "999"};
    replaceLines(path, lines);
    EXPECT_EQ(readFile(path), sj(u8"新規登録ネット") + "\r\n\r\n999\r\n");
    EXPECT_EQ(readLines(path), lines);

    Lines out{"untouched"};
    EXPECT_FALSE(readLinesIfExists(dir.file("missing"), out));
    EXPECT_EQ(out, Lines{"untouched"});
    EXPECT_THROW(readLines(dir.file("missing")), FileError);
}

TEST(LineFile, ReplaceSetsTheModeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.file("NETLIST.DAT");
    replaceLines(path, {"secret"}, 0600);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    replaceLines(path, {"again"}, 0600);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(LineFile, FailedReplaceKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("TARNO_I2.INI");
    replaceLines(path, {"old"});

    // A file-size limit makes writing fail as a full disk would, even for root.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        replaceLines(path, Lines(100, "a long line that does not fit"));
    } catch (const FileError& e) {
        threw = true;
        EXPECT_NE(std::string(e.what()).find("TARNO_I2.INI"), std::string::npos);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(threw);
    EXPECT_EQ(readLines(path), Lines{"old"});
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1) << "the temporary file must be removed";

    // A folder that does not exist cannot take the file at all.
    EXPECT_THROW(replaceLines(dir.file("no/such/X.DAT"), {"x"}), FileError);
}

TEST(LineFile, AppendCreatesThenExtends) {
    TempDir dir;
    const std::string path = dir.file("LOG");
    appendLines(path, {"one"});
    appendLines(path, {"two", "three"});
    EXPECT_EQ(readFile(path), "one\r\ntwo\r\nthree\r\n");
}

TEST(LineFile, FoldersAndRemoval) {
    TempDir dir;
    EXPECT_TRUE(makeDirs(dir.file("a/b/c")));
    EXPECT_TRUE(dirExists(dir.file("a/b/c")));
    EXPECT_FALSE(fileExists(dir.file("a/b/c")));
    appendLines(dir.file("a/x"), {"x"});
    EXPECT_TRUE(fileExists(dir.file("a/x")));
    EXPECT_TRUE(removeFile(dir.file("a/x")));
    EXPECT_FALSE(fileExists(dir.file("a/x")));
    EXPECT_TRUE(removeFile(dir.file("a/x"))); // already gone counts as removed
}

TEST(Path, StoredPathsBecomeNative) {
    const std::string so = sj(u8"ソ");
    EXPECT_EQ(nativePath("DOWNLOAD\\A.LZH"), "DOWNLOAD/A.LZH");
    EXPECT_EQ(nativePath("NET\\" + so + "\\x"), "NET/" + so + "/x");
    EXPECT_EQ(fileNamePart("NET\\LOG\\2612.LOG"), "2612.LOG");
    EXPECT_EQ(fileNamePart("C:FILE"), "FILE");
    EXPECT_EQ(fileNamePart("a/b"), "b");
    EXPECT_EQ(fileNamePart("dir\\" + so), so); // the trail byte of ソ is not a separator
    EXPECT_EQ(fileNamePart("x\\"), "");
    EXPECT_EQ(joinPath("a", "b"), "a/b");
    EXPECT_EQ(joinPath("a/", "b"), "a/b");
    EXPECT_EQ(joinPath("", "b"), "b");
}
