#include "support/registration_batch.h"

#include "base/child_reaper.h"
#include "base/spawn_records.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

std::optional<pid_t> RunRegistrationBatch(const std::string& appDir) {
    std::string script = appDir + kRegistrationScriptName;
    struct stat info {};
    if (stat(script.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }

    SpawnFileActions actions;
    SpawnAttributes attr;
    if (!actions.Ok() || !attr.Ok()) {
        return std::nullopt;
    }
    for (int fd = 0; fd <= 2; ++fd) {
        posix_spawn_file_actions_addopen(actions.Get(), fd, "/dev/null",
                                         fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
    // Its own session: a terminal's hang-up or Ctrl+C aimed at the program does not reach it.
    posix_spawnattr_setflags(attr.Get(), POSIX_SPAWN_SETSID);

    std::string shell = "/bin/sh";
    std::string arg0 = "sh";
    char* argv[] = {arg0.data(), script.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, shell.c_str(), actions.Get(), attr.Get(), argv, environ) != 0) {
        return std::nullopt;
    }

    // Nobody waits for the script, but it must not stay behind as a zombie either.
    ReapLater(pid);
    return pid;
}
