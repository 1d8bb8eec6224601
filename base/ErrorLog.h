#pragma once
// The error log: one Shift-JIS text line per reported event, kept in memory for the error
// log window and in ERROR.LOG in the data folder. Every line added is appended to the file
// at once, so a crash or a kill loses none of them; the window's edits (clear, hand edits)
// replace the whole file atomically through setText.
//
// The engine, the transfer and the store add lines through add(); the window shows lines()
// and is told of each change through its observer. Lines carry whatever the caller
// formatted (usually "yy/mm/dd hh:mm:ss" + text; see stamped()).
#include "base/DateTime.h"
#include "base/LineFile.h"

#include <functional>
#include <string>
#include <vector>

namespace base {

class ErrorLog {
public:
    static constexpr const char* kFileName = "ERROR.LOG";

    // `path` is the file (ERROR.LOG in the data folder). Nothing is read until load().
    explicit ErrorLog(std::string path = kFileName);

    // Reads the file when it exists (a missing file is an empty log). A file that cannot be
    // read leaves the log empty and returns false; add() still appends to it, but setText
    // will not write over it until a later load succeeds.
    bool load();

    // Appends one line to the text and to the file. A failed append is kept in memory and
    // reported through the return value; the caller has already shown its status text.
    bool add(const std::string& sjisLine);

    // The whole text as the window shows it.
    const Lines& lines() const { return lines_; }
    // Replaces the text and rewrites the file (the window's "クリア" and its close).
    // Throws FileError when the file cannot be written, or was not read (its lines were
    // never shown, so they would be lost); the old file stays and the text is unchanged.
    void setText(const Lines& lines);
    // The window's edited text, one UTF-8 string a line, written back the same way. A line
    // that reads as one of the log's lines (in order, each used once) is written with that
    // line's own bytes, so bytes no window can show (an invalid byte, the IBM extension
    // characters that share a code point with the NEC ones) survive an edit elsewhere.
    void setEditedText(const std::vector<std::string>& utf8Lines);

    const std::string& path() const { return path_; }

    // Called after every change (add, setText, load).
    void setOnChange(std::function<void()> fn) { onChange_ = std::move(fn); }

    // "yy/mm/dd hh:mm:ss" + text: the usual form of a line.
    static std::string stamped(const LocalDateTime& t, const std::string& text);
    // "yy/mm/ddhh:mm:ss" + text: the date and time run together, as the watchdog writes it.
    static std::string stampedTight(const LocalDateTime& t, const std::string& text);

private:
    std::string path_;
    Lines lines_;
    bool unread_ = false; // the last load found the file but could not read it
    std::function<void()> onChange_;
};

} // namespace base
