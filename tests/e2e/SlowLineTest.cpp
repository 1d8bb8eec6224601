// The engine against tarno-hostsim, in real time through the serial component, over lines
// that behave like real equipment: one that takes the terminal's bytes at 512 bytes a second
// (a slow modem, CTS holding it), and a modem that goes away while it dials.
#include "sim/Fixture.h"
#include "tests/e2e/RealTimeRun.h"
#include "tests/support/Process.h"
#include "tests/support/Relay.h"
#include "transfer/EngineTransfer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <thread>

namespace {

using base::sj;

TEST(SlowLine, AWholeRunThroughA512ByteASecondLineMovesBothFilesByteExact) {
    // The full 100,000-byte upload takes over three minutes at this rate.
    const bool full = std::getenv("TARNO_LONG_TESTS") != nullptr;
    const size_t upSize = full ? 100000 : 6000;
    constexpr size_t kDownSize = 20000;
    testing_support::TempDir dir;
    const std::string fixture = e2e_test::fixtureWithFile(dir, kDownSize);
    const std::string upload = e2e_test::patternBytes(upSize);
    base::replaceFile(dir.file("UP.BIN"), upload);

    testing_support::Process hostsim(e2e_test::hostsimOnPty(fixture, dir.file("modem")));
    ASSERT_TRUE(hostsim.started());
    ASSERT_TRUE(hostsim.readErr("tarno-hostsim: pty ", 10000)) << hostsim.err;
    auto relay = testing_support::Relay::slowPty(dir.file("modem"), 512);
    ASSERT_TRUE(relay->ok());
    // The upload becomes file 10 of the board, which the last item fetches back.
    e2e_test::RealTimeRun run(dir, relay->terminalPath(), 9600,
                              {"SETKTBBS", "DIAL{0}", "LOGIN", "FDOWN :1#9", "UPFILE :1#up|UP.BIN",
                               "//", "FDOWN :1#10", "QUIT"});
    run.comm.setLockFolder(dir.path());
    transfer::EngineTransfer transfer{run.model, dir.path()};
    run.model.setTransfer(&transfer);
    const int boundMs = static_cast<int>(upSize * 1000 / 512) + 90000;
    ASSERT_TRUE(run.run(boundMs)) << "last status: " << base::toUtf8(run.model.status());

    EXPECT_TRUE(base::readFile(dir.file("DOWNLOAD/BIG.BIN")) == sim::generatedContent(kDownSize));
    ASSERT_TRUE(base::fileExists(dir.file("DOWNLOAD/UP.BIN")));
    const std::string back = base::readFile(dir.file("DOWNLOAD/UP.BIN"));
    EXPECT_EQ(back.size(), upload.size());
    EXPECT_TRUE(back == upload);
    EXPECT_TRUE(run.errors.lines().empty()) << base::toUtf8(run.errors.lines().front());
    for (const auto& l : base::readLines(dir.file("DEMO/NET.MAC")))
        EXPECT_FALSE(base::startsWith(l, "FDOWN") || base::startsWith(l, "UPFILE")) << l;
    EXPECT_EQ(run.model.outcome(), engine::RunOutcome::Completed);
    hostsim.wait();
}

// The test plays a USB modem on the master side: it answers the initialisation, and is
// unplugged when the number is dialled.
TEST(SlowLine, AModemUnpluggedWhileDiallingEndsTheRunAtOnce) {
    testing_support::TempDir dir;
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    std::thread modem([&master] {
        std::string heard;
        char buf[256];
        for (int waited = 0; waited < 20000; waited += 50) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                continue;
            heard.append(buf, static_cast<size_t>(n));
            if (heard.find("ATDT") != std::string::npos) {
                ::close(master); // unplugged
                master = -1;
                return;
            }
            if (heard.find("ATZ\r") != std::string::npos && heard.find("OK") == std::string::npos) {
                heard += "OK";
                [[maybe_unused]] ssize_t w = ::write(master, "\r\nOK\r\n", 6);
            }
        }
    });
    e2e_test::RealTimeRun run(dir, slave, 9600, {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
    run.comm.setLockFolder(dir.path());
    // Far less than the modem's wait for a connection: the loss alone must end the run.
    const bool ended = run.run(15000);
    modem.join();
    if (master >= 0)
        ::close(master);
    ASSERT_TRUE(ended) << "last status: " << base::toUtf8(run.model.status());
    EXPECT_EQ(run.model.outcome(), engine::RunOutcome::LineLost);
    EXPECT_EQ(run.model.status(), sj(u8"通信回線が失われました.") + " " + slave);
    ASSERT_EQ(run.errors.lines().size(), 1u);
    EXPECT_NE(run.errors.lines().front().find(sj(u8"通信回線が失われました.")), std::string::npos);
}

} // namespace
