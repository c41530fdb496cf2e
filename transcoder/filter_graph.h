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

    // A null frame closes the source; the sink then gives what the filters still hold.
    int Push(AVFrame* frame);
    // 0 with a frame, AVERROR(EAGAIN) for more input, AVERROR_EOF after the close.
    int Pull(AVFrame* frame);
    AVRational SinkTimeBase() const;

private:
    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr; // owned by the graph
    AVFilterContext* m_sink = nullptr;
};
