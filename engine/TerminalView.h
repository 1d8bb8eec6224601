#pragma once
// How the terminal's model tells its window what changed. The window (TVazevForm) draws
// the screen from the model's line table when asked; the headless runner prints the
// status texts; tests record everything in order.
#include <string>

namespace engine {

class TerminalView {
public:
    virtual ~TerminalView() = default;
    // The status line (StatusBar1), Shift-JIS.
    virtual void status(const std::string& sjisText) = 0;
    // Label1: the state being worked on.
    virtual void stateLabel(const std::string&) {}
    // Label2: the counters (idle ticks, pointers).
    virtual void counters(const std::string&) {}
    // The screen should be drawn again (Redraw was set).
    virtual void redraw() {}
    // One engine tick passed: the cursor blinks (phase alternates).
    virtual void blinkCursor(bool) {}
    virtual void beep() {}
    // A line was completed by a CR (index into the line table), for views that print
    // received lines as they come.
    virtual void lineCompleted(int) {}
};

} // namespace engine
