#pragma once
// Opening the input by one of two routes, and describing it in the report's layout.
// The plain route is FFmpeg's ordinary open. The tolerant route (the "DS:\\" prefix, the main
// program's second chance) probes further, generates missing timestamps, drops corrupt
// packets, and when nothing is recognised at the start of the file looks for a stream that
// begins later (a damaged or junk lead-in).

#include <string>

#include "arguments.h"
#include "console_report.h"
#include "ffmpeg_ptr.h"

struct OpenedInput {
    InputContextPtr context;
    std::string failureLine; // the report's first line when the input could not be opened
};

OpenedInput OpenInput(const TranscodeOptions& options, const AVIOInterruptCB& interrupt);

// Streams the converter can use: audio and video, not cover pictures, with known parameters.
bool IsUsableVideoStream(const AVStream* stream);
bool IsUsableAudioStream(const AVStream* stream);

// The width the picture is displayed at: the stored width times the pixel aspect, made even
// (a PAL DVD's 720x576 at 64:45 shows 1024 wide). Square or unknown pixels: the stored width.
int DisplayedWidth(const AVFormatContext* input, const AVStream* stream);

// "Input #0, <format>, from '<path>':", the duration line and one line per stream.
void DescribeInput(const AVFormatContext* input, const std::string& path, ConsoleReport& report);
