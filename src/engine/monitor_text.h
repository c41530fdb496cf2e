#pragma once
// Small text pieces shared by the progress monitor and the stall watchdog. The encoder's report
// is plain single-byte text; these never read outside the text they are given.

#include <cstddef>
#include <string>
#include <string_view>

// The piece of `text` that starts at `pos` and is at most `count` long; empty where the start
// lies beyond the end, so a position or count that comes out of range gives an empty piece.
std::string_view TextPiece(std::string_view text, std::size_t pos,
                           std::size_t count = std::string_view::npos);

inline bool Contains(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}
