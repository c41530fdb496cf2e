// Whole command lines: the worked job, every profile with its panel's defaults, and the
// choices that change which options reach the encoder.

#include "command/command_templates.h"
#include "command/job_command.h"
#include "profiles/profile_catalogue.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kAppDir = "/opt/kestrel/";
constexpr const char* kOutFolder = "/home/u/Out";
constexpr const char* kSource = "/home/u/Videos/clip.avi";

// The window as the "iPod (*.mp4)" panel leaves it, with the letterbox on (its start-up
// choice) and the volume unchanged.
JobSettings IpodSettings() {
    JobSettings s;
    s.outputFormatText = "iPod (*.mp4)";
    s.videoCodecText = "MPEG4";
    s.audioCodecText = "mpeg4aac";
    s.videoSizeText = "320 x 240";
    s.videoBitrateText = "512 Kbps";
    s.audioBitrateText = "64 Kbps";
    s.frameRateText = "Auto";
    s.sampleRateText = "44100 Hz";
    s.audioChannelIndex = 0;
    s.aspectRatioIndex = 0;
    s.letterBoxIndex = 1;
    s.outputFolder = kOutFolder;
    s.overwriteExisting = false;
    s.volumeLevel = "50";
    s.appDir = kAppDir;
    return s;
}

JobRequest StandardRow(const char* extension) {
    JobRequest r;
    r.route = FirstPassRoute(kSource);
    r.sourcePath = kSource;
    r.rowVideoSize = "640 x 360";
    r.outputExtension = extension;
    return r;
}

JobCommand Build(const JobSettings& settings, const JobRequest& request) {
    JobCommand job;
    BuildJobCommand(settings, request, job);
    return job;
}

class JobCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The output names below assume an output folder that holds nothing.
        ASSERT_FALSE(std::filesystem::exists(kOutFolder));
    }
};

