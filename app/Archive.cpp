#include "app/Archive.h"

#include "base/LineFile.h"

namespace app {

std::string archiveCapture(const shell::NetList& nets, const std::vector<std::string>& lines,
                           int writePointer, int netNo, const base::LocalDateTime& now) {
    const std::string shortName = nets.field(netNo, shell::kShortName);
    if (shortName.empty())
        return "no net to archive the capture for";
    if (writePointer < 0 || static_cast<size_t>(writePointer) >= lines.size())
        return "the capture is out of range";
    const std::string date = base::shortDate(now);
    const std::string archive =
        shortName + "/" + shortName + date.substr(0, 2) + date.substr(3, 2) + ".LOG";
    base::Lines run(lines.begin() + 1, lines.begin() + writePointer + 1);
    try {
        base::appendLines(archive, run);
    } catch (const base::FileError& e) {
        return e.what();
    }
    return {};
}

} // namespace app
