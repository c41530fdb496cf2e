#pragma once
// One input stream's decoder and its filter chain: packets in, finished frames out in the
// encoder's format. The filter chain is built from the first decoded frame and rebuilt when
// a damaged or odd stream changes its frame size or format midway.

#include <cstdint>
#include <functional>
#include <string>

#include "filter_graph.h"

class DecodeChain {
public:
    using Deliver = std::function<void(FramePtr)>;

    // filterSpec is the chain between source and sink, rebuiltSpec the one used when the
    // chain is built again midway. Timestamps are taken relative to the input's start.
    // fallbackRate is the video rate used where the source gives none of its own.
    bool Open(const AVFormatContext* input, const AVStream* stream, std::string filterSpec,
              std::string rebuiltSpec, AVRational fallbackRate, bool tolerant);

    // A null packet ends the stream: the decoder and the filters give what they still hold.
    void Decode(const AVPacket* packet, const Deliver& deliver);

    // The same in two halves, for decoding and filtering on different threads: DecodeOnly
    // gives the decoded frames as they are, FilterDecoded takes them in the same order (a null
    // frame once the decoder has ended). The halves share no state.
    void DecodeOnly(const AVPacket* packet, const Deliver& decoded);
    void FilterDecoded(AVFrame* frame, const Deliver& deliver);

    AVRational OutputTimeBase() const { return m_filters.SinkTimeBase(); }
    int64_t decodedFrames() const { return m_decodedFrames; }

private:
    void DecodeFrames(const AVPacket* packet, const std::function<void(AVFrame*)>& onFrame);
    void Filter(AVFrame* frame, const Deliver& deliver);
    void FinishFilters(const Deliver& deliver);
    void Drain(const Deliver& deliver);
    std::string SourceArgs(const AVFrame* frame) const;
    bool SameShape(const AVFrame* frame) const;

    CodecContextPtr m_decoder;
    FilterChain m_filters;
    std::string m_filterSpec;
    std::string m_rebuiltSpec;
    bool m_video = false;
    AVRational m_timeBase{1, 1};
    int64_t m_startPts = 0;
    int64_t m_stepTicks = 1;
    // Timestamps past this (relative, in the stream's time base) cannot be believed; none
    // where the input's length is not known.
    int64_t m_endLimit = AV_NOPTS_VALUE;
    // A leap further than this cannot be believed either; none where m_endLimit bounds it.
    int64_t m_maxLeap = AV_NOPTS_VALUE;
    // The stream's timestamps as a whole cannot be believed: frames are counted instead.
    bool m_countFrames = false;
    int64_t m_lastPts = AV_NOPTS_VALUE;
    int64_t m_lastStep = 0;
    int64_t m_decodedFrames = 0;
    bool m_ended = false;
    // The shape the filters were built for.
    int m_width = 0;
    int m_height = 0;
    int m_format = -1;
    int m_sampleRate = 0;
    AVChannelLayout m_layout{};
    FramePtr m_scratch;
};
