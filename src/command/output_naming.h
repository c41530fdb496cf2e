#pragma once
// Naming the output file: the source's name without its extension, in the output folder, with
// the profile's extension. An existing file is replaced only when the user allowed it, and
// never when it is the source itself.
//
// Paths use "/" and are taken exactly as given: a Linux file name may begin or end with a
// blank, and a backslash or colon is an ordinary character in it.

#include <string>
#include <string_view>

// The file name part (after the last "/") without its extension, the extension being
// everything from the last "." on. A name without "." is returned whole.
std::string OutputBaseName(std::string_view path);

// outputFolder + "/" + base + "-" + N, without the extension, for the smallest N from 1 up
// whose file (with `extension`, dot included) does not exist yet.
std::string UniqueOutputName(std::string_view outputFolder, std::string_view base,
                             std::string_view extension);

// The full path the job writes: outputFolder + "/" + base + "." + outputExtension, or the
// numbered free name when that file exists and either overwriting is off or it is the source
// file itself (the same path, or the same file reached through another path).
std::string ChooseOutputFilePath(std::string_view outputFolder, std::string_view sourcePath,
                                 std::string_view outputExtension, bool overwriteExisting);

// True when a directory entry of that name exists; a dangling symbolic link counts, so that
// nothing is ever written through it.
bool OutputNameTaken(const std::string& path);
