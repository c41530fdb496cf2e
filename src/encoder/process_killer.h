#pragma once
// Terminating by name. Every encoder of this program is ended this way, never through the
// child it was started as: the name reaches all of them, including encoders that other copies
// of the program started.

#include <string_view>

// Sends SIGKILL to every process whose executable is called `name`: the file-name part of
// its executable, its whole executable path, or its command name, compared without regard to
// the case of ASCII letters. The calling process itself is never matched. Processes that are
// gone or not ours to end are passed over. Returns whether the last attempt succeeded, false
// when nothing matched.
bool ProcessKiller(std::string_view name);
