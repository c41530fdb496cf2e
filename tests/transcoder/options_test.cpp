// The options a job line carries beyond the profile's codecs: bars, frame rate, aspect,
// volume and muting, and sources of every kind the fixtures offer.

#include <cstdlib>

#include <gtest/gtest.h>

#include "fixtures.h"

namespace {

std::string Value(const ProbeSection* section, const char* key) {
    if (section == nullptr) {
        return {};
    }
    const auto it = section->find(key);
    return it == section->end() ? std::string() : it->second;
}

// Where the picture sits inside the frame, found by ffmpeg's crop detection: "w:h:x:y".
std::string PictureArea(const std::filesystem::path& file) {
    const RunResult run =
        RunProgram({"ffmpeg", "-hide_banner", "-nostats", "-i", file.string(), "-vf",
                    "cropdetect=limit=24:round=2:reset=0", "-f", "null", "-"});
    const size_t at = run.output.rfind("crop=");
    if (at == std::string::npos) {
        return {};
    }
    const size_t end = run.output.find_first_not_of("0123456789:", at + 5);
    return run.output.substr(at + 5, end - at - 5);
}

constexpr const char* kPlayerAudio =
    R"~( -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)")~";

TEST(Bars, LetterboxAndPillarboxKeepThePictureInsideBlackBars) {
    const Fixtures& f = SharedFixtures();
    struct Case {
        std::filesystem::path source;
        const char* size;
        const char* picture;
        int width;
        int height;
    };
    // 640x360 into 320x240 gets bars above and below; 320x240 into 480x320 gets them beside.
    const Case cases[] = {
        {f.avi, " -s 320x180 -padtop 30 -padbottom 30", "320:180:0:30", 320, 240},
        {f.mkv, " -s 428x320 -padleft 26 -padright 26", "428:320:26:0", 480, 320},
    };
    int n = 0;
    for (const Case& c : cases) {
        const auto output = f.outFolder / ("bars-" + std::to_string(n++) + ".mp4");
        const RunResult run = RunProgram(
            JobArguments(c.source.string(),
                         std::string(R"~( -vcodec "mpeg4"  -b "1200" )~") + kPlayerAudio + c.size,
                         output.string()));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const ProbeInfo info = Probe(output);
        EXPECT_EQ(std::atoi(Value(info.Stream("video"), "width").c_str()), c.width);
        EXPECT_EQ(std::atoi(Value(info.Stream("video"), "height").c_str()), c.height);
        EXPECT_EQ(Value(info.Stream("video"), "sample_aspect_ratio"), "1:1");
        EXPECT_EQ(PictureArea(output), c.picture);
    }
}

TEST(Video, FrameRateAndAspectAreHonoured) {
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / "rate.mp4";
    const RunResult run = RunProgram(
        JobArguments(f.avi.string(),
                     std::string(R"~( -vcodec "mpeg4"  -b "512"  -r "14.985"  -aspect "16:9" )~") +
                         kPlayerAudio + " -s 320x240",
                     output.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const ProbeInfo info = Probe(output);
    EXPECT_EQ(Value(info.Stream("video"), "r_frame_rate"), "15000/1001");
    EXPECT_EQ(Value(info.Stream("video"), "display_aspect_ratio"), "16:9");
    EXPECT_NEAR(info.Duration(), Probe(f.avi).Duration(), 1 / 14.985 + 0.03);
}

TEST(Audio, VolumeLevelsMatchTheSliderLabels) {
    const Fixtures& f = SharedFixtures();
    auto convert = [&](const std::string& name, const std::string& volume) {
        const auto output = f.outFolder / (name + ".mp4");
        const RunResult run = RunProgram(JobArguments(
            f.avi.string(),
            std::string(
                R"~( -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)")~") +
                volume + " -s 320x240",
            output.string()));
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return output;
    };
    const double unchanged = MeanVolumeDb(convert("vol-50", ""));
    const double doubled = MeanVolumeDb(convert("vol-100", R"~( -vol_factor "100")~"));
    const double fifth = MeanVolumeDb(convert("vol-2", R"~( -vol_factor "2")~"));
    const double twoFifths = MeanVolumeDb(convert("vol-5", R"~( -vol_factor "5")~"));
    // 200 % is +6 dB, 20 % is -14 dB, 40 % is -8 dB.
    EXPECT_NEAR(doubled - unchanged, 6.02, 0.5);
    EXPECT_NEAR(fifth - unchanged, -13.98, 0.5);
    EXPECT_NEAR(twoFifths - unchanged, -7.96, 0.5);

    const auto muted = convert("vol-0", R"~( -ac "2 (stereo)" -an )~");
    const ProbeInfo info = Probe(muted);
    EXPECT_NE(info.Stream("video"), nullptr);
    EXPECT_EQ(info.Stream("audio"), nullptr);
}

TEST(Sources, EveryKindOfSourceConverts) {
    const Fixtures& f = SharedFixtures();
    struct Case {
        std::filesystem::path source;
        bool video;
        bool audio;
    };
    const Case cases[] = {
        {f.mkv, true, true}, {f.mov, true, true}, {f.silent, true, false}, {f.song, false, true}};
    int n = 0;
    for (const Case& c : cases) {
        const auto output = f.outFolder / ("source-" + std::to_string(n++) + ".mp4");
        const RunResult run = RunProgram(JobArguments(
            c.source.string(),
            std::string(R"~( -vcodec "mpeg4"  -b "512" )~") + kPlayerAudio + " -s 320x240",
            output.string()));
        ASSERT_EQ(run.exitCode, 0) << c.source << run.output;
        EXPECT_FALSE(HasFailureWord(run.output));
        const ProbeInfo info = Probe(output);
        EXPECT_EQ(info.Stream("video") != nullptr, c.video) << c.source;
        EXPECT_EQ(info.Stream("audio") != nullptr, c.audio) << c.source;
        EXPECT_NEAR(info.Duration(), Probe(c.source).Duration(), 0.07) << c.source;
    }
}

TEST(Sources, QuickTimeReaderForcedBeforeTheInput) {
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / "forced.mp4";
    std::vector<std::string> args =
        JobArguments(f.mov.string(),
                     std::string(R"~( -vcodec "mpeg4"  -b "512" )~") + kPlayerAudio + " -s 176x144",
                     output.string());
    // The retry of a .mov source: " -@ -y  -f qt -i ".
    args.insert(args.begin() + 3, {"-f", "qt"});
    const RunResult run = RunProgram(args);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.rfind("Input #0, mov", 0), 0u) << run.output;
}

} // namespace
