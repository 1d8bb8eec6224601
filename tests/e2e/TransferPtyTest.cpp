// A 1 MiB download and a 1 MiB upload by MLINK between the engine and tarno-hostsim over a
// pseudo-terminal at 128000 bit/s, in real time through the serial component. The upload is
// fetched back in the same run, so both directions are checked byte for byte. The upload
// pump sends 1024 bytes per 200 ms, so the run takes some three and a half minutes: it runs
// when TARNO_LONG_TESTS is set.
#include "sim/Fixture.h"
#include "tests/e2e/RealTimeRun.h"
#include "tests/support/Process.h"
#include "transfer/EngineTransfer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(TransferOverPty, OneMebibyteEachWayArrivesByteExact) {
    if (!std::getenv("TARNO_LONG_TESTS"))
        GTEST_SKIP() << "set TARNO_LONG_TESTS=1 to run the 3.5-minute transfer";
    constexpr size_t kSize = 1u << 20;
    testing_support::TempDir dir;
    const std::string fixture = e2e_test::fixtureWithFile(dir, kSize);
    const std::string upload = e2e_test::patternBytes(kSize);
    base::replaceFile(dir.file("UP.BIN"), upload);

    testing_support::Process hostsim(e2e_test::hostsimOnPty(fixture, dir.file("modem")));
    ASSERT_TRUE(hostsim.started());
    ASSERT_TRUE(hostsim.readErr("tarno-hostsim: pty ", 10000)) << hostsim.err;
    // The upload becomes file 10 of the board, which the last item fetches back.
    e2e_test::RealTimeRun run(dir, dir.file("modem"), 128000,
                              {"SETKTBBS", "DIAL{0}", "LOGIN", "FDOWN :1#9", "UPFILE :1#big|UP.BIN",
                               "//", "FDOWN :1#10", "QUIT"});
    transfer::EngineTransfer transfer{run.model, dir.path()};
    run.model.setTransfer(&transfer);
    ASSERT_TRUE(run.run(400000)) << "last status: " << base::toUtf8(run.model.status());

    EXPECT_TRUE(base::readFile(dir.file("DOWNLOAD/BIG.BIN")) == sim::generatedContent(kSize));
    ASSERT_TRUE(base::fileExists(dir.file("DOWNLOAD/UP.BIN")));
    EXPECT_TRUE(base::readFile(dir.file("DOWNLOAD/UP.BIN")) == upload);
    EXPECT_TRUE(run.errors.lines().empty()) << base::toUtf8(run.errors.lines().front());
    // Every item was carried out and deleted.
    for (const auto& l : base::readLines(dir.file("DEMO/NET.MAC")))
        EXPECT_FALSE(base::startsWith(l, "FDOWN") || base::startsWith(l, "UPFILE")) << l;
    hostsim.wait();
}

} // namespace
