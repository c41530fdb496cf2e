#include "support/registration_batch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace {

// posix_spawn's two option records, released however the start ends.
class SpawnFileActions {
public:
    SpawnFileActions() : m_ready(posix_spawn_file_actions_init(&m_actions) == 0) {}
    ~SpawnFileActions() {
        if (m_ready) {
            posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    bool Ready() const { return m_ready; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ready;
};

class SpawnAttributes {
public:
    SpawnAttributes() : m_ready(posix_spawnattr_init(&m_attr) == 0) {}
    ~SpawnAttributes() {
        if (m_ready) {
            posix_spawnattr_destroy(&m_attr);
        }
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool Ready() const { return m_ready; }
    posix_spawnattr_t* Get() { return &m_attr; }

private:
    posix_spawnattr_t m_attr{};
    bool m_ready;
};

} // namespace

std::optional<pid_t> RunRegistrationBatch(const std::string& appDir) {
    std::string script = appDir + kRegistrationScriptName;
    struct stat info {};
    if (stat(script.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }

    SpawnFileActions actions;
    SpawnAttributes attr;
    if (!actions.Ready() || !attr.Ready()) {
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
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return pid;
}
