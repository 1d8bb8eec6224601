#include "sim/HostColour.h"

namespace sim::colour {

namespace {

const std::string kEsc = "\x1b";
const std::string kReset = kEsc + "[0m";

} // namespace

std::string prompt(const std::string& text, bool on) {
    if (!on || text.empty())
        return text;
    // The main prompt's mark in a colour of its own, as such hosts do.
    const size_t mark = text.rfind(")>");
    if (mark != std::string::npos && mark > 0)
        return kEsc + "[1;32m" + text.substr(0, mark) + kEsc + "[37m" + text.substr(mark) + kEsc +
               "[m";
    return kEsc + "[1;32m" + text + kReset;
}

std::string loginPrompt(const std::string& text, bool on) {
    return on ? kEsc + "[1;36m" + text + kReset : text;
}

std::string heading(const std::string& text, bool on) {
    return on ? kEsc + "[1;33;44m" + text + kEsc + "[0;39;49m" : text;
}

std::string header(const std::string& text, bool on) {
    if (!on)
        return text;
    size_t at = text.find_first_of("#:");
    if (at == std::string::npos)
        return kEsc + "[36m" + text + kReset;
    return text.substr(0, at) + kEsc + "[36m" + text.substr(at) + kReset;
}

std::string clearScreen(bool on) {
    return on ? kEsc + "]0;TARNO BBS" + "\x07" + kEsc + "[2J" + kEsc + "[H" + kEsc + "(B" : "";
}

} // namespace sim::colour
