#include "base/Sjis.h"

#include <algorithm>
#include <cstdio>

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace base {
namespace {

// One converter per direction and thread: iconv descriptors carry shift state and must
// not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; `bad` is appended for each byte that cannot be converted
    // and `skip` says how many input bytes such a failure consumes.
    template <class Skip>
    std::string run(std::string_view in, std::string_view bad, Skip skip,
                    size_t* failures = nullptr) {
        std::string out;
        out.reserve(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buf[4096];
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: an unconvertible or truncated sequence at src.
            out.append(bad);
            if (failures)
                ++*failures;
            size_t n = skip(reinterpret_cast<const unsigned char*>(src), left);
            src += n;
            left -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

size_t skipOneByte(const unsigned char*, size_t) {
    return 1;
}

// Length of the UTF-8 sequence starting at p, clamped to what is left; at least 1.
size_t skipUtf8Sequence(const unsigned char* p, size_t left) {
    size_t n = 1;
    if (p[0] >= 0xF0)
        n = 4;
    else if (p[0] >= 0xE0)
        n = 3;
    else if (p[0] >= 0xC0)
        n = 2;
    if (n > left)
        n = left;
    // Do not swallow bytes that start the next character.
    for (size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return i;
    return n;
}

Converter& toUtf8Converter() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& fromUtf8Converter() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

} // namespace

std::string toUtf8(std::string_view sjis) {
    return toUtf8Converter().run(sjis, "\xEF\xBF\xBD", skipOneByte);
}

std::string fromUtf8(std::string_view utf8) {
    return fromUtf8Converter().run(utf8, "?", skipUtf8Sequence);
}

bool fitsSjis(std::string_view utf8) {
    size_t failures = 0;
    fromUtf8Converter().run(utf8, "?", skipUtf8Sequence, &failures);
    return failures == 0;
}

namespace {

// The length of the UTF-8 sequence a byte starts; 1 for ASCII and stray bytes.
size_t sequenceLength(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF7)
        return 4;
    if (c >= 0xE0)
        return c <= 0xEF ? 3 : 1;
    if (c >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::vector<std::string> unmappableChars(std::string_view utf8) {
    std::vector<std::string> out;
    for (size_t i = 0; i < utf8.size();) {
        const size_t n =
            std::min(sequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::string_view ch = utf8.substr(i, n);
        i += n;
        if (n == 1 && static_cast<unsigned char>(ch[0]) < 0x80)
            continue;
        if (fromUtf8(ch) != "?")
            continue;
        if (std::find(out.begin(), out.end(), ch) == out.end())
            out.emplace_back(ch);
    }
    return out;
}

std::string codePointName(std::string_view utf8Char) {
    if (utf8Char.empty())
        return {};
    const auto b = [&](size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(utf8Char[i]));
    };
    const size_t n =
        std::min(sequenceLength(static_cast<unsigned char>(utf8Char[0])), utf8Char.size());
    unsigned cp = n == 1 ? b(0) : b(0) & (0xFFu >> (n + 1));
    for (size_t i = 1; i < n; ++i)
        cp = (cp << 6) | (b(i) & 0x3Fu);
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", cp);
    return buf;
}

std::string sj(std::u8string_view utf8) {
    return fromUtf8(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

} // namespace base
