#include "comm/ComPorts.h"

#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Text.h"

#include <cstdlib>

namespace comm {

namespace {
constexpr int kPortCount = 4;
}

std::string defaultComPortDevice(int port) {
    if (port < 1 || port > kPortCount)
        return {};
    return "/dev/ttyS" + std::to_string(port - 1);
}

void ensureComPortsFile(const std::string& folder) {
    const std::string path = base::joinPath(folder, kComPortsFile);
    if (base::fileExists(path))
        return;
    base::Lines lines;
    for (int port = 1; port <= kPortCount; ++port)
        lines.push_back(defaultComPortDevice(port));
    base::replaceLines(path, lines);
}

std::string comPortDevice(const std::string& folder, int port) {
    if (port < 1 || port > kPortCount)
        return {};
    const std::string var = "TARNO_COM" + std::to_string(port);
    if (const char* env = std::getenv(var.c_str())) {
        std::string device = base::trim(env);
        if (!device.empty())
            return device;
    }
    base::Lines lines;
    // A file that exists but cannot be read falls back to the default as a missing one does;
    // the open of that default then tells the user the port is not there.
    try {
        base::readLinesIfExists(base::joinPath(folder, kComPortsFile), lines);
    } catch (const base::FileError&) {
        lines.clear();
    }
    if (static_cast<int>(lines.size()) >= port) {
        std::string device = base::trim(lines[port - 1]);
        if (!device.empty())
            return device;
    }
    return defaultComPortDevice(port);
}

} // namespace comm
