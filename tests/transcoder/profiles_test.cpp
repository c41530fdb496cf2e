// Every output profile's standard command line, as its template writes it with the option
// panel's defaults, converts a real clip into a file that ffprobe reads with the expected
// container, codecs, frame size, rate, sampling rate, channels and length.

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "fixtures.h"

namespace {

struct ProfileCase {
    const char* name;
    const char* pieces; // between the input's closing quote and the output's opening quote
    const char* extension;
    const char* brand; // expected major brand for the MP4 family, "" for others
    const char* formatName;
    const char* videoCodec; // "" for no picture
    int width;
    int height;
    const char* audioCodec;
    int sampleRate;
    int channels;
};

// The source is 640 x 360, so "LetterBox" on the 3GP and 3G2 panels gives 176x100 and two
// 22-line bars; M4A keeps the previous profile's lists, whose seventh rate is "54000 Hz".
const ProfileCase kProfiles[] = {
    {"iPod",
     R"~( -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 320x240)~",
     "mp4", "isom", "mov", "mpeg4", 320, 240, "aac", 44100, 2},
    {"iPodExtra",
     R"~( -vcodec "mpeg4"  -b "1200"  -acodec "mpeg4aac" -ab "80" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
     "mp4", "isom", "mov", "mpeg4", 640, 480, "aac", 44100, 2},
    {"iPodVideoForTV",
     R"~( -vcodec "mpeg4"  -b "1200"  -acodec "mpeg4aac" -ab "80" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
     "mp4", "isom", "mov", "mpeg4", 640, 480, "aac", 44100, 2},
    {"AppleTV",
     R"~( -vcodec "mpeg4"  -b "1500"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
     "mp4", "isom", "mov", "mpeg4", 640, 480, "aac", 44100, 2},
    {"iPhone",
     R"~( -vcodec "mpeg4"  -b "1200"  -acodec "mpeg4aac" -ab "80" -ar "44100" -ac "2 (stereo)" -s 480x320)~",
     "mp4", "isom", "mov", "mpeg4", 480, 320, "aac", 44100, 2},
    {"iPhoneExtra",
     R"~( -vcodec "mpeg4"  -b "1500"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
     "mp4", "isom", "mov", "mpeg4", 640, 480, "aac", 44100, 2},
    {"iPodTouch",
     R"~( -vcodec "mpeg4"  -b "1200"  -acodec "mpeg4aac" -ab "80" -ar "44100" -ac "2 (stereo)" -s 480x320)~",
     "mp4", "isom", "mov", "mpeg4", 480, 320, "aac", 44100, 2},
    {"iPodTouchExtra",
     R"~( -vcodec "mpeg4"  -b "1500"  -acodec "mpeg4aac" -ab "80" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
     "mp4", "isom", "mov", "mpeg4", 640, 480, "aac", 44100, 2},
    {"iPodTouchWideScreen",
     R"~( -vcodec "mpeg4"  -b "1500"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)" -s 720x406)~",
     "mp4", "isom", "mov", "mpeg4", 720, 406, "aac", 44100, 2},
    {"iPhoneWideScreen",
     R"~( -vcodec "mpeg4"  -b "1500"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)" -s 720x406)~",
     "mp4", "isom", "mov", "mpeg4", 720, 406, "aac", 44100, 2},
    {"ThreeGP",
     R"~( -vcodec "mpeg4"  -b "128"  -bt "60"  -acodec "amr_nb" -ab "48" -ar "8000 " -ac "1 (mono)" -s 176x100 -padtop 22 -padbottom 22)~",
     "3gp", "3gp", "mov", "mpeg4", 176, 144, "amr_nb", 8000, 1},
    {"ThreeG2",
     R"~( -vcodec "mpeg4"  -b "128"  -bt "60"  -acodec "amr_nb" -ab "48" -ar "8000 " -ac "1 (mono)" -s 176x100 -padtop 22 -padbottom 22 -f 3gp)~",
     "3g2", "3gp", "mov", "mpeg4", 176, 144, "amr_nb", 8000, 1},
    {"QuickTime",
     R"~( -vcodec "mpeg4_qt" -b "1200"  -acodec "mpeg4aac_qt" -ab "128" -ar "48000" -ac "2 (stereo)" -s 640x360 -f qt)~",
     "mov", "qt", "mov", "mpeg4", 640, 360, "aac", 48000, 2},
    {"M4A", R"~( -acodec "mpeg4aac" -ab "128" -ar "54000" -ac "2 (stereo)" -vn )~", "m4a", "M4A",
     "mov", "", 0, 0, "aac", 48000, 2},
    {"MP3", R"~( -id3v1 -id3v2 -acodec "mp3" -ab "192" -ar "48000" -ac "2 (stereo)")~", "mp3", "",
     "mp3", "", 0, 0, "mp3", 48000, 2},
    {"WAV", R"~( -acodec "pcm_s16le"  -ab "128" -ar "44100" -ac "2 (stereo)" -vn -s 400x300)~",
     "wav", "", "wav", "", 0, 0, "pcm_s16le", 44100, 2},
};

