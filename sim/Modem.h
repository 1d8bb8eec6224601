#pragma once
// A Hayes-compatible modem between the terminal and the host. Bytes from the terminal come
// in through receive(); in command state they are echoed and collected into AT commands,
// online they go on to the host (and are watched for the "+++" escape). Bytes from the host
// come in through fromHost() and reach the terminal only while a call is up. The carrier
// detect line is reported through the carrier callback; the host is told when a call
// starts and ends.
//
//   command --ATD--> dialling --(delay)--> CONNECT: online / BUSY, NO CARRIER: command
//   online --"+++" with guard time--> online command --ATO--> online
//                                                     --ATH--> command (carrier off)
//   online --host hangs up--> "NO CARRIER", command (carrier off)
//   any --DTR dropped--> command (carrier off)
//
// In direct mode there is no modem: every byte passes straight through and the carrier is
// on from the moment a terminal attaches; when the host hangs up it drops for a moment.
#include "base/EventLoop.h"
#include "sim/Options.h"
#include "sim/Record.h"

#include <functional>
#include <string>
#include <string_view>

namespace sim {

class Modem {
public:
    struct Wiring {
        std::function<void(std::string_view)> toTerminal;
        std::function<void(bool)> carrier;
        std::function<void(std::string_view)> toHost;
        std::function<void()> callUp;   // the host answers a call
        std::function<void()> callDown; // the call ended from the terminal's side
    };

    Modem(base::EventLoop& loop, const ModemOptions& options, SessionRecord& record, Wiring w);
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    // A terminal attached to the line: power-on state (command mode, echo on, no call).
    void attach();
    void receive(std::string_view bytes);
    void fromHost(std::string_view bytes);
    // The host dropped the line (logout, time-out, a chosen misbehaviour).
    void hostHangUp();
    // The terminal lowered DTR: the call, if any, ends without a word.
    void dtrDropped();

    bool carrier() const { return carrier_; }
    bool online() const { return state_ == State::Online; }

private:
    enum class State { Command, Dialling, Online, OnlineCommand };

    void commandByte(char c);
    void runCommand(const std::string& line);
    void dial(const std::string& number);
    void dialResult();
    void onlineByte(char c);
    void escapeGuardPassed();
    void reply(const std::string& result);
    void setCarrier(bool on);
    void endCall(bool tellHost);

    base::EventLoop& loop_;
    const ModemOptions& options_;
    SessionRecord& record_;
    Wiring w_;

    State state_ = State::Command;
    bool echo_ = true;
    bool carrier_ = false;
    std::string line_;
    int dials_ = 0;
    base::Timer dialTimer_;

    // "+++" escape: time of the last byte from the terminal, '+' seen in a row.
    std::int64_t lastRxMs_ = 0;
    std::int64_t lastPlusMs_ = 0;
    int pluses_ = 0;
    base::Timer guardTimer_;
};

} // namespace sim
