#include "input_file.h"

#include "analysis/displayed_width.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The tolerant route's look for a stream that starts after a damaged lead-in: windows of
// kScanWindow bytes every kScanStep bytes, up to kScanLimit bytes into the file.
constexpr size_t kScanWindow = 64 * 1024;
constexpr size_t kScanStep = 32 * 1024;
constexpr int64_t kScanLimit = 16 * 1024 * 1024;
constexpr int kMaxScanOpens = 6;

const AVInputFormat* ForcedInputFormat(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    // "qt" is the old name of the QuickTime/MP4 reader.
    return av_find_input_format(name == "qt" ? "mov" : name.c_str());
}

enum class Route { Plain, Tolerant, TolerantDeep };

void SetTolerantOptions(OptionDictionary& options, bool deep) {
    if (deep) {
        options.Set("probesize", "50000000");
        options.Set("formatprobesize", "50000000");
        options.Set("analyzeduration", "30000000");
    }
    options.Set("fflags", "+genpts+discardcorrupt+igndts");
    options.Set("err_detect", "ignore_err");
}

struct OpenAttempt {
    InputContextPtr context;
    int error = 0;
};

OpenAttempt TryOpen(const std::string& path, const AVInputFormat* format, Route route,
                    int64_t skipBytes, const AVIOInterruptCB& interrupt) {
    OpenAttempt attempt;
    AVFormatContext* raw = avformat_alloc_context();
    if (raw == nullptr) {
        attempt.error = AVERROR(ENOMEM);
        return attempt;
    }
    raw->interrupt_callback = interrupt;
    OptionDictionary options;
    if (route != Route::Plain) {
        SetTolerantOptions(options, route == Route::TolerantDeep);
    }
    if (skipBytes > 0) {
        options.Set("skip_initial_bytes", std::to_string(skipBytes).c_str());
    }
    // On failure avformat_open_input frees the context itself.
    attempt.error = avformat_open_input(&raw, path.c_str(), format, &options.dict);
    if (attempt.error < 0) {
        return attempt;
    }
    attempt.context.reset(raw);
    // Missing codec parameters are not fatal: what can be read is still converted.
    avformat_find_stream_info(raw, nullptr);
    bool anyUsable = false;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        anyUsable = anyUsable || IsUsableVideoStream(raw->streams[i]) ||
                    IsUsableAudioStream(raw->streams[i]);
    }
    if (!anyUsable) {
        attempt.context.reset();
        attempt.error = AVERROR_INVALIDDATA;
    }
    return attempt;
}

// Reads the file window by window and asks FFmpeg's probes what starts there.
OpenAttempt ScanForLaterStart(const std::string& path, const AVIOInterruptCB& interrupt) {
    OpenAttempt none;
    none.error = AVERROR_INVALIDDATA;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return none;
    }
    std::vector<unsigned char> buffer(kScanWindow + AVPROBE_PADDING_SIZE);
    int opens = 0;
    for (int64_t offset = static_cast<int64_t>(kScanStep); offset < kScanLimit;
         offset += static_cast<int64_t>(kScanStep)) {
        const ssize_t n = ::pread(fd, buffer.data(), kScanWindow, offset);
        if (n <= 0) {
            break;
        }
        std::fill(buffer.begin() + n, buffer.end(), 0);
        AVProbeData probe{};
        probe.filename = "";
        probe.buf = buffer.data();
        probe.buf_size = static_cast<int>(n);
        int score = AVPROBE_SCORE_RETRY;
        const AVInputFormat* format = av_probe_input_format2(&probe, 1, &score);
        if (format == nullptr) {
            continue;
        }
        OpenAttempt attempt = TryOpen(path, format, Route::Tolerant, offset, interrupt);
        if (attempt.context) {
            ::close(fd);
            return attempt;
        }
        if (++opens >= kMaxScanOpens) {
            break;
        }
    }
    ::close(fd);
    return none;
}

std::string CodecName(const AVCodecParameters* parameters) {
    return avcodec_get_name(parameters->codec_id);
}

} // namespace

