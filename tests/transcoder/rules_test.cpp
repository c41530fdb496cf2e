// The converter's pure rules: the argument dialect, the nearest values a codec takes, and the
// exact texts of the report's lines.

#include <gtest/gtest.h>

#include "arguments.h"
#include "codec_rules.h"
#include "console_report.h"
#include "encoder/command_line.h"

namespace {

ParsedArguments Parse(const std::string& commandLine) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    args.erase(args.begin());
    return ParseArguments(args);
}

TEST(Arguments, TheJobLineOfTheIpodExampleIsReadCompletely) {
    const ParsedArguments parsed = Parse(
        R"~("/app/zorir3e.exe" -@ -y  -i "/in/clip.avi" -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 320x180 -padtop 30 -padbottom 30 "/out/clip.mp4")~");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const TranscodeOptions& o = parsed.options;
    EXPECT_TRUE(o.quietBanner);
    EXPECT_TRUE(o.overwrite);
    EXPECT_EQ(o.inputPath, "/in/clip.avi");
    EXPECT_FALSE(o.tolerantInput);
    EXPECT_EQ(o.outputPath, "/out/clip.mp4");
    EXPECT_EQ(o.videoCodec, "mpeg4");
    EXPECT_EQ(o.audioCodec, "mpeg4aac");
    EXPECT_EQ(o.videoBitrateKbps, 512);
    EXPECT_EQ(o.audioBitrateKbps, 64);
    EXPECT_EQ(o.sampleRateHz, 44100);
    EXPECT_EQ(o.channels, 2);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 180);
    EXPECT_EQ(o.padTop, 30);
    EXPECT_EQ(o.padBottom, 30);
    EXPECT_FALSE(o.frameRate.has_value());
}

TEST(Arguments, QuirksOfTheFragments) {
    struct Case {
        const char* line;
        void (*check)(const TranscodeOptions&);
    };
    const Case cases[] = {
        {R"~(x -i "DS:\\/in/a b.rm" "/out/a.mp4")~",
         [](const TranscodeOptions& o) {
             EXPECT_TRUE(o.tolerantInput);
             EXPECT_EQ(o.inputPath, "/in/a b.rm");
         }},
        {R"~(x -@ -y  -f qt -i "/in/a.mov" -f 3gp "/out/a.3g2")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.inputFormat, "qt");
             EXPECT_EQ(o.outputFormat, "3gp");
         }},
        {R"~(x -i "/a" -b "" -ar "" -ab "48" "/o.3gp")~",
         [](const TranscodeOptions& o) {
             EXPECT_FALSE(o.videoBitrateKbps.has_value());
             EXPECT_FALSE(o.sampleRateHz.has_value());
             EXPECT_EQ(o.audioBitrateKbps, 48);
         }},
        {R"~(x -i "/a" -ar "8000 " -ac "1 (mono)" -b "384 " "/o.3gp")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.sampleRateHz, 8000);
             EXPECT_EQ(o.channels, 1);
             EXPECT_EQ(o.videoBitrateKbps, 384);
         }},
        {R"~(x -i "/a" -r "29.97"  "/o.mp4")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.frameRate, (Rational{30000, 1001}));
         }},
        {R"~(x -i "/a" -r "14.985"  "/o.mp4")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.frameRate, (Rational{15000, 1001}));
         }},
        {R"~(x -i "/a" -r "23.975"  "/o.mp4")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.frameRate, (Rational{24000, 1001}));
         }},
        {R"~(x -i "/a" -r "15.0"  "/o.mp4")~",
         [](const TranscodeOptions& o) {
             EXPECT_EQ(o.frameRate, (Rational{15, 1}));
         }},
        {R"~(x -i "/a" -aspect "16:9"  -acodec "pcm_s16le" -vn -s 400x300 "/o.wav")~",
         [](const TranscodeOptions& o) {
             ASSERT_TRUE(o.aspect.has_value());
             EXPECT_DOUBLE_EQ(double(o.aspect->num) / o.aspect->den, 16.0 / 9.0);
             EXPECT_TRUE(o.noVideo);
         }},
        {R"~(x -i "/a" -ac "2 (stereo)" -an  -vol_factor "100" -id3v1 -id3v2 "/o")~",
         [](const TranscodeOptions& o) {
             EXPECT_TRUE(o.noAudio);
             EXPECT_EQ(o.volumeLevel, 100);
             EXPECT_TRUE(o.id3v1 && o.id3v2);
         }},
        {R"~(x -@ -y  -i "/in/a.avi")~",
         [](const TranscodeOptions& o) { EXPECT_TRUE(o.outputPath.empty()); }},
    };
    for (const Case& c : cases) {
        const ParsedArguments parsed = Parse(c.line);
        ASSERT_TRUE(parsed.ok()) << c.line << ": " << parsed.error;
        c.check(parsed.options);
    }
}

