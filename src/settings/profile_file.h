#pragma once
// Reading and writing a profile file on disk. Nothing here throws or blocks on what lies at
// the path: a folder, a named pipe, a device or an oversized file is simply not a readable
// profile file.

#include "settings/profile_document.h"

#include <cstddef>
#include <optional>
#include <string>

// A settings file is a few hundred bytes; anything far bigger is not one of ours, and reading
// it whole could take the program's memory.
inline constexpr std::size_t kMaxProfileFileBytes = 4 * 1024 * 1024;

// True when the path names a regular file (after following links).
bool IsExistingFile(const std::string& path);

// The file's whole content, or nothing when it is missing, not a regular file, larger than
// kMaxProfileFileBytes or cannot be read.
std::optional<ProfileDocument> ReadProfileFile(const std::string& path);

// Replaces the file's content with the document's text. The new content goes to a temporary
// file beside it that then takes the file's place, so a failure half-way (a full disk) leaves
// the old file whole. Where no temporary file may be made there (a folder this user may not
// write), an existing file is rewritten in place instead. A linked file is written where the
// link points, even when the link's target does not exist yet, and the link stays; an
// existing file keeps its permissions. A file this user may not write is left alone. False on
// any failure.
bool WriteProfileFile(const std::string& path, const ProfileDocument& document);

// Creates the folder and any missing parents. True when the folder exists afterwards.
bool CreateFolderWithParents(const std::string& folder);
