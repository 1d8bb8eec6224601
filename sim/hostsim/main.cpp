// tarno-hostsim: the simulated Hayes modem and host as a program of its own, on real time.
// It reads the command line into SimOptions, loads the data set, carries the line over
// standard input and output, TCP or a pseudo-terminal, and writes the session record at
// exit. SIGINT, SIGTERM and SIGHUP end it cleanly (record written).
#include "base/LineFile.h"
#include "base/StdLoop.h"
#include "sim/Fixture.h"
#include "sim/Simulator.h"
#include "sim/hostsim/Transports.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char kHelp[] = R"(Usage: tarno-hostsim [options]

A simulated Hayes modem with a bulletin-board host behind it, for trying TARNO and for
tests. Without --listen or --pty it talks on standard input and output.

Line:
  --listen [HOST:]PORT   accept one TCP connection at a time (HOST defaults to 127.0.0.1;
                         PORT 0 picks a free port, printed on standard error)
  --pty PATH             create a pseudo-terminal and make PATH a symbolic link to its
                         terminal side; the carrier dropping hangs that terminal up and a
                         fresh one takes its place behind PATH
  --once                 end the program after the first call has ended
  --fixture DIR          the data set to serve (default: the demo data set)
  --record FILE          write the session record to FILE at exit
  --help                 this text

Modem:
  --direct               no modem: the host is wired to the line (a net whose number is
                         "999"); it wakes at the first CR
  --busy N               answer the first N dials with BUSY
  --no-modem-answer      the modem is dead: no echo, no replies
  --no-ok                commands are echoed but never answered with OK
  --no-connect           a dial gets no answer at all
  --no-carrier           a dial answers NO CARRIER
  --rate N               the rate in "CONNECT N" (default 9600)
  --dial-delay MS        from the dial command to its result (default 2000)
  --guard MS             guard time around "+++" (default 1000)

Host misbehaviour:
  --drop-at menu[:N]     drop the carrier while printing the N-th main prompt (default 1)
  --drop-at transfer     drop the carrier halfway through the first MLINK transfer's data
  --drop-at logout       drop the carrier as soon as "Q" arrives, without a goodbye
  --mlink cancel         answer the first MLINK handshake with the abort "A\b"
  --mlink silent         never send an MLINK handshake byte or data
  --mlink fail           complete MLINK transfers but report them as failed
  --hostile-name KIND    announce downloads under a hostile name: path, dotdot, dot or
                         control
  --restricted           refuse the file-board list at any hour
  --read-only-board REF  the message board REF (number or name) refuses writing; repeatable
  --group-mail           mail prompts offer "G:group"; binary mail asks for "同報" first
  --menu-before-id       log the caller in at once, without asking for the ID
  --chat-notices         end every list answer with a chat notice line "*CH..."
  --slow-echo MS         the echo of typed input comes MS late
  --answer-delay MS      each line typed is echoed at once but answered MS later
  --freeze-at-menu N     fall silent for good instead of printing the Nth main prompt
  --keep-alive MS        while silent, send a BEL, a NUL or an empty line every MS
  --burst BYTES:MS       output leaves in bursts of BYTES, MS apart
  --noise                stray control bytes and cancelled characters in the host's text
  --flood LINES          the new-message read and the lists add LINES filler lines and
                         entries beyond any terminal table
  --idle-logout MS       end a session after MS without input (default 300000)
  --colour               colour prompts, headings and the login prompts with ANSI escape
                         sequences, and clear the screen after the login
)";

// The demo data set: beside an installed program (../share/tarno/data/demo), else the
// source tree's the program was built from.
std::string demoFixture() {
    char self[4096];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string dir(self, static_cast<size_t>(n));
        dir = dir.substr(0, dir.rfind('/'));
        const std::string installed = dir + "/../share/tarno/data/demo";
        if (base::dirExists(installed))
            return installed;
    }
    return TARNO_DEMO_DIR;
}

struct Config {
    sim::SimOptions options;
    std::string fixture = demoFixture();
    std::string listen;
    std::string pty;
    std::string record;
    bool once = false;
};

[[noreturn]] void usage(const std::string& problem) {
    std::fprintf(stderr, "tarno-hostsim: %s (see --help)\n", problem.c_str());
    std::exit(2);
}

int intArg(const std::string& opt, const char* value) {
    char* end = nullptr;
    long n = std::strtol(value, &end, 10);
    if (!*value || *end || n < 0 || n > 100'000'000)
        usage("bad number for " + opt + ": " + value);
    return static_cast<int>(n);
}

