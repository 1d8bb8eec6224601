// Colour changes of the terminal screen.
#include "engine/ScreenColours.h"

#include <algorithm>

namespace engine {

namespace {

// The numbers of an SGR parameter text (an empty field counts as 0), at most kMax of them;
// no allocation, since a colouring host sends one with nearly every line.
struct SgrNumbers {
    static constexpr size_t kMax = 40;
    int n[kMax];
    size_t count = 0;

    explicit SgrNumbers(std::string_view params) {
        int v = 0;
        for (char c : params) {
            if (c >= '0' && c <= '9') {
                v = std::min(v * 10 + (c - '0'), 100000);
            } else {
                push(v);
                v = 0;
            }
        }
        push(v);
    }
    void push(int v) {
        if (count < kMax)
            n[count++] = v;
    }
};

} // namespace

TextAttr applySgr(TextAttr a, std::string_view params) {
    const SgrNumbers codes(params);
    for (size_t i = 0; i < codes.count; ++i) {
        const int c = codes.n[i];
        if (c == 0)
            a = TextAttr{};
        else if (c == 1)
            a.bold = true;
        else if (c == 22)
            a.bold = false;
        else if (c == 7)
            a.reverse = true;
        else if (c == 27)
            a.reverse = false;
        else if (c >= 30 && c <= 37)
            a.fg = static_cast<std::uint8_t>(1 + c - 30);
        else if (c >= 90 && c <= 97)
            a.fg = static_cast<std::uint8_t>(1 + 8 + c - 90);
        else if (c == 39)
            a.fg = 0;
        else if (c >= 40 && c <= 47)
            a.bg = static_cast<std::uint8_t>(1 + c - 40);
        else if (c >= 100 && c <= 107)
            a.bg = static_cast<std::uint8_t>(1 + 8 + c - 100);
        else if (c == 49)
            a.bg = 0;
        else if ((c == 38 || c == 48) && i + 1 < codes.count)
            i += codes.n[i + 1] == 5 ? 2 : codes.n[i + 1] == 2 ? 4 : 1;
    }
    return a;
}

void ScreenColours::clear() {
    changes_.clear();
    base_ = current_ = TextAttr{};
}

void ScreenColours::sgr(int line, std::size_t offset, std::string_view params) {
    current_ = applySgr(current_, params);
    place(line, offset);
}

void ScreenColours::takenBack(int line, std::size_t length) {
    if (!changes_.empty() && changes_.back().line == line && changes_.back().offset > length)
        place(line, length);
}

void ScreenColours::place(int line, std::size_t offset) {
    while (!changes_.empty() && changes_.back().line == line && changes_.back().offset >= offset)
        changes_.pop_back();
    const TextAttr before = changes_.empty() ? base_ : changes_.back().attr;
    if (current_ == before)
        return;
    if (changes_.size() >= kMaxChanges) {
        base_ = changes_.front().attr;
        changes_.pop_front();
    }
    changes_.push_back(Change{line, offset, current_});
}

std::vector<ScreenColours::Run> ScreenColours::runs(int line) const {
    auto first = std::lower_bound(changes_.begin(), changes_.end(), line,
                                  [](const Change& c, int l) { return c.line < l; });
    std::vector<Run> out;
    out.push_back(Run{0, first == changes_.begin() ? base_ : std::prev(first)->attr});
    for (auto it = first; it != changes_.end() && it->line == line; ++it) {
        if (it->offset == 0)
            out.front().attr = it->attr;
        else
            out.push_back(Run{it->offset, it->attr});
    }
    return out;
}

} // namespace engine
