#pragma once
// Shift-JIS (code page 932, with the NEC and IBM extensions) is the text of the whole
// program: files, the line and every model string. UTF-8 appears only in source literals
// and at the window boundary, so conversion happens in these few functions.
#include <string>
#include <string_view>
#include <vector>

namespace base {

// A UTF-8 literal of the program's own texts in Shift-JIS: sj(u8"質問です．").
// Characters code page 932 cannot hold become "?".
std::string sj(std::u8string_view utf8);

// Shift-JIS bytes to UTF-8. An invalid or truncated sequence becomes U+FFFD for its first
// byte and conversion goes on with the next byte, so every valid character survives.
std::string toUtf8(std::string_view sjis);

// UTF-8 to Shift-JIS. Characters outside code page 932 and invalid UTF-8 become "?".
std::string fromUtf8(std::string_view utf8);

// True when fromUtf8 keeps every character of `utf8` (valid UTF-8, all of it in code
// page 932), so that the text survives being stored as Shift-JIS.
bool fitsSjis(std::string_view utf8);
// The characters of a UTF-8 text that code page 932 cannot hold (fromUtf8 would turn them
// into "?"), each once, in the order they first appear, each as its UTF-8 bytes.
std::vector<std::string> unmappableChars(std::string_view utf8);
// "U+1F600": the code point of one UTF-8 character, for texts that must name it in
// Shift-JIS.
std::string codePointName(std::string_view utf8Char);

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
inline bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool isLeadByte(char c) {
    return isLeadByte(static_cast<unsigned char>(c));
}

} // namespace base
