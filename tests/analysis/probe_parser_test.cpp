#include "analysis/analysis_texts.h"
#include "analysis/probe_parser.h"

#include "encoder/command_line.h"
#include "encoder/output_lines.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const std::string kHeader = "Input #0, avi, from 'clip.avi':";
const std::string kDuration = "  Duration: 00:01:23.4, start: 0.000000, bitrate: 1205 kb/s";
const std::string kVideo = "    Stream #0.0: Video: mpeg4, 640x480, 25.00 fps(r)";
const std::string kAudio = "    Stream #0.1: Audio: mp3, 44100 Hz, stereo, s16, 128 kb/s";

TEST(ProbeCommandLine, NamesTheBareEncoderAndSplitsBackToThePath) {
    EXPECT_EQ(ProbeCommandLine("/media/Clips/Party.avi", false),
              "\"zorir3e.exe\" -@ -y  -i \"/media/Clips/Party.avi\"");
    EXPECT_EQ(ProbeCommandLine("/media/Clips/Party.avi", true),
              "\"zorir3e.exe\" -@ -y  -i \"DS:\\\\/media/Clips/Party.avi\"");

    for (const std::string path : {" /tmp/blank around .avi ", "/tmp/say \"hi\".avi",
                                   "/tmp/back\\slash\\", "/tmp/$(x);y.avi"}) {
        for (const bool directShow : {false, true}) {
            const auto args = SplitCommandLine(ProbeCommandLine(path, directShow));
            const Lines expected = {"zorir3e.exe", "-@", "-y", "-i",
                                    (directShow ? "DS:\\\\" : "") + path};
            EXPECT_EQ(args, expected) << path;
        }
    }
}

TEST(ProbeOutputRejected, OnlyAFirstLineWithTheInputHeaderIsAccepted) {
    const struct {
        Lines lines;
        bool rejected;
    } cases[] = {
        {{}, false},
        {{kHeader, "Unknown format"}, false},
        {{"Input #0,"}, false},
        {{"Unknown format"}, true},
        {{"Input #0"}, true},
        {{""}, true},
        {{"input #0, avi"}, true},
        {{" Input #0, avi"}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProbeOutputRejected(c.lines), c.rejected) << testing::PrintToString(c.lines);
    }
}

TEST(ParseProbeOutput, EdgeCases) {
    const struct {
        const char* name;
        Lines lines;
        ProbeResult expected;
    } cases[] = {
        {"video file", {kHeader, kDuration, kVideo, kAudio}, {"640 x 480", "25", "00:01:23"}},
        {"no output", {}, {"0 x 0", "0", ""}},
        {"audio only",
         {kHeader, "  Duration: 00:03:07.12, bitrate: 128 kb/s", kAudio},
         {"0 x 0", "0", "00:03:07"}},
        {"N/A stops before the video line",
         {kHeader, "  Duration: N/A, bitrate: N/A", kVideo, "  Duration: 00:00:05.0,"},
         {"0 x 0", "0", "00:00:00"}},
        {"N/A after the video line keeps it",
         {kHeader, kVideo, "  Duration: N/A, bitrate: N/A"},
         {"640 x 480", "25", "00:00:00"}},
        {"the last video line decides",
         {kHeader, kVideo, "    Stream #0.1: Video: h263, 176x144, 29.97 fps(r)"},
         {"176 x 144", "29.97", ""}},
        {"the last duration line decides",
         {kDuration, "  Duration: 01:02:03.99, start: 0"},
         {"0 x 0", "0", "01:02:03"}},
        {"no x in the size field",
         {"Stream #0.0: Video: mpeg4, yuv420p, 640x480, 25 fps(r)"},
         {"0 x 0", "640x480, 25", ""}},
        {"nothing before the x", {"Video: mpeg4, x480, 25.00 fps(r)"}, {"0 x 0", "25", ""}},
        {"nothing after the x", {"Video: mpeg4, 640x, 25.00 fps(r)"}, {"0 x 0", "25", ""}},
        {"what follows the height stays",
         {"Video: h264, 720x576 [SAR 16:15 DAR 4:3], 23.98 fps(r)"},
         {"720 x 576 [SAR 16:15 DAR 4:3]", "23.98", ""}},
        {"no fps", {"Video: mpeg4, 640x480, 25 tbr"}, {"640 x 480", "", ""}},
        {"15.0 keeps its fraction",
         {"Video: mpeg4, 320x240, 15.0 fps(r)"},
         {"320 x 240", "15.0", ""}},
        {"no point, leading 00", {"Video: mpeg4, 320x240, 0012 fps(r)"}, {"320 x 240", "", ""}},
        {"fps right after the comma", {"Video: mpeg4, 320x240, fps"}, {"320 x 240", "", ""}},
        {"no comma at all", {"Video: rawvideo"}, {"0 x 0", "", ""}},
        {"only the codec comma", {"Video: mpeg4, 640x480"}, {"0 x 0", "", ""}},
        {"nothing after the marker", {"Video:"}, {"0 x 0", "", ""}},
        {"short duration", {"Duration: 0"}, {"0 x 0", "0", "0::"}},
        {"case matters",
         {"duration: 00:00:01.0", "video: mpeg4, 640x480, 25 fps"},
         {"0 x 0", "0", ""}},
    };
    for (const auto& c : cases) {
        const ProbeResult result = ParseProbeOutput(c.lines);
        EXPECT_EQ(result.frameSizeText, c.expected.frameSizeText) << c.name;
        EXPECT_EQ(result.frameRateText, c.expected.frameRateText) << c.name;
        EXPECT_EQ(result.durationText, c.expected.durationText) << c.name;
    }
}

