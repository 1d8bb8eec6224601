#include "sim/Modem.h"

#include "sim/DataSet.h"

namespace sim {

Modem::Modem(base::EventLoop& loop, const ModemOptions& options, SessionRecord& record, Wiring w)
    : loop_(loop), options_(options), record_(record), w_(std::move(w)), dialTimer_(loop, 1),
      guardTimer_(loop, 1) {
    dialTimer_.setOnTimer([this] {
        dialTimer_.setEnabled(false);
        dialResult();
    });
    guardTimer_.setOnTimer([this] {
        guardTimer_.setEnabled(false);
        escapeGuardPassed();
    });
}

void Modem::attach() {
    dialTimer_.setEnabled(false);
    guardTimer_.setEnabled(false);
    state_ = State::Command;
    echo_ = true;
    line_.clear();
    pluses_ = 0;
    if (options_.direct) {
        state_ = State::Online;
        setCarrier(true);
    } else {
        setCarrier(false);
    }
}

void Modem::receive(std::string_view bytes) {
    if (options_.direct) {
        w_.toHost(bytes);
        return;
    }
    if (options_.noAnswer)
        return;
    for (char c : bytes) {
        switch (state_) {
        case State::Command:
        case State::OnlineCommand:
            commandByte(c);
            break;
        case State::Dialling:
            // A key pressed while dialling abandons the call, as on a real modem; the line
            // end that closed the dial command does not count.
            if (c == '\r' || c == '\n')
                break;
            dialTimer_.setEnabled(false);
            record_.dials.back().result = "NO CARRIER";
            state_ = State::Command;
            reply("NO CARRIER");
            break;
        case State::Online:
            onlineByte(c);
            break;
        }
        lastRxMs_ = loop_.nowMs();
    }
}

void Modem::fromHost(std::string_view bytes) {
    if (options_.direct || state_ == State::Online)
        w_.toTerminal(bytes);
}

void Modem::commandByte(char c) {
    if (echo_)
        w_.toTerminal(std::string_view(&c, 1));
    if (c == '\r') {
        std::string line = std::move(line_);
        line_.clear();
        runCommand(line);
    } else if (c == '\b' || c == 0x7F) {
        if (!line_.empty())
            line_.pop_back();
    } else if (static_cast<unsigned char>(c) >= 0x20 && line_.size() < 80) {
        line_ += c;
    }
}

void Modem::runCommand(const std::string& raw) {
    std::string line = upperAscii(raw);
    size_t at = line.find("AT");
    if (at == std::string::npos)
        return; // not a command: a modem ignores it
    std::string cmd = line.substr(at + 2);
    bool hangUp = false;
    bool resume = false;
    // A command line is a run of commands: a letter with an optional number ("E1", "H0",
    // "X4"), "&" with a letter and number ("&C1", "&D2"), a register ("S0=1", "S7?") and,
    // last of all, "D" with the dial string.
    auto digits = [&](size_t i) {
        while (i < cmd.size() && cmd[i] >= '0' && cmd[i] <= '9')
            ++i;
        return i;
    };
    for (size_t i = 0; i < cmd.size();) {
        char c = cmd[i++];
        if (c == ' ')
            continue;
        if (c == '&' || c == '\\' || c == '%') {
            i = digits(i < cmd.size() ? i + 1 : i);
            continue;
        }
        if (c == 'S') {
            i = digits(i);
            if (i < cmd.size() && cmd[i] == '?')
                ++i;
            else if (i < cmd.size() && cmd[i] == '=')
                i = digits(i + 1);
            continue;
        }
        if (c == 'D') {
            if (state_ == State::OnlineCommand) {
                reply("ERROR");
                return;
            }
            dial(raw.substr(at + 2 + i));
            return;
        }
        size_t end = digits(i);
        std::string arg = cmd.substr(i, end - i);
        i = end;
        if (c == 'H')
            hangUp = true;
        else if (c == 'O')
            resume = true;
        else if (c == 'Z')
            echo_ = true;
        else if (c == 'E')
            echo_ = arg != "0";
    }
    if (hangUp && state_ == State::OnlineCommand) {
        endCall(true);
        reply("OK");
        return;
    }
    if (resume && state_ == State::OnlineCommand) {
        state_ = State::Online;
        reply("CONNECT " + std::to_string(options_.connectRate));
        return;
    }
    if (!options_.noOk)
        reply("OK");
}

void Modem::dial(const std::string& number) {
    std::string n = number;
    while (!n.empty() && (n.front() == 'T' || n.front() == 't' || n.front() == 'P' ||
                          n.front() == 'p' || n.front() == ' '))
        n.erase(n.begin());
    record_.dials.push_back(DialRecord{n, ""});
    ++dials_;
    state_ = State::Dialling;
    dialTimer_.setInterval(options_.dialDelayMs);
    dialTimer_.setEnabled(true);
}

void Modem::dialResult() {
    std::string result;
    if (dials_ <= options_.busyCount) {
        result = "BUSY";
    } else if (options_.dialResult == ModemOptions::DialResult::NoCarrier) {
        result = "NO CARRIER";
    } else if (options_.dialResult == ModemOptions::DialResult::Silent) {
        return; // the modem never says what became of the call
    } else {
        result = "CONNECT " + std::to_string(options_.connectRate);
    }
    record_.dials.back().result = result;
    if (result.rfind("CONNECT", 0) == 0) {
        reply(result);
        state_ = State::Online;
        lastRxMs_ = loop_.nowMs();
        pluses_ = 0;
        setCarrier(true);
        w_.callUp();
    } else {
        state_ = State::Command;
        reply(result);
    }
}

void Modem::onlineByte(char c) {
    std::int64_t now = loop_.nowMs();
    if (c == '+') {
        if (pluses_ == 0 && now - lastRxMs_ >= options_.guardMs)
            pluses_ = 1;
        else if (pluses_ > 0 && pluses_ < 3 && now - lastPlusMs_ < options_.guardMs)
            ++pluses_;
        else
            pluses_ = 0;
        lastPlusMs_ = now;
        guardTimer_.setEnabled(false);
        if (pluses_ == 3) {
            guardTimer_.setInterval(options_.guardMs);
            guardTimer_.setEnabled(true);
        }
    } else {
        pluses_ = 0;
        guardTimer_.setEnabled(false);
    }
    // The escape characters are data too until the guard time has passed.
    w_.toHost(std::string_view(&c, 1));
}

void Modem::escapeGuardPassed() {
    if (state_ != State::Online || pluses_ != 3)
        return;
    pluses_ = 0;
    state_ = State::OnlineCommand;
    reply("OK");
}

void Modem::reply(const std::string& result) {
    w_.toTerminal("\r\n" + result + "\r\n");
}

void Modem::setCarrier(bool on) {
    if (carrier_ == on)
        return;
    carrier_ = on;
    w_.carrier(on);
}

void Modem::endCall(bool tellHost) {
    dialTimer_.setEnabled(false);
    guardTimer_.setEnabled(false);
    bool hadCall = state_ == State::Online || state_ == State::OnlineCommand;
    state_ = State::Command;
    pluses_ = 0;
    setCarrier(false);
    if (hadCall && tellHost)
        w_.callDown();
}

void Modem::hostHangUp() {
    // On a direct line the host lowering its DTR shows as carrier detect dropping for a
    // moment (a null-modem cable wires one to the other); then it waits for the next CR.
    if (options_.direct) {
        setCarrier(false);
        setCarrier(true);
        return;
    }
    if (state_ != State::Online && state_ != State::OnlineCommand)
        return;
    endCall(false);
    reply("NO CARRIER");
}

void Modem::dtrDropped() {
    if (options_.direct) {
        w_.callDown();
        return;
    }
    endCall(true);
    echo_ = true;
    line_.clear();
}

} // namespace sim
