#pragma once
// Setting up the output: container, encoders, output streams and the filter chains that bring
// the decoded frames into each encoder's format. Nothing is written to disk here.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "packet_encoder.h"

struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const;
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

struct StreamOutput {
    int inputIndex = -1;
    int outputIndex = -1;
    std::unique_ptr<PacketEncoder> encoder;
    // The filters between decoder and encoder. The first chain starts the stream at the
    // input's start, filling a late start with the first picture or with silence; a chain
    // rebuilt midway (the source changed its frame size) continues where the last one ended.
    std::string filterSpec;
    std::string rebuiltFilterSpec;
    std::string codecName; // for the report
    int64_t bitRate = 0;
    // Video
    int width = 0;
    int height = 0;
    AVRational frameRate{0, 1};
    // Audio
    int sampleRate = 0;
    int channels = 0;
};

struct OutputSetup {
    OutputContextPtr context;
    std::string muxer;
    std::optional<StreamOutput> video;
    std::optional<StreamOutput> audio;
    std::vector<std::string> notes; // honest lines about values changed to fit the codec
    std::string failureLine;        // set when the output cannot be set up
};

OutputSetup SetUpOutput(const TranscodeOptions& options, const AVFormatContext* input,
                        const AVIOInterruptCB& interrupt);

// The frame rate of a source for the output when -r is not given.
AVRational OutputFrameRate(const AVFormatContext* input, const AVStream* stream);
