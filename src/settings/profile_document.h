#pragma once
// A profile file (sections in square brackets, key=value lines) read and written the way the
// Windows profile functions do it: section and key names compared without regard to ASCII
// case, values trimmed of blanks and of one pair of enclosing quotes, the first section and the
// first key of a name winning, and a write touching exactly one line. Every other line - other
// sections and keys, comments, blank lines, lines that mean nothing - stays byte for byte.
// The text may hold anything, binary garbage included; nothing here throws on its content.
// A UTF-8 byte-order mark at the very start (editors on other systems write one) is not part
// of the first line: it is set aside on reading and put back in front on writing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(std::string_view text);

    // The value as the profile functions return it, or nothing when the key is missing.
    std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The whole-number rule below; any other text, or a missing key, gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // On when the value is a whole number other than 0.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Replaces the key's first line, or appends the key to its section, or the section (with
    // the key) to the end. False, and nothing changed, for a value that cannot live on one
    // line (it holds a line break).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    std::string Text() const;

private:
    struct KeyLine {
        std::size_t index;
        std::string_view key;
        std::string_view value;
    };
    // Index of the first header line of the section, or nothing.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // The first line of the key in the section that starts below `header`.
    std::optional<KeyLine> FindKey(std::size_t header, std::string_view key) const;
    void InsertLine(std::size_t index, std::string line);

    // The text split at each LF, without the LF; a CR before it stays part of the line. A text
    // ending in LF (or an empty one) ends with an empty entry.
    std::vector<std::string> m_lines{std::string()};
    std::string m_lineEnd = "\n"; // the file's own style for lines we add: "\n" or "\r\n"
    bool m_byteOrderMark = false;
};

// A whole number as the settings file writes it: decimal with an optional sign, or hexadecimal
// after "$", "0x" or "0X" (up to 32 bits, read as a signed value). Nothing for any other text,
// including blanks around the digits and numbers beyond 32 bits.
std::optional<int32_t> ParseWholeNumber(std::string_view text);
