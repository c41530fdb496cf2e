#pragma once

// The transcodes on which our encoder is set against the ffmpeg CLI: for each, our command
// line as the output profile writes it, and the CLI options that make the CLI do the same
// work (same codecs, encoder settings, filters, sizes, bitrates, rates and channels), so that
// a difference in time is a difference in how the work is done and not in what is done.

#include <string>
#include <vector>

struct BenchSources {
    std::string standard; // 640x480, 25 fps, H.264 + AAC 44.1 kHz stereo
    std::string wide;     // the same at 640x360 (16:9), for the letterbox case
    std::string longer;   // the standard source, many minutes long; empty: no long line
};

// Where the picture lies in the coded frame (inside the letterbox bars).
struct PictureArea {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

struct TranscodePair {
    std::string name;
    std::string source;
    std::string extension;
    std::vector<std::string> ours; // after "-i <source>", before the output path
    std::vector<std::string> cli;  // the same, for the ffmpeg CLI
    PictureArea picture;           // width 0: no picture (audio only)
    std::string note;              // what differs on purpose, shown beside the figures
    bool otherAudioCodec = false;  // the CLI codes the sound with a stand-in codec
    // The CLI options (after "-i <source>") that do everything but the audio encoding; set
    // where the audio encoder is single-threaded and its share of the time is the limit.
    std::vector<std::string> cliWithoutEncoding;
    bool isLong = false;
};

std::vector<TranscodePair> TranscodePairs(const BenchSources& sources);
