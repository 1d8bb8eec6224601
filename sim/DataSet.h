#pragma once
// What the simulated host holds: message boards with numbered articles, file boards with
// numbered files, the members, the mail waiting for the user and the user's account with
// its unread date. A Simulator owns one DataSet and changes it as sessions go on (a posting
// becomes an article, an upload a file, deleted mail disappears, the unread date moves), so
// a test can look at the state a session left as well as at its record. All text is
// Shift-JIS; a fixture folder fills a DataSet (sim/Fixture.h).
#include "base/DateTime.h"
#include "base/LineFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Article {
    int number = 0;
    std::string author; // user ID
    base::LocalDateTime date;
    int replyTo = 0; // the article this one answers; 0 for none
    std::string subject;
    base::Lines body;
};

struct MessageBoard {
    int number = 0;    // 1..99
    std::string name;  // one word without blanks; commands may name a board by it
    std::string title; // shown after the name in the board list
    bool writable = true;
    std::vector<Article> articles; // ascending numbers

    const Article* find(int number) const;
    int nextNumber() const;
};

struct HostFile {
    int number = 0;
    std::string name; // at most 12 bytes
    std::string uploader;
    base::LocalDateTime date;
    std::string comment;
    base::Lines description;
    std::string content;
};

struct FileBoard {
    int number = 0;
    std::string name;
    std::string title;
    bool writable = true;
    std::vector<HostFile> files; // ascending numbers

    const HostFile* find(int number) const;
    HostFile* findByName(std::string_view name);
    int nextNumber() const;
};

struct Member {
    std::string id; // at most 8 bytes
    std::string handle;
};

struct Mail {
    std::string from;
    base::LocalDateTime date;
    std::string subject;
    base::Lines body;
    bool binary = false; // carries a file, sent by MLINK after the text
    std::string fileName;
    std::string content;
    int serial = 0; // 1-based position in the data set as loaded; names the mail in a record
};

struct Account {
    std::string id;
    std::string password;
    std::string handle;
    base::LocalDateTime unreadDate; // messages from this moment on count as new
    base::LocalDateTime lastLogin;  // files registered from this moment on count as new
};

struct DataSet {
    std::string hostName;
    base::Lines banner;
    Account user;
    int restrictFromHour = -1; // the file-board list is refused from this hour ...
    int restrictToHour = -1;   // ... until this one (may wrap past midnight); -1: never
    std::vector<MessageBoard> boards;
    std::vector<FileBoard> fileBoards;
    std::vector<Member> members;
    std::vector<Mail> mail; // waiting for the user, in the order the host shows it

    // A board named by its number ("3", "03") or by its name (ASCII letters in any case).
    MessageBoard* board(std::string_view ref);
    FileBoard* fileBoard(std::string_view ref);
    const Member* member(std::string_view id) const;
    // The member's handle, or "" for an ID that is not a member.
    std::string handleOf(std::string_view id) const;
    bool restrictedAt(int hour) const;
};

// Dates as the host prints them: "yy/mm/dd hh:mm:ss" and "yy/mm/dd".
std::string hostDateTime(const base::LocalDateTime& t);
std::string hostDate(const base::LocalDateTime& t);
// Reads "yy/mm/dd hh:mm[:ss]" or "yyyy/mm/dd hh:mm[:ss]" (a date alone is midnight);
// nullopt for anything else or an impossible date.
std::optional<base::LocalDateTime> parseHostDateTime(std::string_view text);
// a < b by the calendar.
bool earlier(const base::LocalDateTime& a, const base::LocalDateTime& b);

// ASCII letters folded to upper case; other bytes (and both bytes of a double-byte
// character) unchanged.
std::string upperAscii(std::string_view s);

} // namespace sim
