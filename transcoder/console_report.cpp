#include "console_report.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(500);
// The main program's read size, and how long a line waits for the reader to make room: a few
// of its reads, so that a reader that has gone away cannot hold the converter up.
constexpr size_t kReaderChunk = 255;
constexpr auto kRoomWait = std::chrono::seconds(3);
constexpr auto kRoomPoll = std::chrono::milliseconds(10);

std::string Printf(const char* format, auto... values) {
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    if (n < 0) {
        return {};
    }
    return std::string(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

std::string BitRateSuffix(int64_t bitRate) {
    return bitRate > 0 ? Printf(", %" PRId64 " kb/s", bitRate / 1000) : std::string();
}

} // namespace

std::string FormatProgress(const ProgressFigures& f) {
    const double seconds = f.seconds > 0 ? f.seconds : 0;
    const double kbits = seconds > 0 ? f.bytes * 8.0 / seconds / 1000.0 : 0.0;
    const std::string rest =
        Printf("size=%" PRId64 "kB time=%.2f bitrate=%.1fkbits/s", f.bytes / 1024, seconds, kbits);
    if (!f.hasVideo) {
        return rest;
    }
    return Printf("frame=%" PRId64 " q=%.1f ", f.frames, f.quality) + rest;
}

std::string FormatDurationLine(int64_t durationUs, int64_t startUs, int64_t bitRate) {
    std::string line = "  Duration: ";
    if (durationUs < 0) {
        line += "N/A";
    } else {
        // Hundredths, rounded the way the old converter did.
        const int64_t hundredths = (durationUs + 5000) / 10000;
        const int64_t totalSeconds = hundredths / 100;
        line += Printf("%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64, totalSeconds / 3600,
                       totalSeconds / 60 % 60, totalSeconds % 60, hundredths % 100);
    }
    const double start = startUs > 0 ? startUs / 1e6 : 0.0;
    line += Printf(", start: %.6f, bitrate: ", start);
    line += bitRate > 0 ? Printf("%" PRId64 " kb/s", bitRate / 1000) : std::string("N/A");
    return line;
}

std::string FormatVideoStreamLine(int index, std::string_view codec, int width, int height,
                                  double fps, char rateKind) {
    std::string line = Printf("    Stream #0.%d: Video: ", index);
    line += codec;
    line += Printf(", %dx%d", width, height);
    line += Printf(", %.2f fps(%c)", std::isfinite(fps) && fps > 0 ? fps : 0.0, rateKind);
    return line;
}

std::string FormatAudioStreamLine(int index, std::string_view codec, int sampleRate, int channels,
                                  int64_t bitRate) {
    std::string line = Printf("    Stream #0.%d: Audio: ", index);
    line += codec;
    line += Printf(", %d Hz, ", sampleRate);
    line += channels == 1   ? std::string("mono")
            : channels == 2 ? std::string("stereo")
                            : Printf("%d channels", channels);
    line += BitRateSuffix(bitRate);
    return line;
}

std::string HeaderPath(std::string_view path) {
    std::string shown(path);
    for (char& c : shown) {
        if (c == '\r' || c == '\n') {
            c = '?';
        }
    }
    return shown;
}

ConsoleReport::ConsoleReport(int fd) : m_fd(fd) {
    struct stat info {};
    m_pipe = ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
}

bool ConsoleReport::FitsInNextRead(size_t size) const {
    int unread = 0;
    if (!m_pipe || ::ioctl(m_fd, FIONREAD, &unread) != 0 || unread <= 0) {
        // Nothing unread: the next read starts with this text. A text longer than a read is cut
        // whatever we do; only the header lines with their paths get that long.
        return true;
    }
    return static_cast<size_t>(unread) + size <= kReaderChunk;
}

void ConsoleReport::WaitUntilFits(size_t size) const {
    const auto deadline = std::chrono::steady_clock::now() + kRoomWait;
    while (!FitsInNextRead(size) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kRoomPoll);
    }
}

void ConsoleReport::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return; // nobody is listening any more; the conversion itself goes on
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void ConsoleReport::Line(std::string_view text, Fit fit) {
    std::lock_guard lock(m_mutex);
    std::string out(text);
    out += "\r\n";
    if (fit == Fit::Whole) {
        WaitUntilFits(out.size());
    }
    WriteAll(out);
}

void ConsoleReport::Progress(const ProgressFigures& figures, bool final) {
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!final && m_lastProgress.time_since_epoch().count() != 0 &&
        now - m_lastProgress < kProgressInterval) {
        return;
    }
    if (!final && m_lastProgress.time_since_epoch().count() == 0) {
        // The first report waits half a second too, so a short job prints just its final one.
        m_lastProgress = now;
        return;
    }
    // Each report is a line of its own: the main program splits only at CR LF, and reports
    // sharing a line would leave it reading the first, older one.
    std::string out = FormatProgress(figures);
    out += "\r\n";
    if (final) {
        WaitUntilFits(out.size());
    } else if (!FitsInNextRead(out.size())) {
        return;
    }
    m_lastProgress = now;
    WriteAll(out);
}
