// A whole-file rewrite killed with SIGKILL at any point leaves the old file or the new one,
// never a mix: a child process rewrites each file shape and dies at every step of the
// rewrite in turn (every short write included), and a child that rewrites in a loop is
// killed from outside at whatever point it has reached.
#include "tests/hardening/Shapes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using base::ReplaceStep;
using hardening_test::Shape;

namespace {

// Writes are cut to this many bytes, so a rewrite has many points inside its data.
constexpr size_t kShortWrite = 37;

// The steps one rewrite of `shape` goes through, in order.
std::vector<ReplaceStep> stepsOf(const Shape& shape, const std::string& path) {
    std::vector<ReplaceStep> steps;
    base::setReplaceHook([&](ReplaceStep s, size_t& bytes) {
        steps.push_back(s);
        bytes = std::min(bytes, kShortWrite);
        return 0;
    });
    base::replaceLines(path, shape.after);
    base::setReplaceHook({});
    return steps;
}

// Rewrites the file in a child that kills itself just before hook call `at`; the child's
// wait status.
int rewriteKilledAt(const Shape& shape, const std::string& path, size_t at) {
    pid_t pid = ::fork();
    if (pid == 0) {
        size_t calls = 0;
        base::setReplaceHook([&](ReplaceStep, size_t& bytes) {
            if (calls++ == at)
                ::raise(SIGKILL);
            bytes = std::min(bytes, kShortWrite);
            return 0;
        });
        try {
            base::replaceLines(path, shape.after);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(ReplaceCrash, KilledAtEveryStepLeavesTheOldFileUntilTheRenameAndTheNewOneAfter) {
    for (const Shape& shape : hardening_test::shapes()) {
        SCOPED_TRACE(shape.file);
        testing_support::TempDir dir;
        const std::string path = dir.file(shape.file);
        const std::string oldBytes = base::joinLines(shape.before);
        const std::string newBytes = base::joinLines(shape.after);
        ASSERT_NE(oldBytes, newBytes);
        base::replaceLines(path, shape.before);
        const std::vector<ReplaceStep> steps = stepsOf(shape, path);
        // Enough points inside the data: several short writes.
        ASSERT_GE(std::count(steps.begin(), steps.end(), ReplaceStep::Write), 3);

        for (size_t at = 0; at < steps.size(); ++at) {
            SCOPED_TRACE("killed before step " + std::to_string(at));
            base::replaceLines(path, shape.before);
            int status = rewriteKilledAt(shape, path, at);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            const std::string now = base::readFile(path);
            // The hook runs before its step: up to and including the rename's turn the
            // rename has not happened.
            const bool renamed = steps[at] == ReplaceStep::SyncFolder;
            EXPECT_EQ(now, renamed ? newBytes : oldBytes);
            // What a killed rewrite leaves besides is its own temporary file only.
            for (const std::string& other : hardening_test::othersIn(dir.path(), shape.file)) {
                EXPECT_EQ(other.rfind(shape.file + ".tmp", 0), 0u) << other;
                base::removeFile(dir.file(other));
            }
        }
        // Not killed: the new file, and nothing else.
        base::replaceLines(path, shape.before);
        int status = rewriteKilledAt(shape, path, steps.size());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(base::readFile(path), newBytes);
        EXPECT_TRUE(hardening_test::othersIn(dir.path(), shape.file).empty());
    }
}

TEST(ReplaceCrash, KilledFromOutsideWhileRewritingOverAndOverLeavesAWholeFile) {
    for (const Shape& shape : hardening_test::shapes()) {
        SCOPED_TRACE(shape.file);
        testing_support::TempDir dir;
        const std::string path = dir.file(shape.file);
        const std::string oldBytes = base::joinLines(shape.before);
        const std::string newBytes = base::joinLines(shape.after);
        for (int round = 0; round < 25; ++round) {
            base::replaceLines(path, shape.before);
            int tick[2];
            ASSERT_EQ(::pipe(tick), 0);
            pid_t pid = ::fork();
            if (pid == 0) {
                ::close(tick[0]);
                // Short writes make the rewrite slow enough to be caught in the middle.
                base::setReplaceHook([](ReplaceStep, size_t& bytes) {
                    bytes = std::min<size_t>(bytes, 7);
                    return 0;
                });
                for (int i = 0;; ++i) {
                    base::replaceLines(path, i % 2 ? shape.before : shape.after);
                    if (::write(tick[1], "x", 1) != 1)
                        ::_exit(1);
                }
            }
            ::close(tick[1]);
            // Let the child finish `round % 5` rewrites, then kill it wherever it is.
            char c;
            for (int i = 0; i < round % 5; ++i)
                ASSERT_EQ(::read(tick[0], &c, 1), 1);
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            ::close(tick[0]);
            ASSERT_TRUE(WIFSIGNALED(status));
            const std::string now = base::readFile(path);
            EXPECT_TRUE(now == oldBytes || now == newBytes) << "a mixed file after round " << round;
            for (const std::string& other : hardening_test::othersIn(dir.path(), shape.file))
                base::removeFile(dir.file(other));
        }
    }
}

} // namespace
