#pragma once
// One interface for the encoders the converter drives: FFmpeg's own (through an
// AVCodecContext) and the AMR narrow-band encoder, which Debian's FFmpeg lacks.

#include "ffmpeg_ptr.h"

class PacketEncoder {
public:
    virtual ~PacketEncoder() = default;
    // A null frame starts the flush. Same return codes as avcodec_send_frame.
    virtual int SendFrame(const AVFrame* frame) = 0;
    // 0, AVERROR(EAGAIN) when more input is needed, AVERROR_EOF when flushed.
    virtual int ReceivePacket(AVPacket* packet) = 0;
    virtual AVRational TimeBase() const = 0;
    virtual int FillParameters(AVCodecParameters* parameters) const = 0;
    // Samples per audio frame the encoder insists on; 0 when any count is taken.
    virtual int FixedFrameSize() const = 0;
};

class LibavEncoder final : public PacketEncoder {
public:
    explicit LibavEncoder(CodecContextPtr context) : m_context(std::move(context)) {}

    int SendFrame(const AVFrame* frame) override {
        return avcodec_send_frame(m_context.get(), frame);
    }
    int ReceivePacket(AVPacket* packet) override {
        return avcodec_receive_packet(m_context.get(), packet);
    }
    AVRational TimeBase() const override { return m_context->time_base; }
    int FillParameters(AVCodecParameters* parameters) const override {
        return avcodec_parameters_from_context(parameters, m_context.get());
    }
    int FixedFrameSize() const override {
        const bool anySize = m_context->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
        return anySize ? 0 : m_context->frame_size;
    }

private:
    CodecContextPtr m_context;
};
