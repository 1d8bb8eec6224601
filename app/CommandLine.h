#pragma once
// The program's command line: `tarno [--data-dir DIR]` (the desktop program),
// `tarno --run NET [--show-screen]` (one unattended run, no windows), `tarno --demo`,
// `--help`, `--version`.
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Action { Run, Headless, Demo, Help, Version, Error };
    Action action = Action::Run;
    std::string dataDir; // empty: the default data folder
    std::string net;     // Headless: the net's number (the first is 0) or its short name
    bool showScreen = false; // Headless, Demo: print the received lines too
    std::string error;   // for Action::Error

    static CommandLine parse(const std::vector<std::string>& args); // without argv[0]
    static std::string usage();
    static std::string version();
};

} // namespace app
