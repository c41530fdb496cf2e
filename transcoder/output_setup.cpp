#include "output_setup.h"

#include <cstdio>

extern "C" {
#include <libavutil/opt.h>
}

#include "amr_nb_encoder.h"
#include "codec_rules.h"
#include "input_file.h"

namespace {

constexpr int kDefaultVideoKbps = 200;
constexpr int kDefaultAudioKbps = 64;
constexpr int kOldPlayerGop = 12;

std::string Text(const char* format, auto... values) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

int PickStream(const AVFormatContext* input, AVMediaType type) {
    const int best =
        av_find_best_stream(const_cast<AVFormatContext*>(input), type, -1, -1, nullptr, 0);
    auto usable = [&](int index) {
        const AVStream* stream = input->streams[index];
        return type == AVMEDIA_TYPE_VIDEO ? IsUsableVideoStream(stream)
                                          : IsUsableAudioStream(stream);
    };
    if (best >= 0 && usable(best)) {
        return best;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (usable(static_cast<int>(i))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool NeedsGlobalHeader(const AVFormatContext* output) {
    return (output->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

std::string SetUpVideo(const TranscodeOptions& options, const AVFormatContext* input,
                       AVFormatContext* output, StreamOutput& video) {
    const AVStream* in = input->streams[video.inputIndex];
    const std::string codecArg = options.videoCodec.empty()
                                     ? DefaultVideoCodecFor(output->oformat->name)
                                     : options.videoCodec;
    const std::string encoderName = VideoEncoderFor(codecArg);
    const AVCodec* codec =
        encoderName.empty() ? nullptr : avcodec_find_encoder_by_name(encoderName.c_str());
    if (codec == nullptr) {
        return "Unsupported codec \"" + codecArg + "\" for output stream #0.0";
    }
    if (avformat_query_codec(output->oformat, codec->id, FF_COMPLIANCE_NORMAL) == 0) {
        return Text("Conversion failed: the %s container cannot hold %s video",
                    output->oformat->name, codecArg.c_str());
    }

    // The picture (from -s, or the source's displayed size made even for 4:2:0) plus the bars.
    // Output pixels are square, so a source with wide pixels is scaled to its displayed width.
    int pictureWidth = options.width.value_or(DisplayedWidth(input, in) & ~1);
    int pictureHeight = options.height.value_or(in->codecpar->height & ~1);
    pictureWidth = std::max(pictureWidth, 2);
    pictureHeight = std::max(pictureHeight, 2);
    video.width = pictureWidth + options.padLeft + options.padRight;
    video.height = pictureHeight + options.padTop + options.padBottom;
    const bool h263 = encoderName == "h263";
    if (h263 && !IsH263FrameSize(video.width, video.height)) {
        return Text("H.263 encoder setup failed: %dx%d is not an H.263 frame size (128x96, "
                    "176x144, 352x288, 704x576, 1408x1152)",
                    video.width, video.height);
    }
    if (options.frameRate) {
        video.frameRate = {options.frameRate->num, options.frameRate->den};
        av_reduce(&video.frameRate.num, &video.frameRate.den, video.frameRate.num,
                  video.frameRate.den, 65535);
    } else {
        video.frameRate = OutputFrameRate(input, in);
    }

    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context) {
        return "Conversion failed: out of memory";
    }
    const int kbps = options.videoBitrateKbps.value_or(kDefaultVideoKbps);
    context->width = video.width;
    context->height = video.height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = av_inv_q(video.frameRate);
    context->framerate = video.frameRate;
    context->bit_rate = static_cast<int64_t>(kbps) * 1000;
    if (options.videoToleranceKbps) {
        context->bit_rate_tolerance = *options.videoToleranceKbps * 1000;
    }
    if (options.aspect) {
        // The display aspect asked for, over the whole coded frame.
        av_reduce(&context->sample_aspect_ratio.num, &context->sample_aspect_ratio.den,
                  static_cast<int64_t>(options.aspect->num) * video.height,
                  static_cast<int64_t>(options.aspect->den) * video.width, 255);
    } else {
        context->sample_aspect_ratio = {1, 1};
    }
    // B-frames would make Advanced Simple Profile or Main profile, which old players refuse.
    context->max_b_frames = 0;
    context->thread_count = 0;
    if (encoderName == "libx264") {
        av_opt_set(context->priv_data, "profile", "baseline", 0);
        av_opt_set(context->priv_data, "level", "3.0", 0);
        context->refs = 1;
        context->rc_max_rate = context->bit_rate;
        context->rc_buffer_size =
            static_cast<int>(std::min<int64_t>(context->bit_rate * 2, INT32_MAX));
    } else {
        context->gop_size = kOldPlayerGop;
        if (encoderName == "mpeg4") {
            context->profile = FF_PROFILE_MPEG4_SIMPLE;
            context->thread_type = FF_THREAD_SLICE;
        } else {
            // libxvid and H.263 code on one thread.
            context->thread_count = 1;
        }
    }
    if (NeedsGlobalHeader(output)) {
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(context.get(), codec, nullptr) < 0) {
        return Text("Video encoder setup failed: %s cannot code %dx%d at %d kb/s", codecArg.c_str(),
                    video.width, video.height, kbps);
    }
    video.codecName = avcodec_get_name(codec->id);
    video.bitRate = context->bit_rate;

    // A constant rate on the source's clock: a frame slot takes the latest picture shown at
    // that time, so a frozen picture or a slow slideshow is repeated and a fast source thinned.
    std::string spec = Text(",scale=w=%d:h=%d", pictureWidth, pictureHeight);
    if (video.width != pictureWidth || video.height != pictureHeight) {
        spec += Text(",pad=w=%d:h=%d:x=%d:y=%d:color=black", video.width, video.height,
                     options.padLeft, options.padTop);
    }
    if (options.aspect) {
        spec += Text(",setsar=sar=%d/%d", context->sample_aspect_ratio.num,
                     context->sample_aspect_ratio.den);
    } else {
        spec += ",setsar=sar=1";
    }
    spec += ",format=pix_fmts=yuv420p";
    const std::string rate = Text("fps=fps=%d/%d", video.frameRate.num, video.frameRate.den);
    video.filterSpec = rate + ":start_time=0" + spec;
    video.rebuiltFilterSpec = rate + spec;
    video.encoder = std::make_unique<LibavEncoder>(std::move(context));
    return {};
}

std::string SetUpAudio(const TranscodeOptions& options, const AVFormatContext* input,
                       AVFormatContext* output, StreamOutput& audio,
                       std::vector<std::string>& notes) {
    const AVStream* in = input->streams[audio.inputIndex];
    const std::string codecArg = options.audioCodec.empty()
                                     ? DefaultAudioCodecFor(output->oformat->name)
                                     : options.audioCodec;
    const AudioKind kind = AudioKindFor(codecArg);
    if (kind == AudioKind::None) {
        return "Unsupported codec \"" + codecArg + "\" for output stream #0.1";
    }
    const AVCodecID id = kind == AudioKind::Aac     ? AV_CODEC_ID_AAC
                         : kind == AudioKind::AmrNb ? AV_CODEC_ID_AMR_NB
                         : kind == AudioKind::Mp3   ? AV_CODEC_ID_MP3
                                                    : AV_CODEC_ID_PCM_S16LE;
    if (avformat_query_codec(output->oformat, id, FF_COMPLIANCE_NORMAL) == 0) {
        return Text("Conversion failed: the %s container cannot hold %s audio",
                    output->oformat->name, codecArg.c_str());
    }

    const int wantedRate = options.sampleRateHz.value_or(in->codecpar->sample_rate);
    audio.sampleRate = NearestSampleRate(kind, wantedRate);
    if (options.sampleRateHz && audio.sampleRate != wantedRate) {
        notes.push_back(Text("Audio sampling rate %d Hz is not available for %s, %d Hz used",
                             wantedRate, codecArg.c_str(), audio.sampleRate));
    }
    const int wantedChannels = options.channels.value_or(in->codecpar->ch_layout.nb_channels);
    audio.channels = NearestChannelCount(kind, wantedChannels);
    if (options.channels && audio.channels != wantedChannels) {
        notes.push_back(Text("Audio with %d channels is not available for %s, %d used",
                             wantedChannels, codecArg.c_str(), audio.channels));
    }
    const int kbps = options.audioBitrateKbps.value_or(kDefaultAudioKbps);

    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
    if (kind == AudioKind::AmrNb) {
        auto amr = std::make_unique<AmrNbEncoder>(kbps * 1000);
        if (!amr->ok()) {
            return "Audio encoder setup failed: amr_nb";
        }
        const int modeRate = AmrNbEncoder::NearestModeBitRate(kbps * 1000);
        if (modeRate != kbps * 1000) {
            notes.push_back(Text("AMR-NB audio coded at %.2f kb/s, the mode nearest %d kb/s",
                                 modeRate / 1000.0, kbps));
        }
        audio.bitRate = modeRate;
        audio.codecName = "amr_nb";
        audio.encoder = std::move(amr);
    } else {
        const char* encoderName = kind == AudioKind::Aac   ? "aac"
                                  : kind == AudioKind::Mp3 ? "libmp3lame"
                                                           : "pcm_s16le";
        const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
        if (codec == nullptr) {
            return "Unsupported codec \"" + codecArg + "\" for output stream #0.1";
        }
        CodecContextPtr context(avcodec_alloc_context3(codec));
        if (!context) {
            return "Conversion failed: out of memory";
        }
        sampleFormat = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        // The decoder's own sample format where the encoder takes it: one conversion less.
        for (const AVSampleFormat* f = codec->sample_fmts; f != nullptr && *f != AV_SAMPLE_FMT_NONE;
             ++f) {
            if (*f == in->codecpar->format) {
                sampleFormat = *f;
            }
        }
        context->sample_fmt = sampleFormat;
        context->sample_rate = audio.sampleRate;
        av_channel_layout_default(&context->ch_layout, audio.channels);
        context->time_base = {1, audio.sampleRate};
        if (kind != AudioKind::Pcm16) {
            context->bit_rate = static_cast<int64_t>(kbps) * 1000;
        }
        if (kind == AudioKind::Aac) {
            context->profile = FF_PROFILE_AAC_LOW;
        }
        if (NeedsGlobalHeader(output)) {
            context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        if (avcodec_open2(context.get(), codec, nullptr) < 0) {
            return Text("Audio encoder setup failed: %s at %d Hz, %d kb/s", codecArg.c_str(),
                        audio.sampleRate, kbps);
        }
        audio.bitRate = context->bit_rate;
        audio.codecName = avcodec_get_name(codec->id);
        audio.encoder = std::make_unique<LibavEncoder>(std::move(context));
    }

    AVChannelLayout layout{};
    av_channel_layout_default(&layout, audio.channels);
    char layoutName[64] = "mono";
    av_channel_layout_describe(&layout, layoutName, sizeof layoutName);
    av_channel_layout_uninit(&layout);
    // The sound follows its timestamps: holes are filled with silence and overlaps trimmed,
    // so it stays with the picture after a gap instead of running early.
    std::string spec;
    if (options.volumeLevel && *options.volumeLevel != 50) {
        // volume turns 16-bit samples into floating point, so it comes before aformat.
        spec +=
            Text(",volume=volume=%.3f:precision=float", VolumeGainForLevel(*options.volumeLevel));
    }
    spec += Text(",aformat=sample_fmts=%s:sample_rates=%d:channel_layouts=%s",
                 av_get_sample_fmt_name(sampleFormat), audio.sampleRate, layoutName);
    if (const int frameSize = audio.encoder->FixedFrameSize(); frameSize > 0) {
        // Full frames only: AAC would quietly pad a short one in mid-stream with silence.
        spec += Text(",asetnsamples=n=%d:p=1", frameSize);
    }
    const std::string resample = Text("aresample=%d:async=1", audio.sampleRate);
    audio.filterSpec = resample + ":first_pts=0" + spec;
    audio.rebuiltFilterSpec = resample + spec;
    return {};
}

std::string AddStream(AVFormatContext* output, StreamOutput& out) {
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (stream == nullptr || out.encoder->FillParameters(stream->codecpar) < 0) {
        return "Conversion failed: out of memory";
    }
    stream->time_base = out.encoder->TimeBase();
    if (out.frameRate.num > 0) {
        stream->avg_frame_rate = out.frameRate;
    }
    out.outputIndex = stream->index;
    return {};
}

} // namespace

void OutputContextDeleter::operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && !(context->oformat->flags & AVFMT_NOFILE)) {
        avio_closep(&context->pb);
    }
    avformat_free_context(context);
}

AVRational OutputFrameRate(const AVFormatContext* input, const AVStream* stream) {
    AVRational rate = av_guess_frame_rate(const_cast<AVFormatContext*>(input),
                                          const_cast<AVStream*>(stream), nullptr);
    // Variable-rate sources report a rate of their time base; MPEG-4 wants a time base
    // denominator below 65536, and old players at most 30 frames a second.
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 60.0 || av_q2d(rate) < 1.0) {
        return {25, 1};
    }
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
    return rate;
}

OutputSetup SetUpOutput(const TranscodeOptions& options, const AVFormatContext* input,
                        const AVIOInterruptCB& interrupt) {
    OutputSetup setup;
    setup.muxer = MuxerFor(options.outputFormat, options.outputPath);
    AVFormatContext* raw = nullptr;
    const char* muxerName = setup.muxer.empty() ? nullptr : setup.muxer.c_str();
    if (avformat_alloc_output_context2(&raw, nullptr, muxerName, options.outputPath.c_str()) < 0 ||
        raw == nullptr) {
        setup.failureLine = options.outputFormat.empty()
                                ? "Unknown format for the output, conversion failed"
                                : "Unknown format \"" + options.outputFormat + "\" for the output";
        return setup;
    }
    setup.context.reset(raw);
    raw->interrupt_callback = interrupt;
    setup.muxer = raw->oformat->name;

    // Audio-only containers (mp3 lists a picture codec for cover art) get no video stream.
    const bool muxerTakesVideo =
        raw->oformat->video_codec != AV_CODEC_ID_NONE &&
        (!options.videoCodec.empty() || !DefaultVideoCodecFor(setup.muxer).empty());
    const int videoIn =
        options.noVideo || !muxerTakesVideo ? -1 : PickStream(input, AVMEDIA_TYPE_VIDEO);
    const int audioIn = options.noAudio ? -1 : PickStream(input, AVMEDIA_TYPE_AUDIO);
    if (videoIn < 0 && audioIn < 0) {
        setup.failureLine = "Conversion failed: the input holds no stream for this output";
        return setup;
    }
    if (videoIn >= 0) {
        setup.video.emplace();
        setup.video->inputIndex = videoIn;
        if (std::string failure = SetUpVideo(options, input, raw, *setup.video); !failure.empty()) {
            setup.failureLine = failure;
            return setup;
        }
    }
    if (audioIn >= 0) {
        setup.audio.emplace();
        setup.audio->inputIndex = audioIn;
        if (std::string failure = SetUpAudio(options, input, raw, *setup.audio, setup.notes);
            !failure.empty()) {
            setup.failureLine = failure;
            return setup;
        }
    }
    for (StreamOutput* out :
         {setup.video ? &*setup.video : nullptr, setup.audio ? &*setup.audio : nullptr}) {
        if (out == nullptr) {
            continue;
        }
        if (std::string failure = AddStream(raw, *out); !failure.empty()) {
            setup.failureLine = failure;
            return setup;
        }
    }
    return setup;
}
