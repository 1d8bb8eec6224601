// A whole run against a host that colours its text: with the escape sequences taken out,
// the run is the uncoloured host's run exactly - what the host was sent and took, NET.MAC
// afterwards, the archive and every store file, byte for byte.
#include "tests/store/StoreRig.h"

#include "engine/EscapeFilter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using namespace store_test;

// Every fixed step, then a reservation of each kind (one of them refused by the host).
const base::Lines kRun = [] {
    base::Lines run = everyReadingStep();
    const base::Lines reservations = {"RES :1#2",
                                      sj(u8"はなこさん、こんにちは。"),
                                      ">//",
                                      "//",
                                      "NEWW :2#" + sj(u8"モデムの設定"),
                                      "ATZ",
                                      "//",
                                      "MAIL :TARNO002#" + sj(u8"お元気ですか"),
                                      sj(u8"本文の一行目"),
                                      "//",
                                      "RES :3#1",
                                      sj(u8"書けないボード"),
                                      "//",
                                      "QUIT"};
    run.insert(run.end(), reservations.begin(), reservations.end());
    return run;
}();

// Every file under `root` by its path relative to it, with its bytes.
std::map<std::string, std::string> filesUnder(const std::string& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (e.is_regular_file())
            out[std::filesystem::relative(e.path(), root).string()] =
                base::readFile(e.path().string());
    return out;
}

// The record with the escape sequences taken out of what the host sent.
std::string withoutSequences(sim::SessionRecord rec) {
    engine::EscapeFilter filter;
    for (sim::TranscriptEntry& t : rec.transcript) {
        if (t.kind != sim::TranscriptEntry::Kind::ToTerminal)
            continue;
        std::string text;
        filter.feed(
            t.bytes,
            [&](std::string_view run) {
                text += run;
                return engine::EscapeFilter::kGoOn;
            },
            [](std::string_view) {});
        t.bytes = text;
    }
    return rec.toText();
}

TEST(ColouredHost, AWholeRunIsTheUncolouredRunByteForByte) {
    RunRig plain;
    sim::SimOptions options;
    options.host.colour = true;
    RunRig coloured(options);
    for (RunRig* rig : {&plain, &coloured}) {
        rig->host.answers = {false};
        ASSERT_TRUE(rig->run(kRun));
        ASSERT_TRUE(rig->runHost.result) << base::toUtf8(rig->conv.lastError());
    }
    const sim::SessionRecord& rec = coloured.simulator->record();
    // The host did colour its text, and the screen got the colours.
    ASSERT_NE(rec.toTerminal().find("\x1b[1;36mUser ID  = \x1b[0m"), std::string::npos);
    ASSERT_NE(rec.toTerminal().find("\x1b[2J"), std::string::npos);
    bool colouredLine = false;
    for (int i = 1; i < coloured.engine->WritePointer() && !colouredLine; ++i)
        colouredLine = coloured.engine->colours().runs(i).size() > 1;
    EXPECT_TRUE(colouredLine);
    ASSERT_EQ(rec.posts.size(), 3u);

    EXPECT_EQ(withoutSequences(rec), withoutSequences(plain.simulator->record()));
    EXPECT_EQ(rec.fromTerminal(), plain.simulator->record().fromTerminal());
    EXPECT_EQ(coloured.runHost.lines, plain.runHost.lines);
    EXPECT_EQ(coloured.read("NET.MAC"), plain.read("NET.MAC"));
    const auto files = filesUnder(coloured.dir.path());
    EXPECT_EQ(files, filesUnder(plain.dir.path()));
    EXPECT_GT(files.size(), 10u);
    EXPECT_EQ(coloured.errors.lines(), plain.errors.lines());
}

} // namespace
