// A whole-file rewrite that fails at any step (no space, a write error, a failed rename,
// no file to create) leaves the old file as it was and no temporary file beside it, and
// the failure reaches the caller: as FileError from the file layer, and as a warning to
// the user from the net manager and the timer schedule.
#include "base/VirtualLoop.h"
#include "macro/MacroModel.h"
#include "macro/TimerModel.h"
#include "tests/hardening/Shapes.h"
#include "tests/macro/RecordingMacroHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using base::ReplaceStep;

namespace {

struct Fault {
    ReplaceStep step;
    int err;
    size_t after; // the fault hits the step's (after + 1)-th call: later writes fail too
};

const Fault kFaults[] = {
    {ReplaceStep::Create, EMFILE, 0}, {ReplaceStep::Write, ENOSPC, 0},
    {ReplaceStep::Write, ENOSPC, 2},  {ReplaceStep::Write, EIO, 1},
    {ReplaceStep::Sync, EIO, 0},      {ReplaceStep::Rename, EXDEV, 0},
    {ReplaceStep::Rename, EACCES, 0},
};

// Fails `fault.step` from its (after + 1)-th call on; writes are short so that there are
// several of them.
struct InjectFault {
    explicit InjectFault(Fault f) {
        base::setReplaceHook([f, calls = size_t{0}](ReplaceStep s, size_t& bytes) mutable {
            bytes = std::min<size_t>(bytes, 64);
            return s == f.step && calls++ >= f.after ? f.err : 0;
        });
    }
    ~InjectFault() { base::setReplaceHook({}); }
};

TEST(ReplaceFault, EveryFailingStepKeepsTheOldFileAndTellsTheCaller) {
    for (const hardening_test::Shape& shape : hardening_test::shapes()) {
        for (const Fault& f : kFaults) {
            SCOPED_TRACE(shape.file + " step " + std::to_string(static_cast<int>(f.step)) +
                         " errno " + std::to_string(f.err));
            testing_support::TempDir dir;
            const std::string path = dir.file(shape.file);
            base::replaceLines(path, shape.before);
            std::string what;
            {
                InjectFault inject(f);
                try {
                    base::replaceLines(path, shape.after);
                } catch (const base::FileError& e) {
                    what = e.what();
                }
            }
            EXPECT_NE(what.find(path), std::string::npos) << what;
            EXPECT_NE(what.find(std::strerror(f.err)), std::string::npos) << what;
            EXPECT_EQ(base::readFile(path), base::joinLines(shape.before));
            EXPECT_TRUE(hardening_test::othersIn(dir.path(), shape.file).empty());
            // The same rewrite without the fault goes through.
            base::replaceLines(path, shape.after);
            EXPECT_EQ(base::readLines(path), shape.after);
        }
    }
}

TEST(ReplaceFault, TheNetListSaveThrowsAndKeepsTheSavedList) {
    testing_support::TempDir dir;
    shell::NetList nets(dir.path(), hardening_test::netRecords(2, "pw"));
    nets.save();
    const std::string saved = base::readFile(dir.file(shell::NetList::kFileName));
    nets.addNew();
    {
        InjectFault inject({ReplaceStep::Write, ENOSPC, 0});
        EXPECT_THROW(nets.save(), base::FileError);
    }
    EXPECT_EQ(base::readFile(dir.file(shell::NetList::kFileName)), saved);
    nets.save();
    shell::NetList back(dir.path());
    EXPECT_EQ(back.load(), "");
    EXPECT_EQ(back.count(), 3);
}

base::Lines oneNet() {
    base::Lines r = shell::NetList::newNetLines();
    r[shell::kShortName] = "NET1";
    return r;
}

TEST(ReplaceFault, AFailedCommandFileWriteIsReportedAndTheReservationsOnDiskStay) {
    testing_support::TempDir dir;
    base::makeDirs(dir.file("NET1"));
    const base::Lines before = hardening_test::commandFile(2);
    base::replaceLines(dir.file("NET1/NET.MAC"), before);
    shell::NetList nets(dir.path(), oneNet());
    RecordingMacroHost host;
    macro::MacroModel model(nets, host, dir.path());
    model.FormShow();
    model.ListBox1Click(0);
    ASSERT_TRUE(model.netLoaded());
    const std::string onDisk = base::readFile(dir.file("NET1/NET.MAC"));
    {
        InjectFault inject({ReplaceStep::Rename, EIO, 0});
        base::Lines block = macro::ReserveList::makeBlock("NEWW 1 " + base::sj(u8"追加"), {"x"});
        EXPECT_FALSE(model.appendReservation(0, block));
    }
    EXPECT_FALSE(host.warnings.empty());
    EXPECT_EQ(base::readFile(dir.file("NET1/NET.MAC")), onDisk);
    EXPECT_TRUE(hardening_test::othersIn(dir.file("NET1"), "NET.MAC").size() <= 1); // NET.BAK
}

struct WarningTimerHost : macro::TimerHost {
    std::vector<std::string> warnings;
    bool mayStartRun() override { return false; }
    void warn(const std::string& t) override { warnings.push_back(t); }
    void report(const std::string& t) override { warnings.push_back(t); }
    void setMainAndMacroEnabled(bool) override {}
};

TEST(ReplaceFault, AFailedTimerSaveIsReportedAndTheScheduleOnDiskStays) {
    testing_support::TempDir dir;
    const base::Lines before = hardening_test::timerLines(3, false);
    base::replaceLines(dir.file("Timer.dat"), before);
    base::VirtualLoop loop;
    shell::NetList nets(dir.path(), {});
    RecordingMacroHost macroHost;
    macro::MacroModel macro(nets, macroHost, dir.path());
    WarningTimerHost host;
    macro::TimerModel timer(loop, macro, host, dir.path());
    timer.load();
    timer.addNew();
    {
        InjectFault inject({ReplaceStep::Sync, EIO, 0});
        EXPECT_FALSE(timer.save());
    }
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(base::readLines(dir.file("Timer.dat")), before);
    EXPECT_TRUE(timer.save());
    EXPECT_EQ(base::readLines(dir.file("Timer.dat")).size(), before.size() + 1);
}

} // namespace
