#pragma once
// The record of what happened on the simulated line: every byte both ways with its time,
// the carrier changes, and what the host took from the terminal (postings, mail, uploads,
// downloads, deleted mail, the unread date). The Simulator appends to it as the session
// runs; a test reads the struct afterwards, tarno-hostsim writes toText() to a file.
// Body lines are kept exactly as they arrived (Shift-JIS, without the CR).
#include "base/LineFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct TranscriptEntry {
    enum class Kind { FromTerminal, ToTerminal, Carrier };
    std::int64_t ms = 0; // since the simulator was created
    Kind kind = Kind::FromTerminal;
    std::string bytes; // for Carrier: "on" or "off"
};

struct DialRecord {
    std::string number; // what followed "ATD"
    std::string result; // "BUSY", "CONNECT 9600", "NO CARRIER" or "" (no answer)
};

struct PostRecord {
    enum class Kind { Reply, NewMessage };
    Kind kind = Kind::NewMessage;
    std::string boardRef; // as the terminal named the board
    int board = 0;        // the board's number
    int replyTo = 0;      // replies
    std::string title;    // new messages: as typed; replies: the subject taken over
    base::Lines body;
    bool saved = false; // false when the board refused it or the terminal cancelled
    int article = 0;    // the new article's number when saved
};

struct MailRecord {
    std::string to;
    std::vector<std::string> group; // further addressees given at the "同報" prompt
    std::string title;
    base::Lines body;
    bool saved = false;
};

struct UploadRecord {
    bool binaryMail = false; // "EB" (to `to`) rather than a file-board upload
    std::string to;
    std::vector<std::string> group; // further addressees of a binary mail
    std::string boardRef;
    int board = 0;
    std::string name;       // the name given in the command
    std::string headerName; // the name in the MLINK header
    std::string comment;
    base::Lines description;
    long declaredSize = -1; // the size in the MLINK header; -1 when no header came
    std::string bytes;      // the data received
    bool complete = false;  // all bytes and the end mark arrived and the host kept the file
};

struct DownloadRecord {
    bool binaryMail = false; // a mail's file at login rather than a file-board download
    int board = 0;
    int number = 0;         // file number, or the mail's serial
    std::string name;       // the file's own name
    std::string headerName; // the name announced in the header
    size_t size = 0;
    size_t bytesSent = 0;
    bool complete = false; // the receiver's "E\r" arrived
};

struct DeletedMail {
    int serial = 0;
    std::string from;
    std::string subject;
};

struct SessionRecord {
    std::vector<DialRecord> dials;
    std::vector<std::string> logins; // user IDs that logged in
    int logouts = 0;
    std::vector<PostRecord> posts;
    std::vector<MailRecord> mails;
    std::vector<UploadRecord> uploads;
    std::vector<DownloadRecord> downloads;
    std::vector<DeletedMail> deletedMail;
    std::optional<std::string> unreadDateSet; // as the host understood it, yy/mm/dd hh:mm:ss
    std::vector<TranscriptEntry> transcript;

    // Every byte of one direction run together (convenient for tests).
    std::string fromTerminal() const;
    std::string toTerminal() const;

    // The record as a text file: one section per item, then the transcript with control
    // bytes escaped ("\r", "\n", "\b", "\\", "\xNN"); double-byte characters stay whole.
    std::string toText() const;
};

// The escaping toText() uses for transcript bytes.
std::string escapeBytes(const std::string& bytes);

} // namespace sim
