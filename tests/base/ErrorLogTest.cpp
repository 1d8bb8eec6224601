#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace base;
using testing_support::TempDir;

TEST(ErrorLog, EachLineReachesTheFileAtOnceAndEditsRewriteItWhole) {
    TempDir dir;
    const std::string path = dir.file("ERROR.LOG");
    ErrorLog log(path);
    int changes = 0;
    log.setOnChange([&] { ++changes; });
    EXPECT_TRUE(log.load()); // no file yet: an empty log
    EXPECT_TRUE(log.lines().empty());

    const std::string lost =
        ErrorLog::stamped(makeDateTime(2026, 3, 9, 7, 5, 3), sj(u8"キャリアが切れました"));
    EXPECT_EQ(lost, "26/03/09 07:05:03" + sj(u8"キャリアが切れました"));
    EXPECT_EQ(ErrorLog::stamped(makeDateTime(1999, 12, 31, 23, 59, 59), " x"),
              "99/12/31 23:59:59 x");
    EXPECT_EQ(ErrorLog::stampedTight(makeDateTime(2001, 2, 3, 4, 5, 6), "W"), "01/02/0304:05:06W");

    EXPECT_TRUE(log.add(lost));
    EXPECT_EQ(readFile(path), lost + "\r\n");
    // Appended, not rewritten from memory: what another run added meanwhile stays.
    appendLines(path, {"from elsewhere"});
    EXPECT_TRUE(log.add("second"));
    EXPECT_EQ(readFile(path), lost + "\r\nfrom elsewhere\r\nsecond\r\n");
    EXPECT_EQ(log.lines(), (Lines{lost, "second"}));

    log.setText({"kept", ""});
    EXPECT_EQ(readFile(path), "kept\r\n\r\n");
    ErrorLog again(path);
    EXPECT_TRUE(again.load());
    EXPECT_EQ(again.lines(), (Lines{"kept", ""}));
    EXPECT_EQ(changes, 4); // load, two adds, setText
}

TEST(ErrorLog, FailuresAreReportedAndNothingIsLost) {
    TempDir dir;
    ErrorLog nowhere(dir.file("missing/ERROR.LOG"));
    EXPECT_FALSE(nowhere.add("x")); // kept in memory all the same
    EXPECT_EQ(nowhere.lines(), Lines{"x"});
    EXPECT_THROW(nowhere.setText({}), FileError);
    EXPECT_EQ(nowhere.lines(), Lines{"x"});

    // A log whose reads fail shows nothing, so its whole text is never written over it.
    const std::string path = dir.file("ERROR.LOG");
    ASSERT_EQ(::symlink("/proc/self/mem", path.c_str()), 0);
    ErrorLog unreadable(path);
    EXPECT_FALSE(unreadable.load());
    EXPECT_TRUE(unreadable.lines().empty());
    EXPECT_THROW(unreadable.setText({"only this"}), FileError);
    char target[64] = {};
    ASSERT_GT(::readlink(path.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/proc/self/mem");
}

TEST(ErrorLog, AnEditedTextKeepsTheBytesOfEveryLineItStillShows) {
    TempDir dir;
    const std::string path = dir.file("ERROR.LOG");
    // The same shown text twice from different bytes (NEC-selected and IBM codes of one
    // kanji) and an invalid byte: each kept line goes back with its own bytes, in order.
    const std::string nec = "a\xED\x40", ibm = "a\xFA\x5C", bad = "b\xA0";
    replaceLines(path, {nec, bad, ibm});
    ErrorLog log(path);
    ASSERT_TRUE(log.load());
    ASSERT_EQ(toUtf8(nec), toUtf8(ibm));
    log.setEditedText({toUtf8(nec), toUtf8(nec), "new", toUtf8(bad)});
    EXPECT_EQ(readFile(path), nec + "\r\n" + ibm + "\r\nnew\r\n" + bad + "\r\n");
    // A shown line used up takes the plain conversion; a line typed anew is converted.
    log.setEditedText({toUtf8(bad), toUtf8(bad), reinterpret_cast<const char*>(u8"c\u2252")});
    EXPECT_EQ(log.lines(), (Lines{bad, "b?", "c\x81\xE0"}));
}
