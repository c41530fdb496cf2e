#include "analysis/media_info.h"

#include "analysis/displayed_width.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using InputContext = std::unique_ptr<AVFormatContext, InputCloser>;

int TimeIsUp(void* opaque) {
    const auto* deadline = static_cast<const Clock::time_point*>(opaque);
    return Clock::now() >= *deadline ? 1 : 0;
}

// The program keeps no log; FFmpeg's own complaints about damaged files would only end up on
// a terminal nobody watches.
void QuietFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

double RateOf(const AVStream& stream) {
    for (const AVRational rate : {stream.avg_frame_rate, stream.r_frame_rate}) {
        if (rate.num > 0 && rate.den > 0) {
            return av_q2d(rate);
        }
    }
    return 0;
}

// The width the picture is shown at, from the pixel aspect the container or the codec gives.
int DisplayedWidth(AVFormatContext* context, const AVStream* stream) {
    const AVRational sar =
        av_guess_sample_aspect_ratio(context, const_cast<AVStream*>(stream), nullptr);
    return ::DisplayedWidth(stream->codecpar->width, sar.num, sar.den);
}

long long DurationSecondsOf(const AVFormatContext& context, const AVStream* stream) {
    double seconds = 0;
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0) {
        seconds = static_cast<double>(context.duration) / AV_TIME_BASE;
    } else if (stream != nullptr && stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        seconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    }
    if (!std::isfinite(seconds) || seconds <= 0 || seconds > 1e9) {
        return 0;
    }
    // Whole milliseconds first, so 82.9999996 still counts as the 83 seconds it is meant to be.
    return std::llround(seconds * 1000) / 1000;
}

} // namespace

std::string MediaDurationText(long long seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 % 60;
    const long long rest = seconds % 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", hours, minutes, rest);
    } else {
        std::snprintf(text, sizeof text, "%02lld:%02lld", minutes, rest);
    }
    return text;
}

void MediaInfo::Reset() {
    m_width = 0;
    m_height = 0;
    m_frameRate = 0;
    m_durationText = MediaDurationText(0);
}

void MediaInfo::Read() noexcept {
    try {
        Reset();
        ReadFile();
    } catch (...) {
        Reset();
    }
}

void MediaInfo::ReadFile() {
    if (!IsRegularFile(m_fileName)) {
        return;
    }
    QuietFfmpeg();

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_timeLimitMs);
    AVFormatContext* opened = avformat_alloc_context();
    if (opened == nullptr) {
        return;
    }
    opened->interrupt_callback.callback = TimeIsUp;
    opened->interrupt_callback.opaque = const_cast<Clock::time_point*>(&deadline);
    // avformat_open_input frees the context itself when it fails.
    if (avformat_open_input(&opened, m_fileName.c_str(), nullptr, nullptr) < 0) {
        return;
    }
    const InputContext input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) {
        return;
    }

    const AVStream* picture = nullptr;
    const int best = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0) {
        const AVStream* candidate = input->streams[best];
        // Cover art in an MP3 or M4A is a still picture, not video: the file stays audio.
        if ((candidate->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0 &&
            candidate->codecpar->width > 0 && candidate->codecpar->height > 0) {
            picture = candidate;
        }
    }
    if (picture != nullptr) {
        m_width = DisplayedWidth(input.get(), picture);
        m_height = picture->codecpar->height;
        m_frameRate = RateOf(*picture);
    }
    m_durationText = MediaDurationText(DurationSecondsOf(*input, picture));
}
