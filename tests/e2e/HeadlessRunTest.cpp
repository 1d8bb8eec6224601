// The program itself, `tarno --run`, against tarno-hostsim as a process: over TCP and over a
// pseudo-terminal made by socat, in real time with bounded waits. Each case looks at what a
// user would: the exit status, the net's NET.MAC afterwards, the downloads, the capture's
// archive and the simulator's record of what arrived.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/ReserveList.h"
#include "tests/support/Process.h"
#include "tests/support/Relay.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>

namespace {

using base::sj;
using testing_support::Process;

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// How often `what` stands in `text`.
size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool haveSocat() {
    return ::access("/usr/bin/socat", X_OK) == 0;
}

struct HeadlessRun {
    testing_support::TempDir dir;
    std::string data = dir.file("data");
    std::string record = dir.file("record.txt");
    std::string out, err;
    std::unique_ptr<Process> host;
    std::string device;

    // A data folder with one net, "E2E", dialled through modem setting 0 (COM1) with a
    // redial wait of 5 s, and the given command list.
    void setUp(const std::string& tel, const base::Lines& mac, bool modemInit = true) {
        base::makeDirs(data + "/E2E");
        base::replaceLines(data + "/NETLIST.DAT",
                           {sj(u8"試験ネット"), "E2E", tel, "0", "TARNO001", "tarno",
                            sj(u8"たーの"), "KTBBS", "26/12/05 00:00:00", ""},
                           0600);
        base::Lines ini = base::readLines(std::string(TARNO_SOURCE_DIR) + "/data/TARNO_I2.NEW");
        ini[13] = "5"; // setting 0's redial wait
        if (!modemInit)
            ini[12].clear(); // no initialisation command: nothing answers one on a direct line
        base::replaceLines(data + "/TARNO_I2.INI", ini);
        base::replaceLines(data + "/E2E/NET.MAC", mac);
    }

    // tarno-hostsim for one call, over TCP or (through socat) a pseudo-terminal.
    void startHost(bool pty, std::vector<std::string> options = {}) {
        std::vector<std::string> args = {TARNO_HOSTSIM_PATH, "--once", "--record", record,
                                         "--dial-delay",     "200",    "--guard",  "300"};
        args.insert(args.end(), options.begin(), options.end());
        if (pty) {
            std::string cmd;
            for (const std::string& a : args)
                cmd += (cmd.empty() ? "" : " ") + quoted(a);
            device = dir.file("modem");
            host = std::make_unique<Process>(std::vector<std::string>{
                "/usr/bin/socat", "-d", "-d", "PTY,link=" + device + ",raw,echo=0", "EXEC:" + cmd});
            ASSERT_TRUE(host->started());
            ASSERT_TRUE(host->readErr("starting data transfer loop", 10000)) << host->err;
        } else {
            args.insert(args.end(), {"--listen", "127.0.0.1:0"});
            host = std::make_unique<Process>(args);
            ASSERT_TRUE(host->started());
            ASSERT_TRUE(host->readErr("\n", 10000)) << host->err;
            const size_t colon = host->err.rfind(':');
            device = "tcp:127.0.0.1:" + base::trim(host->err.substr(colon + 1));
        }
        base::replaceLines(data + "/COMPORTS.DAT", {device, "/dev/null", "/dev/null", "/dev/null"});
    }

