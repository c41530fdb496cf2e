#pragma once
// A chain of libavfilter filters between one buffer source and one buffer sink.

#include <string>

#include "ffmpeg_ptr.h"

class FilterChain {
public:
    // sourceArgs are the arguments of "buffer" or "abuffer"; chain the filters between them.
    bool Build(bool video, const std::string& sourceArgs, const std::string& chain);
    bool built() const { return m_graph != nullptr; }
    void Reset();

    int Push(AVFrame* frame);
    // Ends the input at endPts (the end of the last frame, so the frame rate filter keeps it);
    // the sink then gives what the filters still hold.
    int Close(int64_t endPts);
    // 0 with a frame, AVERROR(EAGAIN) for more input, AVERROR_EOF after the close.
    int Pull(AVFrame* frame);
    AVRational SinkTimeBase() const;

private:
    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr; // owned by the graph
    AVFilterContext* m_sink = nullptr;
};
