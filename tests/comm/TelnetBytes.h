#pragma once
// Byte strings the telnet tests are written in: one command, and every byte value in order.
#include "comm/TelnetCodec.h"

#include <string>

namespace comm_test {

inline std::string cmd(unsigned char verb, unsigned char option) {
    return {char(comm::telnet::IAC), char(verb), char(option)};
}

inline std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += char(b);
    return s;
}

} // namespace comm_test
