// Whole runs against the simulated host with every fault a night run meets, in virtual time:
// the host answering or echoing late (0 to 5 s), output paced slowly, the line dropped after each
// command the terminal sends, and the program killed after each command followed by a
// second run on the same host and data folder. Over all of them:
//   - no posting is on the host twice unless its confirmation never reached the terminal;
//   - every reservation that was not carried out is still in NET.MAC;
//   - every mail the host deleted is in MAIL.DAT (and its file in DOWNLOAD/) afterwards;
//   - every run ends within the watchdog's bound;
//   - the outcome (and so the exit status) says how the run really ended.
// The faults are chosen by a seed (TARNO_MATRIX_SEED, a fixed one by default); a failure
// names the seed and the step.
#include "app/Runner.h"
#include "base/Text.h"
#include "sim/Fixture.h"
#include "tests/e2e/RunRig.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

namespace {

using base::sj;
using e2e_test::RunRig;

const std::string kConfirmation = sj(u8"書き込み中　...終了しました");

const base::Lines& reservations() {
    static const base::Lines r = {
        "RES :1#2",
        sj(u8"返信します"),
        "//",
        "NEWW :2#" + sj(u8"新しい話題"),
        sj(u8"本文"),
        ">//",
        "//",
        "MAIL :TARNO002#" + sj(u8"お元気ですか"),
        sj(u8"メール本文"),
        "//",
        "MDOWN :1#1",
        "FDOWN :1#2",
        "MLISTDOWN :2#1",
    };
    return r;
}

base::Lines netMac() {
    base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN", "NEWMESSAGE"};
    mac.insert(mac.end(), reservations().begin(), reservations().end());
    mac.push_back("QUIT");
    return mac;
}

// The key of a posting as the host saved it.
std::string postKey(const sim::PostRecord& p) {
    return std::to_string(static_cast<int>(p.kind)) + "/" + std::to_string(p.board) + "/" +
           std::to_string(p.replyTo) + "/" + p.title;
}

enum class Fault { None, Drop, Kill };

struct Scenario {
    int answerDelayMs = 0;
    int echoDelayMs = 0; // the echo (and what follows it) comes this late
    bool slowOutput = false;
    Fault fault = Fault::None;
    int step = 0; // the fault comes right after this write of the terminal
};

std::string describe(unsigned seed, const Scenario& s) {
    return "seed " + std::to_string(seed) + ", answers " + std::to_string(s.answerDelayMs) +
           " ms late, echo " + std::to_string(s.echoDelayMs) + " ms late" +
           (s.slowOutput ? ", slow output" : "") +
           (s.fault == Fault::Drop   ? ", line dropped after write " + std::to_string(s.step)
            : s.fault == Fault::Kill ? ", killed after write " + std::to_string(s.step)
                                     : "");
}

// What one run left for the checks.
struct RunResult {
    bool ended = false;
    std::int64_t durationMs = 0;
    engine::RunOutcome outcome = engine::RunOutcome::None;
    bool saved = true;
    bool quitSentBeforeFault = false;
    bool carrierAtFault = false;
    std::string sent;    // everything the terminal wrote to the line
    int unconfirmed = 0; // postings the host saved whose confirmation the terminal never got
    sim::SessionRecord record;
};

class Matrix {
public:
    explicit Matrix(unsigned seed) : seed_(seed), rng_(seed) {}

    // Runs the scenario, then a clean second run, and checks the invariants.
    void play(const Scenario& s) {
        SCOPED_TRACE(describe(seed_, s));
        testing_support::TempDir dir;
        sim::DataSet host = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
        std::vector<RunResult> runs;
        runs.push_back(runOnce(dir.path(), host, s, true));
        if (s.fault != Fault::None)
            runs.push_back(runOnce(dir.path(), host, Scenario{}, false));
        check(dir, runs, s);
    }

    Scenario random(Fault fault, int step) {
        static const int delays[] = {0, 600, 1200, 2000, 3000, 5000};
        Scenario s;
        (rng_() % 2 ? s.answerDelayMs : s.echoDelayMs) = delays[rng_() % 6];
        s.slowOutput = rng_() % 4 == 0;
        s.fault = fault;
        s.step = step;
        return s;
    }

