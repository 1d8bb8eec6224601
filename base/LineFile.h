#pragma once
// Files are read and written whole, as lists of lines. Reading accepts CR LF, LF and a lone
// CR as line ends; writing always ends every line with CR LF. A whole-file replace is
// atomic: the old file stays in place until the new one is complete on disk.
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// A file operation that failed; what() names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Lines = std::vector<std::string>;

// Splits text into lines: CR LF, LF and CR end a line; a last line without an end counts,
// a trailing line end adds no empty line.
Lines splitLines(std::string_view text);

// The whole file as bytes. Throws FileError when it cannot be opened or read.
std::string readFile(const std::string& path);
// The whole file as lines. Throws FileError when it cannot be opened or read.
Lines readLines(const std::string& path);
// Reads into `out` and returns true when the file exists; false (out untouched) when it
// does not. Other failures throw FileError.
bool readLinesIfExists(const std::string& path, Lines& out);

// Replaces the file with these lines, each followed by CR LF: written to a temporary file
// in the same folder, flushed, synced and renamed over the old one. `mode` is the new
// file's permission bits. On any failure the temporary file is removed, the old file is
// untouched and FileError is thrown.
void replaceLines(const std::string& path, const Lines& lines, unsigned mode = 0644);
void replaceFile(const std::string& path, std::string_view bytes, unsigned mode = 0644);

// The steps of a whole-file replace, in order. Write happens once per write call (a
// short write makes another).
enum class ReplaceStep { Create, Write, Sync, Rename, SyncFolder };

// A test seam in front of each step of replaceFile: it runs before the step and may make
// it fail by returning an errno value (ENOSPC, EIO, ...), 0 to let it run. For Write,
// `bytes` is how many bytes the call is about to write; the hook may lower it (not to 0)
// to make a short write. Empty (the default): every step runs as it is.
using ReplaceHook = std::function<int(ReplaceStep step, size_t& bytes)>;
void setReplaceHook(ReplaceHook hook);

// Appends these lines (each with CR LF), creating the file when it is missing.
void appendLines(const std::string& path, const Lines& lines);

// Joins lines with CR LF after each one.
std::string joinLines(const Lines& lines);

bool fileExists(const std::string& path);
// The spelling under which a file named by a native Shift-JIS path is found on this disk:
// the path itself when something of that name exists, else its UTF-8 spelling when that
// exists (names on Linux disks are UTF-8), else the path unchanged. Everything that opens
// a file the user chose goes through here, so that a check and the open agree.
std::string diskSpelling(const std::string& nativePath);
bool dirExists(const std::string& path);
// Creates the folder and its parents; true when it exists afterwards.
bool makeDirs(const std::string& path);
// Removes a file; true when it is gone afterwards.
bool removeFile(const std::string& path);

} // namespace base
