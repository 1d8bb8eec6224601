#pragma once
// The one-line header of an MLINK transfer, both ways. The host announces a download as
// "name size stamp" (the stamp itself may hold a space); the name is the host's choice, so
// before it becomes a file it is reduced to a plain name that can only land inside the
// download folder. The terminal announces an upload with at most 12 bytes of the file's
// name and a fixed stamp.
#include "base/Text.h"

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

// The line split as a header: a name, one space, a size field, and after one more space
// a time stamp that is not looked at (it may be missing). nullopt when there is no name
// and space (a host's failure text where the header should be); `size` is empty when the
// size field is not a decimal number.
std::optional<DownloadHeader> parseDownloadHeader(std::string_view line);

// The host's name reduced to a plain file name: only what follows the last "/", "\" or
// ":", no control bytes, no leading dots or blanks, double-byte characters kept whole (a
// lead byte without its trail byte is dropped), at most kMaxNameBytes. Empty when nothing
// usable is left; the caller refuses such a header.
constexpr int kMaxNameBytes = 128;
std::string safeDownloadName(std::string_view hostName);

// The n-th other name of the same shape for a plain name that is taken: "~n" after the
// stem, before the extension (README.TXT -> README~1.TXT, NOTES -> NOTES~2). The stem is
// shortened, by whole characters, so that the result keeps within kMaxNameBytes.
std::string numberedName(std::string_view name, int n);

using base::cutBytes;

// The header the terminal sends for an upload of `fileName` with `size` bytes, CR included;
// a control byte in the name is sent as "_".
std::string uploadHeader(std::string_view fileName, std::int64_t size);

} // namespace transfer
