#pragma once
// A child that nobody waits for would stay a zombie until the program ends. ReapLater collects
// it by its own process id once it exits, so children started by other parts of the program
// (or by Qt) are never taken from their owners.

#include <sys/types.h>

void ReapLater(pid_t pid);