Config parse(int argc, char** argv) {
    Config c;
    sim::ModemOptions& m = c.options.modem;
    sim::HostOptions& h = c.options.host;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage(opt + " needs a value");
            return argv[++i];
        };
        if (opt == "--help" || opt == "-h") {
            std::fputs(kHelp, stdout);
            std::exit(0);
        } else if (opt == "--listen") {
            c.listen = value();
        } else if (opt == "--pty") {
            c.pty = value();
        } else if (opt == "--once") {
            c.once = true;
        } else if (opt == "--fixture") {
            c.fixture = value();
        } else if (opt == "--record") {
            c.record = value();
        } else if (opt == "--direct") {
            m.direct = true;
        } else if (opt == "--busy") {
            m.busyCount = intArg(opt, value());
        } else if (opt == "--no-modem-answer") {
            m.noAnswer = true;
        } else if (opt == "--no-ok") {
            m.noOk = true;
        } else if (opt == "--no-connect") {
            m.dialResult = sim::ModemOptions::DialResult::Silent;
        } else if (opt == "--no-carrier") {
            m.dialResult = sim::ModemOptions::DialResult::NoCarrier;
        } else if (opt == "--rate") {
            m.connectRate = intArg(opt, value());
        } else if (opt == "--dial-delay") {
            m.dialDelayMs = intArg(opt, value());
        } else if (opt == "--guard") {
            m.guardMs = intArg(opt, value());
        } else if (opt == "--drop-at") {
            std::string v = value();
            if (v == "transfer") {
                h.dropAt = sim::HostOptions::DropPoint::Transfer;
            } else if (v == "logout") {
                h.dropAt = sim::HostOptions::DropPoint::Logout;
            } else if (v.rfind("menu", 0) == 0) {
                h.dropAt = sim::HostOptions::DropPoint::Menu;
                if (v.size() > 4) {
                    if (v[4] != ':')
                        usage("bad --drop-at " + v);
                    h.dropAtMenu = intArg(opt, v.c_str() + 5);
                }
            } else {
                usage("bad --drop-at " + v);
            }
        } else if (opt == "--mlink") {
            std::string v = value();
            if (v == "cancel")
                h.mlinkFault = sim::HostOptions::MlinkFault::Cancel;
            else if (v == "silent")
                h.mlinkFault = sim::HostOptions::MlinkFault::Silent;
            else if (v == "fail")
                h.mlinkFault = sim::HostOptions::MlinkFault::Fail;
            else
                usage("bad --mlink " + v);
        } else if (opt == "--hostile-name") {
            std::string v = value();
            if (v == "path")
                h.hostileName = sim::HostOptions::HostileName::Path;
            else if (v == "dotdot")
                h.hostileName = sim::HostOptions::HostileName::DotDot;
            else if (v == "dot")
                h.hostileName = sim::HostOptions::HostileName::LeadingDot;
            else if (v == "control")
                h.hostileName = sim::HostOptions::HostileName::Control;
            else
                usage("bad --hostile-name " + v);
        } else if (opt == "--restricted") {
            h.alwaysRestricted = true;
        } else if (opt == "--read-only-board") {
            h.readOnlyBoards.push_back(value());
        } else if (opt == "--group-mail") {
            h.groupMail = true;
        } else if (opt == "--menu-before-id") {
            h.menuBeforeId = true;
        } else if (opt == "--chat-notices") {
            h.chatNotices = true;
        } else if (opt == "--slow-echo") {
            h.echoDelayMs = intArg(opt, value());
        } else if (opt == "--answer-delay") {
            h.answerDelayMs = intArg(opt, value());
        } else if (opt == "--freeze-at-menu") {
            h.freezeAtMenu = intArg(opt, value());
        } else if (opt == "--keep-alive") {
            h.keepAliveMs = intArg(opt, value());
        } else if (opt == "--burst") {
            std::string v = value();
            size_t colon = v.find(':');
            if (colon == std::string::npos)
                usage("--burst wants BYTES:MS");
            h.burstBytes = intArg(opt, v.substr(0, colon).c_str());
            h.burstGapMs = intArg(opt, v.substr(colon + 1).c_str());
        } else if (opt == "--noise") {
            h.noise = true;
        } else if (opt == "--flood") {
            h.floodLines = intArg(opt, value());
        } else if (opt == "--idle-logout") {
            h.idleLogoutMs = intArg(opt, value());
        } else if (opt == "--colour" || opt == "--color") {
            h.colour = true;
        } else {
            usage("unknown option " + opt);
        }
    }
    if (!c.listen.empty() && !c.pty.empty())
        usage("--listen and --pty exclude each other");
    return c;
}

} // namespace

int main(int argc, char** argv) {
    Config config = parse(argc, argv);

    sim::DataSet data;
    try {
        data = sim::loadFixture(config.fixture);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarno-hostsim: %s\n", e.what());
        return 1;
    }

    // Signals are taken by one thread with sigwait; every other thread has them blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    base::StdLoop loop;
    sim::Simulator simulator(loop, std::move(data), config.options);
    std::thread signalThread([&] {
        int sig = 0;
        sigwait(&signals, &sig);
        loop.quit();
    });

    auto lineGone = [&] {
        if (config.once)
            loop.quit();
    };
    int status = 0;
    {
        std::unique_ptr<hostsim::Transport> transport;
        if (!config.listen.empty())
            transport = hostsim::makeTcp(loop, simulator, config.listen, lineGone);
        else if (!config.pty.empty())
            transport = hostsim::makePty(loop, simulator, config.pty, lineGone);
        else
            transport = hostsim::makeStdio(
                loop, simulator, [&] { loop.quit(); }, lineGone);
        try {
            transport->start();
            loop.run();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tarno-hostsim: %s\n", e.what());
            status = 1;
        }
    }

    pthread_kill(signalThread.native_handle(), SIGTERM);
    signalThread.join();

    if (!config.record.empty()) {
        try {
            base::replaceFile(config.record, simulator.record().toText());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tarno-hostsim: %s\n", e.what());
            status = 1;
        }
    }
    return status;
}
