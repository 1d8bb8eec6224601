#pragma once
// Text rules the writers share: turning typed or pasted text into body lines, quoting the
// message answered, taking the addressee out of a message's first line, and checking the
// fields that the auto-pilot later splits a reservation's header on. All text is
// Shift-JIS; every length is in bytes, as the auto-pilot counts them, and no cut ever
// splits a double-byte character.
#include "base/LineFile.h"
#include "base/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace writers {

using base::cutBytes;
// s up to (not including) its first blank; all of s when it holds none.
std::string beforeFirstSpace(std::string_view s);
// s from the byte after its first blank; "" when it holds none.
std::string afterFirstSpace(std::string_view s);

// Body lines of a text handed over between windows: CR LF, LF and a lone CR end a line,
// and a line end at the very end adds no empty line.
base::Lines bodyFromText(std::string_view text);
// The text of body lines as it is handed over: each line followed by CR LF.
std::string textFromBody(const base::Lines& lines);
// Lines as an editor holds them: every CR or LF inside a line splits it, so no body line
// ever holds one.
base::Lines splitInnerBreaks(const base::Lines& lines);

// The message answered, quoted: its first three lines (the message header) dropped and
// ">" put before every other line; when the text ends with a line break, the empty line
// after it becomes ">" too.
base::Lines quoteMessage(std::string_view text);

// The addressee of a message or mail from its first line: the text from the sixth byte
// after the first "from:" (at most 80 bytes) is the ID, its part after the first blank
// the handle (at most 80 bytes). Without "from:" both are empty.
struct Addressee {
    std::string id;
    std::string handle;
};
Addressee addresseeOf(std::string_view firstLine);

// A path as reservations keep it: folders separated by "\" (the auto-pilot takes the file
// name after the last "\" or ":"). The form on screen has "/" instead.
std::string storedPath(std::string_view nativeOrStored);

// Limits of what the auto-pilot sends.
constexpr int kMaxTitle = 50;    // a new message's or mail's title
constexpr int kMaxPath = 128;    // a file path
constexpr int kMaxFileName = 12; // the file name of an upload or binary mail
constexpr int kMaxNumber = 5;    // a reply's message number

// Field checks. Each returns the warning (Shift-JIS) that names the field, or nullopt
// when the field may go into a header.
std::optional<std::string> checkBoard(std::string_view board);
std::optional<std::string> checkAddressee(std::string_view id, bool binary);
std::optional<std::string> checkReplyNumber(std::string_view number);
std::optional<std::string> checkNewTitle(std::string_view title);
std::optional<std::string> checkMailTitle(std::string_view title);
std::optional<std::string> checkUploadComment(std::string_view comment);
// A file's path (stored form): not empty, at most kMaxPath bytes, no line break.
std::optional<std::string> checkPath(std::string_view path);
// The file name part (after the last "\", "/" or ":") is at most kMaxFileName bytes.
bool fileNameFits(std::string_view path);

} // namespace writers
