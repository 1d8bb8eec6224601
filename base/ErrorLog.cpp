#include "base/ErrorLog.h"

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

std::string ErrorLog::stamped(const LocalDateTime& t, const std::string& text) {
    return shortDate(t) + " " + longTime(t) + text;
}

std::string ErrorLog::stampedTight(const LocalDateTime& t, const std::string& text) {
    return shortDate(t) + longTime(t) + text;
}

} // namespace base
