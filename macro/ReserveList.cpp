#include "macro/ReserveList.h"

#include "base/Text.h"

#include <algorithm>

namespace macro {

namespace {

struct Keyword {
    const char* word;
    BlockKind kind;
};
// No keyword begins with another, so the order of the table does not matter.
constexpr Keyword kKeywords[] = {
    {"RES", BlockKind::RES},
    {"NEWW", BlockKind::NEWW},
    {"MAIL", BlockKind::MAIL},
    {"BMAIL", BlockKind::BMAIL},
    {"UPFILE", BlockKind::UPFILE},
    {"MDOWN", BlockKind::MDOWN},
    {"FDOWN", BlockKind::FDOWN},
    {"MLISTDOWN", BlockKind::MLISTDOWN},
    {"FLISTDOWN", BlockKind::FLISTDOWN},
};

const std::string kEmpty;

} // namespace

BlockKind kindOf(std::string_view line) {
    for (const Keyword& k : kKeywords)
        if (line.starts_with(k.word))
            return k.kind;
    return BlockKind::None;
}

bool hasBody(BlockKind kind) {
    switch (kind) {
    case BlockKind::RES:
    case BlockKind::NEWW:
    case BlockKind::MAIL:
    case BlockKind::BMAIL:
    case BlockKind::UPFILE:
        return true;
    default:
        return false;
    }
}

ReserveList::ReserveList(int limit)
    : lines_(kCapacity + 1), limit_(std::clamp(limit, 0, kCapacity)) {}

const std::string& ReserveList::ReserveLines(int i) const {
    if (i < 0 || i > kCapacity)
        return kEmpty;
    return lines_[static_cast<size_t>(i)];
}

base::Lines ReserveList::lines() const {
    return base::Lines(lines_.begin(), lines_.begin() + count_);
}

bool ReserveList::append(const base::Lines& block) {
    if (!fits(static_cast<int>(block.size())))
        return false;
    for (const std::string& line : block)
        lines_[static_cast<size_t>(count_++)] = line;
    return true;
}

namespace {

bool hasLineBreak(std::string_view line) {
    return line.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

base::Lines ReserveList::makeBlock(const std::string& header, const base::Lines& body) {
    // The header is one line of NET.MAC whatever it was given: a break in a title becomes
    // a blank rather than a line of its own.
    std::string head;
    for (size_t i = 0; i < header.size(); ++i) {
        if (header[i] == '\r' || header[i] == '\n') {
            if (header[i] == '\r' && i + 1 < header.size() && header[i + 1] == '\n')
                ++i;
            head += ' ';
        } else {
            head += header[i];
        }
    }
    base::Lines block{head};
    if (!hasBody(kindOf(head)))
        return block;
    auto add = [&block](const std::string& line) {
        block.push_back(line == kTerminator ? kEscapedTerminator : line);
    };
    for (const std::string& line : body) {
        if (!hasLineBreak(line)) {
            add(line);
            continue;
        }
        // A text of several lines: each CR LF, LF or CR ends one, as in a file.
        for (const std::string& part : base::splitLines(line))
            add(part);
    }
    block.push_back(kTerminator);
    return block;
}

bool ReserveList::wellFormed(const base::Lines& block) {
    if (block.empty())
        return false;
    const BlockKind kind = kindOf(block.front());
    if (kind == BlockKind::None)
        return false;
    for (const std::string& line : block)
        if (hasLineBreak(line))
            return false;
    if (!hasBody(kind))
        return block.size() == 1;
    if (block.size() < 2 || block.back() != kTerminator)
        return false;
    for (size_t i = 1; i + 1 < block.size(); ++i)
        if (block[i] == kTerminator)
            return false;
    return true;
}

int ReserveList::find(std::string_view header, int limit) const {
    const int end = std::min(count_, limit);
    for (int i = 0; i < end; ++i)
        if (lines_[static_cast<size_t>(i)] == header)
            return i;
    return -1;
}

int ReserveList::findBlock(std::string_view header) const {
    for (int i = 0; i < count_; i = blockEnd(i) + 1)
        if (lines_[static_cast<size_t>(i)] == header)
            return i;
    return -1;
}

size_t ReserveList::terminatorAfter(const std::vector<std::string>& lines, size_t i, size_t end) {
    for (size_t t = i + 1; t < end; ++t)
        if (lines[t] == kTerminator)
            return t;
    return end;
}

int ReserveList::blockEnd(int i) const {
    if (i < 0 || i >= count_)
        return i;
    if (!hasBody(kindOf(lines_[static_cast<size_t>(i)])))
        return i;
    size_t t = terminatorAfter(lines_, static_cast<size_t>(i), static_cast<size_t>(count_));
    return t == static_cast<size_t>(count_) ? count_ - 1 : static_cast<int>(t);
}

void ReserveList::removeBlockAt(int i) {
    if (i < 0 || i >= count_)
        return;
    const int t = blockEnd(i);
    const auto first = lines_.begin() + i;
    std::move(first + (t - i + 1), lines_.begin() + count_, first);
    count_ -= t - i + 1;
    lines_[static_cast<size_t>(count_)] = kEndMarker;
}

bool ReserveList::removeBlock(std::string_view header) {
    const int i = find(header);
    if (i < 0)
        return false;
    removeBlockAt(i);
    return true;
}

std::vector<std::string> ReserveList::headers() const {
    std::vector<std::string> out;
    for (int i = 0; i < count_; i = blockEnd(i) + 1) {
        const std::string& line = lines_[static_cast<size_t>(i)];
        if (kindOf(line) != BlockKind::None)
            out.push_back(line);
    }
    return out;
}

size_t ReserveList::readBlock(const base::Lines& src, size_t i, bool& overflow) {
    if (i >= src.size())
        return i;
    const BlockKind kind = kindOf(src[i]);
    if (kind == BlockKind::None)
        return i;
    if (!hasBody(kind)) {
        if (!append({src[i]}))
            overflow = true;
        return i + 1;
    }
    const size_t t = terminatorAfter(src, i, src.size());
    base::Lines block(src.begin() + static_cast<std::ptrdiff_t>(i),
                      src.begin() + static_cast<std::ptrdiff_t>(std::min(t + 1, src.size())));
    if (t == src.size())
        block.push_back(kTerminator);
    if (!append(block))
        overflow = true;
    return std::min(t + 1, src.size());
}

} // namespace macro
