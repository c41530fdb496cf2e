#include "amr_nb_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <opencore-amrnb/interf_enc.h>
}

int AmrNbEncoder::NearestModeBitRate(int bitsPerSecond) {
    int best = kModeBitRates[7];
    for (const int rate : kModeBitRates) {
        if (std::abs(rate - bitsPerSecond) < std::abs(best - bitsPerSecond)) {
            best = rate;
        }
    }
    return best;
}

AmrNbEncoder::AmrNbEncoder(int bitsPerSecond) {
    m_bitRate = NearestModeBitRate(bitsPerSecond);
    for (int i = 0; i < 8; ++i) {
        if (kModeBitRates[i] == m_bitRate) {
            m_mode = i;
        }
    }
    m_state = Encoder_Interface_init(0);
}

AmrNbEncoder::~AmrNbEncoder() {
    if (m_state != nullptr) {
        Encoder_Interface_exit(m_state);
    }
}

void AmrNbEncoder::EncodeOne(const int16_t* samples, int64_t pts) {
    unsigned char out[64];
    const int size = Encoder_Interface_Encode(m_state, static_cast<Mode>(m_mode), samples, out, 0);
    if (size <= 0) {
        return;
    }
    PacketPtr packet = MakePacket();
    if (!packet || av_new_packet(packet.get(), size) < 0) {
        return;
    }
    std::memcpy(packet->data, out, static_cast<size_t>(size));
    packet->pts = pts;
    packet->dts = pts;
    packet->duration = kFrameSamples;
    packet->flags |= AV_PKT_FLAG_KEY;
    m_ready.push_back(std::move(packet));
}

int AmrNbEncoder::SendFrame(const AVFrame* frame) {
    if (m_flushing) {
        return AVERROR_EOF;
    }
    if (frame == nullptr) {
        m_flushing = true;
        return 0;
    }
    if (frame->format != AV_SAMPLE_FMT_S16 || frame->ch_layout.nb_channels != 1) {
        return AVERROR(EINVAL);
    }
    if (!m_ptsKnown && frame->pts != AV_NOPTS_VALUE) {
        m_nextPts = frame->pts;
        m_ptsKnown = true;
    }
    // The chain delivers whole frames of 160 samples, the last one padded with silence.
    const auto* samples = reinterpret_cast<const int16_t*>(frame->data[0]);
    int16_t block[kFrameSamples];
    for (int offset = 0; offset < frame->nb_samples; offset += kFrameSamples) {
        const int count = std::min(kFrameSamples, frame->nb_samples - offset);
        std::memset(block, 0, sizeof block);
        std::memcpy(block, samples + offset, static_cast<size_t>(count) * sizeof(int16_t));
        EncodeOne(block, m_nextPts);
        m_nextPts += kFrameSamples;
    }
    return 0;
}

int AmrNbEncoder::ReceivePacket(AVPacket* packet) {
    if (m_ready.empty()) {
        return m_flushing ? AVERROR_EOF : AVERROR(EAGAIN);
    }
    av_packet_move_ref(packet, m_ready.front().get());
    m_ready.pop_front();
    return 0;
}

int AmrNbEncoder::FillParameters(AVCodecParameters* parameters) const {
    parameters->codec_type = AVMEDIA_TYPE_AUDIO;
    parameters->codec_id = AV_CODEC_ID_AMR_NB;
    parameters->sample_rate = kSampleRate;
    av_channel_layout_uninit(&parameters->ch_layout);
    av_channel_layout_default(&parameters->ch_layout, 1);
    parameters->frame_size = kFrameSamples;
    parameters->bit_rate = m_bitRate;
    parameters->format = AV_SAMPLE_FMT_S16;
    return 0;
}
