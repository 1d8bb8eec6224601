#include "app/DataDir.h"

#include "base/LineFile.h"
#include "comm/ComPorts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef TARNO_SOURCE_DATA_DIR
#define TARNO_SOURCE_DATA_DIR "data"
#endif

namespace app {

std::string chooseDataDir(const std::string& fromCommandLine) {
    if (!fromCommandLine.empty())
        return fromCommandLine;
    if (const char* home = std::getenv("TARNO_HOME"); home && *home)
        return home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/tarno";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/tarno";
}

std::string startingCopiesDir(const std::string& executablePath) {
    std::string dir = executablePath;
    size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    const std::string installed = dir + "/../share/tarno/data";
    if (base::dirExists(installed))
        return installed;
    return TARNO_SOURCE_DATA_DIR;
}

std::vector<std::string> copyStartingCopies(const std::string& from, const std::string& to) {
    std::vector<std::string> copied;
    DIR* d = ::opendir(from.c_str());
    if (!d)
        return copied;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        if (base::fileExists(from + "/" + name))
            names.push_back(name);
    }
    ::closedir(d);
    for (const auto& name : names) {
        const std::string target = to + "/" + name;
        struct stat st;
        if (::lstat(target.c_str(), &st) == 0)
            continue; // never replace what the user has
        base::replaceFile(target, base::readFile(from + "/" + name));
        copied.push_back(name);
    }
    return copied;
}

std::string enterDataDir(const std::string& dir, const std::string& startingCopies) {
    if (!base::makeDirs(dir))
        return "cannot create the data folder " + dir + ": " + std::strerror(errno);
    try {
        copyStartingCopies(startingCopies, dir);
        comm::ensureComPortsFile(dir);
    } catch (const base::FileError& e) {
        return std::string("cannot prepare the data folder: ") + e.what();
    }
    if (::chdir(dir.c_str()) != 0)
        return "cannot enter the data folder " + dir + ": " + std::strerror(errno);
    return {};
}

} // namespace app
