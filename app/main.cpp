// tarno: the desktop program.
#include "app/App.h"
#include "app/CommandLine.h"
#include "app/DataDir.h"

#include <QApplication>
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
        break;
    }

    char self[4096];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string exe = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    const std::string dir = app::chooseDataDir(cl.dataDir);
    std::string error = app::enterDataDir(dir, app::startingCopiesDir(exe));
    if (!error.empty()) {
        std::fprintf(stderr, "tarno: %s\n", error.c_str());
        return 1;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("tarno");
    app::App tarno(app::startingCopiesDir(exe) + "/demo");
    tarno.show();
    return QApplication::exec();
}
