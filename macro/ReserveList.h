#pragma once
// The reservation list of the net the net manager shows: what the user prepared offline
// for the next run, as blocks of text lines that follow each other in the order they were
// added, which is the order the engine carries them out.
//
// Writers and the download list append blocks (through MacroModel, which also rewrites
// NET.MAC); loading a net fills the list from its NET.MAC with readBlock; the engine and
// the reservation editor remove blocks by their header line. The list is a fixed table of
// kCapacity lines with ReserveCount of them in use; after a removal the slot just past
// the end holds the marker "//end//", which is never counted nor written.
#include "base/LineFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace macro {

// The kinds of reservation, named by the keyword their header line begins with.
enum class BlockKind { None, RES, NEWW, MAIL, BMAIL, UPFILE, MDOWN, FDOWN, MLISTDOWN, FLISTDOWN };

// The kind whose keyword `line` begins with; None for any other line. Only the beginning
// counts: a title that merely contains "DOWN" does not make a new message a download.
BlockKind kindOf(std::string_view line);
// Replies, new messages, mail, binary mail and uploads carry body lines and a terminator.
bool hasBody(BlockKind kind);

class ReserveList {
public:
    static constexpr int kCapacity = 10000;
    static constexpr const char* kEndMarker = "//end//";
    static constexpr const char* kTerminator = "//";
    // What a body line that is exactly the terminator is stored as.
    static constexpr const char* kEscapedTerminator = ">//";

    // `limit` is how many lines appends and reads may fill, at most kCapacity; the net
    // manager keeps room in its command list for the fixed commands this way.
    explicit ReserveList(int limit = kCapacity);
    int limit() const { return limit_; }

    int ReserveCount() const { return count_; }
    // Slot i of the table, 0 <= i <= kCapacity: a line in use below ReserveCount, the end
    // marker or a stale line at or past it.
    const std::string& ReserveLines(int i) const;
    // The lines in use, in order.
    base::Lines lines() const;
    bool empty() const { return count_ == 0; }

    // Forgets every line (ReserveCount := 0), as loading another net does.
    void clear() { count_ = 0; }

    // True when `n` more lines fit within the limit.
    bool fits(int n) const { return n >= 0 && count_ + n <= limit_; }
    // Appends the lines as they are. Refuses (false, nothing changed) when they do not fit.
    bool append(const base::Lines& block);

    // A block ready to append: the header, then for kinds with a body each body line (one
    // that is exactly "//" stored as ">//") and the terminator. Download items are the
    // header alone, whatever `body` holds. Every line of the block is a single line of the
    // file: a body line holding CR LF, LF or CR is split into the lines it holds (each then
    // escaped like any other), and a break in the header becomes a blank.
    static base::Lines makeBlock(const std::string& header, const base::Lines& body = {});
    // True for a block as makeBlock makes them: a reservation header, no CR or LF in any
    // line, and for kinds with a body exactly one terminator, the last line; download items
    // are the header alone.
    static bool wellFormed(const base::Lines& block);

    // Index of the first line in use that equals `header` among the first `limit` lines;
    // -1 when there is none.
    int find(std::string_view header, int limit = kCapacity) const;
    // Index of the first block whose header line equals `header`, stepping over each
    // block's body, so a body line that reads like a header is never taken for one;
    // -1 when there is none.
    int findBlock(std::string_view header) const;
    // Index of the last line of the block that starts at line i: i itself for a download
    // item, else the first terminator after it; a body without terminator runs to the end.
    int blockEnd(int i) const;
    // Removes the block that starts at line i, moving the later lines up in order, and
    // writes the end marker after the last line. Out of range: nothing happens.
    void removeBlockAt(int i);
    // Removes the first block whose header equals `header`; false when there is none.
    bool removeBlock(std::string_view header);

    // The header line of every block, in order; body lines are skipped with their block.
    std::vector<std::string> headers() const;

    // Reads one block from a command file. When src[i] starts a block, the block is copied
    // to the end of the list and the index of the line after it is returned; otherwise i
    // is returned and nothing changes. A block whose terminator is missing takes every
    // line to the end of `src` and is then closed with a terminator, so that whatever is
    // written after it later is not taken into its body. When the block does not fit the
    // limit, it is skipped (consumed but not copied) and `overflow` is set.
    size_t readBlock(const base::Lines& src, size_t i, bool& overflow);

private:
    // Where the block of lines[i] ends in `lines`, by the same rule as blockEnd: the index
    // of its terminator, or lines.size() when it has none.
    static size_t terminatorAfter(const std::vector<std::string>& lines, size_t i, size_t end);

    std::vector<std::string> lines_; // kCapacity + 1 slots, the last for the end marker
    int limit_;
    int count_ = 0;
};

} // namespace macro
