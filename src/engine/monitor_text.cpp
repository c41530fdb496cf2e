#include "engine/monitor_text.h"

namespace {
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

std::string TrimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(text[begin])) {
        ++begin;
    }
    while (end > begin && IsTrimmed(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string_view TextPiece(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos >= text.size()) {
        return {};
    }
    return text.substr(pos, count);
}