void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileTest : public ::testing::TestWithParam<ProfileCase> {};

int Number(const ProbeSection& section, const char* key) {
    const auto it = section.find(key);
    return it == section.end() ? -1 : std::atoi(it->second.c_str());
}

std::string Value(const ProbeSection& section, const char* key) {
    const auto it = section.find(key);
    return it == section.end() ? std::string() : it->second;
}

TEST_P(ProfileTest, StandardCommandLineGivesAPlayableFile) {
    const ProfileCase& c = GetParam();
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / (std::string(c.name) + "." + c.extension);
    const RunResult run = RunProgram(JobArguments(f.avi.string(), c.pieces, output.string()));
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.rfind("Input #0, ", 0), 0u) << run.output;
    EXPECT_FALSE(HasFailureWord(run.output)) << run.output;

    const ProbeInfo info = Probe(output);
    ASSERT_TRUE(info.ok);
    EXPECT_NE(Value(info.format, "format_name").find(c.formatName), std::string::npos);
    if (*c.brand != '\0') {
        EXPECT_EQ(Value(info.format, "TAG:major_brand").substr(0, std::string(c.brand).size()),
                  c.brand);
    }
    const ProbeSection* video = info.Stream("video");
    if (*c.videoCodec == '\0') {
        EXPECT_EQ(video, nullptr);
    } else {
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(Value(*video, "codec_name"), c.videoCodec);
        EXPECT_EQ(Number(*video, "width"), c.width);
        EXPECT_EQ(Number(*video, "height"), c.height);
        EXPECT_EQ(Value(*video, "r_frame_rate"), "25/1");
        EXPECT_EQ(Value(*video, "has_b_frames"), "0");
        EXPECT_EQ(Value(*video, "profile"), "Simple Profile");
    }
    const ProbeSection* audio = info.Stream("audio");
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(Value(*audio, "codec_name"), c.audioCodec);
    EXPECT_EQ(Number(*audio, "sample_rate"), c.sampleRate);
    EXPECT_EQ(Number(*audio, "channels"), c.channels);

    // Within a frame of the source (plus one audio frame of slack for the sound's end).
    const double sourceSeconds = Probe(f.avi).Duration();
    EXPECT_NEAR(info.Duration(), sourceSeconds, 0.04 + 0.03) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileTest, ::testing::ValuesIn(kProfiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileDetails, M4aSaysWhichRateItUsedWithoutFailureWords) {
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / "rate-note.m4a";
    const RunResult run = RunProgram(JobArguments(
        f.avi.string(), R"~( -acodec "mpeg4aac" -ab "128" -ar "54000" -ac "2 (stereo)" -vn )~",
        output.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("54000 Hz"), std::string::npos);
    EXPECT_NE(run.output.find("48000 Hz used"), std::string::npos);
    EXPECT_FALSE(HasFailureWord(run.output));
}

TEST(ProfileDetails, Mp3CarriesBothTagVersions) {
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / "tags.mp3";
    const RunResult run = RunProgram(JobArguments(
        f.song.string(), R"~( -id3v1 -id3v2 -acodec "mp3" -ab "192" -ar "48000" -ac "2 (stereo)")~",
        output.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::FILE* file = std::fopen(output.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char head[3] = {};
    char tail[33] = {};
    ASSERT_EQ(std::fread(head, 1, 3, file), 3u);
    std::fseek(file, -128, SEEK_END);
    ASSERT_EQ(std::fread(tail, 1, 33, file), 33u);
    std::fclose(file);
    EXPECT_EQ(std::string(head, 3), "ID3");
    EXPECT_EQ(std::string(tail, 3), "TAG");
    EXPECT_EQ(std::string(tail + 3, 8), "Song One");
    const ProbeInfo info = Probe(output);
    EXPECT_EQ(Value(info.format, "TAG:title"), "Song One");
    EXPECT_EQ(Value(info.format, "TAG:artist"), "The Band");
}

TEST(ProfileDetails, AmrNarrowBandDecodesCleanlyIn3gpAnd3g2) {
    const Fixtures& f = SharedFixtures();
    for (const char* name : {"ThreeGP.3gp", "ThreeG2.3g2"}) {
        const auto output = f.outFolder / (std::string("amr-") + name);
        const std::string forced = std::string(name).ends_with("3g2") ? " -f 3gp" : "";
        const RunResult run = RunProgram(JobArguments(
            f.mkv.string(),
            R"~( -vcodec "h263"  -b "128"  -bt "60"  -acodec "amr_nb" -ab "48" -ar "8000 " -ac "2 (stereo)" -s 176x144)~" +
                forced,
            output.string()));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        // Stereo asked, mono given, and said so without a failure word.
        EXPECT_NE(run.output.find("1 used"), std::string::npos) << run.output;
        EXPECT_FALSE(HasFailureWord(run.output));
        const ProbeInfo info = Probe(output);
        ASSERT_NE(info.Stream("audio"), nullptr);
        EXPECT_EQ(Value(*info.Stream("audio"), "codec_tag_string"), "samr");
        EXPECT_EQ(Value(*info.Stream("video"), "codec_tag_string"), "s263");
        const RunResult decode =
            RunProgram({"ffmpeg", "-v", "error", "-i", output.string(), "-f", "null", "-"});
        EXPECT_EQ(decode.exitCode, 0);
        EXPECT_EQ(decode.output, "") << name;
    }
}

struct CodecCase {
    const char* name;
    const char* codec;
    const char* codecName;
    const char* profile;
};

TEST(ProfileDetails, PlayerCodecChoicesSuitOldPlayers) {
    const Fixtures& f = SharedFixtures();
    const CodecCase cases[] = {{"xvid", "xvid", "mpeg4", "Simple Profile"},
                               {"h264", "h264", "h264", "Constrained Baseline"}};
    for (const CodecCase& c : cases) {
        const auto output = f.outFolder / (std::string("player-") + c.name + ".mp4");
        const RunResult run = RunProgram(JobArguments(
            f.mkv.string(),
            std::string(" -vcodec \"") + c.codec +
                R"~("  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 320x240)~",
            output.string()));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const ProbeInfo info = Probe(output);
        const ProbeSection* video = info.Stream("video");
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(Value(*video, "codec_name"), c.codecName);
        EXPECT_EQ(Value(*video, "profile"), c.profile);
        EXPECT_EQ(Value(*video, "has_b_frames"), "0");
        // The source's own 29.97 frames a second are kept when no rate is asked.
        EXPECT_EQ(Value(*video, "r_frame_rate"), "30000/1001");
        EXPECT_NEAR(info.Duration(), Probe(f.mkv).Duration(), 0.034 + 0.03);
    }
}

} // namespace
