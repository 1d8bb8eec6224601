#pragma once
// One of the five modem settings a net can use: how to initialise the modem, how to dial,
// which port and rate.
#include <array>
#include <string>

namespace shell {

struct ModemSetting {
    std::string name;         // shown in the setting lists
    std::string dialPrefix;   // put before the telephone number ("ATD", "ATDT", ...)
    std::string initCommand;  // sent before dialling; empty sends nothing
    int redialWait = 0;       // the dial step's wait for a connection and before a redial
    int port = 0;             // 1..4 for COM1..COM4
    int baudRate = 0;         // bits per second
    bool appendDigit = false; // dial one random digit after the number

    bool operator==(const ModemSetting&) const = default;
};

constexpr int kModemSettings = 5;
using ModemSettings = std::array<ModemSetting, kModemSettings>;

// The settings as the program starts when no settings file says otherwise: names
// "設定１".."設定５", everything else empty or zero.
ModemSettings defaultModemSettings();

// The rates of the modem page's up-down control, positions 0 to 5.
constexpr std::array<int, 6> kBaudSteps = {2400, 9600, 14400, 38400, 56000, 128000};

} // namespace shell
