// An import killed at any point is finished by the recovery at the next start, not
// repeated: the archive and MAIL.DAT hold each captured line once, however often the
// import and then the recovery itself were killed.
#include "tests/store/StoreRig.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace store_test;

// A run's table: log-in, two mails, one new message, log-out; the unfinished line last.
const std::vector<std::string>& runTable() {
    static const std::vector<std::string> table =
        sjLines({u8"", u8"login", u8"Private Message is from: A", u8"Subj: one",
                 u8"このメールを削除しますか (Y/N)>Y", u8"Private Message is from: B",
                 u8"Subj: two", u8"このメールを削除しますか (Y/N)>Y", u8"MAIN (残り60分)>N@",
                 u8"Message  #0001   from: A", u8"Time: 26/12/05 10:00:00  Section 04: x",
                 u8"Subj: s", u8"body", u8"MAIN (残り59分)>Q", u8"bye", u8"END."});
    return table;
}
constexpr int kWritePointer = 15;

// What the run left in the data folder before its end: the capture log and its record.
void leaveCapture(ImportRig& rig) {
    base::Lines log = {store::ConvModel::kCaptureMarker,
                       "NET1\\NET12612.LOG",
                       "0",
                       "----",
                       "    26/12/08 09:00:00",
                       "----"};
    log.insert(log.end(), runTable().begin() + 1, runTable().begin() + kWritePointer);
    base::replaceLines(rig.dir.file("VESPARI.LOG"), log);
    base::replaceLines(rig.dir.file("VESPARI.CMD"), {"C 8 N@"});
}

// Runs `work` in a child that kills itself at stage call `at`; true when it was killed.
template <class Work> bool killedAt(ImportRig& rig, int at, Work work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int calls = 0;
        rig.conv.stageHook = [&](std::string_view) {
            if (calls++ == at)
                ::raise(SIGKILL);
        };
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

int countOf(const base::Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

void expectEachLineOnce(ImportRig& rig) {
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.LOG")));
    EXPECT_FALSE(base::fileExists(rig.dir.file("VESPARI.CMD")));
    const base::Lines archive = rig.read("NET12612.LOG");
    for (int i = 1; i < kWritePointer; ++i)
        EXPECT_EQ(countOf(archive, runTable()[static_cast<size_t>(i)]), i == 4 || i == 7 ? 2 : 1)
            << "archive line " << i;
    EXPECT_EQ(rig.read("MAIL.DAT"), sjLines({u8"Private Message is from: A", u8"Subj: one",
                                             u8"Private Message is from: B", u8"Subj: two"}));
    EXPECT_EQ(rig.read("MBOARD04.DAT").size(), 4u);
}

TEST(RecoveryAfterKill, FinishesTheImportWithoutRepeatingWhatWasDone) {
    // How many stage calls an import that is not killed makes.
    int stages = 0;
    {
        ImportRig rig;
        leaveCapture(rig);
        rig.conv.stageHook = [&](std::string_view) { ++stages; };
        ASSERT_TRUE(rig.conv.LogConv(runTable(), kWritePointer, 0));
        expectEachLineOnce(rig);
    }
    ASSERT_GE(stages, 6) << "archive, archived, two mails, scanned, imported";

    for (int first = 0; first < stages; ++first) {
        SCOPED_TRACE("end of run killed at stage " + std::to_string(first));
        {
            ImportRig rig;
            leaveCapture(rig);
            ASSERT_TRUE(
                killedAt(rig, first, [&] { rig.conv.LogConv(runTable(), kWritePointer, 0); }));
            rig.host.answers = {true};
            EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
            expectEachLineOnce(rig);
        }
        // The recovery killed too, at each of its own stages.
        for (int second = 0; second < stages; ++second) {
            SCOPED_TRACE("recovery killed at stage " + std::to_string(second));
            ImportRig rig;
            leaveCapture(rig);
            ASSERT_TRUE(
                killedAt(rig, first, [&] { rig.conv.LogConv(runTable(), kWritePointer, 0); }));
            rig.host.answers = {true, true};
            const bool killed = killedAt(rig, second, [&] { rig.conv.recoverCaptureLog(); });
            if (killed)
                EXPECT_EQ(rig.conv.recoverCaptureLog(), store::ConvModel::Recovery::Imported);
            expectEachLineOnce(rig);
            if (HasFailure())
                return;
        }
    }
}

} // namespace
