#pragma once
// Host sessions as text. A transcript is a file of directives, one a line, played against
// the terminal model on a VirtualLoop (EngineHarness). Texts are UTF-8 in the file and
// Shift-JIS on the line; "\r", "\n", "\b", "\t", "\\" and "\xNN" are escapes.
//
//   # comment                   set FIELD VALUE   (tel, init, prefix, wait, digit on|off,
//   mac LINE                                       line network, open fail)
//   start                       the net manager's "ログイン"
//   < TEXT                      the host sends TEXT in one notification
//   > TEXT                      the engine's next bytes are exactly TEXT
//   quiet                       the engine sent nothing more
//   tick N / wait MS            time passes (engine ticks of 500 ms / milliseconds)
//   carrier on|off              the line's carrier changes
//   press forced-end            the "強制通信終了" button
//   status TEXT                 TEXT was shown on the status line since the last "status"
//   nostatus TEXT               TEXT has not been shown at all
//   error TEXT / noerror        an error-log line ends with TEXT / no error-log lines
//   running / ended             the run is in progress / over (end-of-run sequence done)
//   outcome NAME                the run ended as NAME: completed, lost, timedout,
//                               openfailed, forced, tablefull or nohangup
//   line N TEXT                 line N of the line table is TEXT
//   capture TEXT                VESPARI.LOG holds the line TEXT
//   nocapture TEXT              VESPARI.LOG does not hold the line TEXT
//   reserve N                   N lines are left in the reservation list
//   netmac TEXT / nonetmac TEXT the net's NET.MAC holds / lacks the line TEXT
//   include FILE                the directives of FILE (beside this one) are played here
//   macro N                     the command pointer is N
#include <string>
#include <vector>

namespace engine_test {

// Plays the file; returns one message per failed expectation ("file:line: ...").
std::vector<std::string> playTranscript(const std::string& path);

// The escapes of a transcript text resolved, and the UTF-8 turned into Shift-JIS.
std::string transcriptText(const std::string& utf8);

} // namespace engine_test
