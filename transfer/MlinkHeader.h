#pragma once
// The one-line header of an MLINK transfer, both ways. The host announces a download as
// "name size stamp" (the stamp itself may hold a space); the name is the host's choice, so
// before it becomes a file it is reduced to a plain name that can only land inside the
// download folder. The terminal announces an upload with at most 12 bytes of the file's
// name and a fixed stamp.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace transfer {

// What a download header line announced.
struct DownloadHeader {
    std::string name; // as the host sent it (up to the first space), not yet safe
    std::string sizeText;
    std::optional<std::int64_t> size; // empty when sizeText is not a decimal number
};

// The line split as a header: a name, one space, a size field, one space, a stamp of
// digits and date punctuation. nullopt when the line does not have that shape (a host's
// failure text or a prompt where the header should be).
std::optional<DownloadHeader> parseDownloadHeader(std::string_view line);

// The host's name reduced to a plain file name: only what follows the last "/", "\" or
// ":", no control bytes, no leading dots or blanks, double-byte characters kept whole (a
// lead byte without its trail byte is dropped), at most kMaxNameBytes. Empty when nothing
// usable is left; the caller refuses such a header.
constexpr int kMaxNameBytes = 128;
std::string safeDownloadName(std::string_view hostName);

// At most `n` bytes of s, never splitting a double-byte character.
std::string cutBytes(std::string_view s, int n);

// The header the terminal sends for an upload of `fileName` with `size` bytes, CR included;
// a control byte in the name is sent as "_".
std::string uploadHeader(std::string_view fileName, std::int64_t size);

} // namespace transfer
