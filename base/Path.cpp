#include "base/Path.h"

#include "base/Sjis.h"

namespace base {

std::string nativePath(std::string_view stored) {
    std::string out(stored);
    for (size_t i = 0; i < out.size(); ++i) {
        if (isLeadByte(out[i]) && i + 1 < out.size())
            ++i;
        else if (out[i] == '\\')
            out[i] = '/';
    }
    return out;
}

std::string fileNamePart(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i]) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            start = i + 1;
    }
    return std::string(path.substr(start));
}

std::string joinPath(std::string_view a, std::string_view b) {
    if (a.empty())
        return std::string(b);
    std::string out(a);
    if (out.back() != '/')
        out += '/';
    out.append(b);
    return out;
}

} // namespace base