    // Runs the program; returns its exit status (-1 when it did not end within the bound).
    int runTarno(const std::vector<std::string>& args, int boundMs = 120000) {
        std::string cmd = "exec " + quoted(TARNO_EXE_PATH);
        for (const std::string& a : args)
            cmd += " " + quoted(a);
        cmd += " >" + quoted(dir.file("out.txt")) + " 2>" + quoted(dir.file("err.txt"));
        Process p({"/bin/sh", "-c", cmd});
        if (!p.started() || !p.readErr("", boundMs))
            return -1;
        const int status = p.wait();
        out = base::readFile(dir.file("out.txt"));
        err = base::readFile(dir.file("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int run(int boundMs = 120000) {
        return runTarno({"--run", "E2E", "--data-dir", data}, boundMs);
    }

    // The simulator's record, once it has ended.
    std::string hostRecord() {
        // After the run the host ends its call by itself. On a pseudo-terminal socat may
        // not see the terminal's side close; asked to end, it ends the host too, which
        // writes its record on the way out.
        if (!host->readErr("", 8000)) {
            host->terminate();
            if (!host->readErr("", 8000))
                return "(tarno-hostsim did not end)";
        }
        host->wait();
        std::string r;
        try {
            r = base::readFile(record);
        } catch (const base::FileError&) {
        }
        return r;
    }
    base::Lines netMac() const { return base::readLines(data + "/E2E/NET.MAC"); }
    bool netMacHas(const std::string& line) const {
        const base::Lines l = netMac();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    long fileSize(const std::string& path) const {
        struct stat st;
        return ::stat((data + "/" + path).c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
    }
};

base::Lines commands(std::initializer_list<std::string> reservations) {
    base::Lines mac = {"SETKTBBS", "DIAL{0}", "LOGIN", "NEWMESSAGE", "MBOARD", "MEMBOR"};
    mac.insert(mac.end(), reservations.begin(), reservations.end());
    mac.push_back("QUIT");
    return mac;
}

class EveryReservation : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryReservation, IsCarriedOutAndLeavesTheNetMacEmptyOfReservations) {
    const bool pty = GetParam() == "pty";
    if (pty && !haveSocat())
        GTEST_SKIP() << "socat is not installed (./run installs it)";
    HeadlessRun r;
    base::makeDirs(r.dir.file("files"));
    base::replaceFile(r.dir.file("files/UP.BIN"), std::string(2500, 'u'));
    base::replaceFile(r.dir.file("files/BM.BIN"), std::string(700, 'b'));
    r.setUp("0312345678",
            commands({"RES :1#2", sj(u8"お返事です。"), ">//", "//",
                      "NEWW :2#" + sj(u8"試験の書き込み"), sj(u8"本文の一行目"), "//",
                      "MAIL :TARNO002#" + sj(u8"ごあいさつ"), sj(u8"こんにちは"), "//",
                      "BMAIL :TARNO003#" + r.dir.file("files/BM.BIN"), sj(u8"添付です"), "//",
                      "UPFILE :1#" + sj(u8"試験ファイル") + "|" + r.dir.file("files/UP.BIN"),
                      sj(u8"説明"), "//", "MLISTDOWN :1#0", "MDOWN :2#1", "FDOWN :1#2"}));
    r.startHost(pty);
    ASSERT_EQ(r.run(), 0) << r.err << r.out << r.hostRecord().substr(0, 20000);
    EXPECT_TRUE(r.err.empty()) << r.err;
    // Standard output carries the status texts with the time.
    EXPECT_NE(r.out.find(" IDの送信中."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" 回線が切れました."), std::string::npos) << r.out;

    for (const std::string& l : r.netMac())
        EXPECT_EQ(macro::kindOf(l), macro::BlockKind::None) << "left: " << base::toUtf8(l);
    EXPECT_EQ(r.fileSize("DOWNLOAD/TOOL.LZH"), 3000);
    EXPECT_EQ(r.fileSize("DOWNLOAD/SETUP.DAT"), 2048); // the binary mail at the log-in
    // The capture went to the net's monthly archive.
    bool archived = false;
    for (const auto& e : std::filesystem::directory_iterator(r.data + "/E2E")) {
        const std::string n = e.path().filename().string();
        archived = archived || (n.size() == 11 && n.compare(0, 3, "E2E") == 0 &&
                                n.compare(7, 4, ".LOG") == 0 && e.file_size() > 0);
    }
    EXPECT_TRUE(archived);
    // ... and was imported into the store: new messages, lists, the members, mail.
    const auto text = [&](const std::string& f) {
        try {
            return base::readFile(r.data + "/E2E/" + f);
        } catch (const base::FileError&) {
            return std::string();
        }
    };
    EXPECT_NE(text("MBOARD01.DAT").find("Message  #"), std::string::npos);
    EXPECT_NE(text("MBOARD.LST").find("0001"), std::string::npos) << text("MBOARD.LST");
    EXPECT_NE(text("MEMBOR.LST").find("TARNO002"), std::string::npos);
    EXPECT_NE(text("MAIL.DAT").find("Private Message is from: TARNO002"), std::string::npos);
    EXPECT_NE(text("MBOARD01.LST"), "");

    const std::string rec = r.hostRecord();
    EXPECT_NE(rec.find("POST reply board=1 (1) to=2 saved=yes"), std::string::npos) << rec;
    EXPECT_NE(rec.find("  | >//"), std::string::npos);
    EXPECT_NE(rec.find("POST new board=2 (2) saved=yes"), std::string::npos);
    EXPECT_NE(rec.find("  title " + sj(u8"試験の書き込み")), std::string::npos);
    EXPECT_NE(rec.find("MAIL to=TARNO002 saved=yes"), std::string::npos);
    EXPECT_NE(rec.find("BMAIL to=TARNO003 name=BM.BIN header=BM.BIN declared=700 "
                       "received=700 complete=yes"),
              std::string::npos);
    EXPECT_NE(rec.find("UPLOAD board=1 (1) name=UP.BIN header=UP.BIN declared=2500 "
                       "received=2500 complete=yes"),
              std::string::npos);
    EXPECT_NE(rec.find("DOWNLOAD board=1 number=2 name=TOOL.LZH"), std::string::npos);
    EXPECT_NE(rec.find("LOGOUTS 1"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lines, EveryReservation, ::testing::Values("tcp", "pty"),
                         [](const auto& info) { return info.param; });

// The outcomes of runs that meet trouble, each with its exit status and what stays.
TEST(HeadlessRun, ABusyLineIsRedialledAndTheRunGoesOn) {
    HeadlessRun r;
    r.setUp("0312345678", commands({"MDOWN :1#1"}));
    r.startHost(false, {"--busy", "1"});
    ASSERT_EQ(r.run(), 0) << r.err << r.out;
    EXPECT_FALSE(r.netMacHas("MDOWN :1#1"));
    const std::string rec = r.hostRecord();
    EXPECT_NE(rec.find("DIAL 0312345678 -> BUSY"), std::string::npos) << rec.substr(0, 600);
    EXPECT_NE(rec.find("DIAL 0312345678 -> CONNECT 9600"), std::string::npos);
}

TEST(HeadlessRun, ACarrierDroppedMidRunKeepsWhatWasNotConfirmedAndFails) {
    HeadlessRun r;
    r.setUp("0312345678", commands({"NEWW :1#" + sj(u8"一通目"), "a", "//",
                                    "NEWW :2#" + sj(u8"二通目"), "b", "//"}));
    // Dropped while printing the prompt after the first posting's confirmation.
    r.startHost(false, {"--drop-at", "menu:5"});
    EXPECT_EQ(r.run(), 1) << r.out;
    EXPECT_NE(r.err.find("the line was lost"), std::string::npos) << r.err;
    EXPECT_FALSE(r.netMacHas("NEWW :1#" + sj(u8"一通目")));
    EXPECT_TRUE(r.netMacHas("NEWW :2#" + sj(u8"二通目")));
    const std::string rec = r.hostRecord();
    EXPECT_NE(rec.find("POST new board=1 (1) saved=yes"), std::string::npos) << rec.substr(0, 800);
    EXPECT_EQ(rec.find("POST new board=2"), std::string::npos);
}

TEST(HeadlessRun, AFailedTransferAndAReadOnlyBoardKeepTheirReservations) {
    HeadlessRun r;
    r.setUp("0312345678",
            commands({"RES :3#1", sj(u8"書けません"), "//", "FDOWN :1#2", "MDOWN :1#1"}));
    r.startHost(false, {"--mlink", "fail"});
    ASSERT_EQ(r.run(), 0) << r.err << r.out;
    EXPECT_TRUE(r.netMacHas("RES :3#1"));
    EXPECT_TRUE(r.netMacHas("FDOWN :1#2"));
    EXPECT_FALSE(r.netMacHas("MDOWN :1#1"));
    const std::string errorLog = base::readFile(r.data + "/ERROR.LOG");
    EXPECT_NE(errorLog.find(sj(u8"書込み可能なボードではありません.")), std::string::npos);
    const std::string rec = r.hostRecord();
    EXPECT_NE(rec.find("POST reply board=3 (3) to=1 saved=no"), std::string::npos);
}

TEST(HeadlessRun, ADirectLineNeedsNoModem) {
    if (!haveSocat())
        GTEST_SKIP() << "socat is not installed (./run installs it)";
    HeadlessRun r;
    r.setUp("999", commands({"MDOWN :1#1"}), false);
    r.startHost(true, {"--direct"});
    ASSERT_EQ(r.run(), 0) << r.err << r.out;
    EXPECT_NE(r.out.find(" ダイレクト接続しました."), std::string::npos) << r.out;
    EXPECT_FALSE(r.netMacHas("MDOWN :1#1")) << r.out;
    const std::string rec = r.hostRecord();
    EXPECT_EQ(rec.find("DIAL "), std::string::npos) << rec.substr(0, 3000);
    EXPECT_NE(rec.find("LOGIN TARNO001"), std::string::npos) << rec.substr(0, 3000) << r.out;
}

TEST(HeadlessRun, APortThatWillNotOpenFails) {
    HeadlessRun r;
    r.setUp("0312345678", commands({}));
    base::replaceLines(r.data + "/COMPORTS.DAT",
                       {r.dir.file("no-such-tty"), "/dev/null", "/dev/null", "/dev/null"});
    EXPECT_EQ(r.run(30000), 1);
    EXPECT_NE(r.err.find("could not be opened"), std::string::npos) << r.err;
    // The one-line reason names the device and what is wrong with it.
    EXPECT_NE(r.err.find(r.dir.file("no-such-tty") + ": デバイスがありません"), std::string::npos)
        << r.err;
    // Standard output is UTF-8, for the user's terminal.
    EXPECT_NE(r.out.find("通信ポートをオープンできません."), std::string::npos) << r.out;
}

// A serial server ("tcp:") with a modem behind it keeps the TCP session when the host hangs
// up: the modem's "NO CARRIER" after the log-out is all the terminal hears of it.
TEST(HeadlessRun, ASerialServerThatKeepsTheSessionAfterNoCarrierEndsTheRunNormally) {
    HeadlessRun r;
    r.setUp("0312345678", commands({}));
    r.host = std::make_unique<Process>(
        std::vector<std::string>{TARNO_HOSTSIM_PATH, "--once", "--record", r.record, "--dial-delay",
                                 "200", "--guard", "300", "--pty", r.dir.file("modem")});
    ASSERT_TRUE(r.host->started());
    ASSERT_TRUE(r.host->readErr("tarno-hostsim: pty ", 10000)) << r.host->err;
    auto server = testing_support::Relay::terminalServer(r.dir.file("modem"));
    ASSERT_TRUE(server->ok());
    base::replaceLines(r.data + "/COMPORTS.DAT",
                       {"tcp:" + server->terminalPath(), "/dev/null", "/dev/null", "/dev/null"});
    EXPECT_EQ(r.run(), 0) << r.err << r.out;
    EXPECT_NE(r.out.find("回線が切れました."), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("タイムアウト"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("回線切断の確認ができません"), std::string::npos) << r.out;
    EXPECT_TRUE(server->hostGone()); // the modem's line went, the session stayed
}

TEST(HeadlessRun, BadArgumentsAndAnUnusableOrBusyDataFolderExitWithTwo) {
    HeadlessRun r;
    r.setUp("0312345678", commands({}));
    EXPECT_EQ(r.runTarno({"--run"}), 2);
    EXPECT_NE(r.err.find("--run needs a net"), std::string::npos) << r.err;
    EXPECT_EQ(r.runTarno({"--run", "NOSUCH", "--data-dir", r.data}), 2);
    EXPECT_NE(r.err.find("NOSUCH"), std::string::npos) << r.err;
    EXPECT_EQ(r.runTarno({"--run", "7", "--data-dir", r.data}), 2);
    base::replaceFile(r.dir.file("plainfile"), "x");
    EXPECT_EQ(r.runTarno({"--run", "0", "--data-dir", r.dir.file("plainfile")}), 2);

    // Another TARNO holds the folder.
    int fd = ::open((r.data + "/TARNO.LCK").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(r.runTarno({"--run", "E2E", "--data-dir", r.data}), 2);
    EXPECT_NE(r.err.find("in use by another TARNO"), std::string::npos) << r.err;
    ::close(fd);

    // A list longer than the nets served: the 101st is named as out of reach.
    base::Lines many = base::readLines(r.data + "/NETLIST.DAT");
    const base::Lines one = many;
    for (int i = 1; i <= 100; ++i)
        many.insert(many.end(), one.begin(), one.end());
    base::replaceLines(r.data + "/NETLIST.DAT", many, 0600);
    EXPECT_EQ(r.runTarno({"--run", "100", "--data-dir", r.data}), 2);
    EXPECT_NE(r.err.find("only nets 0 to 99 are served"), std::string::npos) << r.err;
}

// A host that echoes late: the prompt on the screen when a posting went out never answers
// for it, so a reply, a new message and a mail each reach the host exactly once and none
// stays reserved.
TEST(HeadlessRun, ASlowEchoPostsEachReservationExactlyOnce) {
    for (const auto& [pty, delay] : {std::pair{false, "2000"}, std::pair{true, "3000"}}) {
        if (pty && !haveSocat())
            continue;
        SCOPED_TRACE(std::string(pty ? "pty" : "tcp") + ", slow echo " + delay);
        HeadlessRun r;
        r.setUp("0312345678",
                {"SETKTBBS", "DIAL{0}", "LOGIN", "RES :1#2", sj(u8"お返事です。"), "//",
                 "NEWW :2#" + sj(u8"試験の書き込み"), sj(u8"本文"), "//",
                 "MAIL :TARNO002#" + sj(u8"ごあいさつ"), sj(u8"こんにちは"), "//", "QUIT"});
        r.startHost(pty, {"--slow-echo", delay});
        ASSERT_EQ(r.run(), 0) << r.err << r.out;
        for (const std::string& l : r.netMac())
            EXPECT_EQ(macro::kindOf(l), macro::BlockKind::None) << "left: " << base::toUtf8(l);
        const std::string rec = r.hostRecord();
        auto count = [&](const std::string& what) { return occurrences(rec, what); };
        EXPECT_EQ(count("POST reply board=1 (1) to=2 saved=yes"), 1u) << rec.substr(0, 3000);
        EXPECT_EQ(count("POST new board=2 (2) saved=yes"), 1u);
        EXPECT_EQ(count("MAIL to=TARNO002 saved=yes"), 1u);
        EXPECT_EQ(count("\nPOST "), 2u);
        EXPECT_EQ(count("\nMAIL to="), 1u);
    }
}

// Killed with SIGKILL right after the host confirmed the first posting, then run again on
// the same host: the confirmed posting is not posted again, the second one is, and the
// mail the host deleted in the killed run is recovered into MAIL.DAT before the new run.
TEST(HeadlessRun, KilledAfterAConfirmationThenRunAgainPostsNothingTwice) {
    HeadlessRun r;
    const std::string first = "NEWW :1#" + sj(u8"一通目");
    r.setUp("0312345678", {"SETKTBBS", "DIAL{0}", "LOGIN", first, "a", "//",
                           "NEWW :2#" + sj(u8"二通目"), "b", "//", "QUIT"});
    // Without --once the host keeps its data set from one call to the next; answers come
    // late so that the kill lands between the two postings.
    std::vector<std::string> args = {
        TARNO_HOSTSIM_PATH, "--record", r.record,   "--dial-delay", "200", "--guard", "300",
        "--answer-delay",   "1500",     "--listen", "127.0.0.1:0"};
    r.host = std::make_unique<Process>(args);
    ASSERT_TRUE(r.host->started());
    ASSERT_TRUE(r.host->readErr("\n", 10000)) << r.host->err;
    const size_t colon = r.host->err.rfind(':');
    r.device = "tcp:127.0.0.1:" + base::trim(r.host->err.substr(colon + 1));
    base::replaceLines(r.data + "/COMPORTS.DAT", {r.device, "/dev/null", "/dev/null", "/dev/null"});

    {
        Process tarno({TARNO_EXE_PATH, "--run", "E2E", "--data-dir", r.data});
        ASSERT_TRUE(tarno.started());
        bool confirmed = false;
        for (int waited = 0; waited < 60000 && !confirmed; waited += 20) {
            ::usleep(20000);
            confirmed = !r.netMacHas(first) && !r.netMac().empty();
        }
        ASSERT_TRUE(confirmed) << "the first posting was never confirmed";
        tarno.signal(SIGKILL);
        tarno.wait();
    }
    EXPECT_TRUE(base::fileExists(r.data + "/VESPARI.LOG")) << "the capture stays";
    ASSERT_EQ(r.run(), 0) << r.err << r.out;
    EXPECT_FALSE(base::fileExists(r.data + "/VESPARI.LOG"));
    r.host->terminate();
    const std::string rec = r.hostRecord();
    auto count = [&](const std::string& what) { return occurrences(rec, what); };
    EXPECT_EQ(count("POST new board=1 (1) saved=yes"), 1u) << rec.substr(0, 3000);
    EXPECT_EQ(count("POST new board=2 (2) saved=yes"), 1u);
    EXPECT_FALSE(r.netMacHas("NEWW :2#" + sj(u8"二通目")));
    // The mail the first call received (and the host deleted) is in the store.
    EXPECT_NE(base::readFile(r.data + "/E2E/MAIL.DAT").find("Private Message is from: TARNO002"),
              std::string::npos);
}

// A reader of the status lines that goes away (`tarno --run NET | head -3`) does not end
// the run: it logs out, hangs up and saves as any other.
TEST(HeadlessRun, StandardOutputClosedEarlyDoesNotEndTheRun) {
    HeadlessRun r;
    r.setUp("0312345678", commands({"MDOWN :1#1"}));
    r.startHost(false);
    Process p({"/bin/sh", "-c",
               "exec " + quoted(TARNO_EXE_PATH) + " --run E2E --data-dir " +
                   quoted(r.data.c_str()) + " | head -3 >/dev/null"});
    ASSERT_TRUE(p.started());
    ASSERT_TRUE(p.readErr("", 120000));
    p.wait();
    // head has gone long before the end; the run still ended normally.
    const std::string rec = r.hostRecord();
    EXPECT_NE(rec.find("LOGOUTS 1"), std::string::npos) << rec.substr(0, 2000);
    EXPECT_FALSE(r.netMacHas("MDOWN :1#1"));
    EXPECT_FALSE(base::fileExists(r.data + "/VESPARI.LOG")) << "imported";
}

// The end-of-run import cannot write the store (its folder taken by a file): the run says
// so with its own exit status, and the capture stays for the next run to import.
TEST(HeadlessRun, AnImportThatFailsAtTheEndHasItsOwnExitStatus) {
    HeadlessRun r;
    r.setUp("0312345678", commands({}));
    r.startHost(false);
    // The net's store files cannot be written: MBOARD.LST is a folder.
    base::makeDirs(r.data + "/E2E/MBOARD.LST");
    EXPECT_EQ(r.run(), 3) << r.out;
    EXPECT_NE(r.err.find("could not be saved"), std::string::npos) << r.err;
    EXPECT_TRUE(base::fileExists(r.data + "/VESPARI.LOG"));
}

// A host that colours its text, over TCP in real time: the run does what it does with the
// uncoloured host, and leaves the same NET.MAC, downloads and store files.
TEST(HeadlessRun, AColouringHostGetsTheUncolouredRun) {
    const auto runWith = [](HeadlessRun& r, std::vector<std::string> hostOptions) {
        r.setUp(
            "0312345678",
            commands({"RES :1#2", sj(u8"お返事です。"), "//", "NEWW :2#" + sj(u8"試験の書き込み"),
                      sj(u8"本文の一行目"), "//", "MAIL :TARNO002#" + sj(u8"ごあいさつ"),
                      sj(u8"こんにちは"), "//", "MLISTDOWN :1#0", "MDOWN :2#1", "FDOWN :1#2"}));
        r.startHost(false, std::move(hostOptions));
        return r.run();
    };
    // What the run left in the data folder, but for what names the line, the process or
    // the time (the articles posted carry the minute they were posted at).
    const auto files = [](const HeadlessRun& r) {
        std::map<std::string, std::string> out;
        const std::regex minute("[0-9][0-9]:[0-9][0-9]");
        for (const auto& e : std::filesystem::recursive_directory_iterator(r.data)) {
            const std::string name = std::filesystem::relative(e.path(), r.data).string();
            if (e.is_regular_file() && name != "COMPORTS.DAT" && name != "TARNO.LCK" &&
                !base::endsWith(name, ".LOG"))
                out[name] = std::regex_replace(base::readFile(e.path().string()), minute, "hh:mm");
        }
        return out;
    };
    // The record's items, before its timed transcript.
    const auto items = [](const std::string& record) {
        return record.substr(0, record.find("TRANSCRIPT\r\n"));
    };
    HeadlessRun plain, coloured;
    ASSERT_EQ(runWith(plain, {}), 0) << plain.err << plain.out;
    ASSERT_EQ(runWith(coloured, {"--colour"}), 0) << coloured.err << coloured.out;
    const std::string record = coloured.hostRecord();
    ASSERT_NE(record.find("\\x1B[2J"), std::string::npos) << "the host coloured its text";
    EXPECT_EQ(items(record), items(plain.hostRecord()));
    EXPECT_EQ(coloured.netMac(), plain.netMac());
    const auto colouredFiles = files(coloured);
    EXPECT_EQ(colouredFiles, files(plain));
    EXPECT_EQ(colouredFiles.count("DOWNLOAD/TOOL.LZH"), 1u);
    EXPECT_EQ(coloured.fileSize("ERROR.LOG"), plain.fileSize("ERROR.LOG"));
}

} // namespace
