#pragma once
// The console report, written the way the main program's monitor reads it: every line ends
// with CR LF, progress reports included, each line is one write() so that it arrives whole
// through the pipe, and progress comes about twice a second (the monitor reads only
// 255 bytes every 360 ms). The texts are exact; see the formatting functions below.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

struct ProgressFigures {
    bool hasVideo = false;
    int64_t frames = 0;
    double quality = 0;
    int64_t bytes = 0;
    double seconds = 0;
};

// "frame=12 q=3.0 size=40kB time=0.48 bitrate=682.7kbits/s" (no "frame=" part without video).
std::string FormatProgress(const ProgressFigures& figures);

// "  Duration: 00:01:23.40, start: 0.000000, bitrate: 1205 kb/s"; microseconds < 0 gives N/A.
std::string FormatDurationLine(int64_t durationMicroseconds, int64_t startMicroseconds,
                               int64_t bitRate);

// "    Stream #0.0: Video: mpeg4, 640x480, 25.00 fps(r)": the frame size must be the second
// comma field, so nothing before it may hold a comma, and the rate must come right after it
// (the probe parser takes everything in front of "fps" as the rate).
std::string FormatVideoStreamLine(int index, std::string_view codec, int width, int height,
                                  double framesPerSecond, char rateKind);

// "    Stream #0.1: Audio: aac, 44100 Hz, stereo, 128 kb/s".
std::string FormatAudioStreamLine(int index, std::string_view codec, int sampleRate, int channels,
                                  int64_t bitRate);

// A path for the header lines: a CR or LF in a file name (legal here) would end the header
// line early and put the rest of the name, with any marker or failure word it holds, on a line
// of its own that the main program reads for values. They show as "?".
std::string HeaderPath(std::string_view path);

// How a line may fall into the main program's reads. The main program reads the pipe 255 bytes
// at a time and looks at each read on its own: a line cut between two reads is seen as two
// lines, so a duration, a frame size, a time value or a failure word cut in two is misread,
// and a cut time value even ends the main program's reading of a job that is still running.
enum class Fit {
    Whole, // waits (a little) until the line fits behind what is still unread
    Any,   // lines nobody reads values from: the headers with their paths, the summaries
};

// Writes the report to standard error, which the main program reads mixed with standard
// output. Safe to call from several threads.
class ConsoleReport {
public:
    explicit ConsoleReport(int fd = 2);

    void Line(std::string_view text, Fit fit = Fit::Whole);
    // Progress at most every 500 ms unless final. A report that would not arrive whole is left
    // out; the next frame tries again.
    void Progress(const ProgressFigures& figures, bool final);

private:
    void WriteAll(std::string_view bytes);
    // Whether `size` more bytes still fall into the reader's next read.
    bool FitsInNextRead(size_t size) const;
    void WaitUntilFits(size_t size) const;

    int m_fd;
    bool m_pipe = false;
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_lastProgress{};
};
