#pragma once
// The names every part of the program uses for the encoder. The file name stays the same on
// Linux: it appears in command lines, in ending encoders by name and in the required-files
// check, and one name has to serve all three.

#include <string_view>

inline constexpr std::string_view kEncoderFileName = "zorir3e.exe";

// Put in front of the input path (D, S, a colon and two backslashes): the encoder then reads
// the file by its second, tolerant route.
inline constexpr std::string_view kDirectShowPrefix = "DS:\\\\";
