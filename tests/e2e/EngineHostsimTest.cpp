// A whole modem phase, log-in with mail and log-out of the engine against tarno-hostsim as
// a process, over a pseudo-terminal and over TCP, through the real serial component in real
// time. Every wait is bounded; the run itself is ended by the host's hang-up.
#include "tests/e2e/RealTimeRun.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using base::sj;

class EngineAgainstHostsim : public ::testing::TestWithParam<std::string> {
protected:
    testing_support::TempDir dir;

    // The demo data set with only its text mail waiting.
    std::string fixture() {
        std::string f = dir.file("fixture");
        std::filesystem::copy(std::string(TARNO_SOURCE_DIR) + "/data/demo", f,
                              std::filesystem::copy_options::recursive);
        base::Lines mail = base::readLines(f + "/MAIL.TXT");
        base::Lines first;
        for (size_t i = 0; i < mail.size() && !(i > 0 && mail[i] == "*MAIL"); ++i)
            first.push_back(mail[i]);
        base::replaceLines(f + "/MAIL.TXT", first);
        return f;
    }
};

TEST_P(EngineAgainstHostsim, DialsLogsInReadsMailAndLogsOut) {
    const bool tcp = GetParam() == "tcp";
    const std::string record = dir.file("record.txt");
    std::vector<std::string> args = {TARNO_HOSTSIM_PATH, "--once",  "--record",     record,
                                     "--fixture",        fixture(), "--dial-delay", "200",
                                     "--guard",          "300"};
    if (tcp) {
        args.insert(args.end(), {"--listen", "127.0.0.1:0"});
    } else {
        args.insert(args.end(), {"--pty", dir.file("modem")});
    }
    testing_support::Process hostsim(args);
    ASSERT_TRUE(hostsim.started());
    std::string device;
    if (tcp) {
        ASSERT_TRUE(hostsim.readErr("\n", 10000)) << hostsim.err;
        size_t colon = hostsim.err.rfind(':');
        device = "tcp:127.0.0.1:" + base::trim(hostsim.err.substr(colon + 1));
    } else {
        ASSERT_TRUE(hostsim.readErr("tarno-hostsim: pty ", 10000)) << hostsim.err;
        device = dir.file("modem");
    }
    e2e_test::RealTimeRun run(dir, device, 9600, {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
    // The bound: a run that has not ended after 60 s is stopped and fails the test.
    ASSERT_TRUE(run.run(60000)) << "last status: " << base::toUtf8(run.model.status());
    const e2e_test::Statuses& view = run.view;

    EXPECT_TRUE(view.has(sj(u8"IDの送信中.")));
    EXPECT_TRUE(view.has(sj(u8"ﾊﾟｽﾜｰﾄﾞの送信中.")));
    EXPECT_TRUE(view.has(sj(u8"メール受信中.")));
    EXPECT_TRUE(view.startsWithAny(sj(u8"ログインしました.")));
    EXPECT_TRUE(view.has(sj(u8"回線切断待機中.")));
    EXPECT_TRUE(view.has(sj(u8"回線が切れました.")));
    EXPECT_TRUE(run.errors.lines().empty()) << base::toUtf8(run.errors.lines().front());

    // The capture: the header, then what the host sent, ending with the goodbye.
    base::Lines capture = base::readLines(dir.file("VESPARI.LOG"));
    ASSERT_GT(capture.size(), 6u);
    EXPECT_EQ(capture[0], "*- TRN_TMP_LOG_FILE -*");
    std::string all = base::joinLines(capture);
    EXPECT_TRUE(base::contains(all, "CONNECT 9600"));
    EXPECT_TRUE(base::contains(all, sj(u8"ご利用ありがとうございました。")));
    EXPECT_EQ(run.host.lines.back(), "END.");

    ASSERT_TRUE(hostsim.readErr("", 15000)) << "tarno-hostsim did not end: " << hostsim.err;
    hostsim.wait();
    std::string rec = base::readFile(record);
    EXPECT_TRUE(base::contains(rec, "LOGIN TARNO001")) << rec.substr(0, 2000);
    EXPECT_TRUE(base::contains(rec, "DIAL 0312345678 -> CONNECT 9600"));
}

INSTANTIATE_TEST_SUITE_P(Lines, EngineAgainstHostsim, ::testing::Values("pty", "tcp"),
                         [](const auto& info) { return info.param; });

} // namespace
