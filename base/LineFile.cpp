#include "base/LineFile.h"

#include "base/Sjis.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace base {
namespace {

ReplaceHook& replaceHook() {
    static ReplaceHook hook;
    return hook;
}

// The hook's verdict on a step: 0 to run it, else the errno it fails with.
int injected(ReplaceStep step, size_t& bytes) {
    const ReplaceHook& hook = replaceHook();
    if (!hook)
        return 0;
    const size_t asked = bytes;
    int err = hook(step, bytes);
    if (bytes == 0 || bytes > asked)
        bytes = asked;
    return err;
}

int injected(ReplaceStep step) {
    size_t none = 0;
    return injected(step, none);
}

std::string reason(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

void writeAll(int fd, std::string_view bytes, const std::string& path, bool replacing = false) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        size_t chunk = left;
        if (replacing) {
            if (int err = injected(ReplaceStep::Write, chunk))
                throw FileError(reason("cannot write", path, err));
        }
        ssize_t n = ::write(fd, p, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(reason("cannot write", path, errno));
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

Lines splitLines(std::string_view text) {
    Lines lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(reason("cannot open", path, errno));
    std::string data;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            throw FileError(reason("cannot read", path, err));
        }
        if (n == 0)
            break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

Lines readLines(const std::string& path) {
    return splitLines(readFile(path));
}

bool readLinesIfExists(const std::string& path, Lines& out) {
    if (!fileExists(path))
        return false;
    out = readLines(path);
    return true;
}

std::string joinLines(const Lines& lines) {
    size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

void replaceLines(const std::string& path, const Lines& lines, unsigned mode) {
    replaceFile(path, joinLines(lines), mode);
}

void replaceFile(const std::string& path, std::string_view bytes, unsigned mode) {
    std::string tmp = path + ".tmpXXXXXX";
    if (int err = injected(ReplaceStep::Create))
        throw FileError(reason("cannot create a file beside", path, err));
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0)
        throw FileError(reason("cannot create a file beside", path, errno));
    try {
        if (::fchmod(fd, mode) != 0)
            throw FileError(reason("cannot set the mode of", tmp, errno));
        writeAll(fd, bytes, path, true);
        if (int err = injected(ReplaceStep::Sync))
            throw FileError(reason("cannot write", path, err));
        if (::fsync(fd) != 0)
            throw FileError(reason("cannot write", path, errno));
    } catch (...) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw FileError(reason("cannot write", path, err));
    }
    int renameErr = injected(ReplaceStep::Rename);
    if (renameErr != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = renameErr ? renameErr : errno;
        ::unlink(tmp.c_str());
        throw FileError(reason("cannot replace", path, err));
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    if (injected(ReplaceStep::SyncFolder))
        return;
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void setReplaceHook(ReplaceHook hook) {
    replaceHook() = std::move(hook);
}

void appendLines(const std::string& path, const Lines& lines) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileError(reason("cannot open", path, errno));
    try {
        writeAll(fd, joinLines(lines), path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw FileError(reason("cannot write", path, errno));
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string diskSpelling(const std::string& nativePath) {
    struct stat st;
    if (::lstat(nativePath.c_str(), &st) == 0 || errno != ENOENT)
        return nativePath;
    std::string utf8 = toUtf8(nativePath);
    if (utf8 != nativePath && ::lstat(utf8.c_str(), &st) == 0)
        return utf8;
    return nativePath;
}

bool dirExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirs(const std::string& path) {
    if (path.empty())
        return false;
    if (dirExists(path))
        return true;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        makeDirs(path.substr(0, slash));
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        return false;
    return dirExists(path);
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace base
