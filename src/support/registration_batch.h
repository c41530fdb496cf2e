#pragma once
// The start-up script: "reg.sh" in the program's folder, if the installation put one there.
// The program relies on nothing it does.

#include <sys/types.h>

#include <optional>
#include <string>

inline constexpr char kRegistrationScriptName[] = "reg.sh";

// Starts appDir + "reg.sh" with /bin/sh in a session of its own, its input and output on
// /dev/null, and returns at once; a background thread reaps it when it ends, so it never
// lingers as a zombie. A missing script (or a failed start) goes unnoticed: std::nullopt.
// The process id is returned for tests only.
std::optional<pid_t> RunRegistrationBatch(const std::string& appDir);
