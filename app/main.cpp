// tarno: the desktop program, and the unattended run without windows.
#include "app/App.h"
#include "app/CommandLine.h"
#include "app/DataDir.h"
#include "app/DataLock.h"
#include "app/Demo.h"
#include "app/Runner.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    app::CommandLine cl = app::CommandLine::parse(args);
    switch (cl.action) {
    case app::CommandLine::Action::Help:
        std::fputs(app::CommandLine::usage().c_str(), stdout);
        return 0;
    case app::CommandLine::Action::Version:
        std::fputs(app::CommandLine::version().c_str(), stdout);
        return 0;
    case app::CommandLine::Action::Error:
        std::fprintf(stderr, "tarno: %s\n\n%s", cl.error.c_str(),
                     app::CommandLine::usage().c_str());
        return 2;
    case app::CommandLine::Action::Run:
    case app::CommandLine::Action::Headless:
    case app::CommandLine::Action::Demo:
        break;
    }

    char self[4096];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string exe = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    const bool headless = cl.action != app::CommandLine::Action::Run;
    const std::string dir = cl.action == app::CommandLine::Action::Demo
                                ? app::chooseDemoDataDir(cl.dataDir)
                                : app::chooseDataDir(cl.dataDir);
    std::string error = app::enterDataDir(dir, app::startingCopiesDir(exe));
    if (!error.empty()) {
        std::fprintf(stderr, "tarno: %s\n", error.c_str());
        return headless ? app::Runner::kUsage : 1;
    }
    // One program at a time on a data folder, whichever kind it is.
    app::DataLock lock;
    error = lock.acquire(".", dir);
    if (!error.empty()) {
        std::fprintf(stderr, "tarno: %s\n", error.c_str());
        return headless ? app::Runner::kUsage : 1;
    }

    if (headless) {
        // SIGINT, SIGTERM and SIGHUP end the run as the forced end does; a closed standard
        // output does not.
        app::installRunSignals();
    }
    if (cl.action == app::CommandLine::Action::Demo) {
        std::printf("TARNO demo in %s\n", dir.c_str());
        app::DemoOptions o;
        o.startingCopies = app::startingCopiesDir(exe);
        o.showScreen = cl.showScreen;
        return app::runDemo(o);
    }
    if (cl.action == app::CommandLine::Action::Headless) {
        app::Runner::Options o;
        o.net = cl.net;
        o.showScreen = cl.showScreen;
        o.simFixture = app::startingCopiesDir(exe) + "/demo";
        app::Runner runner(o);
        return runner.run();
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("tarno");
    app::App tarno(app::startingCopiesDir(exe) + "/demo");
    tarno.show();
    return QApplication::exec();
}
