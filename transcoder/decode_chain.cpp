#include "decode_chain.h"

#include <algorithm>
#include <cstdio>

namespace {

// Without a known length, a leap further than this in a container that has no discontinuities
// is damage: a frozen picture that long does not happen, and filling it would take ages.
constexpr int64_t kMaxLeapUs = 60 * int64_t{AV_TIME_BASE};
// More frames a second than this are timestamps gone wrong (a sample table whose entries came
// out as a single tick), not a picture.
constexpr double kMaxBelievableRate = 1000.0;

bool Plausible(AVRational rate) {
    return rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 1.0 && av_q2d(rate) <= 240.0;
}

int64_t LengthUs(const AVFormatContext* input) {
    if (input->duration == AV_NOPTS_VALUE || input->duration <= 0 ||
        input->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
        return AV_NOPTS_VALUE;
    }
    return input->duration;
}

// The rate a stream's frames are counted at where its timestamps fail.
AVRational NominalRate(const AVFormatContext* input, const AVStream* stream, AVRational fallback) {
    if (Plausible(stream->avg_frame_rate)) {
        return stream->avg_frame_rate;
    }
    if (Plausible(stream->r_frame_rate)) {
        return stream->r_frame_rate;
    }
    // The frames spread over the file's length.
    const int64_t length = LengthUs(input);
    if (stream->nb_frames > 0 && length != AV_NOPTS_VALUE) {
        AVRational rate{};
        av_reduce(&rate.num, &rate.den, stream->nb_frames * AV_TIME_BASE, length, 65535);
        if (Plausible(rate)) {
            return rate;
        }
    }
    return fallback;
}

} // namespace

bool DecodeChain::Open(const AVFormatContext* input, const AVStream* stream, std::string filterSpec,
                       std::string rebuiltSpec, AVRational fallbackRate, bool tolerant) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        return false;
    }
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), stream->codecpar) < 0) {
        return false;
    }
    m_decoder->pkt_timebase = stream->time_base;
    m_decoder->thread_count = 0;
    if (tolerant) {
        m_decoder->err_recognition = 0;
        m_decoder->flags2 |= AV_CODEC_FLAG2_SHOW_ALL;
    }
    if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0) {
        return false;
    }
    m_video = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    m_filterSpec = std::move(filterSpec);
    m_rebuiltSpec = std::move(rebuiltSpec);
    m_timeBase = stream->time_base;
    const int64_t startUs = input->start_time == AV_NOPTS_VALUE ? 0 : input->start_time;
    m_startPts = av_rescale_q(startUs, AV_TIME_BASE_Q, m_timeBase);
    if (m_video) {
        const AVRational nominal = NominalRate(input, stream, fallbackRate);
        m_stepTicks = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(nominal), m_timeBase));
        m_countFrames = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0 &&
                        av_q2d(stream->avg_frame_rate) > kMaxBelievableRate;
    }
    // Where parts are joined the source clock keeps running past the length the container
    // states, and a jump is mended before it gets here; elsewhere a timestamp far beyond the
    // stated length is damage.
    const bool discontinuous = (input->iformat->flags & AVFMT_TS_DISCONT) != 0;
    const int64_t lengthUs = LengthUs(input);
    if (!discontinuous && lengthUs != AV_NOPTS_VALUE) {
        const int64_t limitUs = lengthUs + std::max<int64_t>(2 * AV_TIME_BASE, lengthUs / 10);
        m_endLimit = av_rescale_q(limitUs, AV_TIME_BASE_Q, m_timeBase);
    } else if (!discontinuous) {
        m_maxLeap = av_rescale_q(kMaxLeapUs, AV_TIME_BASE_Q, m_timeBase);
    }
    m_scratch = MakeFrame();
    return m_scratch != nullptr;
}

std::string DecodeChain::SourceArgs(const AVFrame* frame) const {
    char args[512];
    if (m_video) {
        AVRational sar = frame->sample_aspect_ratio;
        if (sar.num <= 0 || sar.den <= 0) {
            sar = {1, 1};
        }
        std::snprintf(args, sizeof args,
                      "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                      frame->width, frame->height, frame->format, m_timeBase.num, m_timeBase.den,
                      sar.num, sar.den);
    } else {
        char layout[128] = "mono";
        AVChannelLayout described{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&described, frame->ch_layout.nb_channels);
        } else {
            av_channel_layout_copy(&described, &frame->ch_layout);
        }
        av_channel_layout_describe(&described, layout, sizeof layout);
        av_channel_layout_uninit(&described);
        std::snprintf(args, sizeof args,
                      "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                      m_timeBase.num, m_timeBase.den, frame->sample_rate,
                      av_get_sample_fmt_name(static_cast<AVSampleFormat>(frame->format)), layout);
    }
    return args;
}

