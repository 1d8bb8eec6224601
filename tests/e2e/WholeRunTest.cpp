// Whole unattended runs of the engine against the simulated modem and host, in virtual
// time: every kind of reservation that needs no file transfer is carried out, the host's
// record shows what was posted, and the net's NET.MAC afterwards holds exactly what failed.
// A carrier dropped at each stage keeps every reservation that was not confirmed.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/Fixture.h"
#include "sim/Simulator.h"
#include "tests/engine/EngineHarness.h"
#include "tests/support/SimPort.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using base::sj;
using engine_test::RecordingRunHost;
using engine_test::RecordingView;


// The demo data set without its binary mail, which needs a file transfer at the log-in.
sim::DataSet textMailOnly() {
    sim::DataSet d = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
    std::erase_if(d.mail, [](const sim::Mail& m) { return m.binary; });
    return d;
}

struct WholeRun {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    sim::Simulator sim;
    shell::NetList nets{dir.path(), engine_test::netRecord()};
    shell::ModemSettings modems = shell::defaultModemSettings();
    RecordingMacroHost macroHost;
    macro::MacroModel macro{nets, macroHost, dir.path()};
    base::ErrorLog errors{dir.file("ERROR.LOG")};
    testing_support::SimPort port{loop, sim};
    RecordingRunHost host;
    RecordingView view;
    engine::VazevModel model{{loop, port, nets, modems, macro, errors, host, dir.path()}};

    explicit WholeRun(sim::SimOptions options = {}) : sim(loop, textMailOnly(), options) {
        port.connect(model);
        modems[0] = {"M", "ATDT", "ATZ", 30, 1, 38400, false};
        model.setView(&view);
        model.setRandomDigit([] { return 7; });
        macroHost.provided.insert(macro::Feature::Run);
    }

    std::string netMac() const { return dir.file("NET1/NET.MAC"); }

    // Runs the net's command list to the end of the run; false when it never ends.
    bool run(const base::Lines& mac) {
        base::makeDirs(dir.file("NET1"));
        base::replaceLines(netMac(), mac);
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
        model.AutoLoginClick();
        for (int i = 0; i < 20000 && model.running(); ++i)
            loop.advance(100);
        return !model.running();
    }
    // The reservation blocks left in NET.MAC after the run (lines after the fixed steps).
    base::Lines leftOver() const {
        base::Lines all = base::readLines(netMac());
        base::Lines left;
        bool reservations = false;
        for (const std::string& l : all) {
            if (macro::kindOf(l) != macro::BlockKind::None)
                reservations = true;
            if (reservations)
                left.push_back(l);
        }
        return left;
    }
    bool errorLogged(const std::string& sjisTail) const {
        for (const std::string& l : errors.lines())
            if (l.size() >= sjisTail.size() &&
                l.compare(l.size() - sjisTail.size(), sjisTail.size(), sjisTail) == 0)
                return true;
        return false;
    }
};
const base::Lines kFixed = {"SETKTBBS", "DIAL{0}", "LOGIN"};

base::Lines withFixed(std::initializer_list<std::string> reservations) {
    base::Lines mac = kFixed;
    mac.insert(mac.end(), reservations.begin(), reservations.end());
    mac.push_back("QUIT");
    return mac;
}

