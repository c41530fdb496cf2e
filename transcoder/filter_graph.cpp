#include "filter_graph.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace {
struct InOutDeleter {
    void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutDeleter>;
} // namespace

void FilterChain::Reset() {
    m_graph.reset();
    m_source = nullptr;
    m_sink = nullptr;
}

bool FilterChain::Build(bool video, const std::string& sourceArgs, const std::string& chain) {
    Reset();
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph) {
        return false;
    }
    // Picture filters are sliced across every core (the scaler takes its thread count from the
    // graph), as the reading thread that feeds them would otherwise wait on them alone. Sound
    // filters gain nothing from slices.
    graph->nb_threads = video ? 0 : 1;
    const AVFilter* source = avfilter_get_by_name(video ? "buffer" : "abuffer");
    const AVFilter* sink = avfilter_get_by_name(video ? "buffersink" : "abuffersink");
    AVFilterContext* sourceContext = nullptr;
    AVFilterContext* sinkContext = nullptr;
    if (source == nullptr || sink == nullptr ||
        avfilter_graph_create_filter(&sourceContext, source, "in", sourceArgs.c_str(), nullptr,
                                     graph.get()) < 0 ||
        avfilter_graph_create_filter(&sinkContext, sink, "out", nullptr, nullptr, graph.get()) <
            0) {
        return false;
    }
    InOutPtr outputs(avfilter_inout_alloc());
    InOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs) {
        return false;
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = sourceContext;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sinkContext;
    AVFilterInOut* outputsRaw = outputs.release();
    AVFilterInOut* inputsRaw = inputs.release();
    const int parsed =
        avfilter_graph_parse_ptr(graph.get(), chain.c_str(), &inputsRaw, &outputsRaw, nullptr);
    avfilter_inout_free(&inputsRaw);
    avfilter_inout_free(&outputsRaw);
    if (parsed < 0 || avfilter_graph_config(graph.get(), nullptr) < 0) {
        return false;
    }
    m_graph = std::move(graph);
    m_source = sourceContext;
    m_sink = sinkContext;
    return true;
}

int FilterChain::Push(AVFrame* frame) {
    if (m_source == nullptr) {
        return AVERROR(EINVAL);
    }
    return av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int FilterChain::Close(int64_t endPts) {
    if (m_source == nullptr) {
        return AVERROR(EINVAL);
    }
    return av_buffersrc_close(m_source, endPts, 0);
}

int FilterChain::Pull(AVFrame* frame) {
    if (m_sink == nullptr) {
        return AVERROR_EOF;
    }
    return av_buffersink_get_frame(m_sink, frame);
}

AVRational FilterChain::SinkTimeBase() const {
    return m_sink != nullptr ? av_buffersink_get_time_base(m_sink) : AVRational{1, 1};
}
