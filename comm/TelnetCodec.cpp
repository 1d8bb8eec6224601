#include "comm/TelnetCodec.h"

namespace comm {

using namespace telnet;

namespace {

void appendCommand(std::string& out, unsigned char verb, unsigned char option) {
    out += static_cast<char>(IAC);
    out += static_cast<char>(verb);
    out += static_cast<char>(option);
}

} // namespace

TelnetCodec::Policy TelnetCodec::clientPolicy() {
    Policy p;
    p.local.set(BINARY).set(SGA);
    p.remote.set(BINARY).set(SGA).set(ECHO);
    p.ask.set(BINARY).set(SGA);
    return p;
}

TelnetCodec::TelnetCodec(Policy policy) : policy_(policy) {
    local_.fill(Q::No);
    remote_.fill(Q::No);
}

std::string TelnetCodec::start() {
    std::string out;
    for (unsigned option = 0; option < 256; ++option)
        if (policy_.local[option] && local_[option] == Q::No) {
            local_[option] = Q::WantYes;
            appendCommand(out, WILL, static_cast<unsigned char>(option));
        }
    for (unsigned option = 0; option < 256; ++option)
        if (policy_.remote[option] && policy_.ask[option] && remote_[option] == Q::No) {
            remote_[option] = Q::WantYes;
            appendCommand(out, DO, static_cast<unsigned char>(option));
        }
    return out;
}

void TelnetCodec::data(unsigned char b, char* out, size_t& len) {
    const bool binary = remoteOn(BINARY);
    const bool dropNul = afterCr_ && b == 0 && !binary;
    afterCr_ = b == '\r' && !binary;
    if (!dropNul)
        out[len++] = static_cast<char>(b);
}

// A byte after IAC outside a subnegotiation. NOP, GA, DM, AYT and the other one-byte
// commands mean nothing to a terminal that shows a host's lines, so they are dropped, as is
// a stray SE or a byte that names no command.
void TelnetCodec::command(unsigned char b) {
    if (b >= WILL) { // WILL, WONT, DO, DONT (IAC IAC is handled by the caller)
        verb_ = b;
        state_ = State::Verb;
    } else if (b == SB) {
        sbLength_ = 0;
        state_ = State::Sb;
    } else {
        state_ = State::Data;
    }
}

void TelnetCodec::request(Q& q, bool allowed, bool on, unsigned char yes, unsigned char no,
                          unsigned char option, std::string& answers) {
    if (on) {
        if (q == Q::No) {
            if (allowed)
                q = Q::Yes;
            appendCommand(answers, allowed ? yes : no, option);
        } else {
            q = Q::Yes; // already on, or the agreement to our own request
        }
    } else {
        if (q == Q::Yes)
            appendCommand(answers, no, option);
        q = Q::No; // a refusal of our request needs no answer
    }
}

void TelnetCodec::negotiate(unsigned char verb, unsigned char option, std::string& answers) {
    switch (verb) {
    case WILL:
    case WONT:
        request(remote_[option], policy_.remote[option], verb == WILL, DO, DONT, option, answers);
        break;
    default: // DO, DONT
        request(local_[option], policy_.local[option], verb == DO, WILL, WONT, option, answers);
        break;
    }
}

size_t TelnetCodec::receive(const char* in, size_t n, char* out, std::string& answers) {
    size_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(in[i]);
        switch (state_) {
        case State::Data:
            if (b == IAC)
                state_ = State::Iac;
            else
                data(b, out, len);
            break;
        case State::Iac:
            if (b == IAC) {
                data(b, out, len);
                state_ = State::Data;
            } else {
                command(b);
            }
            break;
        case State::Verb:
            negotiate(verb_, b, answers);
            state_ = State::Data;
            break;
        case State::Sb:
            ++sbLength_;
            if (b == IAC)
                state_ = State::SbIac;
            else if (sbLength_ >= kMaxSubnegotiation)
                state_ = State::Data;
            break;
        case State::SbIac:
            ++sbLength_;
            if (b == IAC) // an 0xFF inside the parameters
                state_ = sbLength_ >= kMaxSubnegotiation ? State::Data : State::Sb;
            else if (b == SE)
                state_ = State::Data;
            else
                command(b); // a command where IAC SE belongs: the subnegotiation is over
            break;
        }
    }
    return len;
}

void TelnetCodec::send(const char* data, size_t n, std::string& wire) const {
    const bool binary = localOn(BINARY);
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        wire += static_cast<char>(b);
        if (b == IAC)
            wire += static_cast<char>(IAC);
        else if (b == '\r' && !binary && (i + 1 == n || data[i + 1] != '\n'))
            wire += '\0';
    }
}

} // namespace comm