TEST(WholeRun, EveryReservationWithoutATransferIsCarriedOutOrKept) {
    WholeRun r;
    const base::Lines mac = withFixed({
        "RES :1#2",
        sj(u8"はなこさん、こんにちは。"),
        ">//",
        sj(u8"よろしく。"),
        "//",
        "NEWW :2#" + sj(u8"モデムの設定"),
        "ATZ",
        sj(u8"だけで動きます。"),
        "//",
        "MAIL :TARNO002#" + sj(u8"お元気ですか"),
        sj(u8"本文の一行目"),
        "//",
        "MLISTDOWN :1#0",
        "MDOWN :2#1",
        "RES :3#1",
        sj(u8"書けないボード"),
        "//",
        "MAIL :NOBODY#" + sj(u8"宛先なし"),
        sj(u8"届かない"),
        "//",
        "NEWW :1#" + sj(u8"題;Q"),
        sj(u8"送られない"),
        "//",
    });
    ASSERT_TRUE(r.run(mac));
    const sim::SessionRecord& rec = r.sim.record();

    // The postings the host received, byte for byte; the read-only board's one unsaved.
    ASSERT_EQ(rec.posts.size(), 3u);
    EXPECT_EQ(rec.posts[0].kind, sim::PostRecord::Kind::Reply);
    EXPECT_EQ(rec.posts[0].board, 1);
    EXPECT_EQ(rec.posts[0].replyTo, 2);
    EXPECT_EQ(rec.posts[0].body,
              (base::Lines{sj(u8"はなこさん、こんにちは。"), ">//", sj(u8"よろしく。")}));
    EXPECT_TRUE(rec.posts[0].saved);
    EXPECT_EQ(rec.posts[1].title, sj(u8"モデムの設定"));
    EXPECT_EQ(rec.posts[1].body, (base::Lines{"ATZ", sj(u8"だけで動きます。")}));
    EXPECT_TRUE(rec.posts[1].saved);
    EXPECT_EQ(rec.posts[2].board, 3);
    EXPECT_FALSE(rec.posts[2].saved);
    ASSERT_EQ(rec.mails.size(), 1u);
    EXPECT_EQ(rec.mails[0].to, "TARNO002");
    EXPECT_EQ(rec.mails[0].title, sj(u8"お元気ですか"));
    EXPECT_EQ(rec.mails[0].body, base::Lines{sj(u8"本文の一行目")});
    // The ';' title never reached the host as a command line.
    EXPECT_EQ(rec.fromTerminal().find(sj(u8"題;Q")), std::string::npos);
    EXPECT_EQ(rec.fromTerminal().find(sj(u8"送られない")), std::string::npos);

    // Exactly what failed is left, in order, for the next run.
    EXPECT_EQ(r.leftOver(),
              (base::Lines{"RES :3#1", sj(u8"書けないボード"), "//",
                           "MAIL :NOBODY#" + sj(u8"宛先なし"), sj(u8"届かない"), "//",
                           "NEWW :1#" + sj(u8"題;Q"), sj(u8"送られない"), "//", "QUIT"}));
    EXPECT_TRUE(r.errorLogged(sj(u8"書込み可能なボードではありません.")));
    // The run logged out and hung up, and the capture was handed to the import.
    EXPECT_NE(std::find(r.host.calls.begin(), r.host.calls.end(), "LogConv"), r.host.calls.end());
    EXPECT_FALSE(r.sim.carrier());
}

// The carrier dropped by the host at a stage of the run: what the host confirmed is gone
// from NET.MAC, everything else stays.
TEST(WholeRun, ACarrierDroppedAtEachStageKeepsWhatWasNotConfirmed) {
    const base::Lines mac = withFixed({
        "NEWW :1#" + sj(u8"一通目"),
        "a",
        "//",
        "NEWW :2#" + sj(u8"二通目"),
        "b",
        "//",
        "MDOWN :1#1",
    });
    struct Stage {
        const char* name;
        sim::HostOptions::DropPoint at;
        int menu;
        base::Lines left; // reservation lines left afterwards
        int saved;        // postings the host saved
    };
    const std::vector<Stage> stages = {
        // While printing the prompt after the log-in: nothing was carried out.
        {"menu after login",
         sim::HostOptions::DropPoint::Menu,
         1,
         {"NEWW :1#" + sj(u8"一通目"), "a", "//", "NEWW :2#" + sj(u8"二通目"), "b", "//",
          "MDOWN :1#1", "QUIT"},
         0},
        // At the prompt after the first posting was saved: its confirmation came before it.
        {"menu after a posting",
         sim::HostOptions::DropPoint::Menu,
         2,
         {"NEWW :2#" + sj(u8"二通目"), "b", "//", "MDOWN :1#1", "QUIT"},
         1},
        // At the log-out: everything was confirmed.
        {"logout", sim::HostOptions::DropPoint::Logout, 1, {}, 2},
    };
    for (const Stage& s : stages) {
        SCOPED_TRACE(s.name);
        sim::SimOptions o;
        o.host.dropAt = s.at;
        o.host.dropAtMenu = s.menu;
        WholeRun r(o);
        ASSERT_TRUE(r.run(mac));
        EXPECT_EQ(r.leftOver(), s.left);
        int saved = 0;
        for (const sim::PostRecord& p : r.sim.record().posts)
            saved += p.saved ? 1 : 0;
        EXPECT_EQ(saved, s.saved);
    }
}

} // namespace
