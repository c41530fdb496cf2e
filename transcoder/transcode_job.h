#pragma once
// One run of the converter: open the input, describe it, and (with an output) convert it.
// Returns the process exit status: 0 on success, 1 on failure.

#include "arguments.h"
#include "console_report.h"

int RunTranscode(const TranscodeOptions& options, ConsoleReport& report);
