#include "engine/monitor_text.h"

std::string_view TextPiece(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos >= text.size()) {
        return {};
    }
    return text.substr(pos, count);
}
