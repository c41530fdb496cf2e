#include "codec_rules.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kAacRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                             22050, 16000, 12000, 11025, 8000,  7350};
constexpr int kMp3Rates[] = {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};
constexpr int kAmrRates[] = {8000};

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext;
}

} // namespace

std::string MuxerFor(const std::string& forcedFormat, const std::string& outputPath) {
    if (!forcedFormat.empty()) {
        return forcedFormat == "qt" ? "mov" : forcedFormat;
    }
    const std::string ext = LowerExtension(outputPath);
    if (ext == "mp4" || ext == "3gp" || ext == "3g2" || ext == "mov" || ext == "mp3" ||
        ext == "wav") {
        return ext;
    }
    if (ext == "m4a") {
        return "ipod";
    }
    return {};
}

std::string VideoEncoderFor(const std::string& codecArg) {
    if (codecArg == "mpeg4" || codecArg == "mpeg4_qt") {
        return "mpeg4";
    }
    if (codecArg == "xvid") {
        return "libxvid";
    }
    if (codecArg == "h264") {
        return "libx264";
    }
    if (codecArg == "h263") {
        return "h263";
    }
    return {};
}

AudioKind AudioKindFor(const std::string& codecArg) {
    if (codecArg == "mpeg4aac" || codecArg == "mpeg4aac_qt" || codecArg == "aac") {
        return AudioKind::Aac;
    }
    if (codecArg == "amr_nb") {
        return AudioKind::AmrNb;
    }
    if (codecArg == "mp3") {
        return AudioKind::Mp3;
    }
    if (codecArg == "pcm_s16le") {
        return AudioKind::Pcm16;
    }
    return AudioKind::None;
}

std::string DefaultVideoCodecFor(const std::string& muxer) {
    if (muxer == "mp3" || muxer == "wav" || muxer == "ipod") {
        return {};
    }
    return "mpeg4";
}

std::string DefaultAudioCodecFor(const std::string& muxer) {
    if (muxer == "mp3") {
        return "mp3";
    }
    if (muxer == "wav") {
        return "pcm_s16le";
    }
    if (muxer == "3gp" || muxer == "3g2") {
        return "amr_nb";
    }
    return "mpeg4aac";
}

std::span<const int> SampleRatesOf(AudioKind kind) {
    switch (kind) {
    case AudioKind::Aac:
        return kAacRates;
    case AudioKind::Mp3:
        return kMp3Rates;
    case AudioKind::AmrNb:
        return kAmrRates;
    default:
        return {};
    }
}

int NearestSampleRate(AudioKind kind, int wantedHz) {
    const std::span<const int> rates = SampleRatesOf(kind);
    if (rates.empty()) {
        return std::clamp(wantedHz, 1000, 192000);
    }
    int best = rates.front();
    for (const int rate : rates) {
        const int distance = std::abs(rate - wantedHz);
        const int bestDistance = std::abs(best - wantedHz);
        // On a tie the higher rate keeps more of the sound.
        if (distance < bestDistance || (distance == bestDistance && rate > best)) {
            best = rate;
        }
    }
    return best;
}

int NearestChannelCount(AudioKind kind, int wanted) {
    switch (kind) {
    case AudioKind::AmrNb:
        return 1;
    case AudioKind::Mp3:
        return std::clamp(wanted, 1, 2);
    case AudioKind::Aac:
        return std::clamp(wanted, 1, 8);
    default:
        return std::clamp(wanted, 1, 8);
    }
}

bool IsH263FrameSize(int width, int height) {
    constexpr int kSizes[][2] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
    return std::any_of(std::begin(kSizes), std::end(kSizes),
                       [&](const int* size) { return size[0] == width && size[1] == height; });
}
