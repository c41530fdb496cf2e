#include "command/text_rules.h"

#include <algorithm>

namespace {
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}
} // namespace

std::string_view TrimAscii(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsTrimmed(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::ptrdiff_t TextPos(std::string_view needle, std::string_view text) {
    const size_t at = text.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<std::ptrdiff_t>(at) + 1;
}

std::string_view FirstChars(std::string_view text, std::ptrdiff_t count) {
    if (count <= 0) {
        return {};
    }
    return text.substr(0, std::min(static_cast<size_t>(count), text.size()));
}

std::string_view FromPosition(std::string_view text, std::ptrdiff_t position) {
    const size_t start = position <= 1 ? 0 : static_cast<size_t>(position - 1);
    if (start >= text.size()) {
        return {};
    }
    return text.substr(start);
}

std::string WithoutSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            out.push_back(c);
        }
    }
    return out;
}
