#pragma once
// How the simulated modem and host behave, including every way they can be told to
// misbehave. A default-constructed SimOptions is a well-behaved modem (echo, OK, CONNECT
// 9600 after two seconds) in front of a well-behaved host. Tests and tarno-hostsim fill these
// in; the Modem and the Host only read them.
#include <string>
#include <vector>

namespace sim {

struct ModemOptions {
    // No modem at all: the host is wired straight to the line (the net's number "999").
    // Carrier is on from the start and the host wakes at the first CR it receives.
    bool direct = false;
    // The modem is dead: no echo, no result codes, no dialling.
    bool noAnswer = false;
    // Commands other than dialling are echoed but never answered with "OK".
    bool noOk = false;
    // The first `busyCount` dials answer "BUSY"; later ones give `dialResult`.
    int busyCount = 0;
    enum class DialResult { Connect, NoCarrier, Silent };
    DialResult dialResult = DialResult::Connect;
    int connectRate = 9600; // "CONNECT 9600"
    int dialDelayMs = 2000; // from the end of the dial command to its result
    int guardMs = 1000;     // "+++" needs this much silence before and after it
};

struct HostOptions {
    // Where the host drops the carrier on its own.
    enum class DropPoint {
        None,
        Menu,     // while printing the main prompt number `dropAtMenu` (1 = after login)
        Transfer, // halfway through the data of the first MLINK transfer
        Logout,   // when "Q" arrives, before any goodbye
    };
    DropPoint dropAt = DropPoint::None;
    int dropAtMenu = 1;

    // How the host's MLINK side misbehaves.
    enum class MlinkFault {
        None,
        Cancel, // answers the first handshake with the abort "A\b"
        Silent, // never sends a handshake byte or data
        Fail,   // completes the exchange, then reports "失敗"
    };
    MlinkFault mlinkFault = MlinkFault::None;

    // The name a download header announces instead of the file's own name.
    enum class HostileName { None, Path, DotDot, LeadingDot, Control };
    HostileName hostileName = HostileName::None;

    bool alwaysRestricted = false;           // the file-board list is refused at any hour
    std::vector<std::string> readOnlyBoards; // message boards (number or name) refusing posts
    bool menuBeforeId = false; // the caller is logged in without being asked for the ID
    bool chatNotices = false;  // list answers end with a chat notice line "*CH..."
    bool groupMail = false;    // mail prompts offer "G:group"; binary mail asks for "同報" first

    int echoDelayMs = 0; // echo of typed input goes out this late (output stays in order)
    // Each line the terminal enters is echoed at once but answered this much later (a busy
    // host); what the terminal types meanwhile waits for the answer.
    int answerDelayMs = 0;
    // When > 0, the host falls silent for good when it would print its main prompt for the
    // `freezeAtMenu`-th time: no prompt, no echo, no answer, the line stays up.
    int freezeAtMenu = 0;
    // While frozen, one keep-alive goes out this often (a BEL, a NUL, an empty CR LF in
    // turn); 0 for none.
    int keepAliveMs = 0;
    int burstBytes = 0; // when > 0, output leaves in bursts of this many bytes ...
    int burstGapMs = 0; // ... this far apart
    bool noise = false; // stray control bytes and cancelled characters ("x\b") in text
    // When > 0, the new-message read, the lists and the member list add this many filler
    // lines plus entries no terminal table can hold (boards above 99, article numbers above
    // 9999, list numbers above 999) and one line of 100,000 bytes.
    int floodLines = 0;

    // A host that colours its text: prompts, headings and the login prompts come wrapped in
    // ANSI escape sequences, and the screen is cleared after the login.
    bool colour = false;

    int bannerDelayMs = 500;         // carrier up to the banner
    int idleLogoutMs = 300000;       // no input this long ends the session
    int hangUpDelayMs = 1000;        // goodbye to dropping the line
    int mlinkReadyDelayMs = 1500;    // "CTRL-X" line to the first ready sign when receiving
    int mlinkReadyRepeatMs = 2000;   // ready sign repeated this often until a header arrives
    int mlinkTimeoutMs = 60000;      // an MLINK peer silent this long fails the transfer
    int mlinkFailTextDelayMs = 2000; // a failed transfer is reported this much later
};

struct SimOptions {
    ModemOptions modem;
    HostOptions host;
};

} // namespace sim
