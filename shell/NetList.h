#pragma once
// The user's list of nets, kept as one flat list of text lines: ten lines per net, line
// n * 10 + k being line k of net n. Every part of the program addresses a net by its
// 0-based number and reads the record's lines through here.
#include "base/LineFile.h"

#include <string>
#include <vector>

namespace shell {

// Line k of a net record.
enum NetField {
    kNetName = 0,    // shown in every net list
    kShortName = 1,  // the net's data folder, relative to the data folder
    kTelNo = 2,      // "999" is a direct line
    kModemSetNo = 3, // "0".."4"
    kUserID = 4,
    kPassword = 5,
    kHandle = 6,
    kHostKind = 7, // "KTBBS" or "BIG"
    kLastRead = 8, // written by the import; a date only when it holds "/"
    kSpare = 9,
};
constexpr int kLinesPerNet = 10;

// True for a short name that is one plain folder name: not blank, not "." or "..", no
// "/" or "\\" (double-byte characters are stepped over: their second byte may be 0x5C),
// no control bytes. Anything else would put a net's files outside the data folder.
bool plainFolderName(const std::string& name);

class NetList {
public:
    // The net manager serves nets 0 to 99.
    static constexpr int kMaxNets = 100;
    static constexpr const char* kFileName = "NETLIST.DAT";
    static constexpr const char* kStartingCopy = "NETLIST.NEW";

    // `folder` holds the list's files (the data folder).
    explicit NetList(std::string folder = ".") : folder_(std::move(folder)) {}
    NetList(std::string folder, base::Lines lines)
        : folder_(std::move(folder)), lines_(std::move(lines)) {}

    // Loads NETLIST.DAT, or NETLIST.NEW when it is missing. When neither can be read the
    // list is empty and the error is returned (empty on success). A NETLIST.DAT that is
    // there but cannot be read (a read error, no permission, not a file) is not replaced
    // by NETLIST.NEW, and from then on this list never saves over it.
    std::string load();
    // Replaces NETLIST.DAT atomically with mode 0600 (it holds passwords). Throws
    // base::FileError and leaves the old file in place when the write fails, and without
    // writing when a load found NETLIST.DAT unreadable.
    void save() const;
    // True once a load found NETLIST.DAT present but unreadable.
    bool saveRefused() const { return saveRefused_; }
    const std::string& folder() const { return folder_; }

    // The number of whole records; stray lines after the last one are kept but not a net.
    int count() const { return static_cast<int>(lines_.size()) / kLinesPerNet; }
    bool has(int net) const { return net >= 0 && net < count(); }
    // Line k of net n; "" for a net or line that does not exist.
    std::string field(int net, int k) const;
    // Sets line k of an existing net; ignored for a net that does not exist. A CR or LF in
    // the value becomes a blank, so the field stays one line of the file.
    void setField(int net, int k, std::string value);
    // Line 0 of every net, in order.
    std::vector<std::string> names() const;

    // Appends the ten lines of a new net (the defaults below).
    void addNew();
    // Removes the ten lines of net n; later nets move up by one.
    void remove(int net);

    // The lines of a new record, in order.
    static base::Lines newNetLines();

    const base::Lines& lines() const { return lines_; }

private:
    std::string folder_;
    base::Lines lines_;
    bool saveRefused_ = false;
};

} // namespace shell