TEST_F(JobCommandTest, WorkedIpodJobFieldByField) {
    const JobCommand job = Build(IpodSettings(), StandardRow("mp4"));
    const CommandFragments& f = job.fragments;
    EXPECT_EQ(f.ExePrefix, "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"");
    EXPECT_EQ(f.InputArg, "/home/u/Videos/clip.avi\"");
    EXPECT_EQ(f.VideoCodecArg, " -vcodec \"mpeg4\" ");
    EXPECT_EQ(f.VideoBitrateArg, " -b \"512\"");
    EXPECT_EQ(f.FrameRateArg, " ");
    EXPECT_EQ(f.AudioBitrateArg, " -ab \"64\"");
    EXPECT_EQ(f.SampleRateArg, " -ar \"44100\"");
    EXPECT_EQ(f.ChannelsArg, " -ac \"2 (stereo)\"");
    EXPECT_EQ(f.NoAudioArg, "");
    EXPECT_EQ(f.VolumeArg, "");
    EXPECT_EQ(f.AspectArg, "");
    EXPECT_EQ(f.AspectAudioCodecArg, " -acodec \"mpeg4aac\" ");
    EXPECT_EQ(f.VideoSizeArg, " -s 320x180 -padtop 30 -padbottom 30");
    EXPECT_EQ(f.OutputArg, " \"/home/u/Out/clip.mp4\"");
    EXPECT_EQ(job.commandLine,
              "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"/home/u/Videos/clip.avi\" -vcodec "
              "\"mpeg4\"  -b \"512\"  -acodec \"mpeg4aac\" -ab \"64\" -ar \"44100\" -ac \"2 "
              "(stereo)\" -s 320x180 -padtop 30 -padbottom 30 \"/home/u/Out/clip.mp4\"");
    EXPECT_EQ(job.outputFilePath, "/home/u/Out/clip.mp4");
}

TEST_F(JobCommandTest, RetryThroughTheSecondRouteOnlyChangesTheInput) {
    const JobCommand first = Build(IpodSettings(), StandardRow("mp4"));
    JobRequest retry = StandardRow("mp4");
    retry.route = RetryRoute(kSource, StandardRow("mp4").route);
    const JobCommand second = Build(IpodSettings(), retry);
    const std::string head =
        "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"DS:\\\\/home/u/Videos/clip.avi\"";
    ASSERT_EQ(second.commandLine.substr(0, head.size()), head);
    const std::string firstHead =
        "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"/home/u/Videos/clip.avi\"";
    EXPECT_EQ(second.commandLine.substr(head.size()), first.commandLine.substr(firstHead.size()));
    EXPECT_EQ(second.fragments.ExePrefix, "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"DS:\\\\");
    EXPECT_EQ(second.outputFilePath, first.outputFilePath);
}

struct ProfileCase {
    const char* format;
    const char* extension;
    const char* videoCodec;
    const char* audioCodec;
    const char* videoSize;
    const char* videoBitrate;
    const char* audioBitrate;
    const char* sampleRate;
    int channelIndex;
    const char* afterInput; // the command line after the quoted input path, worked out by hand
};

// Each profile with the selections its panel installs, for a 640 x 360 source, letterbox on.
// The audio-only panels empty the video selectors; the M4A panel is taken after a panel that
// left the standard audio lists in place (its eighth and seventh entries).
const ProfileCase kProfiles[] = {
    {"iPod (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "320 x 240", "512 Kbps", "64 Kbps", "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"512\"  -acodec \"mpeg4aac\" -ab \"64\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 320x180 -padtop 30 -padbottom 30 \"/home/u/Out/clip.mp4\""},
    {"iPod Extra (640 x 480) (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "640 x 480", "1200 Kbps",
     "80 Kbps", "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1200\"  -acodec \"mpeg4aac\" -ab \"80\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 640x360 -padtop 60 -padbottom 60 \"/home/u/Out/clip.mp4\""},
    {"iPod Video For TV (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "640 x 480", "1200 Kbps", "80 Kbps",
     "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1200\"  -acodec \"mpeg4aac\" -ab \"80\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 640x360 -padtop 60 -padbottom 60 \"/home/u/Out/clip.mp4\""},
    {"iPod Touch (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "480 x 320", "1200 Kbps", "80 Kbps",
     "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1200\"  -acodec \"mpeg4aac\" -ab \"80\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 480x272 -padtop 24 -padbottom 24 \"/home/u/Out/clip.mp4\""},
    {"iPhone (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "480 x 320", "1200 Kbps", "80 Kbps", "44100 Hz",
     0,
     " -vcodec \"mpeg4\"  -b \"1200\"  -acodec \"mpeg4aac\" -ab \"80\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 480x272 -padtop 24 -padbottom 24 \"/home/u/Out/clip.mp4\""},
    {"iPod Touch Extra (640 x 480) (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "640 x 480", "1500 Kbps",
     "80 Kbps", "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1500\"  -acodec \"mpeg4aac\" -ab \"80\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 640x360 -padtop 60 -padbottom 60 \"/home/u/Out/clip.mp4\""},
    {"iPod Touch Wide Screen (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "720 x 406", "1500 Kbps",
     "128 Kbps", "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1500\"  -acodec \"mpeg4aac\" -ab \"128\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 720x406 \"/home/u/Out/clip.mp4\""},
    {"iPhone Wide Screen (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "720 x 406", "1500 Kbps", "128 Kbps",
     "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1500\"  -acodec \"mpeg4aac\" -ab \"128\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 720x406 \"/home/u/Out/clip.mp4\""},
    {"iPhone Extra (640 x 480) (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "640 x 480", "1500 Kbps",
     "128 Kbps", "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1500\"  -acodec \"mpeg4aac\" -ab \"128\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 640x360 -padtop 60 -padbottom 60 \"/home/u/Out/clip.mp4\""},
    {"Apple TV (*.mp4)", "mp4", "MPEG4", "mpeg4aac", "640 x 480", "1500 Kbps", "128 Kbps",
     "44100 Hz", 0,
     " -vcodec \"mpeg4\"  -b \"1500\"  -acodec \"mpeg4aac\" -ab \"128\" -ar \"44100\" -ac \"2 "
     "(stereo)\" -s 640x360 -padtop 60 -padbottom 60 \"/home/u/Out/clip.mp4\""},
    {"3GP - 3rd Generation Partnership Project (*.3gp)", "3gp", "MPEG4", "amr_nb",
     "176 x 144 (QCIF)", "128 Kbps", "48 Kbps", "8000  Hz", 1,
     " -vcodec \"mpeg4\"  -b \"128\"  -bt \"60\"  -acodec \"amr_nb\" -ab \"48\" -ar \"8000 \" "
     "-ac \"1 (mono)\" -s 176x100 -padtop 22 -padbottom 22 \"/home/u/Out/clip.3gp\""},
    {"3G2 - 3rd Generation Partnership Project 2 (*.3g2)", "3g2", "MPEG4", "mpeg4aac",
     "176 x 144 (QCIF)", "128 Kbps", "48 Kbps", "8000  Hz", 1,
     " -vcodec \"mpeg4\"  -b \"128\"  -bt \"60\"  -acodec \"amr_nb\" -ab \"48\" -ar \"8000 \" "
     "-ac \"1 (mono)\" -s 176x100 -padtop 22 -padbottom 22 -f 3gp \"/home/u/Out/clip.3g2\""},
    {"MOV - QuickTime Video (*.mov)", "mov", "MPEG4_QT", "mpeg4aac_qt", "Original Video Size",
     "1200 Kbps", "128 Kbps", "48000 Hz", 0,
     " -vcodec \"mpeg4_qt\" -b \"1200\"  -acodec \"mpeg4aac_qt\" -ab \"128\" -ar \"48000\" -ac "
     "\"2 (stereo)\" -s 640x360 -f qt \"/home/u/Out/clip.mov\""},
    {"M4A - Mpeg4 Audio File (*.m4a)", "m4a", "", "mpeg4aac", "", "", "128 Kbps", "54000 Hz", 0,
     " -acodec \"mpeg4aac\" -ab \"128\" -ar \"54000\" -ac \"2 (stereo)\" -vn  "
     "\"/home/u/Out/clip.m4a\""},
    {"MP3 - Mpeg Layer3 Audio (*.mp3)", "mp3", "", "mp3", "", "", "192 Kbps", "48000 Hz", 0,
     " -id3v1 -id3v2 -acodec \"mp3\" -ab \"192\" -ar \"48000\" -ac \"2 (stereo)\" "
     "\"/home/u/Out/clip.mp3\""},
    {"WAV - Waveform Audio (*.wav)", "wav", "", "pcm_s16le", "", "", "128 Kbps", "44100 Hz", 0,
     " -acodec \"pcm_s16le\"  -ab \"128\" -ar \"44100\" -ac \"2 (stereo)\" -vn -s 400x300 "
     "\"/home/u/Out/clip.wav\""},
};

TEST_F(JobCommandTest, EveryProfileWithItsPanelDefaults) {
    const std::string head = "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"/home/u/Videos/clip.avi\"";
    for (const ProfileCase& c : kProfiles) {
        SCOPED_TRACE(c.format);
        JobSettings s = IpodSettings();
        s.outputFormatText = c.format;
        s.videoCodecText = c.videoCodec;
        s.audioCodecText = c.audioCodec;
        s.videoSizeText = c.videoSize;
        s.videoBitrateText = c.videoBitrate;
        s.frameRateText = FindProfile(c.format)->hasVideo ? "Auto" : "";
        s.audioBitrateText = c.audioBitrate;
        s.sampleRateText = c.sampleRate;
        s.audioChannelIndex = c.channelIndex;
        // The extension the row shows for this profile, as the job loop passes it.
        std::string extension;
        SelectedOutputExtension(c.format, extension);
        for (char& ch : extension) {
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
        ASSERT_EQ(extension, c.extension);
        const JobCommand job = Build(s, StandardRow(c.extension));
        EXPECT_EQ(job.commandLine, head + c.afterInput);
        EXPECT_EQ(job.outputFilePath, std::string("/home/u/Out/clip.") + c.extension);
    }
}

TEST_F(JobCommandTest, SeparatorEntryLeavesTheCommandLineAsPassed) {
    JobSettings s = IpodSettings();
    s.outputFormatText = std::string(kSeparatorEntry);
    JobCommand job;
    job.commandLine = "previous";
    BuildJobCommand(s, StandardRow("mp4"), job);
    EXPECT_EQ(job.commandLine, "previous");
    std::string untouched = "kept";
    BuildProfileCommand("iPod", job.fragments, untouched);
    EXPECT_EQ(untouched, "kept");
}

TEST_F(JobCommandTest, TemplatesDecideWhichSelectionsCount) {
    // 3G2 always asks for AMR audio, whatever the audio codec selector shows.
    JobSettings mobile2 = IpodSettings();
    mobile2.outputFormatText = "3G2 - 3rd Generation Partnership Project 2 (*.3g2)";
    mobile2.audioCodecText = "mpeg4aac";
    const std::string withAac = Build(mobile2, StandardRow("3g2")).commandLine;
    mobile2.audioCodecText = "amr_nb";
    EXPECT_EQ(Build(mobile2, StandardRow("3g2")).commandLine, withAac);
    EXPECT_NE(withAac.find(" -acodec \"amr_nb\""), std::string::npos);
    EXPECT_EQ(withAac.find("mpeg4aac"), std::string::npos);

    // The handheld template pins its video codec; the player template takes the selector's.
    JobSettings handheld = IpodSettings();
    handheld.outputFormatText = "iPhone (*.mp4)";
    handheld.videoCodecText = "H264";
    EXPECT_NE(Build(handheld, StandardRow("mp4")).commandLine.find(" -vcodec \"mpeg4\" "),
              std::string::npos);
    JobSettings player = IpodSettings();
    player.videoCodecText = "XVid";
    EXPECT_NE(Build(player, StandardRow("mp4")).commandLine.find(" -vcodec \"xvid\" "),
              std::string::npos);

    // A ratio picked while WAV is selected reaches the WAV command line, two blanks before the
    // codec; no other template carries the aspect ratio.
    JobSettings wave = IpodSettings();
    wave.outputFormatText = "WAV - Waveform Audio (*.wav)";
    wave.audioCodecText = "pcm_s16le";
    wave.aspectRatioIndex = 2;
    const JobCommand waveJob = Build(wave, StandardRow("wav"));
    EXPECT_EQ(waveJob.fragments.AspectAudioCodecArg, " -aspect \"16:9\"  -acodec \"pcm_s16le\" ");
    EXPECT_NE(waveJob.commandLine.find("\" -aspect \"16:9\"  -acodec \"pcm_s16le\"  -ab"),
              std::string::npos);
    player.aspectRatioIndex = 2;
    EXPECT_EQ(Build(player, StandardRow("mp4")).commandLine.find("-aspect"), std::string::npos);
}

TEST_F(JobCommandTest, MutedVolumeDropsTheAudioTrackOnlyWhereThereIsAPicture) {
    JobSettings s = IpodSettings();
    s.volumeLevel = "0";
    EXPECT_NE(Build(s, StandardRow("mp4")).commandLine.find(" -ac \"2 (stereo)\" -an  -s 320x180"),
              std::string::npos);
    s.outputFormatText = "MP3 - Mpeg Layer3 Audio (*.mp3)";
    const JobCommand mp3 = Build(s, StandardRow("mp3"));
    EXPECT_EQ(mp3.commandLine.find("-an"), std::string::npos);
    EXPECT_EQ(mp3.fragments.ChannelsArg, " -ac \"2 (stereo)\"");
    s.volumeLevel = "2";
    s.audioChannelIndex = 1;
    EXPECT_EQ(Build(s, StandardRow("mp3")).fragments.ChannelsArg,
              " -ac \"1 (mono)\" -vol_factor \"2\"");
}

TEST_F(JobCommandTest, LetterboxOnlyWhenChosenAndThereIsAPicture) {
    JobSettings s = IpodSettings();
    s.letterBoxIndex = 0;
    EXPECT_EQ(Build(s, StandardRow("mp4")).fragments.VideoSizeArg, " -s 320x240");
    s.letterBoxIndex = -1;
    EXPECT_EQ(Build(s, StandardRow("mp4")).fragments.VideoSizeArg, " -s 320x240");
    s.letterBoxIndex = 1;
    EXPECT_EQ(Build(s, StandardRow("m4a")).fragments.VideoSizeArg, " -s 320x240");
    JobRequest unknown = StandardRow("mp4");
    unknown.rowVideoSize = "Unknown";
    EXPECT_EQ(Build(s, unknown).fragments.VideoSizeArg, " -s 176x144");
    JobRequest odd = StandardRow("mp4");
    s.videoSizeText = "320 x 241";
    EXPECT_EQ(Build(s, odd).fragments.VideoSizeArg, " -s 320x241");
}

TEST(InputRoute, FirstPassAndRetryFlags) {
    struct Case {
        const char* source;
        bool firstDirectShow;
        bool retryDirectShow;
        bool retryQuickTime;
        bool retryMarked;
    };
    const Case cases[] = {
        {"/v/a.rm", true, false, false, false},    {"/v/a.RMVB", true, false, false, false},
        {"/v/a.Ram", true, false, false, false},   {"/v/a.ra", true, false, false, false},
        {"/v/a.avi", false, true, false, true},    {"/v/a.MOV", false, false, true, false},
        {"/v/a.rm.avi", false, true, false, true}, {"/v/x.rm/clip", false, true, false, true},
        {"/v/clip", false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const InputRoute first = FirstPassRoute(c.source);
        EXPECT_EQ(first.directShowInput, c.firstDirectShow);
        EXPECT_FALSE(first.quickTimeInput);
        EXPECT_FALSE(first.retryThroughDirectShow);
        const InputRoute retry = RetryRoute(c.source, first);
        EXPECT_EQ(retry.directShowInput, c.retryDirectShow);
        EXPECT_EQ(retry.quickTimeInput, c.retryQuickTime);
        EXPECT_EQ(retry.retryThroughDirectShow, c.retryMarked);
    }
}

TEST_F(JobCommandTest, QuickTimeRetryNamesTheDemuxer) {
    JobRequest mov = StandardRow("mp4");
    mov.sourcePath = "/home/u/Videos/clip.mov";
    mov.route = RetryRoute(mov.sourcePath, FirstPassRoute(mov.sourcePath));
    const JobCommand job = Build(IpodSettings(), mov);
    EXPECT_EQ(job.fragments.ExePrefix, "\"/opt/kestrel/zorir3e.exe\" -@ -y  -f qt -i \"");
    EXPECT_EQ(job.commandLine.rfind("\"/opt/kestrel/zorir3e.exe\" -@ -y  -f qt -i "
                                    "\"/home/u/Videos/clip.mov\" -vcodec",
                                    0),
              0u);
}

} // namespace
