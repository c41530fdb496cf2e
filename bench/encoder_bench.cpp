// Our encoder against the ffmpeg CLI doing the same work, on sources made at start.
//
// A shared machine makes single timings worthless: another build starting halfway through a
// run can double its time. So after a warm-up the two programs run alternately, ours then the
// CLI, pair after pair, and each pair gives one ratio of two runs made under nearly the same
// load; the line shows the median of those ratios and their spread. CPU time and peak memory
// come from wait4 for the child alone. SSIM against the source shows that neither side buys
// its speed with quality.
//
// Usage: encoder_bench [--pairs N] [--seconds S] [--long-minutes M] [--long-pairs N]
//   --pairs N         pairs per transcode (default 5)
//   --seconds S       length of the standard and 16:9 sources (default 30)
//   --long-minutes M  length of the long source (default 10); 0 leaves the long line out
//   --long-pairs N    pairs for the long line (default: as --pairs)

#include "transcode_pairs.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Run {
    bool started = false;
    int exitCode = -1; // -1: ended by a signal
    int signal = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakKb = 0;
    bool ok() const { return started && exitCode == 0; }
};

// Runs a program with no input, its standard error into errorFile (standard output thrown
// away), and measures the child alone through wait4.
Run Measure(const Args& argv, const std::string& errorFile) {
    Run run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do {
        waited = ::wait4(pid, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) {
        return run;
    }
    run.started = true;
    run.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKb = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The last non-empty line of a log, CRs (progress reports) counting as line ends.
std::string LastLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    const size_t end = text.find_last_of('\n');
    return end == std::string::npos ? text : text.substr(end + 1);
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double OneMinuteLoad() {
    double load[1] = {0};
    return ::getloadavg(load, 1) == 1 ? load[0] : -1;
}

bool MakeSource(const std::string& path, const std::string& size, int seconds,
                const std::string& log) {
    const Run made = Measure({"ffmpeg",
                              "-nostdin",
                              "-hide_banner",
                              "-y",
                              "-f",
                              "lavfi",
                              "-i",
                              "testsrc2=size=" + size + ":rate=25",
                              "-f",
                              "lavfi",
                              "-i",
                              "sine=frequency=440:sample_rate=44100",
                              "-t",
                              std::to_string(seconds),
                              "-c:v",
                              "libx264",
                              "-preset",
                              "fast",
                              "-b:v",
                              "1500k",
                              "-pix_fmt",
                              "yuv420p",
                              "-c:a",
                              "aac",
                              "-b:a",
                              "128k",
                              "-ac",
                              "2",
                              path},
                             log);
    return made.ok();
}

// The standard source repeated, packets copied: minutes of the same material in seconds.
bool MakeLongSource(const std::string& from, int fromSeconds, const std::string& path, int minutes,
                    const std::string& log) {
    const int loops = (minutes * 60 + fromSeconds - 1) / fromSeconds;
    const Run made = Measure({"ffmpeg", "-nostdin", "-hide_banner", "-y", "-stream_loop",
                              std::to_string(loops - 1), "-i", from, "-c", "copy", "-t",
                              std::to_string(minutes * 60), path},
                             log);
    return made.ok();
}

// SSIM (the "All" figure) of an output's picture against its source: the bars are cropped
// off the output, and the source is brought to 25 fps and scaled to the picture's size the
// way both encoders do it, so the figure is what the coding lost. The rate step matters where
// the source's timestamps jitter (the long source's joins): without it the comparison would
// pair an output frame with the next source frame. It ends with the shorter of the two.
std::optional<double> Ssim(const std::string& output, const std::string& source,
                           const PictureArea& picture, const std::string& log) {
    const std::string w = std::to_string(picture.width);
    const std::string h = std::to_string(picture.height);
    const std::string graph =
        "[0:v]setpts=PTS-STARTPTS,crop=w=" + w + ":h=" + h + ":x=" + std::to_string(picture.x) +
        ":y=" + std::to_string(picture.y) +
        "[coded];[1:v]setpts=PTS-STARTPTS,fps=fps=25/1,scale=w=" + w + ":h=" + h +
        ":flags=bicubic,format=pix_fmts=yuv420p[reference];[coded][reference]ssim=shortest=1";
    const Run run = Measure({"ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-i", output, "-i",
                             source, "-lavfi", graph, "-f", "null", "-"},
                            log);
    if (!run.ok()) {
        return std::nullopt;
    }
    const std::string text = ReadFile(log);
    const size_t at = text.rfind(" All:");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::strtod(text.c_str() + at + 5, nullptr);
}

long FileSize(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? -1 : static_cast<long>(size);
}

struct Settings {
    int pairs = 5;
    int seconds = 30;
    int longMinutes = 10;
    int longPairs = 0; // 0: as pairs
};

bool ParseSettings(int argc, char** argv, Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        char* end = nullptr;
        const long value = std::strtol(argv[i + 1], &end, 10);
        if (end == argv[i + 1] || *end != '\0' || value < 0 || value > 100000) {
            return false;
        }
        ++i;
        if (arg == "--pairs" && value >= 1) {
            settings.pairs = static_cast<int>(value);
        } else if (arg == "--seconds" && value >= 2) {
            settings.seconds = static_cast<int>(value);
        } else if (arg == "--long-minutes") {
            settings.longMinutes = static_cast<int>(value);
        } else if (arg == "--long-pairs" && value >= 1) {
            settings.longPairs = static_cast<int>(value);
        } else {
            return false;
        }
    }
    return true;
}

class Bench {
public:
    Bench(std::string encoder, fs::path folder) : m_encoder(std::move(encoder)), m_folder(folder) {}

    // Runs one side once. A run ended by a signal was most likely ended from outside (other
    // programs on this machine end encoders by name) and says nothing about speed: it is run
    // again, at most three times, and counted.
    std::optional<Run> RunSide(const TranscodePair& t, bool ours, const std::string& source,
                               std::string& failure) {
        const std::string output = OutputOf(t, ours);
        Args args = ours ? Args{m_encoder, "-@", "-y", "-i", source}
                         : Args{"ffmpeg", "-nostdin", "-hide_banner", "-y", "-i", source};
        const Args& options = ours ? t.ours : t.cli;
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(output);
        return RunCounted(args, LogOf(ours), ours ? "ours" : "CLI", failure);
    }

    std::optional<Run> RunCounted(const Args& args, const std::string& log, const char* who,
                                  std::string& failure) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            const Run run = Measure(args, log);
            if (run.ok()) {
                return run;
            }
            if (!run.started) {
                failure = std::string(who) + " could not be started";
                return std::nullopt;
            }
            if (run.exitCode >= 0) {
                failure = std::string(who) + " failed (exit " + std::to_string(run.exitCode) +
                          "): " + LastLine(ReadFile(log));
                return std::nullopt;
            }
            ++m_reruns;
        }
        failure = std::string(who) + " was ended by a signal four times";
        return std::nullopt;
    }

    void Line(const TranscodePair& t, int pairs, const std::string& warmUpSource) {
        m_reruns = 0;
        std::string failure;
        // The warm-up brings both programs, their libraries and the source into memory.
        if (!RunSide(t, true, warmUpSource, failure) || !RunSide(t, false, warmUpSource, failure)) {
            std::printf("%-18s %s\n", t.name.c_str(), failure.c_str());
            std::fflush(stdout);
            return;
        }
        std::vector<double> wall, cpu, peak, oursWall, cliWall, decodeCpu, cliCpu;
        for (int pair = 0; pair < pairs; ++pair) {
            const std::optional<Run> a = RunSide(t, true, t.source, failure);
            const std::optional<Run> b = a ? RunSide(t, false, t.source, failure) : std::nullopt;
            if (!a || !b) {
                std::printf("%-18s %s\n", t.name.c_str(), failure.c_str());
                std::fflush(stdout);
                return;
            }
            wall.push_back(a->wallSeconds / b->wallSeconds);
            cpu.push_back(a->cpuSeconds / b->cpuSeconds);
            peak.push_back(static_cast<double>(a->peakKb) / b->peakKb);
            oursWall.push_back(a->wallSeconds);
            cliWall.push_back(b->wallSeconds);
            cliCpu.push_back(b->cpuSeconds);
            if (!t.cliWithoutEncoding.empty()) {
                Args args = {"ffmpeg", "-nostdin", "-hide_banner", "-y", "-i", t.source};
                args.insert(args.end(), t.cliWithoutEncoding.begin(), t.cliWithoutEncoding.end());
                args.push_back("-");
                const std::optional<Run> d = RunCounted(args, LogOf(false), "CLI", failure);
                if (!d) {
                    std::printf("%-18s %s\n", t.name.c_str(), failure.c_str());
                    std::fflush(stdout);
                    return;
                }
                decodeCpu.push_back(d->cpuSeconds);
            }
        }

        const long oursSize = FileSize(OutputOf(t, true));
        const long cliSize = FileSize(OutputOf(t, false));
        std::string ssimOurs = "-";
        std::string ssimCli = "-";
        if (t.picture.width > 0) {
            const auto ours = Ssim(OutputOf(t, true), t.source, t.picture, LogOf(true));
            const auto cli = Ssim(OutputOf(t, false), t.source, t.picture, LogOf(false));
            ssimOurs = ours ? Fixed(*ours, 4) : "failed";
            ssimCli = cli ? Fixed(*cli, 4) : "failed";
        }
        std::string note = t.note;
        if (!decodeCpu.empty()) {
            // The CLI's CPU time without the audio encoder, over its whole CPU time.
            note = Join(note, "mp3 encoder " +
                                  Fixed(100 * (1 - Median(decodeCpu) / Median(cliCpu)), 0) +
                                  " % of the CLI's CPU");
        }
        if (m_reruns > 0) {
            note = Join(note, std::to_string(m_reruns) + " runs ended by a signal, run again");
        }
        const auto [low, high] = std::minmax_element(wall.begin(), wall.end());
        std::printf(
            "%-18s %5d %6.3f [%5.3f-%5.3f] %7.2f %7.2f %6.3f %6.3f %6.3f %7s %7s %5.1f  %s\n",
            t.name.c_str(), pairs, Median(wall), *low, *high, Median(oursWall), Median(cliWall),
            Median(cpu), Median(peak),
            oursSize > 0 && cliSize > 0 ? static_cast<double>(oursSize) / cliSize : 0.0,
            ssimOurs.c_str(), ssimCli.c_str(), OneMinuteLoad(), note.c_str());
        std::fflush(stdout);
    }

