#pragma once
// The program's command line: `tarno [--data-dir DIR]`, `--help`, `--version`.
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string dataDir; // empty: the default data folder
    std::string error;   // for Action::Error

    static CommandLine parse(const std::vector<std::string>& args); // without argv[0]
    static std::string usage();
    static std::string version();
};

} // namespace app
