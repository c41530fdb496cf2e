#pragma once
// One clock for every stream of an input, as the packets come off the file.
//
// MPEG program and transport streams may start their timestamps again part way through: two
// files joined end to end, a new VOB cell, a broadcast capture across a reset. Such a jump is a
// discontinuity, not a gap or an overlap: the later part continues right after what came
// before, for picture and sound alike, so that nothing is dropped as "already shown" and no
// minutes of frozen picture are invented. Other containers carry real gaps (a frozen picture,
// a slideshow, a hole in the sound), so their timestamps are trusted here; the decode chains
// catch the absurd ones.

#include <cstdint>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

class SourceClock {
public:
    explicit SourceClock(const AVFormatContext* input);

    // Moves the packet onto the continuous clock. Call for every packet, in file order.
    void Mend(AVPacket* packet, const AVStream* stream);

    bool discontinuous() const { return m_discontinuous; }
    // Microseconds added to the file's own timestamps so far.
    int64_t offsetUs() const { return m_offsetUs; }

    // A step back further than this, or forward further than the other, starts a new part.
    static constexpr int64_t kBackwardLimitUs = 100'000;
    static constexpr int64_t kForwardLimitUs = 10'000'000;

private:
    bool m_discontinuous = false;
    int64_t m_offsetUs = 0;
    std::vector<int64_t> m_nextUs; // per stream: where its next packet is expected
};
