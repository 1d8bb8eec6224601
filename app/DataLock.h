#pragma once
// One program at a time on a data folder: the desktop program and every unattended run
// hold an advisory lock on the file "TARNO.LCK" in it for as long as they run. The lock
// goes with the process, so a crash or a kill never leaves the folder locked.
#include <string>

namespace app {

class DataLock {
public:
    DataLock() = default;
    ~DataLock();
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    static constexpr const char* kFileName = "TARNO.LCK";

    // Takes the lock of `folder`; returns an error text (empty on success). The lock file
    // holds the process number of its holder, for the message of the next one.
    // Messages name the folder as `shownAs` when given.
    std::string acquire(const std::string& folder, const std::string& shownAs = {});
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace app
