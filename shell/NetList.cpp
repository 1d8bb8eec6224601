#include "shell/NetList.h"

#include "base/Path.h"
#include "base/Sjis.h"

#include <cerrno>
#include <sys/stat.h>

namespace shell {

bool plainFolderName(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos || name == "." || name == "..")
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (base::isLeadByte(c) && i + 1 < name.size()) {
            ++i; // a double-byte character
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\')
            return false;
    }
    return true;
}

std::string NetList::load() {
    lines_.clear();
    for (const char* name : {kFileName, kStartingCopy}) {
        const std::string path = base::joinPath(folder_, name);
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
            continue; // not there (a dangling link is not there either)
        try {
            lines_ = base::readLines(path);
            return {};
        } catch (const base::FileError& e) {
            lines_.clear();
            if (name == kFileName) {
                // Whatever it holds is the user's list; a save now would replace it with
                // only what was added since.
                saveRefused_ = true;
                return base::sj(u8"ネットリスト NETLIST.DAT を読み込めません．このファイルは"
                                u8"上書きしません．\n") +
                       e.what();
            }
            return base::sj(u8"ネットリストのひな形 NETLIST.NEW を読み込めません．\n") + e.what();
        }
    }
    return base::sj(u8"ネットリストのファイルがありません: ") + kFileName + " / " + kStartingCopy;
}

void NetList::save() const {
    if (saveRefused_)
        throw base::FileError(base::sj(u8"NETLIST.DAT は読み込めなかったため，上書きしません．"));
    base::replaceLines(base::joinPath(folder_, kFileName), lines_, 0600);
}

std::string NetList::field(int net, int k) const {
    if (!has(net) || k < 0 || k >= kLinesPerNet)
        return {};
    return lines_[static_cast<size_t>(net * kLinesPerNet + k)];
}

void NetList::setField(int net, int k, std::string value) {
    if (!has(net) || k < 0 || k >= kLinesPerNet)
        return;
    // A field is one line of the file: a line break in it would shift every later field
    // of the list by a line when it is read again.
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    lines_[static_cast<size_t>(net * kLinesPerNet + k)] = std::move(value);
}

std::vector<std::string> NetList::names() const {
    std::vector<std::string> out;
    for (int n = 0; n < count(); ++n)
        out.push_back(field(n, kNetName));
    return out;
}

base::Lines NetList::newNetLines() {
    return {base::sj(u8"新規登録ネット"),
            "NEWNET",
            "999-999-9999",
            "0",
            "-USERID-",
            "QWERTYUI",
            "HANDLE",
            "KTBBS",
            "9",
            "10"};
}

void NetList::addNew() {
    // New records go after the last whole record, ahead of any stray partial lines.
    auto at = lines_.begin() + count() * kLinesPerNet;
    auto add = newNetLines();
    lines_.insert(at, add.begin(), add.end());
}

void NetList::remove(int net) {
    if (!has(net))
        return;
    auto first = lines_.begin() + net * kLinesPerNet;
    lines_.erase(first, first + kLinesPerNet);
}

} // namespace shell