TEST(Arguments, WhatCannotBeUnderstoodFailsWithAFailureWord) {
    for (const char* line :
         {R"(x -i "/a" -frobnicate "/o")", R"(x -i "/a" -s 320by240 "/o")",
          R"(x -i "/a" -ar "fast" "/o")", R"(x -i "/a" -r "abc" "/o")", R"(x "/o")",
          R"(x -i "/a" "/o" "/p")", R"(x -i "/a" -b)", R"~(x -i "/a" -padtop 3 "/o")~",
          R"(x -i "/a" -ab "3000000" "/o")", R"(x -i "/a" -bt "3000000" "/o")"}) {
        const ParsedArguments parsed = Parse(line);
        EXPECT_FALSE(parsed.ok()) << line;
        const bool worded = parsed.error.find("failed") != std::string::npos ||
                            parsed.error.find("Unexpected") != std::string::npos;
        EXPECT_TRUE(worded) << parsed.error;
    }
}

TEST(Arguments, VolumeGainsKeepTheLabelTrue) {
    const std::pair<int, double> cases[] = {{0, 0.0},  {2, 0.2},  {5, 0.4},  {30, 0.6},
                                            {50, 1.0}, {80, 1.6}, {100, 2.0}};
    for (const auto& [level, gain] : cases) {
        EXPECT_DOUBLE_EQ(VolumeGainForLevel(level), gain) << level;
    }
}

TEST(CodecRules, ContainersAndNearestValues) {
    EXPECT_EQ(MuxerFor("", "/o/a.MP4"), "mp4");
    EXPECT_EQ(MuxerFor("", "/o/a.m4a"), "ipod");
    EXPECT_EQ(MuxerFor("3gp", "/o/a.3g2"), "3gp");
    EXPECT_EQ(MuxerFor("qt", "/o/a.mov"), "mov");
    EXPECT_EQ(MuxerFor("", "/o.d/a"), "");
    EXPECT_EQ(NearestSampleRate(AudioKind::Aac, 54000), 48000);
    EXPECT_EQ(NearestSampleRate(AudioKind::Aac, 44100), 44100);
    EXPECT_EQ(NearestSampleRate(AudioKind::Mp3, 96000), 48000);
    EXPECT_EQ(NearestSampleRate(AudioKind::AmrNb, 44100), 8000);
    EXPECT_EQ(NearestSampleRate(AudioKind::Pcm16, 54000), 54000);
    EXPECT_EQ(NearestChannelCount(AudioKind::AmrNb, 2), 1);
    EXPECT_EQ(NearestChannelCount(AudioKind::Mp3, 6), 2);
    EXPECT_TRUE(IsH263FrameSize(176, 144));
    EXPECT_FALSE(IsH263FrameSize(320, 240));
    EXPECT_EQ(VideoEncoderFor("xvid"), "libxvid");
    EXPECT_EQ(VideoEncoderFor("mpeg4_qt"), "mpeg4");
    EXPECT_EQ(VideoEncoderFor("MPEG4"), "");
}

TEST(ReportTexts, LinesInTheLayoutTheParsersRead) {
    EXPECT_EQ(FormatDurationLine(83'404'000, 0, 1'205'000),
              "  Duration: 00:01:23.40, start: 0.000000, bitrate: 1205 kb/s");
    EXPECT_EQ(FormatDurationLine(-1, 0, 0), "  Duration: N/A, start: 0.000000, bitrate: N/A");
    EXPECT_EQ(FormatDurationLine(3'600'000'000LL + 59'996'000, 1'400'000, 0),
              "  Duration: 01:01:00.00, start: 1.400000, bitrate: N/A");
    EXPECT_EQ(FormatVideoStreamLine(0, "mpeg4", 640, 480, 25.0, 'r'),
              "    Stream #0.0: Video: mpeg4, 640x480, 25.00 fps(r)");
    EXPECT_EQ(FormatVideoStreamLine(1, "h264", 320, 240, 30000.0 / 1001, 'c'),
              "    Stream #0.1: Video: h264, 320x240, 29.97 fps(c)");
    EXPECT_EQ(FormatAudioStreamLine(1, "aac", 44100, 2, 128'000),
              "    Stream #0.1: Audio: aac, 44100 Hz, stereo, 128 kb/s");
    EXPECT_EQ(FormatAudioStreamLine(0, "pcm_s16le", 8000, 6, 0),
              "    Stream #0.0: Audio: pcm_s16le, 8000 Hz, 6 channels");
}

TEST(ReportTexts, ProgressFitsTheMonitorsWindows) {
    ProgressFigures video{true, 1234, 3.5, 1'048'576, 49.876};
    EXPECT_EQ(FormatProgress(video),
              "frame=1234 q=3.5 size=1024kB time=49.88 bitrate=168.2kbits/s");
    ProgressFigures audio{false, 0, 0, 2048, 0};
    EXPECT_EQ(FormatProgress(audio), "size=2kB time=0.00 bitrate=0.0kbits/s");
}

} // namespace
