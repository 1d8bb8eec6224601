#include "app/CommandLine.h"

namespace app {

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine cl;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.action = Action::Help;
            return cl;
        }
        if (a == "--version") {
            cl.action = Action::Version;
            return cl;
        }
        if (a == "--data-dir") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cl.action = Action::Error;
                cl.error = "--data-dir needs a folder";
                return cl;
            }
            cl.dataDir = args[++i];
        } else if (a.rfind("--data-dir=", 0) == 0 && a.size() > 11) {
            cl.dataDir = a.substr(11);
        } else if (a == "--run") {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
                cl.action = Action::Error;
                cl.error = "--run needs a net (its number or its short name)";
                return cl;
            }
            if (cl.action == Action::Demo) {
                cl.action = Action::Error;
                cl.error = "--run and --demo exclude each other";
                return cl;
            }
            cl.action = Action::Headless;
            cl.net = args[++i];
        } else if (a == "--demo") {
            if (cl.action == Action::Headless) {
                cl.action = Action::Error;
                cl.error = "--run and --demo exclude each other";
                return cl;
            }
            cl.action = Action::Demo;
        } else if (a == "--show-screen") {
            cl.showScreen = true;
        } else {
            cl.action = Action::Error;
            cl.error = "unknown option: " + a;
            return cl;
        }
    }
    if (cl.showScreen && cl.action == Action::Run) {
        cl.action = Action::Error;
        cl.error = "--show-screen goes with --run or --demo";
    }
    return cl;
}

std::string CommandLine::usage() {
    return "Usage: tarno [--data-dir DIR]\n"
           "       tarno --run NET [--show-screen] [--data-dir DIR]\n"
           "       tarno --demo [--show-screen] [--data-dir DIR]\n"
           "\n"
           "TARNO, an unattended terminal for KTBBS bulletin-board hosts.\n"
           "Without --run or --demo it starts the desktop program.\n"
           "\n"
           "  --data-dir DIR  keep the nets, settings and message store in DIR\n"
           "                  (default: $TARNO_HOME, else $XDG_DATA_HOME/tarno,\n"
           "                  else ~/.local/share/tarno); created when missing\n"
           "  --run NET       make one unattended run of NET without windows: NET is\n"
           "                  the net's number (the first net is 0) or its short name;\n"
           "                  the status texts go to standard output; exit status 0\n"
           "                  when the run logged out, 1 when it failed, 2 for bad\n"
           "                  arguments or a data folder that cannot be used, 3 when\n"
           "                  what the run did could not be saved (see the manual)\n"
           "  --demo          a run of the demo net on the built-in simulated host,\n"
           "                  in the data folder (default: the demo folder beside\n"
           "                  the usual one), then a summary of what it brought\n"
           "  --show-screen   with --run or --demo: print the received lines too\n"
           "  --help          show this text\n"
           "  --version       show the version\n";
}

std::string CommandLine::version() {
    return "TARNO Ver 1.16\n";
}

} // namespace app
