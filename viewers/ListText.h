#pragma once
// Cutting text to a column of a list line.
#include "base/Sjis.h"
#include "base/Text.h"

#include <string>
#include <string_view>

namespace viewers {

// Like base::copy(s, from, count), but never ends on the first byte of a double-byte
// character: that byte is dropped and a blank stands in its place, so the columns after
// it stay where they were. `from` must fall on the start of a character.
inline std::string copyWhole(std::string_view s, int from, int count) {
    std::string out = base::copy(s, from, count);
    size_t i = 0;
    while (i < out.size()) {
        if (base::isLeadByte(out[i]) && i + 1 >= out.size()) {
            out.back() = ' ';
            break;
        }
        i += base::isLeadByte(out[i]) ? 2 : 1;
    }
    return out;
}

} // namespace viewers
