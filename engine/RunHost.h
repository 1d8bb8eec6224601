#pragma once
// What a run needs of the rest of the program: the main and macro windows, the capture
// import at the end, and the file transfer. The composition root implements it, the
// headless runner implements it without windows, and tests record the calls.
#include <string>
#include <vector>

namespace engine {

class RunHost {
public:
    virtual ~RunHost() = default;

    // The main window shown again at the end of a run.
    virtual void showMainWindow() {}
    // The main window and the macro window enabled (true) or disabled.
    virtual void setMainAndMacroEnabled(bool) {}
    // The terminal window hidden at the end of a run.
    virtual void hideTerminal() {}

    // The end-of-run import: lines 1..writePointer of the table (entry 0 is empty), for the
    // net whose number the macro window holds. Returns true when the capture was imported
    // (and VESPARI.LOG may go); false keeps the capture for the next start's recovery.
    virtual bool LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) = 0;

    // The run has ended and its import has finished (the timer clock may run again).
    virtual void runFinished() {}

    // Called before a run opens its capture log: a capture an interrupted run left behind
    // is imported first, without asking (the new run would empty it). Failed keeps the
    // capture and the run does not start.
    enum class Recovery { Nothing, Imported, Failed };
    virtual Recovery recoverLeftOverCapture() { return Recovery::Nothing; }
};

} // namespace engine
