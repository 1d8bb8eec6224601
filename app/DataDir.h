#pragma once
// The data folder: where the nets, the settings and the message store live. The program
// creates it, copies the starting copies it lacks into it and makes it the working folder,
// because every file name the program uses is relative to it.
#include <string>
#include <vector>

namespace app {

// --data-dir when given, else $TARNO_HOME, else $XDG_DATA_HOME/tarno, else
// ~/.local/share/tarno.
std::string chooseDataDir(const std::string& fromCommandLine);

// The folder holding the starting copies shipped with the program: beside an installed
// program (../share/tarno/data), else the source tree's data folder it was built from.
std::string startingCopiesDir(const std::string& executablePath);

// Copies every file at the top of `from` that `to` lacks; returns the names copied.
// Throws base::FileError when one cannot be copied.
std::vector<std::string> copyStartingCopies(const std::string& from, const std::string& to);

// Creates the folder (and its parents), copies the starting copies, gives it the serial
// port table COMPORTS.DAT when it has none, and changes into it.
// Returns an error text, empty on success.
std::string enterDataDir(const std::string& dir, const std::string& startingCopies);

} // namespace app
