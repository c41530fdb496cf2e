#include "encoder/encoder_runner.h"

#include "base/child_reaper.h"
#include "base/spawn_records.h"
#include "base/ui_thread.h"
#include "encoder/command_line.h"
#include "encoder/delay.h"
#include "encoder/unique_fd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kChunkBytes = 255;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Moves a descriptor above 2 so that the child's dup2 onto 1 and 2 can never hit it (only
// possible when the program was started with a standard descriptor closed).
bool KeepAboveStandard(UniqueFd& fd) {
    if (fd.Get() > 2) {
        return true;
    }
    const int moved = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) {
        return false;
    }
    fd.Reset(moved);
    return true;
}

// Starts `program` with `args`, its standard output and error on `writeEnd`. Returns the
// child's id, or -1.
pid_t SpawnChild(const std::string& program, const std::vector<std::string>& args, int writeEnd) {
    SpawnFileActions actions;
    SpawnAttributes attributes;
    if (!actions.Ok() || !attributes.Ok()) {
        return -1;
    }
    // Other threads (Qt's among them) may open descriptors at any moment, and not all of them
    // with close-on-exec. Closing everything above 2 in the child makes sure the child holds
    // no copy of the pipe's write end but its own 1 and 2, so end-of-output comes exactly when
    // the child ends.
    if (::posix_spawn_file_actions_adddup2(actions.Get(), writeEnd, STDOUT_FILENO) != 0 ||
        ::posix_spawn_file_actions_adddup2(actions.Get(), writeEnd, STDERR_FILENO) != 0 ||
        ::posix_spawn_file_actions_addclosefrom_np(actions.Get(), 3) != 0) {
        return -1;
    }
    // The child starts with default signal handling and nothing blocked, whatever this
    // program's threads have set up for themselves.
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    if (::posix_spawnattr_setsigmask(attributes.Get(), &noSignals) != 0 ||
        ::posix_spawnattr_setsigdefault(attributes.Get(), &allSignals) != 0 ||
        ::posix_spawnattr_setflags(attributes.Get(),
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0) {
        return -1;
    }

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    // posix_spawn, not posix_spawnp: the search order is ours, and a file that cannot be
    // executed must fail rather than be handed to /bin/sh.
    if (::posix_spawn(&pid, program.c_str(), actions.Get(), attributes.Get(), argv.data(),
                      environ) != 0) {
        return -1;
    }
    return pid;
}

// Hands a child that nobody waited for to the reaper, also when a callback throws.
class ChildGuard {
public:
    explicit ChildGuard(pid_t pid) : m_pid(pid) {}
    ~ChildGuard() { ReapLater(m_pid); }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    // Waits for the child and returns its wait status, or nothing if it could not be had
    // (the child was not ours to wait for).
    std::optional<int> WaitForExit() {
        int status = 0;
        pid_t waited = -1;
        do {
            waited = ::waitpid(m_pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
        m_pid = -1;
        if (waited < 0) {
            return std::nullopt;
        }
        return status;
    }

private:
    pid_t m_pid;
};

enum class OutputWait { Ready, TimeUp };

bool PollReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    // An error or a hang-up counts as ready: the read that follows reports it.
    return result != 0;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until `fd` can be read without blocking, or the deadline passes.
OutputWait WaitForOutput(int fd, std::optional<Clock::time_point> deadline) {
    if (deadline && Clock::now() >= *deadline) {
        return OutputWait::TimeUp;
    }
    if (!OnUiThread()) {
        for (;;) {
            if (PollReadable(fd, deadline ? MillisecondsLeft(*deadline) : -1)) {
                return OutputWait::Ready;
            }
            if (deadline && Clock::now() >= *deadline) {
                return OutputWait::TimeUp;
            }
        }
    }
    if (PollReadable(fd, 0)) {
        return OutputWait::Ready;
    }
    // Serve events until the pipe wakes the dispatcher (or the time limit does).
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    bool ready = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        ready = true;
        notifier.setEnabled(false);
    });
    QTimer limit;
    limit.setSingleShot(true);
    if (deadline) {
        limit.start(MillisecondsLeft(*deadline));
    }
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (ready || PollReadable(fd, 0)) {
            return OutputWait::Ready;
        }
        if (deadline && Clock::now() >= *deadline) {
            return OutputWait::TimeUp;
        }
        if (deadline && !limit.isActive()) {
            limit.start(MillisecondsLeft(*deadline));
        }
    }
}