    // How many writes a clean run makes.
    int writesOfACleanRun() {
        testing_support::TempDir dir;
        sim::DataSet host = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
        RunRig r(dir.path(), host);
        r.writeNetMac(netMac());
        r.start();
        r.runFor(kBoundMs);
        return r.port.writes;
    }

private:
    // Every wait of a run ends within 101 quiet ticks; with the answers late and the
    // watchdog's CRs, a run of this list ends well within this bound.
    static constexpr std::int64_t kBoundMs = 20 * 60 * 1000;

    RunResult runOnce(const std::string& folder, sim::DataSet& host, const Scenario& s,
                      bool first) {
        sim::SimOptions o;
        o.host.answerDelayMs = s.answerDelayMs;
        o.host.echoDelayMs = s.echoDelayMs;
        if (s.slowOutput) {
            o.host.burstBytes = 24;
            o.host.burstGapMs = 80;
        }
        RunResult result;
        RunRig r(folder, host, o);
        if (first)
            r.writeNetMac(netMac());
        bool faultDue = false;
        r.port.afterWrite = [&](int n) {
            if (s.fault != Fault::None && n == s.step) {
                faultDue = true;
                result.quitSentBeforeFault = r.port.sent.find("Q\r\r") != std::string::npos;
                result.carrierAtFault = r.sim.carrier();
            }
        };
        const std::int64_t start = r.loop.nowMs();
        r.start();
        bool killed = false;
        while (!r.finished && r.loop.nowMs() - start < kBoundMs) {
            r.loop.advance(100);
            if (!faultDue)
                continue;
            faultDue = false;
            if (s.fault == Fault::Drop) {
                r.sim.dtrDropped();
            } else {
                killed = true;
                break;
            }
        }
        result.ended = r.finished;
        result.durationMs = r.loop.nowMs() - start;
        result.outcome = r.model.outcome();
        result.saved = r.model.resultsSaved();
        int confirmations = 0;
        for (int i = 1; i <= r.model.WritePointer(); ++i)
            confirmations += base::contains(r.model.line(i), kConfirmation) ? 1 : 0;
        int saved = 0;
        for (const sim::PostRecord& p : r.sim.record().posts)
            saved += p.saved ? 1 : 0;
        for (const sim::MailRecord& m : r.sim.record().mails)
            saved += m.saved ? 1 : 0;
        result.unconfirmed = std::max(0, saved - confirmations);
        if (killed) {
            // Nothing of the killed program runs any more: the loop is not advanced again.
            r.kill();
            result.ended = true;
        }
        result.record = r.sim.record();
        result.sent = r.port.sent;

        host = r.sim.data();
        return result;
    }

