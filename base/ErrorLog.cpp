#include "base/ErrorLog.h"

#include "base/Sjis.h"

#include <deque>
#include <map>

namespace base {

ErrorLog::ErrorLog(std::string path) : path_(std::move(path)) {}

bool ErrorLog::load() {
    Lines read;
    bool ok = true;
    try {
        if (!readLinesIfExists(path_, read))
            read.clear();
    } catch (const FileError&) {
        read.clear();
        ok = false;
    }
    lines_ = std::move(read);
    unread_ = !ok;
    if (onChange_)
        onChange_();
    return ok;
}

bool ErrorLog::add(const std::string& sjisLine) {
    lines_.push_back(sjisLine);
    bool ok = true;
    try {
        appendLines(path_, {sjisLine});
    } catch (const FileError&) {
        ok = false;
    }
    if (onChange_)
        onChange_();
    return ok;
}

void ErrorLog::setText(const Lines& lines) {
    if (unread_)
        throw FileError("not rewritten, it could not be read: " + path_);
    replaceLines(path_, lines);
    lines_ = lines;
    if (onChange_)
        onChange_();
}

void ErrorLog::setEditedText(const std::vector<std::string>& utf8Lines) {
    // Each shown form lists the log's lines that read so, in order: an edited line takes
    // the first one not used yet, so a line kept twice keeps both its originals.
    std::map<std::string, std::deque<const std::string*>> byShown;
    for (const std::string& line : lines_)
        byShown[toUtf8(line)].push_back(&line);
    Lines out;
    out.reserve(utf8Lines.size());
    for (const std::string& shown : utf8Lines) {
        auto it = byShown.find(shown);
        if (it != byShown.end() && !it->second.empty()) {
            out.push_back(*it->second.front());
            it->second.pop_front();
        } else {
            out.push_back(fromUtf8(shown));
        }
    }
    setText(out);
}

std::string ErrorLog::stamped(const LocalDateTime& t, const std::string& text) {
    return shortDate(t) + " " + longTime(t) + text;
}

std::string ErrorLog::stampedTight(const LocalDateTime& t, const std::string& text) {
    return shortDate(t) + longTime(t) + text;
}

} // namespace base
