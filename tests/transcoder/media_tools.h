#pragma once
// Test helpers: run a program from an argument vector (never a shell) with a time limit and
// capture its standard output and error together, make media with the ffmpeg CLI, and read
// files back with ffprobe, a reader we did not write.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct RunResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1; // -1 when ended by a signal
    int signal = 0;
    std::string output;
};

RunResult RunProgram(const std::vector<std::string>& argv, int timeoutSeconds = 120);

// The output read the way the main program reads it: a pause, then at most `chunkBytes`, again
// and again until the output closes. Each read is one entry of `chunks`.
struct PacedReading {
    int firstPauseMs = 0;
    int pauseMs = 360;
    size_t chunkBytes = 255;
};
RunResult RunProgramReadInChunks(const std::vector<std::string>& argv, const PacedReading& pace,
                                 std::vector<std::string>& chunks, int timeoutSeconds = 120);

// The encoder in the build's program folder.
std::string EncoderPath();

// ffmpeg -hide_banner -loglevel error -y <args>; fails the calling test when ffmpeg fails.
void MakeMedia(const std::vector<std::string>& args);

using ProbeSection = std::map<std::string, std::string>;

struct ProbeInfo {
    bool ok = false;
    ProbeSection format;
    std::vector<ProbeSection> streams;
    const ProbeSection* Stream(const std::string& type) const; // first of "video"/"audio"
    double Duration() const;
};

ProbeInfo Probe(const std::filesystem::path& file);

// Mean volume in dB of a file's audio, measured by ffmpeg's volumedetect.
double MeanVolumeDb(const std::filesystem::path& file);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The failure words of the main program's monitor.
bool HasFailureWord(const std::string& text);
