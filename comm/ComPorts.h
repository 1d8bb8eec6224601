#pragma once
// Which device stands behind COM1..COM4. COMPORTS.DAT in the data folder holds four lines,
// line n naming the device of COMn; the environment variable TARNO_COMn, when set and not
// empty, wins over the file. A device text is a tty path ("/dev/ttyUSB0", "/dev/pts/3"),
// "tcp:HOST:PORT", "telnet:HOST:PORT" or "sim:".
#include <string>

namespace comm {

inline constexpr const char* kComPortsFile = "COMPORTS.DAT";

// The device a fresh data folder gives COMn: /dev/ttyS0 for COM1 up to /dev/ttyS3 for COM4.
std::string defaultComPortDevice(int port);

// Writes COMPORTS.DAT with the four default devices into `folder` when it has none; an
// existing file is left as it is. Throws base::FileError when the file cannot be written.
void ensureComPortsFile(const std::string& folder);

// The device text of COM`port`: TARNO_COMn, else line n of COMPORTS.DAT in `folder`, else
// (no file, or a missing or blank line) the default device. Empty for a port outside 1..4,
// which no device stands behind.
std::string comPortDevice(const std::string& folder, int port);

} // namespace comm
