#pragma once
// The size of a file as text, for judging whether an encoder run wrote anything.

#include <string>

// Writes the size in bytes of the file at exactly `path` into `text` as a decimal number.
// Leaves `text` unchanged when nothing exists there and writes "nil" when the lookup fails for
// another reason (no permission to look, a name too long). Something that is not a regular
// file, such as a folder, counts as size 0.
void FileSizeText(const std::string& path, std::string& text);
