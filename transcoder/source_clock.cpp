#include "source_clock.h"

SourceClock::SourceClock(const AVFormatContext* input)
    : m_discontinuous(input->iformat != nullptr && (input->iformat->flags & AVFMT_TS_DISCONT) != 0),
      m_nextUs(input->nb_streams, AV_NOPTS_VALUE) {}

void SourceClock::Mend(AVPacket* packet, const AVStream* stream) {
    const auto index = static_cast<size_t>(packet->stream_index);
    if (index >= m_nextUs.size()) {
        m_nextUs.resize(index + 1, AV_NOPTS_VALUE);
    }
    const int64_t own = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (own == AV_NOPTS_VALUE) {
        return;
    }
    const AVRational tb = stream->time_base;
    int64_t atUs = av_rescale_q(own, tb, AV_TIME_BASE_Q) + m_offsetUs;
    int64_t& next = m_nextUs[index];
    if (m_discontinuous && next != AV_NOPTS_VALUE) {
        const int64_t delta = atUs - next;
        if (delta < -kBackwardLimitUs || delta > kForwardLimitUs) {
            m_offsetUs -= delta;
            atUs -= delta;
        }
    }
    if (m_offsetUs != 0) {
        const int64_t shift = av_rescale_q(m_offsetUs, AV_TIME_BASE_Q, tb);
        if (packet->pts != AV_NOPTS_VALUE) {
            packet->pts += shift;
        }
        if (packet->dts != AV_NOPTS_VALUE) {
            packet->dts += shift;
        }
    }
    const int64_t durationUs =
        packet->duration > 0 ? av_rescale_q(packet->duration, tb, AV_TIME_BASE_Q) : 0;
    next = atUs + durationUs;
}