int DisplayedWidth(const AVFormatContext* input, const AVStream* stream) {
    const AVRational sar = av_guess_sample_aspect_ratio(const_cast<AVFormatContext*>(input),
                                                        const_cast<AVStream*>(stream), nullptr);
    return ::DisplayedWidth(stream->codecpar->width, sar.num, sar.den);
}

bool IsUsableVideoStream(const AVStream* stream) {
    const AVCodecParameters* p = stream->codecpar;
    return p->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) &&
           p->codec_id != AV_CODEC_ID_NONE && p->width > 0 && p->height > 0 &&
           avcodec_find_decoder(p->codec_id) != nullptr;
}

bool IsUsableAudioStream(const AVStream* stream) {
    const AVCodecParameters* p = stream->codecpar;
    return p->codec_type == AVMEDIA_TYPE_AUDIO && p->codec_id != AV_CODEC_ID_NONE &&
           p->sample_rate > 0 && p->ch_layout.nb_channels > 0 &&
           avcodec_find_decoder(p->codec_id) != nullptr;
}

OpenedInput OpenInput(const TranscodeOptions& options, const AVIOInterruptCB& interrupt) {
    OpenedInput result;
    const AVInputFormat* forced = ForcedInputFormat(options.inputFormat);
    if (!options.inputFormat.empty() && forced == nullptr) {
        result.failureLine = "Unknown format \"" + options.inputFormat + "\" asked for the input";
        return result;
    }
    struct stat info {};
    if (::stat(options.inputPath.c_str(), &info) != 0 ||
        ::access(options.inputPath.c_str(), R_OK) != 0) {
        result.failureLine = "Error while opening file: the input cannot be read";
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        // A named pipe would block the open until someone writes to it, a device like
        // /dev/zero never ends, and a folder or socket holds nothing to convert.
        result.failureLine = "Error while opening file: the input is not a regular file";
        return result;
    }
    OpenAttempt attempt =
        TryOpen(options.inputPath, forced, options.tolerantInput ? Route::Tolerant : Route::Plain,
                0, interrupt);
    if (!attempt.context && options.tolerantInput) {
        // A stream behind a damaged lead-in first; a deep look over the whole file, where
        // weak matches abound, only when nothing starts cleanly anywhere.
        if (forced == nullptr) {
            attempt = ScanForLaterStart(options.inputPath, interrupt);
        }
        if (!attempt.context) {
            attempt = TryOpen(options.inputPath, forced, Route::TolerantDeep, 0, interrupt);
        }
    }
    if (!attempt.context) {
        result.failureLine = attempt.error == AVERROR_INVALIDDATA || attempt.error == AVERROR_EOF
                                 ? "Unknown format"
                                 : "Error while opening file: the input cannot be read";
        return result;
    }
    result.context = std::move(attempt.context);
    return result;
}

void DescribeInput(const AVFormatContext* input, const std::string& path, ConsoleReport& report) {
    report.Line("Input #0, " + std::string(input->iformat->name) + ", from '" + HeaderPath(path) +
                    "':",
                Fit::Any);
    const int64_t duration = input->duration == AV_NOPTS_VALUE ? -1 : input->duration;
    const int64_t start = input->start_time == AV_NOPTS_VALUE ? 0 : input->start_time;
    report.Line(FormatDurationLine(duration, start, input->bit_rate));
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        const AVCodecParameters* p = stream->codecpar;
        if (IsUsableVideoStream(stream)) {
            AVRational rate = stream->r_frame_rate;
            if (rate.num <= 0 || rate.den <= 0) {
                rate = stream->avg_frame_rate;
            }
            const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
            report.Line(FormatVideoStreamLine(static_cast<int>(i), CodecName(p),
                                              DisplayedWidth(input, stream), p->height, fps, 'r'));
        } else if (IsUsableAudioStream(stream)) {
            report.Line(FormatAudioStreamLine(static_cast<int>(i), CodecName(p), p->sample_rate,
                                              p->ch_layout.nb_channels, p->bit_rate));
        }
    }
}
