// The escape-sequence state machine of the receive path.
#include "engine/EscapeFilter.h"

namespace engine {

void EscapeFilter::reset() {
    state_ = State::Ground;
    paramLen_ = 0;
    paramsLost_ = false;
    intermediate_ = false;
    oscLen_ = 0;
}

EscapeFilter::Step EscapeFilter::step(unsigned char c) {
    switch (state_) {
    case State::Ground:
        return Step::Keep;
    case State::Esc:
        return escByte(c);
    case State::Csi:
        return csiByte(c);
    case State::Osc:
        if (c == 0x07) {
            state_ = State::Ground;
            return Step::Swallow;
        }
        if (c == static_cast<unsigned char>(kEsc)) {
            state_ = State::OscEsc;
            return Step::Swallow;
        }
        if (c == '\r' || ++oscLen_ > kMaxOsc) {
            state_ = State::Ground;
            return Step::Keep;
        }
        return Step::Swallow;
    case State::OscEsc:
        if (c == '\\') {
            state_ = State::Ground;
            return Step::Swallow;
        }
        // The ESC ended the OSC and begins whatever follows.
        return escByte(c);
    case State::Designate:
        if (c >= 0x20 && c <= 0x7e) {
            state_ = State::Ground;
            return Step::Swallow;
        }
        if (c == static_cast<unsigned char>(kEsc)) {
            state_ = State::Esc;
            return Step::KeepDesignator;
        }
        state_ = State::Ground;
        return Step::KeepDesignator;
    }
    return Step::Keep;
}

EscapeFilter::Step EscapeFilter::escByte(unsigned char c) {
    state_ = State::Ground;
    switch (c) {
    case '[':
        state_ = State::Csi;
        paramLen_ = 0;
        paramsLost_ = false;
        intermediate_ = false;
        return Step::Swallow;
    case ']':
        state_ = State::Osc;
        oscLen_ = 0;
        return Step::Swallow;
    case '(':
    case ')':
        state_ = State::Designate;
        designator_ = static_cast<char>(c);
        return Step::Swallow;
    case 0x1b: // the first ESC was alone
        state_ = State::Esc;
        return Step::Swallow;
    default:
        if (c >= 0x40 && c <= 0x5f)
            return Step::Swallow;
        return Step::Keep; // a lone ESC: dropped, the byte stays
    }
}

EscapeFilter::Step EscapeFilter::csiByte(unsigned char c) {
    if (c >= 0x30 && c <= 0x3f) {
        if (intermediate_ || paramLen_ >= kMaxParams || !(c <= '9' || c == ';' || c == ':'))
            paramsLost_ = true; // a private marker, a parameter after an intermediate byte
        else
            params_[paramLen_++] = static_cast<char>(c);
        return Step::Swallow;
    }
    if (c >= 0x20 && c <= 0x2f) {
        intermediate_ = true;
        return Step::Swallow;
    }
    if (c >= 0x40 && c <= 0x7e) {
        state_ = State::Ground;
        if (c == 'm' && !intermediate_ && !paramsLost_)
            return Step::Sgr;
        return Step::Swallow;
    }
    if (c == static_cast<unsigned char>(kEsc)) {
        state_ = State::Esc; // an unfinished CSI, and a new sequence begins
        return Step::Swallow;
    }
    state_ = State::Ground; // a control byte, DEL or a Shift-JIS byte breaks it off
    return Step::Keep;
}

} // namespace engine
