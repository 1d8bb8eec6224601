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
        } else {
            cl.action = Action::Error;
            cl.error = "unknown option: " + a;
            return cl;
        }
    }
    return cl;
}

std::string CommandLine::usage() {
    return "Usage: tarno [--data-dir DIR]\n"
           "\n"
           "TARNO, an unattended terminal for KTBBS bulletin-board hosts.\n"
           "\n"
           "  --data-dir DIR  keep the nets, settings and message store in DIR\n"
           "                  (default: $TARNO_HOME, else $XDG_DATA_HOME/tarno,\n"
           "                  else ~/.local/share/tarno); created when missing\n"
           "  --help          show this text\n"
           "  --version       show the version\n";
}

std::string CommandLine::version() {
    return "TARNO Ver 1.16\n";
}

} // namespace app
