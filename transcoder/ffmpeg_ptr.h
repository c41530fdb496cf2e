#pragma once
// Owning handles for the FFmpeg objects the converter creates, freed by their own functions.

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
struct InputContextDeleter {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;

inline FramePtr MakeFrame() {
    return FramePtr(av_frame_alloc());
}
inline PacketPtr MakePacket() {
    return PacketPtr(av_packet_alloc());
}

// An AVDictionary for options, freed when it goes out of scope. FFmpeg takes and gives back
// ownership through the address, so the raw pointer is kept in the open.
struct OptionDictionary {
    AVDictionary* dict = nullptr;
    OptionDictionary() = default;
    OptionDictionary(const OptionDictionary&) = delete;
    OptionDictionary& operator=(const OptionDictionary&) = delete;
    ~OptionDictionary() { av_dict_free(&dict); }
    void Set(const char* key, const char* value) { av_dict_set(&dict, key, value, 0); }
};
