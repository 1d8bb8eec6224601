#include "transfer/MlinkHeader.h"

#include "base/Path.h"
#include "base/Sjis.h"

#include <cstdio>

namespace transfer {

namespace {

bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

} // namespace

std::optional<DownloadHeader> parseDownloadHeader(std::string_view line) {
    const size_t sp1 = line.find(' ');
    if (sp1 == std::string_view::npos || sp1 == 0)
        return std::nullopt;
    // The size runs to the next space; what follows it (the sender's time stamp, in any
    // form, or nothing) is not needed to receive the file.
    const std::string_view rest = line.substr(sp1 + 1);
    DownloadHeader h;
    h.name = std::string(line.substr(0, sp1));
    h.sizeText = std::string(rest.substr(0, rest.find(' ')));
    if (!h.sizeText.empty() && h.sizeText.size() <= 18) {
        std::int64_t v = 0;
        bool digits = true;
        for (char c : h.sizeText) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            v = v * 10 + (c - '0');
        }
        if (digits)
            h.size = v;
    }
    return h;
}

std::string safeDownloadName(std::string_view hostName) {
    // The folder part goes first: only the last component can name the file.
    const std::string last = base::fileNamePart(hostName);
    std::string out;
    for (size_t i = 0; i < last.size(); ++i) {
        const auto c = static_cast<unsigned char>(last[i]);
        if (base::isLeadByte(c)) {
            if (i + 1 < last.size() && isTrailByte(static_cast<unsigned char>(last[i + 1]))) {
                out += last[i];
                out += last[i + 1];
                ++i;
            }
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':')
            continue;
        // A single 0x80/0xA0/0xFD..0xFF byte is no character of ours; half-width kana stay.
        if (c == 0x80 || c == 0xA0 || c >= 0xFD)
            continue;
        out += static_cast<char>(c);
    }
    size_t start = 0;
    while (start < out.size() && (out[start] == '.' || out[start] == ' '))
        ++start;
    out.erase(0, start);
    return cutBytes(out, kMaxNameBytes);
}

std::string numberedName(std::string_view name, int n) {
    const std::string tag = "~" + std::to_string(n);
    // "." is never the trail byte of a double-byte character, so the last one found is
    // the extension's.
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        dot = name.size();
    std::string_view stem = name.substr(0, dot);
    std::string_view ext = name.substr(dot);
    // An extension that leaves no room for the stem and the number is part of the stem.
    if (ext.size() + tag.size() >= static_cast<size_t>(kMaxNameBytes)) {
        stem = name;
        ext = {};
    }
    const int room = kMaxNameBytes - static_cast<int>(ext.size() + tag.size());
    return cutBytes(stem, room) + tag + std::string(ext);
}

std::string uploadHeader(std::string_view fileName, std::int64_t size) {
    char number[32];
    std::snprintf(number, sizeof number, "%lld", static_cast<long long>(size));
    // A control byte in a local name would end or break the host's header line early.
    std::string name = cutBytes(fileName, 12);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return name + " " + number + " " + "80:00:00 00:00:00" + "\r";
}

} // namespace transfer
