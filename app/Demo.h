#pragma once
// `tarno --demo`: the demo net on the built-in simulated host, in a data folder of its own.
// On first use the folder gets the demo net "デモネット" on the "sim:" line, the simulated
// host's data set (in DEMOHOST/, where the host keeps its state from run to run, so a
// message posted in one run comes back as a new message in the next) and a few starting
// reservations. Each use makes one unattended run and prints what it brought.
#include <cstdio>
#include <string>

namespace app {

// The demo's data folder: --data-dir when given, else the usual data folder's name with
// "-demo" after it, so the demo never touches the user's own nets.
std::string chooseDemoDataDir(const std::string& fromCommandLine);

struct DemoOptions {
    std::string startingCopies; // the folder of the starting copies (with demo/ in it)
    bool showScreen = false;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// In the demo's data folder (the working folder): sets it up when it is new, runs the demo
// net and prints the summary. Returns the run's exit status.
int runDemo(const DemoOptions& options);

// The folder of the simulated host's data set inside the demo's data folder.
inline constexpr const char* kDemoHostFolder = "DEMOHOST";

// Sets the working folder up as the demo's data folder when it is not one yet; returns an
// error text, empty on success.
std::string prepareDemo(const std::string& startingCopies);

} // namespace app
