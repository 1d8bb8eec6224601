// Whole runs of the engine with the MLINK transfer against the simulated modem and host in
// virtual time: a file download and an upload carried out from the reservation list, the
// host's faults (cancel, silence, a reported failure, the line dropped halfway) and every
// hostile header name. Bytes cross the line through the loop in both directions, as they
// do over a real line, so no side answers inside the other's call.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/MlinkPeer.h"
#include "sim/Simulator.h"
#include "tests/engine/EngineHarness.h"
#include "tests/sim/SimClient.h"
#include "tests/support/SimPort.h"
#include "transfer/EngineTransfer.h"
#include "transfer/MlinkHeader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

using base::sj;
namespace fs = std::filesystem;

namespace {

std::string fileContent(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>((i * 31 + i / 1000) & 0xFF);
    return s;
}

struct SimRun {
    // Three levels down its own tree: a download name that climbs out of DOWNLOAD lands
    // inside the tree even when the name check is broken.
    testing_support::TempDir dir{3};
    base::VirtualLoop loop;
    shell::NetList nets{dir.path(), engine_test::netRecord()};
    shell::ModemSettings modems = shell::defaultModemSettings();
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    testing_support::SimPort port;
    engine_test::RecordingRunHost host;
    engine_test::RecordingView view;
    engine::VazevModel model{{loop, port, nets, modems, macro, errors, host, dir.path()}};
    transfer::EngineTransfer transfer{model, dir.path()};
    std::unique_ptr<sim::Simulator> sim;

    // `more` adds to the host's data after the two files below.
    explicit SimRun(sim::SimOptions options = {},
                    const std::function<void(sim::DataSet&)>& more = {}) {
        sim::DataSet data = simtest::demoData();
        data.mail.clear();
        sim::FileBoard& b = data.fileBoards.at(0);
        b.files.push_back(sim::HostFile{b.nextNumber(),
                                        "DOC2048.TXT",
                                        "SYSOP",
                                        base::makeDateTime(2026, 12, 2, 12, 0, 0),
                                        "",
                                        {},
                                        fileContent(2048)});
        b.files.push_back(sim::HostFile{b.nextNumber(),
                                        "BIG.BIN",
                                        "SYSOP",
                                        base::makeDateTime(2026, 12, 2, 12, 0, 0),
                                        "",
                                        {},
                                        fileContent(100000)});
        if (more)
            more(data);
        sim = std::make_unique<sim::Simulator>(loop, std::move(data), options);
        port.loop = &loop;
        port.sim = sim.get();
        port.connect(model);
        modems[0] = {"M", "ATDT", "ATZ", 30, 1, 38400, false};
        model.setView(&view);
        model.setTransfer(&transfer);
        model.setRandomDigit([] { return 7; });
        macroHost.provided.insert(macro::Feature::Run);
    }

    int fileNumber(const std::string& name) const {
        for (const auto& f : sim->data().fileBoards.at(0).files)
            if (f.name == name)
                return f.number;
        return -1;
    }

