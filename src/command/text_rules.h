#pragma once
// The small text operations the selector and row texts are parsed with. Positions are 1-based
// and counts may come out zero or negative, as the rules are written; such a count gives an
// empty piece, never an out-of-range read.

#include <cstddef>
#include <string>
#include <string_view>

// Leading and trailing blanks and control characters removed (every byte up to 0x20).
std::string_view TrimAscii(std::string_view text);

// Only A to Z change: the selector texts are ASCII, and other bytes of a UTF-8 name stay as
// they are.
std::string LowerAscii(std::string_view text);

// 1-based position of the first occurrence of `needle`, 0 when it does not occur.
std::ptrdiff_t TextPos(std::string_view needle, std::string_view text);

// The first `count` characters; none for a count of zero or less, all of them for a count
// beyond the end.
std::string_view FirstChars(std::string_view text, std::ptrdiff_t count);

// From 1-based position `position` to the end; positions before the start count as 1, a
// position past the end gives the empty text.
std::string_view FromPosition(std::string_view text, std::ptrdiff_t position);

// Every blank (space character) deleted.
std::string WithoutSpaces(std::string_view text);
