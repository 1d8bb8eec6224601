#pragma once
// The text vocabulary the whole program speaks: 1-based byte positions, a forgiving
// copy, the four line tests the engine matches host output with, and delimiter searches
// that step over double-byte Shift-JIS characters.
#include <optional>
#include <string>
#include <string_view>

namespace base {

// 1-based position of the first occurrence of `needle` in `hay`, 0 when absent or when
// `needle` is empty.
int pos(std::string_view needle, std::string_view hay);

// Like pos, but the search starts at byte `from` (1-based); the result is still a
// position in the whole of `hay`.
int posFrom(std::string_view needle, std::string_view hay, int from);

// `count` bytes of `s` starting at 1-based `from`. A start below 1 counts as 1, a range
// past the end is cut at the end, a negative count gives "". Never fails.
std::string copy(std::string_view s, int from, int count);

// The remainder of `s` from 1-based `from` (copy with an unbounded count).
std::string copyFrom(std::string_view s, int from);

// Like copy(s, from, count) for a field of fixed width on a screen or in a list line, but
// never ends on the first byte of a double-byte character: that byte is dropped and a
// blank stands in its place, so the columns after it stay where they were. `from` must
// fall on the start of a character.
std::string copyColumns(std::string_view s, int from, int count);

// At most `n` bytes of s, one less when the cut would split a double-byte character.
std::string cutBytes(std::string_view s, int n);

// Line tests, byte-exact and case-sensitive.
bool startsWith(std::string_view line, std::string_view x); // first occurrence at 1
bool contains(std::string_view line, std::string_view x);
bool equals(std::string_view line, std::string_view x);
// The first ">" of the line is its last byte.
bool endsInMenuMark(std::string_view line);
// The first occurrence of x starts at length(line) - length(x) + 1.
bool endsWith(std::string_view line, std::string_view x);

// 1-based position of the first single-byte `c` at or after `from`, stepping over
// double-byte characters (so the trail byte of ソ, 0x83 0x5C, is never taken for '\').
// 0 when there is none.
int findDelimiter(std::string_view s, char c, int from = 1);
// 1-based position of the last single-byte `c`, stepping over double-byte characters.
int findLastDelimiter(std::string_view s, char c);
// True when byte `index` (1-based) is the second byte of a double-byte character.
bool isTrailByteAt(std::string_view s, int index);

// Removes bytes up to and including the space from both ends (control bytes too).
std::string trim(std::string_view s);
std::string trimRight(std::string_view s);

// Integer text as the program has always read it: optional leading blanks, an optional
// sign, decimal digits or "$"/"0x" and hexadecimal digits, nothing after. nullopt for
// anything else and for values outside int.
std::optional<int> strToInt(std::string_view s);
int strToIntDef(std::string_view s, int fallback);

// Replaces every occurrence of `from` (non-empty) by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

} // namespace base
