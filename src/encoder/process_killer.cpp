#include "encoder/process_killer.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool AllDigits(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

std::string ExecutablePath(const std::string& procEntry) {
    char target[4096];
    const ssize_t length = ::readlink((procEntry + "/exe").c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof target) {
        return {}; // another user's process, a kernel thread, or a zombie
    }
    std::string path(target, static_cast<size_t>(length));
    // A program file replaced while it runs (a rebuilt encoder) shows up with this suffix.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

std::string CommandName(const std::string& procEntry) {
    std::ifstream comm(procEntry + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

bool Matches(const std::string& procEntry, std::string_view name) {
    const std::string path = ExecutablePath(procEntry);
    if (!path.empty()) {
        const size_t slash = path.rfind('/');
        const std::string_view fileName =
            std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
        if (EqualsIgnoringAsciiCase(fileName, name) || EqualsIgnoringAsciiCase(path, name)) {
            return true;
        }
    }
    // The command name is the name the program was started by, also through a symbolic link,
    // and readable for other users' processes too. The kernel keeps at most 15 bytes of it.
    return EqualsIgnoringAsciiCase(CommandName(procEntry), name);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

bool ProcessKiller(std::string_view name) {
    bool lastSucceeded = false;
    if (name.empty()) {
        return lastSucceeded;
    }
    const std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
    if (!proc) {
        return lastSucceeded;
    }
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!AllDigits(entry->d_name)) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(entry->d_name));
        if (pid == self || pid <= 0) {
            continue;
        }
        if (!Matches(std::string("/proc/") + entry->d_name, name)) {
            continue;
        }
        lastSucceeded = ::kill(pid, SIGKILL) == 0;
    }
    return lastSucceeded;
}
