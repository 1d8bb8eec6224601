#pragma once
// Readers of the board store that the viewers need: the names of a net's store files, the
// numbers carried by list lines, the host's fixed date format, and a search that only
// matches at Shift-JIS character boundaries. The viewers only read the store, except that
// an article is deleted from a board file by rewriting it whole (BoardFile below).
//
// Every file is read whole; a missing file reads as no lines, so a net that was never
// imported shows empty lists.
#include "base/LineFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace viewers {

// "MBOARD" + two-digit number + ext (".DAT", ".OLD", ".LST") in `folder`.
std::string messageBoardFile(const std::string& folder, int board, std::string_view ext);
// "FBOARD" + two-digit number + ".LST" in `folder`.
std::string fileBoardListFile(const std::string& folder, int board);
// A file directly in the net folder ("MBOARD.LST", "MAIL.DAT", ...).
std::string storeFile(const std::string& folder, std::string_view name);

// The file's lines; none when it does not exist or cannot be read.
base::Lines readStoreLines(const std::string& path);

// The board number of an MBOARD.LST / FBOARD.LST line: characters 3-4; -1 when they are
// not two digits.
int boardNumberOfLine(std::string_view line);
// The number before the first ":" of an article or file list line (leading blanks
// allowed); 0 when it is not a number.
int entryNumberOf(std::string_view line);

// A date and time as one comparable number (yyyymmddhhmmss), read from the host's fixed
// form "yy/mm/dd" or "yy/mm/dd hh:mm:ss" (also four-digit or year-since-1900 years).
// Two-digit years go through the same window as everywhere else (00-49 are 2000s).
// nullopt when the text is not such a date or a field is out of range.
using DateKey = std::int64_t;
std::optional<DateKey> parseStoreDate(std::string_view text);
std::optional<DateKey> parseStoreDateTime(std::string_view text);
// The four-digit year of a key.
inline int yearOf(DateKey k) {
    return static_cast<int>(k / 10000000000LL);
}

// 1-based position of `word` in `text` where it starts on a character boundary (never
// inside a double-byte character); 0 when there is none or the word is empty.
int findWord(std::string_view text, std::string_view word);

} // namespace viewers
