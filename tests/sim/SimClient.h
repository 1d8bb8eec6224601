#pragma once
// The terminal's side of a session with the simulator, in virtual time. A test types bytes,
// lets time pass, and looks at what came back: raw, or as the terminal's screen lines
// (control bytes dropped, backspace honoured, a line per CR). waitFor() advances the
// VirtualLoop in small steps until a text arrives or a bound passes, so no test sleeps.
#include "base/VirtualLoop.h"
#include "sim/Fixture.h"
#include "sim/Simulator.h"

#include <string>
#include <vector>

namespace simtest {

// The demo data set in the source tree.
std::string demoDir();
sim::DataSet demoData();

// What a terminal makes of bytes: lines split at CR, LF and other control bytes dropped,
// BS removing the byte before it. The last, unfinished line is included.
std::vector<std::string> screenLines(const std::string& bytes);

// The same, without splitting: CRs stay, other control bytes go, BS takes a byte back.
std::string screenText(const std::string& bytes);

class SimClient {
public:
    explicit SimClient(sim::SimOptions options = {}, sim::DataSet data = demoData());

    base::VirtualLoop loop;
    sim::Simulator sim;

    void type(const std::string& bytes) { sim.receive(bytes); }
    void advance(int ms) { loop.advance(ms); }
    // Advances until `text` stands in the output since the last take(), as the terminal's
    // screen shows it (screenText); false after boundMs.
    bool waitFor(const std::string& text, int boundMs = 30000);
    // Like waitFor for several texts: the index of the first one found, -1 after boundMs.
    int waitForAny(const std::vector<std::string>& texts, int boundMs = 30000);
    // The output since the last take(), and marks it taken.
    std::string take();
    // Everything received so far.
    const std::string& all() const { return output_; }
    bool carrier() const { return carrier_; }
    const std::vector<bool>& carrierChanges() const { return changes_; }

    // Dials with the demo modem and waits for CONNECT (direct mode: sends the CR).
    void connect();
    // connect(), then the ID and password; returns the output up to the first prompt after
    // the login (the mail prompt or the main prompt), taken.
    std::string login();
    // login(), then reads past the waiting mail without deleting it, to the main prompt.
    void loginToMenu();
    // From the first prompt after the login (the output up to it given): reads past the
    // waiting mail without deleting it, to the main prompt.
    void readMailToMenu(const std::string& sinceLogin);
    // Runs a command at the main prompt and returns the output up to the next main prompt.
    std::string command(const std::string& typed, int boundMs = 30000);

    // The terminal's side of an MLINK download: ready sign, header, OK sign, `size` bytes,
    // "E\r". Returns the header line; the data goes to `data`. Empty header on time-out.
    std::string mlinkReceive(std::string& data, int boundMs = 20000);
    // The terminal's side of an upload: waits for the ready sign, sends the header, waits
    // for the OK sign, sends the data in 1024-byte blocks and the end mark. False when a
    // sign did not come (the byte seen instead is left in `seen`).
    bool mlinkSend(const std::string& name, const std::string& data, std::string* seen = nullptr,
                   int boundMs = 20000);

private:
    bool waitBytes(size_t count, int boundMs);

    std::string output_;
    size_t taken_ = 0;
    bool carrier_ = false;
    std::vector<bool> changes_;
};

} // namespace simtest