// The pause before each read. On a worker thread it ends early once the child's output has
// closed with nothing left in the pipe: the read that follows can only report the end, and
// sitting out the rest of the pause would add most of a poll interval to every job. While
// output is waiting the full pause is kept, so the reading pace stays one chunk per pause.
void PauseBeforeRead(int fd, int pollDelayMs) {
    if (OnUiThread()) {
        Delay(pollDelayMs);
        return;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(pollDelayMs, 0));
    for (;;) {
        // No events asked for: poll still wakes on a hang-up or an error, which it always
        // reports, and otherwise sleeps until the pause is over.
        pollfd entry{fd, 0, 0};
        const int result = ::poll(&entry, 1, MillisecondsLeft(deadline));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return;
        }
        pollfd pending{fd, POLLIN, 0};
        if (::poll(&pending, 1, 0) > 0 && (pending.revents & POLLIN) != 0) {
            std::this_thread::sleep_until(deadline);
        }
        return;
    }
}

} // namespace

std::string FindProgram(const std::string& program, const std::string& appDir) {
    if (program.empty()) {
        return {};
    }
    if (program.find('/') != std::string::npos) {
        return program;
    }
    if (!appDir.empty()) {
        std::string candidate = appDir;
        if (candidate.back() != '/') {
            candidate += '/';
        }
        candidate += program;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    std::string searchPath;
    if (const char* path = std::getenv("PATH")) {
        searchPath = path;
    } else {
        searchPath = "/bin:/usr/bin";
    }
    size_t start = 0;
    for (;;) {
        const size_t colon = searchPath.find(':', start);
        std::string folder = searchPath.substr(start, colon == std::string::npos ? std::string::npos
                                                                                 : colon - start);
        // An empty entry means the current folder, as for every shell.
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string::npos) {
            return {};
        }
        start = colon + 1;
    }
}

EncoderRunResult EncoderRunner(std::string_view commandLine, const EncoderRunSettings& settings) {
    EncoderRunResult result;
    const auto startTime = Clock::now();
    std::optional<Clock::time_point> deadline;
    if (settings.timeLimitMs > 0) {
        deadline = startTime + std::chrono::milliseconds(settings.timeLimitMs);
    }

    const std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty()) {
        return result;
    }
    const std::string program = FindProgram(args.front(), settings.appDir);
    if (program.empty()) {
        return result;
    }

    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return result;
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    if (!KeepAboveStandard(readEnd) || !KeepAboveStandard(writeEnd)) {
        return result;
    }

    const pid_t pid = SpawnChild(program, args, writeEnd.Get());
    // Our copy of the write end goes at once, started or not, so that the read end reports
    // end-of-output when the child ends.
    writeEnd.Reset();
    if (pid < 0) {
        return result;
    }
    ChildGuard child(pid);
    result.started = true;
    result.processId = pid;

    char buffer[kChunkBytes + 1];
    for (;;) {
        PauseBeforeRead(readEnd.Get(), settings.pollDelayMs);
        if (settings.beforeRead && settings.beforeRead() == RunnerStep::EndRun) {
            result.end = EncoderRunEnd::EndedByCheck;
            break;
        }
        if (WaitForOutput(readEnd.Get(), deadline) == OutputWait::TimeUp) {
            result.end = EncoderRunEnd::TimeLimitReached;
            break;
        }
        ssize_t count = 0;
        do {
            count = ::read(readEnd.Get(), buffer, kChunkBytes);
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            result.end = EncoderRunEnd::OutputClosed;
            break;
        }
        const std::string_view chunk(buffer, ::strnlen(buffer, static_cast<size_t>(count)));
        if (settings.consumeChunk && settings.consumeChunk(chunk) == RunnerStep::EndRun) {
            result.end = EncoderRunEnd::EndedByConsumer;
            break;
        }
    }

    readEnd.Reset();
    if (result.end == EncoderRunEnd::OutputClosed && settings.waitAfterEnd) {
        if (const std::optional<int> status = child.WaitForExit()) {
            if (WIFSIGNALED(*status)) {
                result.exit = ChildExit::Signalled;
                result.exitValue = WTERMSIG(*status);
            } else if (WIFEXITED(*status)) {
                result.exitValue = WEXITSTATUS(*status);
                result.exit = result.exitValue == 0 ? ChildExit::Clean : ChildExit::NonZero;
            }
        }
    }
    return result;
}