    // Runs the command list to the end of the run; false when it did not end in bound.
    bool run(const base::Lines& reservations, std::int64_t boundMs = 900000) {
        base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN"};
        mac.insert(mac.end(), reservations.begin(), reservations.end());
        mac.push_back("QUIT");
        base::makeDirs(dir.file("NET1"));
        base::replaceLines(dir.file("NET1/NET.MAC"), mac);
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
        model.AutoLoginClick();
        for (std::int64_t t = 0; t < boundMs && model.running(); t += 100)
            loop.advance(100);
        return !model.running();
    }
    bool netMacHas(const std::string& line) const {
        for (const auto& l : base::readLines(dir.file("NET1/NET.MAC")))
            if (l == line)
                return true;
        return false;
    }
    bool statusSeen(const std::string& s) const {
        for (const auto& x : view.statuses)
            if (x == s)
                return true;
        return false;
    }
    std::vector<std::string> downloads() const {
        std::vector<std::string> out;
        if (fs::exists(dir.file("DOWNLOAD")))
            for (const auto& e : fs::directory_iterator(dir.file("DOWNLOAD")))
                out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

std::string fdown(const SimRun& r, const std::string& name) {
    return "FDOWN :1#" + std::to_string(r.fileNumber(name));
}

TEST(TransferRun, DownloadsAFileAndDeletesItsReservation) {
    SimRun r;
    const std::string item = fdown(r, "DOC2048.TXT");
    ASSERT_TRUE(r.run({item}));
    EXPECT_TRUE(base::readFile(r.dir.file("DOWNLOAD/DOC2048.TXT")) == fileContent(2048));
    EXPECT_EQ(r.downloads(), std::vector<std::string>{"DOC2048.TXT"});
    EXPECT_TRUE(r.statusSeen(sj(u8"[MLINK] すべて受信しました.")));
    EXPECT_FALSE(r.netMacHas(item));
    ASSERT_EQ(r.sim->record().downloads.size(), 1u);
    EXPECT_TRUE(r.sim->record().downloads[0].complete);
    EXPECT_TRUE(r.errors.lines().empty()) << base::toUtf8(r.errors.lines().front());
    // The host's word after the data reached the auto-pilot as a line.
    bool done = false;
    for (const auto& l : r.host.importedLines)
        done = done || base::contains(l, sj(u8"転送終了"));
    EXPECT_TRUE(done);
}

TEST(TransferRun, UploadsAFileWithItsCommentAndDeletesItsReservation) {
    SimRun r;
    const std::string data = fileContent(3000);
    base::replaceFile(r.dir.file("UP.BIN"), data);
    const std::string item = "UPFILE :1#" + sj(u8"テスト") + "|UP.BIN";
    ASSERT_TRUE(r.run({item, sj(u8"説明の一行"), "//"}));
    ASSERT_EQ(r.sim->record().uploads.size(), 1u);
    const sim::UploadRecord& u = r.sim->record().uploads[0];
    EXPECT_TRUE(u.complete);
    EXPECT_EQ(u.headerName, "UP.BIN");
    EXPECT_EQ(u.declaredSize, 3000);
    EXPECT_TRUE(u.bytes == data);
    EXPECT_FALSE(r.netMacHas(item));
    EXPECT_TRUE(r.errors.lines().empty()) << base::toUtf8(r.errors.lines().front());
}

sim::Mail binaryMail(const std::string& fileName, const std::string& content) {
    sim::Mail m;
    m.from = "SYSOP";
    m.date = base::makeDateTime(2026, 12, 7, 9, 0, 0);
    m.subject = "file";
    m.body = {"attached"};
    m.binary = true;
    m.fileName = fileName;
    m.content = content;
    m.serial = 1;
    return m;
}

// A binary mail's file and two boards' files, all called DOC2048.TXT: each is kept under a
// name of its own, and the run says where each went.
TEST(TransferRun, FilesWithOneNameAreAllKept) {
    const std::string fromMail = "mail's own bytes";
    const std::string fromBoard2(700, 'b');
    SimRun r({}, [&](sim::DataSet& data) {
        data.mail.push_back(binaryMail("DOC2048.TXT", fromMail));
        sim::FileBoard& b = data.fileBoards.at(1);
        b.files.push_back(sim::HostFile{b.nextNumber(),
                                        "DOC2048.TXT",
                                        "SYSOP",
                                        base::makeDateTime(2026, 12, 2, 12, 0, 0),
                                        "",
                                        {},
                                        fromBoard2});
    });
    const std::string item1 = fdown(r, "DOC2048.TXT");
    int number2 = -1;
    for (const auto& f : r.sim->data().fileBoards.at(1).files)
        if (f.name == "DOC2048.TXT")
            number2 = f.number;
    const std::string item2 = "FDOWN :2#" + std::to_string(number2);
    ASSERT_TRUE(r.run({item1, item2}));
    EXPECT_EQ(r.downloads(),
              (std::vector<std::string>{"DOC2048.TXT", "DOC2048~1.TXT", "DOC2048~2.TXT"}));
    EXPECT_EQ(base::readFile(r.dir.file("DOWNLOAD/DOC2048.TXT")), fromMail);
    EXPECT_TRUE(base::readFile(r.dir.file("DOWNLOAD/DOC2048~1.TXT")) == fileContent(2048));
    EXPECT_EQ(base::readFile(r.dir.file("DOWNLOAD/DOC2048~2.TXT")), fromBoard2);
    EXPECT_FALSE(r.netMacHas(item1));
    EXPECT_FALSE(r.netMacHas(item2));
    for (const std::string name : {"DOC2048~1.TXT", "DOC2048~2.TXT"}) {
        const std::string status =
            sj(u8"[MLINK] すべて受信しました. DOWNLOAD\\DOC2048.TXT は既にあるので DOWNLOAD\\") +
            name + sj(u8" に保存しました.");
        EXPECT_TRUE(r.statusSeen(status)) << name;
        bool logged = false;
        for (const auto& l : r.errors.lines())
            logged = logged || base::contains(l, status);
        EXPECT_TRUE(logged) << name;
    }
}

// The host hears that the file arrived only when it is on disk: a file that cannot be put
// in place is aborted, so the host keeps the mail and the reservation stays.
TEST(TransferRun, AFileThatCannotBeKeptLeavesTheMailAndTheReservation) {
    SimRun r({}, [](sim::DataSet& data) {
        data.mail.push_back(binaryMail("SETUP.DAT", std::string(2048, 's')));
    });
    r.transfer.model().setFaultHook([](transfer::MlinkModel::FileStep s) {
        return s == transfer::MlinkModel::FileStep::Rename ? EIO : 0;
    });
    const std::string item = fdown(r, "DOC2048.TXT");
    ASSERT_TRUE(r.run({item}));
    EXPECT_TRUE(r.downloads().empty());
    EXPECT_TRUE(r.netMacHas(item));
    EXPECT_EQ(r.sim->data().mail.size(), 1u); // the host still holds the mail
    ASSERT_EQ(r.sim->record().downloads.size(), 2u);
    for (const auto& d : r.sim->record().downloads)
        EXPECT_FALSE(d.complete);
    const std::string cannot = sj(u8"[MLINK] ファイルを作成 または ダウンロードできません.");
    EXPECT_TRUE(r.statusSeen(cannot));
    EXPECT_TRUE(r.statusSeen(sj(u8"バイナリメール受信に失敗しました.")));
    size_t logged = 0;
    for (const auto& l : r.errors.lines())
        logged += base::contains(l, cannot) ? 1 : 0;
    EXPECT_EQ(logged, 2u);
}

TEST(TransferRun, AWriteThatFailsHalfwayEndsTheUploadWithItsStatusAndKeepsTheReservation) {
    SimRun r;
    base::replaceFile(r.dir.file("UP.BIN"), fileContent(20000));
    const std::string item = "UPFILE :1#" + sj(u8"テスト") + "|UP.BIN";
    // The line takes the log-in and the header, then fails in the middle of the data.
    r.port.failAfterBytes = 10000;
    ASSERT_TRUE(r.run({item, "//"})) << base::toUtf8(r.model.status());
    ASSERT_TRUE(r.port.failed);
    const std::string failure =
        sj(u8"MLINK プロトコル 送信／ファイル読み込みエラーまたは送信エラー");
    bool seen = false;
    for (const auto& s : r.view.statuses)
        seen = seen || base::startsWith(s, failure);
    EXPECT_TRUE(seen);
    bool logged = false;
    for (const auto& l : r.errors.lines())
        logged = logged || base::startsWith(l, failure);
    EXPECT_TRUE(logged);
    EXPECT_TRUE(r.netMacHas(item));
    EXPECT_FALSE(r.transfer.model().busy());
    ASSERT_EQ(r.sim->record().uploads.size(), 1u);
    EXPECT_FALSE(r.sim->record().uploads[0].complete);
}

// A fault of the host, and how each direction ends: the status that names it, and whether
// the host's own verdict reached the auto-pilot (which answers it with "0;0").
struct Fault {
    std::string name;
    sim::HostOptions::MlinkFault fault = sim::HostOptions::MlinkFault::None;
    bool drop = false;
    std::u8string downStatus;
    bool downVerdict = false;
    std::u8string upStatus;
    bool upVerdict = false;
};

// What was sent after the transfer started holds "0;0\r".
bool answeredVerdict(const SimRun& r) {
    const size_t start = r.port.sent.find("F;1;M");
    return start != std::string::npos && r.port.sent.find("0;0\r", start) != std::string::npos;
}

class FaultyHost : public ::testing::TestWithParam<Fault> {
protected:
    sim::SimOptions options() const {
        sim::SimOptions o;
        o.host.mlinkFault = GetParam().fault;
        if (GetParam().drop)
            o.host.dropAt = sim::HostOptions::DropPoint::Transfer;
        return o;
    }
};

TEST_P(FaultyHost, DownloadEndsAndTheReservationStays) {
    SimRun r(options());
    const std::string item = fdown(r, "BIG.BIN");
    ASSERT_TRUE(r.run({item})) << base::toUtf8(r.model.status());
    EXPECT_TRUE(r.netMacHas(item));
    EXPECT_FALSE(r.transfer.model().busy());
    EXPECT_TRUE(r.statusSeen(sj(GetParam().downStatus)));
    EXPECT_EQ(answeredVerdict(r), GetParam().downVerdict);
    if (GetParam().fault == sim::HostOptions::MlinkFault::Fail) {
        // The bytes all came; only the host's verdict failed.
        EXPECT_EQ(r.downloads(), std::vector<std::string>{"BIG.BIN"});
    } else {
        EXPECT_TRUE(r.downloads().empty()); // no part of the file under any name
        EXPECT_FALSE(r.errors.lines().empty());
    }
}

TEST_P(FaultyHost, UploadEndsAndTheReservationStays) {
    SimRun r(options());
    base::replaceFile(r.dir.file("UP.BIN"), fileContent(20000));
    const std::string item = "UPFILE :1#" + sj(u8"テスト") + "|UP.BIN";
    ASSERT_TRUE(r.run({item, "//"})) << base::toUtf8(r.model.status());
    EXPECT_TRUE(r.netMacHas(item));
    EXPECT_FALSE(r.transfer.model().busy());
    EXPECT_TRUE(r.statusSeen(sj(GetParam().upStatus)));
    EXPECT_EQ(answeredVerdict(r), GetParam().upVerdict);
    EXPECT_EQ(r.model.ReceiveMode(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyHost,
    ::testing::Values(
        // The host's failure text arrives where the header belongs.
        // A download: the host's "A\b" is no header, both header reads end empty, and
        // the host's report comes after them. An upload: a wrong byte for the ready sign.
        Fault{"cancel", sim::HostOptions::MlinkFault::Cancel, false,
              u8"[MLINK] ﾀﾞｳﾝﾛｰﾄﾞ :  タイムアウト", true,
              u8"[MLINK] -ヘッダ送信- 相手側から中止されました.", true},
        // A download: two empty header reads, then the quiet line ends the run. An
        // upload: no ready sign, then the host gives up and says so.
        Fault{"silent", sim::HostOptions::MlinkFault::Silent, false,
              u8"タイムアウト.ホストまたはﾓﾃﾞﾑからの応答がありません", false,
              u8"[MLINK] -ヘッダ送信- ｱｯﾌﾟﾛｰﾄﾞ : 時間切れ.", true},
        Fault{"fail", sim::HostOptions::MlinkFault::Fail, false, u8"[MLINK] すべて受信しました.",
              true, u8"回線が切れました.", true},
        Fault{"drop", sim::HostOptions::MlinkFault::None, true, u8"ファイル転送を中止します.",
              false, u8"ファイル転送を中止します.", false}),
    [](const auto& info) { return info.param.name; });

class HostileName : public ::testing::TestWithParam<sim::HostOptions::HostileName> {};

TEST_P(HostileName, NeverLeavesTheDownloadFolder) {
    sim::SimOptions o;
    o.host.hostileName = GetParam();
    SimRun r(o);
    const std::string item = fdown(r, "DOC2048.TXT");
    ASSERT_TRUE(r.run({item}));
    // Whatever the host called it, the only new file is inside DOWNLOAD.
    const std::vector<std::string> got = r.downloads();
    const std::string announced = sim::MlinkPeer::hostileName(GetParam(), "DOC2048.TXT");
    const std::string expected = transfer::safeDownloadName(announced);
    if (expected.empty()) {
        EXPECT_TRUE(got.empty());
        EXPECT_TRUE(r.netMacHas(item));
    } else {
        EXPECT_EQ(got, std::vector<std::string>{expected});
        EXPECT_TRUE(base::readFile(r.dir.file("DOWNLOAD/" + expected)) == fileContent(2048));
    }
    for (const auto& e : fs::recursive_directory_iterator(r.dir.path())) {
        const std::string rel = fs::relative(e.path(), r.dir.path()).string();
        EXPECT_TRUE(rel.rfind("DOWNLOAD", 0) == 0 || rel.rfind("NET1", 0) == 0 ||
                    rel == "VESPARI.LOG" || rel == "VESPARI.CMD" || rel == "ERROR.LOG" ||
                    rel.rfind("NETLIST", 0) == 0)
            << rel;
    }
    EXPECT_FALSE(fs::exists(r.dir.file("../tmp/DOC2048.TXT")));
    for (const auto& e : fs::recursive_directory_iterator(r.dir.root()))
        EXPECT_TRUE(e.path().string().rfind(r.dir.path(), 0) == 0 ||
                    r.dir.path().rfind(e.path().string(), 0) == 0)
            << "outside the data folder: " << e.path();
}

INSTANTIATE_TEST_SUITE_P(Names, HostileName,
                         ::testing::Values(sim::HostOptions::HostileName::Path,
                                           sim::HostOptions::HostileName::DotDot,
                                           sim::HostOptions::HostileName::LeadingDot,
                                           sim::HostOptions::HostileName::Control));

} // namespace
