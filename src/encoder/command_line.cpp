#include "encoder/command_line.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (i < n) {
        const char c = commandLine[i];
        if (!quoted && IsBlank(c)) {
            if (inArgument) {
                args.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            size_t slashes = 0;
            while (i < n && commandLine[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < n && commandLine[i] == '"') {
                current.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    current.push_back('"');
                    ++i;
                }
                // An even count leaves the quote to the next turn of the loop, where it
                // opens or closes a quoted run.
            } else {
                current.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            ++i;
            continue;
        }
        current.push_back(c);
        ++i;
    }
    if (inArgument) {
        args.push_back(std::move(current));
    }
    return args;
}

std::string EscapeForQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    size_t i = 0;
    while (i < text.size()) {
        size_t slashes = 0;
        while (i < text.size() && text[i] == '\\') {
            ++slashes;
            ++i;
        }
        if (i == text.size()) {
            // The closing quote follows: double them so that it stays special.
            out.append(slashes * 2, '\\');
        } else if (text[i] == '"') {
            out.append(slashes * 2 + 1, '\\');
            out.push_back('"');
            ++i;
        } else {
            out.append(slashes, '\\');
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}