private:
    static std::string Fixed(double value, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return text;
    }
    static std::string Join(const std::string& a, const std::string& b) {
        return a.empty() ? b : a + "; " + b;
    }
    std::string OutputOf(const TranscodePair& t, bool ours) const {
        return (m_folder / ((ours ? "ours." : "cli.") + t.extension)).string();
    }
    std::string LogOf(bool ours) const {
        return (m_folder / (ours ? "ours.log" : "cli.log")).string();
    }

    std::string m_encoder;
    fs::path m_folder;
    int m_reruns = 0;
};

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseSettings(argc, argv, settings)) {
        std::fprintf(stderr, "usage: encoder_bench [--pairs N] [--seconds S] [--long-minutes M] "
                             "[--long-pairs N]\n");
        return 2;
    }
    if (settings.longPairs == 0) {
        settings.longPairs = settings.pairs;
    }
    const auto benchStart = std::chrono::steady_clock::now();
    const fs::path self = fs::canonical("/proc/self/exe");
    const std::string encoder = (self.parent_path().parent_path() / "bin" / "zorir3e.exe").string();
    std::string folderPattern = (fs::temp_directory_path() / "zorir3e-bench-XXXXXX").string();
    if (::mkdtemp(folderPattern.data()) == nullptr) {
        std::printf("cannot make a work folder\n");
        return 1;
    }
    const fs::path folder = folderPattern;
    // The work folder goes on every way out, Ctrl+C included.
    static fs::path s_folder;
    s_folder = folder;
    std::atexit([] { fs::remove_all(s_folder); });
    std::signal(SIGINT, [](int) { std::exit(130); });
    std::signal(SIGTERM, [](int) { std::exit(143); });

    BenchSources sources;
    sources.standard = (folder / "source.mp4").string();
    sources.wide = (folder / "wide.mp4").string();
    const std::string log = (folder / "make.log").string();
    if (!MakeSource(sources.standard, "640x480", settings.seconds, log) ||
        !MakeSource(sources.wide, "640x360", settings.seconds, log)) {
        std::printf("ffmpeg could not make the sources: %s\n", LastLine(ReadFile(log)).c_str());
        return 1;
    }
    if (settings.longMinutes > 0) {
        sources.longer = (folder / "long.mp4").string();
        if (!MakeLongSource(sources.standard, settings.seconds, sources.longer,
                            settings.longMinutes, log)) {
            std::printf("ffmpeg could not make the long source: %s\n",
                        LastLine(ReadFile(log)).c_str());
            return 1;
        }
    }

    std::printf("zorir3e.exe against the ffmpeg CLI doing the same work: same codecs and encoder "
                "settings, same\nscaling, bars, sizes, bitrates, rates and channels.\n");
    std::printf("Sources: %d s of 640x480 25 fps H.264 + AAC 44.1 kHz stereo; the same at 640x360 "
                "for the\nletterbox line; ",
                settings.seconds);
    if (settings.longMinutes > 0) {
        std::printf("%d min of it for the long line.\n", settings.longMinutes);
    } else {
        std::printf("no long line (--long-minutes 0).\n");
    }
    std::printf(
        "Each line: one warm-up run of each program, then pairs run ours, CLI, ours, CLI ...\n"
        "Ratios are ours over the CLI's, per pair, then the median over the pairs.\n"
        "  pairs      number of pairs\n"
        "  wall       median wall-time ratio, [lowest-highest] of the pairs' ratios\n"
        "  ours s     median wall seconds of ours; cli s: of the CLI\n"
        "  cpu        median ratio of CPU time (user + system of the child, from wait4)\n"
        "  peak       median ratio of peak memory (ru_maxrss of the child)\n"
        "  size       ratio of the output files' sizes\n"
        "  ssim       SSIM (All) of each output against the source: bars cropped off the output,\n"
        "             the source scaled bicubic to the picture's size (what the coding lost)\n"
        "  load       1-minute load average as the line ended; on 2 cores, above 2 means "
        "shared\n"
        "  notes      what differs on purpose; for MP3 the share of the CLI's CPU time spent in "
        "the\n"
        "             single-threaded mp3 encoder (one more CLI run per pair doing all but the "
        "encoding),\n"
        "             about the lowest wall ratio ours can reach with everything else "
        "overlapped\n");
    std::printf("Load average at start: %.1f\n\n", OneMinuteLoad());
    std::printf("%-18s %5s %6s %13s %7s %7s %6s %6s %6s %7s %7s %5s  %s\n", "transcode", "pairs",
                "wall", "[spread]", "ours s", "cli s", "cpu", "peak", "size", "ssim", "ssim",
                "load", "notes");
    std::printf("%-18s %5s %6s %13s %7s %7s %6s %6s %6s %7s %7s %5s\n", "", "", "", "", "", "", "",
                "", "", "ours", "cli", "");
    std::fflush(stdout);

    Bench bench(encoder, folder);
    for (const TranscodePair& t : TranscodePairs(sources)) {
        // The long line warms up on the short source: its own warm-up would cost minutes and
        // the programs are as warm either way.
        bench.Line(t, t.isLong ? settings.longPairs : settings.pairs,
                   t.isLong ? sources.standard : t.source);
    }
    std::printf(
        "\nBench took %.0f s.\n",
        std::chrono::duration<double>(std::chrono::steady_clock::now() - benchStart).count());
    return 0;
}
