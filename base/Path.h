#pragma once
// Paths as the program stores them use "\" between folders ("DOWNLOAD\", a raw log's path
// in the capture log). They stay that way on disk and become native paths only when a
// file is opened. Every search for a separator steps over double-byte characters, whose
// second byte may be 0x5C.
#include <string>
#include <string_view>

namespace base {

// Every single-byte "\" becomes "/".
std::string nativePath(std::string_view stored);

// What follows the last "\", "/" or ":" (the whole text when there is none).
std::string fileNamePart(std::string_view path);

// a + "/" + b, without doubling a separator; b alone when a is empty.
std::string joinPath(std::string_view a, std::string_view b);

} // namespace base