TEST(ParseProbeOutput, LinesSplitAcrossChunksAreReadOnlyAsFarAsTheirFirstPart) {
    // The probe appends each chunk as new lines; a line cut by a chunk end is not joined.
    LineBuffer log;
    log.AppendChunk(kHeader + "\r\n  Duration: 00:01:2");
    log.AppendChunk("3.4, start: 0\r\n    Stream #0.0: Vid");
    log.AppendChunk("eo: mpeg4, 640x480, 25.00 fps(r)\r\n");
    EXPECT_FALSE(ProbeOutputRejected(log.Lines()));
    ProbeResult result = ParseProbeOutput(log.Lines());
    EXPECT_EQ(result.durationText, "00:01:2");
    EXPECT_EQ(result.frameSizeText, "0 x 0");
    EXPECT_EQ(result.frameRateText, "0");

    log.Clear();
    log.AppendChunk(kHeader + "\r\n" + kVideo.substr(0, kVideo.size() - 9));
    log.AppendChunk(kVideo.substr(kVideo.size() - 9));
    result = ParseProbeOutput(log.Lines());
    EXPECT_EQ(result.frameSizeText, "640 x 480");
    EXPECT_EQ(result.frameRateText, "");
}

TEST(AnalysisTexts, FrameRateRoundsTiesToEven) {
    const struct {
        double rate;
        const char* text;
    } cases[] = {{29.97, "30"}, {23.976, "24"}, {12.5, "12"}, {13.5, "14"}, {0, "0"},
                 {25, "25"},    {0.5, "0"},     {1.5, "2"},   {-3, "0"},    {2.4999, "2"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FrameRateText(c.rate), c.text) << c.rate;
    }
    EXPECT_EQ(FrameRateText(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(FrameRateText(std::numeric_limits<double>::infinity()), "0");
}

TEST(AnalysisTexts, DurationSizeAndExtension) {
    EXPECT_EQ(FullDurationText("01:23"), "00:01:23");
    EXPECT_EQ(FullDurationText("01:02:03"), "01:02:03");
    EXPECT_EQ(FullDurationText("100:02:03"), "100:02:03");
    EXPECT_EQ(FullDurationText(""), "");
    EXPECT_EQ(FrameSizeText(640, 480), "640 x 480");
    EXPECT_EQ(FrameSizeText(0, 0), "0 x 0");

    const struct {
        const char* path;
        const char* extension;
    } cases[] = {{"/cd/Track01.CDA", ".cda"},  {"/a.b/track", ""},  {"/music/song.Mp3", ".mp3"},
                 {"/x/archive.tar.GZ", ".gz"}, {"/x/.cda", ".cda"}, {"C:\\music\\a.cda", ".cda"},
                 {"/x/name.cda ", ".cda "}};
    for (const auto& c : cases) {
        EXPECT_EQ(LowerCaseExtension(c.path), c.extension) << c.path;
    }
    EXPECT_TRUE(IsAudioCdTrack("/cd/Track01.cDa"));
    EXPECT_FALSE(IsAudioCdTrack("/cd/Track01.cda.mp3"));
}

} // namespace