    void check(const testing_support::TempDir& dir, const std::vector<RunResult>& runs,
               const Scenario& s) {
        // Bounded, and a true outcome.
        for (size_t i = 0; i < runs.size(); ++i) {
            const RunResult& r = runs[i];
            const bool killedRun = i == 0 && s.fault == Fault::Kill;
            EXPECT_TRUE(r.ended) << "run " << i + 1 << " never ended";
            if (killedRun)
                continue;
            // Completed exactly when the host was told to log out; a carrier lost before
            // that is a lost line; only a completed run that saved all it did exits with 0.
            const bool completed = r.outcome == engine::RunOutcome::Completed;
            EXPECT_EQ(completed, r.record.logouts > 0 || r.quitSentBeforeFault)
                << "run " << i + 1 << " ended as " << static_cast<int>(r.outcome);
            if (i == 0 && s.fault == Fault::Drop && r.carrierAtFault && !r.quitSentBeforeFault)
                EXPECT_EQ(r.outcome, engine::RunOutcome::LineLost);
            EXPECT_EQ(app::Runner::exitStatus(r.outcome, r.saved) == app::Runner::kDone,
                      completed && r.saved);
            EXPECT_LT(r.durationMs, kBoundMs);
        }

        // Nothing twice, beyond saves whose confirmation never reached the terminal.
        std::map<std::string, int> saves;
        int mailsSaved = 0;
        int unconfirmed = 0;
        std::string fromTerminal;
        for (const RunResult& r : runs) {
            for (const sim::PostRecord& p : r.record.posts)
                saves[postKey(p)] += p.saved ? 1 : 0;
            for (const sim::MailRecord& m : r.record.mails)
                mailsSaved += m.saved ? 1 : 0;
            unconfirmed += r.unconfirmed;
            fromTerminal += r.sent;
        }
        int extra = std::max(0, mailsSaved - 1);
        for (const auto& [key, n] : saves)
            extra += std::max(0, n - 1);
        EXPECT_LE(extra, unconfirmed) << "a confirmed posting went out again";

        // What was not carried out is still reserved; after a clean last run that is
        // nothing at all.
        const base::Lines left = RunRig::reservationLines(dir.path() + "/NET1/NET.MAC");
        auto reserved = [&](const std::string& header) {
            return std::find(left.begin(), left.end(), header) != left.end();
        };
        int posted = 0;
        for (const auto& [key, n] : saves)
            posted += n > 0 ? 1 : 0;
        EXPECT_EQ(posted + (reserved("RES :1#2") ? 1 : 0) +
                      (reserved("NEWW :2#" + sj(u8"新しい話題")) ? 1 : 0),
                  2)
            << "each posting is either on the host or still reserved";
        EXPECT_EQ((mailsSaved > 0 ? 1 : 0) +
                      (reserved("MAIL :TARNO002#" + sj(u8"お元気ですか")) ? 1 : 0),
                  1);
        EXPECT_TRUE(fromTerminal.find("R;1;I;1;0;0;0") != std::string::npos ||
                    reserved("MDOWN :1#1"));
        EXPECT_TRUE(fromTerminal.find("R;2;L;1;0;0") != std::string::npos ||
                    reserved("MLISTDOWN :2#1"));
        bool downloaded = false;
        for (const RunResult& r : runs)
            for (const sim::DownloadRecord& d : r.record.downloads)
                downloaded = downloaded || (!d.binaryMail && d.complete);
        EXPECT_TRUE(downloaded || reserved("FDOWN :1#2"));
        if (runs.size() > 1 || s.fault == Fault::None) {
            EXPECT_TRUE(left.empty()) << "a clean last run carries out everything";
        }

        // Every mail the host deleted reached MAIL.DAT, and a binary one its file.
        base::Lines mail;
        base::readLinesIfExists(dir.path() + "/NET1/MAIL.DAT", mail);
        for (const RunResult& r : runs)
            for (const sim::DeletedMail& d : r.record.deletedMail) {
                const bool there = std::any_of(mail.begin(), mail.end(), [&](const std::string& l) {
                    return l == "Subj: " + d.subject;
                });
                EXPECT_TRUE(there) << "deleted mail " << d.serial << " lost";
            }
        for (const RunResult& r : runs)
            for (const sim::DownloadRecord& d : r.record.downloads) {
                if (d.binaryMail && d.complete)
                    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/DOWNLOAD/" + d.name))
                        << d.name;
            }
    }

    unsigned seed_;
    std::mt19937 rng_;
};

unsigned matrixSeed() {
    const char* env = std::getenv("TARNO_MATRIX_SEED");
    return env ? static_cast<unsigned>(std::strtoul(env, nullptr, 10)) : 20261209u;
}

TEST(FaultMatrix, LateAnswersLateEchoAndSlowOutput) {
    Matrix m(matrixSeed());
    for (int delay : {0, 600, 1200, 2000, 3000, 5000})
        for (bool slow : {false, true}) {
            m.play(Scenario{delay, 0, slow, Fault::None, 0});
            m.play(Scenario{0, delay, slow, Fault::None, 0});
        }
}

TEST(FaultMatrix, TheLineDroppedAtEveryStep) {
    Matrix m(matrixSeed());
    const int steps = m.writesOfACleanRun();
    ASSERT_GT(steps, 10);
    for (int step = 1; step <= steps; ++step)
        m.play(m.random(Fault::Drop, step));
}

TEST(FaultMatrix, KilledAtEveryStepThenRunAgain) {
    Matrix m(matrixSeed() + 1);
    const int steps = m.writesOfACleanRun();
    ASSERT_GT(steps, 10);
    for (int step = 1; step <= steps; ++step)
        m.play(m.random(Fault::Kill, step));
}

} // namespace
