#pragma once
// What a run's capture becomes when the run ends, shared by the desktop program and the
// unattended run: the lines go to the net's monthly archive.
#include "base/DateTime.h"
#include "shell/NetList.h"

#include <string>
#include <vector>

namespace app {

// Appends lines 1..writePointer of the table to the net's monthly archive
// ("<short>/<short>yymm.LOG"). Returns an error text, empty on success.
std::string archiveCapture(const shell::NetList& nets, const std::vector<std::string>& lines,
                           int writePointer, int netNo, const base::LocalDateTime& now);

} // namespace app
