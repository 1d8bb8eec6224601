#pragma once
// Names and line rules of the board store: the files of one net's folder (board lists,
// message files, message and file lists, member list, mail), the monthly capture archive,
// and the table that merges list lines by entry number. Every reader and writer of the
// store - the import, the reorganiser and the viewers - goes through these helpers, so
// that they agree on names, numbers, dates and where an article begins.
//
// Texts are Shift-JIS; positions are 1-based bytes. Store files are plain lines with CR LF.
#include "base/LineFile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

inline constexpr const char* kBoardList = "MBOARD.LST";
inline constexpr const char* kFileBoardList = "FBOARD.LST";
inline constexpr const char* kMemberList = "MEMBOR.LST";
inline constexpr const char* kMailFile = "MAIL.DAT";
inline constexpr int kMaxBoard = 99;
inline constexpr int kMaxArticle = 9999;
inline constexpr int kMaxFileEntry = 999;

// A board number as at least two digits with a leading zero: 5 -> "05".
std::string twoDigits(int n);

// "MBOARD" + nn + ext (ext ".DAT", ".OLD" or ".LST"), and "FBOARD" + nn + ".LST".
std::string boardFileName(std::string_view nn, std::string_view ext);
std::string fileListName(std::string_view nn);

// Characters 3-4 of an MBOARD.LST or FBOARD.LST line (the board number as text).
std::string boardNumberOf(std::string_view listLine);

// The board number of an MBOARD.LST / FBOARD.LST line: characters 3-4; -1 when they are
// not two digits.
int boardNumberOfLine(std::string_view listLine);

// The text before the first ":" of an MBOARDnn.LST or FBOARDnn.LST line as an integer
// (leading blanks allowed); 0 when it is not a number or the line has no ":".
int entryNumberOf(std::string_view listLine);

// Paths of a net's store files in its native folder `folder`: "MBOARD" + two-digit board +
// ext (".DAT", ".OLD", ".LST"), "FBOARD" + two-digit board + ".LST", and a file directly
// in the folder ("MBOARD.LST", "MAIL.DAT", ...).
std::string messageBoardFile(const std::string& folder, int board, std::string_view ext);
std::string fileBoardListFile(const std::string& folder, int board);
std::string storeFile(const std::string& folder, std::string_view name);

// A store file's lines for a reader; none when it does not exist or cannot be read, so a
// net that was never imported shows empty lists.
base::Lines readStoreLines(const std::string& path);

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

// The article number of a "Message  #" header: the four characters after its first "#".
// 0 when they are not a number from 1 to 9999, or when a fifth digit follows (a number the
// four places cannot hold).
int articleNumberOf(std::string_view header);

// The board a message's second line names: the number in the ten characters after its
// first "Section" (at position 2 or later), cut before their first ":"; nullopt when the
// line names none or the text is not a number.
std::optional<int> sectionOf(std::string_view timeLine);

// Whether line i of board `board`'s message file begins an article: it begins with
// "Message  #", unless the line after it is a "Time:" line naming another board. The
// import stores a header only with the "Time:" line of the board it stores it on, so such
// a pair is text that somebody's message quoted, and belongs to that message.
bool beginsArticle(const base::Lines& lines, size_t i, int board);

// The monthly archive of a net, as the program stores paths ("\" between folders):
// short name + "\" + short name + yy + mm + ".LOG", where yy and mm are characters 1-2 and
// 4-5 of the short date "yy/mm/dd".
std::string archiveName(std::string_view shortName, std::string_view shortDate);

// `count` bytes from 1-based `from`, one byte fewer when the last one kept would be the
// first half of a double-byte character, so a cut never splits one.
std::string copyWhole(std::string_view s, int from, int count);

// The kind of list a ListTable merges.
struct ListKind {
    int digits;    // width of the number field: 3 for file lists, 4 for message lists
    int maxNumber; // highest entry accepted: 999 or 9999
};
inline constexpr ListKind kFileList{3, kMaxFileEntry};
inline constexpr ListKind kMessageList{4, kMaxArticle};

// The 9,999-entry table of list lines, indexed by entry number. A line is taken when its
// number field is a number from 1 to the kind's maximum and the ":" stands right after it;
// a later line with the same number replaces the earlier one.
class ListTable {
public:
    ListTable();
    // Empties the entries of this kind's range and makes it the kind of later enters.
    void clear(ListKind kind);
    // Enters a line by the rule above; false (and nothing changed) when the line is refused.
    bool enter(std::string_view line);
    // The non-empty entries of the range in ascending order of number.
    base::Lines lines() const;
    // The number a line would be entered at, 0 when it would be refused.
    static int numberOf(std::string_view line, ListKind kind);

private:
    ListKind kind_ = kMessageList;
    std::vector<std::string> entries_; // index = entry number, 0 unused
};

// A store file open for appending, written through a buffer. The file is created when it
// is missing (never its folder). Every failure throws base::FileError naming the file.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    void open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // One line followed by CR LF.
    void line(std::string_view text);
    // Bytes as they are (already ending in CR LF).
    void raw(std::string_view bytes);
    // Flushes and closes; throws when what was written did not reach the file.
    void close();

private:
    void fail(const char* what);
    std::FILE* file_ = nullptr;
    std::string path_;
};

// Creates an empty file when none exists. Throws base::FileError when it cannot.
void createIfMissing(const std::string& path);

} // namespace store
