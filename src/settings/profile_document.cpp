#include "settings/profile_document.h"

#include <charconv>

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool IsEnclosedInQuotes(std::string_view text) {
    return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key lines: the trimmed text after the first "="
};

ParsedLine ParseLine(std::string_view raw) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') {
        return {};
    }
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos) {
            return {};
        }
        return {LineKind::Section, Trim(line.substr(1, close - 1)), {}};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return {};
    }
    return {LineKind::Key, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// The profile functions hand out a value without one pair of enclosing quotes, and trimmed,
// so a value with outer blanks or with its own enclosing quotes only survives inside quotes.
std::string EncodeValue(std::string_view value) {
    const bool needsQuotes = !value.empty() && (kBlanks.find(value.front()) != std::string::npos ||
                                                kBlanks.find(value.back()) != std::string::npos ||
                                                IsEnclosedInQuotes(value));
    if (!needsQuotes) {
        return std::string(value);
    }
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

bool EndsWithCr(std::string_view line) {
    return !line.empty() && line.back() == '\r';
}

} // namespace

ProfileDocument::ProfileDocument(std::string_view text) {
    // Left in place, the mark would hide the first section's header from every lookup.
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        m_byteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    m_lines.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            m_lines.emplace_back(text.substr(start));
            break;
        }
        m_lines.emplace_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    if (m_lines.size() > 1 && EndsWithCr(m_lines.front())) {
        m_lineEnd = "\r\n";
    }
}

std::optional<std::size_t> ProfileDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine line = ParseLine(m_lines[i]);
        if (line.kind == LineKind::Section && EqualsIgnoringCase(line.name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<ProfileDocument::KeyLine> ProfileDocument::FindKey(std::size_t header,
                                                                 std::string_view key) const {
    for (std::size_t i = header + 1; i < m_lines.size(); ++i) {
        const ParsedLine line = ParseLine(m_lines[i]);
        if (line.kind == LineKind::Section) {
            break;
        }
        if (line.kind == LineKind::Key && EqualsIgnoringCase(line.name, key)) {
            return KeyLine{i, line.name, line.value};
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::ReadString(std::string_view section,
                                                       std::string_view key) const {
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const std::optional<KeyLine> found = FindKey(*header, key);
    if (!found) {
        return std::nullopt;
    }
    std::string_view value = found->value;
    if (IsEnclosedInQuotes(value)) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const {
    std::optional<std::string> value = ReadString(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

int32_t ProfileDocument::ReadInteger(std::string_view section, std::string_view key,
                                     int32_t defaultValue) const {
    const std::optional<std::string> text = ReadString(section, key);
    if (!text) {
        return defaultValue;
    }
    return ParseWholeNumber(*text).value_or(defaultValue);
}

bool ProfileDocument::ReadBool(std::string_view section, std::string_view key,
                               bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileDocument::InsertLine(std::size_t index, std::string line) {
    const bool crlf = m_lineEnd == "\r\n";
    if (crlf) {
        line += '\r';
    }
    if (index == m_lines.size()) {
        // Adding below a last line that had no line end of its own: give it one, and keep the
        // file ending in a line end.
        if (crlf && !m_lines.back().empty() && !EndsWithCr(m_lines.back())) {
            m_lines.back() += '\r';
        }
        m_lines.push_back(std::move(line));
        m_lines.emplace_back();
        return;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

bool ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        return false;
    }
    const std::string encoded = EncodeValue(value);
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) {
        // A new section goes at the end, before the empty entry that stands for a final LF.
        const std::size_t at = m_lines.back().empty() ? m_lines.size() - 1 : m_lines.size();
        InsertLine(at, "[" + std::string(section) + "]");
        InsertLine(at + 1, std::string(key) + "=" + encoded);
        return true;
    }
    if (const std::optional<KeyLine> found = FindKey(*header, key)) {
        // The file's own spelling of the key and its own line end stay.
        std::string line = std::string(found->key) + "=" + encoded;
        if (EndsWithCr(m_lines[found->index])) {
            line += '\r';
        }
        m_lines[found->index] = std::move(line);
        return true;
    }
    // A new key goes below the last line of its section that is not blank, so that the blank
    // lines before the next section stay where they are.
    std::size_t last = *header;
    for (std::size_t i = *header + 1; i < m_lines.size(); ++i) {
        if (ParseLine(m_lines[i]).kind == LineKind::Section) {
            break;
        }
        if (!Trim(m_lines[i]).empty()) {
            last = i;
        }
    }
    InsertLine(last + 1, std::string(key) + "=" + encoded);
    return true;
}

void ProfileDocument::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    char digits[16];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    WriteString(section, key, std::string_view(digits, result.ptr - digits));
}

void ProfileDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string ProfileDocument::Text() const {
    std::size_t size = 0;
    for (const std::string& line : m_lines) {
        size += line.size() + 1;
    }
    std::string text;
    text.reserve(size + kByteOrderMark.size());
    if (m_byteOrderMark) {
        text += kByteOrderMark;
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += m_lines[i];
    }
    return text;
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
    std::string_view hexDigits;
    bool isHex = false;
    if (!text.empty() && text.front() == '$') {
        hexDigits = text.substr(1);
        isHex = true;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hexDigits = text.substr(2);
        isHex = true;
    }
    if (isHex) {
        uint64_t value = 0;
        const char* end = hexDigits.data() + hexDigits.size();
        const auto result = std::from_chars(hexDigits.data(), end, value, 16);
        if (hexDigits.empty() || result.ec != std::errc() || result.ptr != end ||
            value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
        // Eight hex digits cover the whole 32 bits, so "$FFFFFFFF" is -1.
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    std::string_view decimal = text;
    if (!decimal.empty() && decimal.front() == '+') {
        decimal.remove_prefix(1);
        if (decimal.empty() || decimal.front() < '0' || decimal.front() > '9') {
            return std::nullopt;
        }
    }
    int32_t value = 0;
    const char* end = decimal.data() + decimal.size();
    const auto result = std::from_chars(decimal.data(), end, value);
    if (decimal.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}
