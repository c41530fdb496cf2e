#include "media_tools.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace {

// Starts argv with standard output and error on one pipe; the read end comes back in *readEnd.
pid_t Spawn(const std::vector<std::string>& argv, int* readEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return -1;
    }
    *readEnd = fds[0];
    return pid;
}

void Reap(pid_t pid, RunResult& result) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
}

} // namespace

RunResult RunProgramReadInChunks(const std::vector<std::string>& argv, const PacedReading& pace,
                                 std::vector<std::string>& chunks, int timeoutSeconds) {
    RunResult result;
    int readEnd = -1;
    const pid_t pid = Spawn(argv, &readEnd);
    if (pid < 0) {
        return result;
    }
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::vector<char> buffer(pace.chunkBytes);
    int pauseMs = pace.firstPauseMs;
    for (;;) {
        ::usleep(static_cast<useconds_t>(pauseMs) * 1000);
        pauseMs = pace.pauseMs;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd p{readEnd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) == 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        const ssize_t n = ::read(readEnd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        chunks.emplace_back(buffer.data(), static_cast<size_t>(n));
        result.output += chunks.back();
    }
    ::close(readEnd);
    Reap(pid, result);
    return result;
}

RunResult RunProgram(const std::vector<std::string>& argv, int timeoutSeconds) {
    RunResult result;
    int readEnd = -1;
    const pid_t pid = Spawn(argv, &readEnd);
    if (pid < 0) {
        return result;
    }
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p{readEnd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<size_t>(n));
    }
    ::close(readEnd);
    Reap(pid, result);
    return result;
}

std::string EncoderPath() {
    return std::string(RC_APPDIR) + "zorir3e.exe";
}

void MakeMedia(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    const RunResult run = RunProgram(argv, 120);
    ASSERT_EQ(run.exitCode, 0) << "ffmpeg failed to make a fixture: " << run.output;
}

const ProbeSection* ProbeInfo::Stream(const std::string& type) const {
    for (const ProbeSection& stream : streams) {
        const auto it = stream.find("codec_type");
        if (it != stream.end() && it->second == type) {
            return &stream;
        }
    }
    return nullptr;
}

double ProbeInfo::Duration() const {
    const auto it = format.find("duration");
    return it == format.end() ? -1.0 : std::strtod(it->second.c_str(), nullptr);
}

ProbeInfo Probe(const std::filesystem::path& file) {
    ProbeInfo info;
    const RunResult run = RunProgram(
        {"ffprobe", "-v", "error", "-show_entries",
         "format=format_name,duration:format_tags=title,artist,major_brand:stream=codec_type,codec_"
         "name,"
         "codec_tag_string,profile,width,height,r_frame_rate,sample_rate,channels,duration,"
         "sample_aspect_ratio,display_aspect_ratio,has_b_frames",
         file.string()},
        60);
    if (run.exitCode != 0) {
        return info;
    }
    std::istringstream lines(run.output);
    std::string line;
    ProbeSection* current = nullptr;
    while (std::getline(lines, line)) {
        if (line == "[STREAM]") {
            info.streams.emplace_back();
            current = &info.streams.back();
        } else if (line == "[FORMAT]") {
            current = &info.format;
        } else if (!line.empty() && line.front() == '[') {
            current = nullptr;
        } else if (current != nullptr) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) {
                (*current)[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
    }
    info.ok = !info.format.empty();
    return info;
}

double MeanVolumeDb(const std::filesystem::path& file) {
    const RunResult run = RunProgram({"ffmpeg", "-hide_banner", "-nostats", "-i", file.string(),
                                      "-af", "volumedetect", "-f", "null", "-"},
                                     60);
    const size_t at = run.output.find("mean_volume: ");
    if (at == std::string::npos) {
        return -1000;
    }
    return std::strtod(run.output.c_str() + at + 13, nullptr);
}

TempFolder::TempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool HasFailureWord(const std::string& text) {
    for (const char* word :
         {"xpxframe", "clntcore.dll", "failed", "Unexpected", "error:", "Error while opening file",
          "exception encounter", "Unknown format", "Unsupported codec"}) {
        if (text.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}
