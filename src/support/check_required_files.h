#pragma once
// The check that runs before files are added and before a run starts.

#include "support/required_files.h"

#include <functional>
#include <string>

class QWidget;

inline constexpr char kRequiredFileMissingText[] =
    "A required file is missing!\n\rPlease re-install this software";

// True when a required file is missing, after telling the user once. In every case the main
// window's controls are enabled again (`enableCombos`) as the last step, because the callers
// run this before they lock anything. Callable from any thread: the message box and
// `enableCombos` run on the user-interface thread.
bool CheckRequiredFiles(const std::string& appDir, QWidget* parent,
                        const std::function<void()>& enableCombos,
                        const LibraryLookup& libraryFound = IsSharedLibraryFindable);
