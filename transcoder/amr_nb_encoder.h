#pragma once
// AMR narrow-band audio through libopencore-amrnb: 8000 Hz mono 16-bit input in frames of 160
// samples, one storage frame (with its header byte) per packet.

#include <deque>

#include "packet_encoder.h"

class AmrNbEncoder final : public PacketEncoder {
public:
    static constexpr int kSampleRate = 8000;
    static constexpr int kFrameSamples = 160;
    // The eight modes in bits per second, lowest first.
    static constexpr int kModeBitRates[8] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};

    // The mode nearest the asked bitrate.
    static int NearestModeBitRate(int bitsPerSecond);

    explicit AmrNbEncoder(int bitsPerSecond);
    ~AmrNbEncoder() override;
    AmrNbEncoder(const AmrNbEncoder&) = delete;
    AmrNbEncoder& operator=(const AmrNbEncoder&) = delete;

    bool ok() const { return m_state != nullptr; }

    int SendFrame(const AVFrame* frame) override;
    int ReceivePacket(AVPacket* packet) override;
    AVRational TimeBase() const override { return {1, kSampleRate}; }
    int FillParameters(AVCodecParameters* parameters) const override;
    int FixedFrameSize() const override { return kFrameSamples; }

private:
    void EncodeOne(const int16_t* samples, int64_t pts);

    void* m_state = nullptr;
    int m_mode = 7;
    int m_bitRate = 12200;
    int64_t m_nextPts = 0;
    bool m_ptsKnown = false;
    bool m_flushing = false;
    std::deque<PacketPtr> m_ready;
};
