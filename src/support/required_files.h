#pragma once
// The files the encoder cannot run without: the encoder program in the program's folder, then
// the two FFmpeg libraries it is linked against, by the shared-object names this build uses,
// wherever the dynamic loader finds them.

#include "encoder/encoder_contract.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// "libavcodec.so.59", "libavformat.so.59" for FFmpeg 5.1: taken from the headers this program
// was built with, so they follow the installed FFmpeg.
std::vector<std::string> EncoderLibraryNames();

// Whether the dynamic loader can find a library of that shared-object name.
bool IsSharedLibraryFindable(const std::string& soname);

using LibraryLookup = std::function<bool(const std::string& soname)>;

// The first required file that is missing, in checking order; std::nullopt when all are there.
// Files after the first missing one are not looked at.
std::optional<std::string>
FirstMissingRequiredFile(const std::string& appDir,
                         const LibraryLookup& libraryFound = IsSharedLibraryFindable);
