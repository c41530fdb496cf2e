#pragma once
// Test helpers: an encoder report as the encoder prints it, cut into chunks the way the runner
// reads the pipe, split into lines, fed to the monitor, and the row it would show.

#include "encoder/output_lines.h"
#include "engine/progress_monitor.h"

#include <string>
#include <vector>

// A full pipe read 255 bytes at a time.
inline std::vector<std::string> CutIntoChunks(const std::string& text, std::size_t size = 255) {
    std::vector<std::string> chunks;
    for (std::size_t pos = 0; pos < text.size(); pos += size) {
        chunks.push_back(text.substr(pos, size));
    }
    return chunks;
}

// What the row, the status bar and the shared frame text show after the updates.
struct ShownRow {
    std::string progress;
    std::string frames;
    std::string duration;
    std::string sizePanel;
    std::string lastFrameText = "2";
    int bar = 0;
    std::vector<std::string> progressHistory;

    void Apply(const std::vector<MonitorUpdate>& updates) {
        using Target = MonitorUpdate::Target;
        for (const MonitorUpdate& update : updates) {
            switch (update.target) {
            case Target::FramesColumn:
                frames = update.text;
                break;
            case Target::LastFrameText:
                lastFrameText = update.text;
                break;
            case Target::SizePanel:
                sizePanel = update.text;
                break;
            case Target::DurationColumn:
                duration = update.text;
                break;
            case Target::ProgressBar:
                bar = update.barValue;
                break;
            case Target::ProgressColumn:
                progress = update.text;
                progressHistory.push_back(update.text);
                break;
            }
        }
    }
};

struct FeedResult {
    ReadingEndCause cause = ReadingEndCause::None;
    std::size_t chunksRead = 0;
};

// Feeds chunks until the monitor ends the reading or the report runs out.
inline FeedResult FeedChunks(ProgressMonitor& monitor, const std::vector<std::string>& chunks,
                             ShownRow& row) {
    FeedResult result;
    for (const std::string& chunk : chunks) {
        ++result.chunksRead;
        const ChunkOutcome outcome = monitor.FeedChunk(SplitChunkIntoLines(chunk));
        row.Apply(outcome.updates);
        if (outcome.decision != ReadDecision::KeepReading) {
            result.cause = outcome.cause;
            break;
        }
    }
    return result;
}

// The header the encoder prints before converting, with its stream lines.
inline std::string ReportHeader(const std::string& source, const std::string& output,
                                const std::string& duration = "00:00:05.00") {
    return "Input #0, avi, from '" + source + "':\r\n" + "  Duration: " + duration +
           ", start: 0.000000, bitrate: 1205 kb/s\r\n" +
           "    Stream #0.0: Video: mpeg4, 320x240, 25.00 fps(r)\r\n" +
           "    Stream #0.1: Audio: mp3, 44100 Hz, stereo, 128 kb/s\r\n" + "Output #0, mp4, to '" +
           output + "':\r\n" + "    Stream #0.0: Video: mpeg4, 320x240, 25.00 fps(r)\r\n" +
           "    Stream #0.1: Audio: mpeg4aac, 44100 Hz, stereo, 128 kb/s\r\n";
}

// One progress report ending in a lone CR, as encoders that put several on one line write it.
inline std::string ProgressReport(int frame, int sizeKb, const std::string& time) {
    return "frame=" + std::to_string(frame) + " q=2.0 size=" + std::to_string(sizeKb) +
           "kB time=" + time + " bitrate=983.0kbits/s\r";
}