bool DecodeChain::SameShape(const AVFrame* frame) const {
    if (m_video) {
        return frame->width == m_width && frame->height == m_height && frame->format == m_format;
    }
    return frame->sample_rate == m_sampleRate && frame->format == m_format &&
           av_channel_layout_compare(&frame->ch_layout, &m_layout) == 0;
}

void DecodeChain::Drain(const Deliver& deliver) {
    for (;;) {
        FramePtr out = MakeFrame();
        if (!out || m_filters.Pull(out.get()) < 0) {
            return;
        }
        deliver(std::move(out));
    }
}

void DecodeChain::Filter(AVFrame* frame, const Deliver& deliver) {
    const bool usable = m_video ? frame->width > 0 && frame->height > 0 && frame->format >= 0
                                : frame->sample_rate > 0 && frame->ch_layout.nb_channels > 0 &&
                                      frame->format >= 0 && frame->nb_samples > 0;
    if (!usable) {
        return;
    }
    if (!m_filters.built() || !SameShape(frame)) {
        if (m_filters.built()) {
            m_filters.Close(m_lastPts + m_lastStep);
            Drain(deliver);
        }
        const bool first = !m_filters.built() && m_lastPts == AV_NOPTS_VALUE;
        if (!m_filters.Build(m_video, SourceArgs(frame), first ? m_filterSpec : m_rebuiltSpec)) {
            m_filters.Reset();
            return;
        }
        m_width = frame->width;
        m_height = frame->height;
        m_format = frame->format;
        m_sampleRate = frame->sample_rate;
        av_channel_layout_uninit(&m_layout);
        av_channel_layout_copy(&m_layout, &frame->ch_layout);
    }

    int64_t pts = frame->best_effort_timestamp;
    const int64_t step =
        m_video ? m_stepTicks
                : av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, m_timeBase);
    if (pts != AV_NOPTS_VALUE) {
        pts -= m_startPts;
    }
    const bool believable = pts != AV_NOPTS_VALUE && !m_countFrames &&
                            (m_endLimit == AV_NOPTS_VALUE || pts <= m_endLimit) &&
                            (m_maxLeap == AV_NOPTS_VALUE || m_lastPts == AV_NOPTS_VALUE ||
                             pts <= m_lastPts + m_maxLeap);
    if (!believable) {
        // Counted on from the frame before at the stream's own rate: the stream goes on whole
        // and in order, at the length its frames make.
        pts = m_lastPts == AV_NOPTS_VALUE ? 0 : m_lastPts + step;
    }
    frame->pts = pts;
    m_lastPts = pts;
    m_lastStep = frame->pkt_duration > 0 && believable ? frame->pkt_duration : step;
    if (m_filters.Push(frame) >= 0) {
        Drain(deliver);
    }
}

void DecodeChain::DecodeFrames(const AVPacket* packet,
                               const std::function<void(AVFrame*)>& onFrame) {
    if (m_ended) {
        return;
    }
    // A damaged packet is refused and skipped; the next one may decode again.
    const int sent = avcodec_send_packet(m_decoder.get(), packet);
    (void)sent;
    // Each turn either gives a frame or ends; a decoder never gives more frames than a bound
    // that keeps a damaged stream from looping here forever.
    for (int guard = 0; guard < 4096; ++guard) {
        av_frame_unref(m_scratch.get());
        const int received = avcodec_receive_frame(m_decoder.get(), m_scratch.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            break;
        }
        if (received < 0) {
            if (packet == nullptr) {
                break;
            }
            continue;
        }
        ++m_decodedFrames;
        onFrame(m_scratch.get());
    }
    if (packet == nullptr) {
        m_ended = true;
    }
}

void DecodeChain::FinishFilters(const Deliver& deliver) {
    if (m_filters.built()) {
        m_filters.Close(m_lastPts + m_lastStep);
        Drain(deliver);
    }
    av_channel_layout_uninit(&m_layout);
}

void DecodeChain::Decode(const AVPacket* packet, const Deliver& deliver) {
    const bool ended = m_ended;
    DecodeFrames(packet, [&](AVFrame* frame) { Filter(frame, deliver); });
    if (packet == nullptr && !ended) {
        FinishFilters(deliver);
    }
}

void DecodeChain::DecodeOnly(const AVPacket* packet, const Deliver& decoded) {
    DecodeFrames(packet, [&](AVFrame* frame) {
        FramePtr copy = MakeFrame();
        if (copy) {
            av_frame_move_ref(copy.get(), frame);
            decoded(std::move(copy));
        }
    });
}

void DecodeChain::FilterDecoded(AVFrame* frame, const Deliver& deliver) {
    if (frame != nullptr) {
        Filter(frame, deliver);
    } else {
        FinishFilters(deliver);
    }
}
