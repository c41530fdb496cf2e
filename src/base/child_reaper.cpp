#include "base/child_reaper.h"

#include <cerrno>
#include <sys/wait.h>
#include <system_error>
#include <thread>

void ReapLater(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != 0) {
        return; // already collected, or not ours to collect
    }
    // One small thread per child that is still running. It blocks in waitpid for that pid only
    // and is gone as soon as the child is. Children left running are few and short-lived: the
    // callers terminate them by name.
    try {
        std::thread([pid] {
            int childStatus = 0;
            while (::waitpid(pid, &childStatus, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the zombie stays until the program ends, which is harmless.
    }
}
