// Our converter against the ffmpeg CLI on the same transcodes, side by side in one run:
// wall seconds, CPU seconds and peak memory of each, and our figure over ffmpeg's.
// Usage: encoder_bench [seconds of source, default 30] [rounds, default 2]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Figures {
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakKb = 0;
};

// Runs a program with its output thrown away and measures it through wait4.
Figures Measure(const std::vector<std::string>& argv) {
    Figures figures;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
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
        return figures;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        return figures;
    }
    figures.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                         usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    figures.peakKb = usage.ru_maxrss;
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

struct Transcode {
    std::string name;
    std::string extension;
    std::vector<std::string> ours;   // after "-i <source>", before the output
    std::vector<std::string> ffmpeg; // the same work in the ffmpeg CLI's words
};

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(30, std::atoi(argv[1])) : 30;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
    const std::string encoder = (self.parent_path().parent_path() / "bin" / "zorir3e.exe").string();
    std::string folderPattern =
        (std::filesystem::temp_directory_path() / "zorir3e-bench-XXXXXX").string();
    if (::mkdtemp(folderPattern.data()) == nullptr) {
        std::printf("cannot make a work folder\n");
        return 1;
    }
    const std::filesystem::path folder = folderPattern;
    const std::string source = (folder / "source.mp4").string();

    std::printf("source: 640x480 25 fps H.264 + AAC 44.1 kHz stereo, %d s\n", seconds);
    const Figures made = Measure({"ffmpeg",  "-y",
                                  "-f",      "lavfi",
                                  "-i",      "testsrc2=size=640x480:rate=25",
                                  "-f",      "lavfi",
                                  "-i",      "sine=frequency=440:sample_rate=44100",
                                  "-t",      std::to_string(seconds),
                                  "-c:v",    "libx264",
                                  "-preset", "fast",
                                  "-b:v",    "1500k",
                                  "-c:a",    "aac",
                                  "-ac",     "2",
                                  source});
    if (!made.ok) {
        std::printf("ffmpeg could not make the source\n");
        return 1;
    }

    const std::vector<Transcode> transcodes = {
        {"iPod MPEG-4",
         "mp4",
         {"-vcodec", "mpeg4", "-b", "512", "-acodec", "mpeg4aac", "-ab", "64", "-ar", "44100",
          "-ac", "2 (stereo)", "-s", "320x240"},
         {"-c:v", "mpeg4",   "-b:v",     "512k",    "-bf",       "0",         "-g",   "12",
          "-s",   "320x240", "-pix_fmt", "yuv420p", "-c:a",      "aac",       "-b:a", "64k",
          "-ar",  "44100",   "-ac",      "2",       "-movflags", "+faststart"}},
        {"iPod H.264",
         "mp4",
         {"-vcodec", "h264", "-b", "512", "-acodec", "mpeg4aac", "-ab", "64", "-ar", "44100", "-ac",
          "2 (stereo)", "-s", "320x240"},
         {"-c:v", "libx264", "-profile:v", "baseline", "-level", "3.0",       "-refs",
          "1",    "-b:v",    "512k",       "-maxrate", "512k",   "-bufsize",  "1024k",
          "-s",   "320x240", "-pix_fmt",   "yuv420p",  "-c:a",   "aac",       "-b:a",
          "64k",  "-ar",     "44100",      "-ac",      "2",      "-movflags", "+faststart"}},
        {"3GP H.263",
         "3gp",
         {"-vcodec", "h263",    "-b",      "128", "-bt",        "60",  "-acodec",
          "amr_nb",  "-ab",     "48",      "-ar", "8000 ",      "-ac", "1 (mono)",
          "-s",      "176x132", "-padtop", "6",   "-padbottom", "6"},
         // Debian's ffmpeg has no AMR-NB encoder; low-rate mono AAC stands in for it.
         {"-c:v",      "h263",      "-b:v", "128k", "-bt",
          "60k",       "-g",        "12",   "-vf",  "scale=176:132,pad=176:144:0:6",
          "-pix_fmt",  "yuv420p",   "-c:a", "aac",  "-b:a",
          "12k",       "-ar",       "8000", "-ac",  "1",
          "-movflags", "+faststart"}},
        {"MP3",
         "mp3",
         {"-id3v1", "-id3v2", "-acodec", "mp3", "-ab", "192", "-ar", "48000", "-ac", "2 (stereo)"},
         {"-vn", "-c:a", "libmp3lame", "-b:a", "192k", "-ar", "48000", "-ac", "2", "-id3v2_version",
          "3", "-write_id3v1", "1"}},
    };

    std::printf("%-12s %-8s %8s %8s %9s\n", "transcode", "program", "wall s", "cpu s", "peak MB");
    for (const Transcode& t : transcodes) {
        Figures best[2];
        for (int round = 0; round < rounds; ++round) {
            // Alternate which program goes first so neither always meets a warm cache.
            for (int k = 0; k < 2; ++k) {
                const int which = (round + k) % 2;
                const std::string out =
                    (folder / ("out-" + std::to_string(which) + "." + t.extension)).string();
                std::vector<std::string> args;
                if (which == 0) {
                    args = {encoder, "-@", "-y", "-i", source};
                    args.insert(args.end(), t.ours.begin(), t.ours.end());
                } else {
                    args = {"ffmpeg", "-nostdin", "-y", "-i", source};
                    args.insert(args.end(), t.ffmpeg.begin(), t.ffmpeg.end());
                }
                args.push_back(out);
                // Another program on this machine may end encoders by name; a run ended that
                // way says nothing about speed and is run again.
                Figures f = Measure(args);
                for (int retry = 0; !f.ok && retry < 5; ++retry) {
                    f = Measure(args);
                }
                if (!f.ok) {
                    std::printf("%-12s %s failed\n", t.name.c_str(),
                                which == 0 ? "ours" : "ffmpeg");
                    continue;
                }
                if (!best[which].ok || f.wallSeconds < best[which].wallSeconds) {
                    best[which] = f;
                }
            }
        }
        for (int which = 0; which < 2; ++which) {
            std::printf("%-12s %-8s %8.2f %8.2f %9.1f\n", t.name.c_str(),
                        which == 0 ? "ours" : "ffmpeg", best[which].wallSeconds,
                        best[which].cpuSeconds, best[which].peakKb / 1024.0);
        }
        std::printf("%-12s %-8s %8.3f %8.3f %9.3f\n", t.name.c_str(), "ratio",
                    best[0].wallSeconds / best[1].wallSeconds,
                    best[0].cpuSeconds / best[1].cpuSeconds,
                    static_cast<double>(best[0].peakKb) / best[1].peakKb);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
