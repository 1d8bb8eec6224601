#pragma once
// The colours of the terminal screen, kept beside the line table so the lines themselves
// stay plain Shift-JIS text. The receive path reports each colour change (the parameters of
// an SGR sequence) at the byte position of the line where it arrived; the screen asks for
// the runs of one line: where each attribute begins. Only the recent changes are kept (the
// screen shows the last rows only); the oldest give way to a baseline attribute.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace engine {

// One character attribute. Colours are 0 for the default, else 1 + the colour number
// (0-7 the normal colours, 8-15 the bright ones).
struct TextAttr {
    std::uint8_t fg = 0;
    std::uint8_t bg = 0;
    bool bold = false;
    bool reverse = false;

    bool operator==(const TextAttr&) const = default;
    bool plain() const { return *this == TextAttr{}; }
};

// `a` changed by the SGR parameters `params` (digits separated by ";" or ":"; empty means
// reset): 0 reset, 1 bold, 22 not bold, 7 reverse, 27 not reverse, 30-37 / 90-97
// foreground, 39 default foreground, 40-47 / 100-107 background, 49 default background.
// Extended colours (38 / 48 with ;5;n or ;2;r;g;b) are passed over; other codes are ignored.
TextAttr applySgr(TextAttr a, std::string_view params);

class ScreenColours {
public:
    // Changes kept before the oldest are folded into the baseline.
    static constexpr size_t kMaxChanges = 4096;

    struct Run {
        std::size_t offset; // 0-based byte position in the line
        TextAttr attr;
    };

    // Everything back to the default (a new run starts).
    void clear();
    // A colour change at byte `offset` of line `line`. Positions only grow, except that a
    // change at a position before earlier ones of the same line replaces them (the text
    // there was taken back by BS).
    void sgr(int line, std::size_t offset, std::string_view params);
    // BS took line `line` back to `length` bytes: text that comes next in its place gets
    // the current attribute, not the one of a change that stood after it.
    void takenBack(int line, std::size_t length);
    // The attribute that text arriving now gets.
    TextAttr current() const { return current_; }
    // The runs of line `line`: the first at offset 0 (the attribute the line began with),
    // then one per change inside the line. Positions past the line's end do no harm.
    std::vector<Run> runs(int line) const;

private:
    struct Change {
        int line;
        std::size_t offset;
        TextAttr attr;
    };

    // Records the current attribute from `offset` of `line` on, replacing later changes.
    void place(int line, std::size_t offset);

    std::deque<Change> changes_;
    TextAttr base_;    // the attribute before the oldest change kept
    TextAttr current_; // after the newest
};

} // namespace engine
