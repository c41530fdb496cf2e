// Whole and in sync: sources with frozen pictures, slow slideshows, joined program streams,
// holes in the sound, broken sample tables, wide pixels and irregular frame times come out at
// their full length, picture and sound ending together, at the shape they are displayed.

#include <cmath>
#include <regex>

#include <gtest/gtest.h>

#include "fixtures.h"

namespace {

const char* kMp4 =
    R"~( -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -r 25)~";
constexpr double kFrame = 1.0 / 25;

double StreamSeconds(const ProbeSection* stream) {
    if (stream == nullptr || stream->count("duration") == 0) {
        return -1;
    }
    return std::strtod(stream->at("duration").c_str(), nullptr);
}

int StreamInt(const ProbeSection* stream, const std::string& key) {
    return stream == nullptr || stream->count(key) == 0 ? -1 : std::atoi(stream->at(key).c_str());
}

struct Converted {
    RunResult run;
    ProbeInfo info;
    double video = -1;
    double audio = -1;
};

Converted Convert(const std::filesystem::path& source, const std::string& name) {
    Converted c;
    const auto output = SharedFixtures().outFolder / ("timing-" + name + ".mp4");
    c.run = RunProgram(JobArguments(source.string(), kMp4, output.string()));
    c.info = Probe(output);
    c.video = StreamSeconds(c.info.Stream("video"));
    c.audio = StreamSeconds(c.info.Stream("audio"));
    return c;
}

TEST(Timing, EverySecondOfPictureAndSoundIsKeptInSync) {
    const TimingSources& t = SharedTimingSources();
    struct Case {
        const char* name;
        std::filesystem::path source;
        double seconds;
        bool sound;
        int width;
        int height;
    };
    const Case cases[] = {
        {"frozen picture", t.freeze, 5.0, true, 160, 120},
        {"slideshow", t.slideshow, 9.0, false, 160, 120},
        {"program stream", t.half, 3.0, true, 160, 120},
        {"joined program streams", t.joined, 6.0, true, 160, 120},
        {"program streams joined with a leap forward", t.leapt, 6.0, true, 160, 120},
        {"timestamp wrap", t.wrap, 5.0, true, 160, 120},
        {"hole in the sound", t.hole, 5.0, true, 160, 120},
        {"every sample delta broken", t.everyDeltaBroken, 5.0, true, 176, 144},
        {"wide PAL DVD", t.wide, 2.0, true, 1024, 576},
        {"standard PAL DVD", t.standard, 2.0, true, 768, 576},
        {"variable frame rate", t.variable, 5.0, true, 160, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Converted out = Convert(c.source, c.name);
        ASSERT_EQ(out.run.exitCode, 0) << out.run.output;
        EXPECT_FALSE(HasFailureWord(out.run.output)) << out.run.output;
        EXPECT_NEAR(out.video, c.seconds, 0.1);
        const ProbeSection* video = out.info.Stream("video");
        EXPECT_EQ(StreamInt(video, "width"), c.width);
        EXPECT_EQ(StreamInt(video, "height"), c.height);
        // Square pixels: the picture is shown at the size it is stored.
        ASSERT_NE(video, nullptr);
        const std::string sar = video->count("sample_aspect_ratio") != 0
                                    ? video->at("sample_aspect_ratio")
                                    : std::string("1:1");
        EXPECT_TRUE(sar == "1:1" || sar == "N/A" || sar == "0:1") << sar;
        if (c.sound) {
            EXPECT_NEAR(out.audio, c.seconds, 0.1);
            EXPECT_LE(std::abs(out.video - out.audio), kFrame + 0.01)
                << "video " << out.video << " s, audio " << out.audio << " s";
        } else {
            EXPECT_EQ(out.info.Stream("audio"), nullptr);
        }
    }
}

TEST(Timing, JoinedProgramStreamsLastTwiceAsLongAsOneHalf) {
    const TimingSources& t = SharedTimingSources();
    const Converted half = Convert(t.half, "half-only");
    const Converted joined = Convert(t.joined, "joined-only");
    ASSERT_EQ(joined.run.exitCode, 0) << joined.run.output;
    EXPECT_NEAR(joined.video, 2 * half.video, 0.1);
    EXPECT_NEAR(joined.audio, 2 * half.audio, 0.1);
}

// The probe's video line gives the size the picture is displayed at, so the main program's
// letterbox and "Original Video Size" follow the picture's real shape.
TEST(Timing, ProbeGivesTheDisplayedFrameSize) {
    const TimingSources& t = SharedTimingSources();
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {t.wide, "1024x576"}, {t.standard, "768x576"}, {t.half, "160x120"}};
    for (const auto& [source, size] : cases) {
        const RunResult run = RunProgram({EncoderPath(), "-@", "-y", "-i", source.string()});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(std::regex_search(run.output,
                                      std::regex("Video: mpeg2video, " + size + ", 25\\.00 fps")))
            << run.output;
    }
}

// With -s the picture is scaled to the size asked for, which the main program computed from
// the displayed shape, and the bars are added around it.
TEST(Timing, WidePixelsScaledIntoBarsKeepTheirShape) {
    const TimingSources& t = SharedTimingSources();
    const auto output = SharedFixtures().outFolder / "timing-letterbox.mp4";
    const RunResult run = RunProgram(
        JobArguments(t.wide.string(), std::string(kMp4) + " -s 320x180 -padtop 30 -padbottom 30",
                     output.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const ProbeInfo info = Probe(output);
    const ProbeSection* video = info.Stream("video");
    EXPECT_EQ(StreamInt(video, "width"), 320);
    EXPECT_EQ(StreamInt(video, "height"), 240);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->at("display_aspect_ratio"), "4:3");
}

} // namespace
