// The selector-text rules, case by case from their tables, including the quirks the position
// arithmetic gives on odd texts.

#include "command/command_fragments.h"
#include "command/volume.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SizeCase {
    const char* selector;
    const char* row;
    const char* fragment;
};

TEST(VideoSizeFragment, SelectorAndRowTable) {
    const SizeCase cases[] = {
        {"320 x 240 (iPod Default)", "640 x 360", " -s 320x240"},
        {"720 x 480", "640 x 360", " -s 720x480"},
        {"128 x 96   (SQCIF)", "640 x 360", " -s 128x96"},
        {"640 x 480 (iPod Video2)", "352 x 288", " -s 640x480"},
        {"704 x 576 (4CIF)", "352 x 288", " -s 704x576"},
        {"Original Video Size", "640 x 360", " -s 640x360"},
        {"Original Video Size", "720 x 576", " -s 720x576"},
        {"Original Video Size", "0 x 0", ""},
        {"Original Video Size", "Unknown", " -s 176x144"},
        {"720 x 480", "Unknown", " -s 176x144"},
        {"", "Unknown", " -s 176x144"},
        {"", "640 x 360", ""},
        // "Original Video Size" is compared untrimmed and case-sensitively; anything else is a
        // chosen size, and a chosen size with a zero side falls back to the mobile frame.
        {"original video size", "640 x 360", " -s originalvideosize"},
        {"0 x 240", "640 x 360", " -s 176x144"},
        {"320 x 0 (none)", "640 x 360", " -s 176x144"},
        // A bracket at the very start leaves nothing before it: no size option at all.
        {"(320 x 240)", "640 x 360", ""},
        // Row texts are lower-cased and trimmed before the "x" test.
        {"Original Video Size", "  640 X 360\t", " -s 640x360"},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(VideoSizeFragment(c.selector, c.row), c.fragment)
            << "selector \"" << c.selector << "\", row \"" << c.row << "\"";
    }
}

struct TextCase {
    const char* text;
    const char* fragment;
};

TEST(RateFragments, BitratesKeepTheNumberBeforeTheUnit) {
    const TextCase video[] = {
        {"512 Kbps", " -b \"512\""},
        {"1200 Kbps", " -b \"1200\""},
        {"384  Kbps", " -b \"384 \""}, // two blanks before the unit keep one
        {"  2500 Kbps  ", " -b \"2500\""},
        {"512 kbps", " -b \"\""}, // no capital K: an empty value, not a crash
        {"K", " -b \"\""},
        {"", ""},
        {"   ", ""},
    };
    for (const TextCase& c : video) {
        EXPECT_EQ(VideoBitrateFragment(c.text), c.fragment) << '"' << c.text << '"';
    }
    const TextCase audio[] = {
        {"128 Kbps", " -ab \"128\""},
        {"64 Kbps", " -ab \"64\""},
        {"Auto", " "},
        {" Auto ", " "},
        {"", ""},
        {"48", " -ab \"\""},
        // The audio number is cut from the untrimmed text: a leading blank stays in it.
        {" 64 Kbps", " -ab \" 64\""},
    };
    for (const TextCase& c : audio) {
        EXPECT_EQ(AudioBitrateFragment(c.text), c.fragment) << '"' << c.text << '"';
    }
}

TEST(RateFragments, FrameAndSampleRates) {
    const TextCase frame[] = {
        {"29.97 fps", " -r \"29.97\" "},
        {"25.0 fps", " -r \"25.0\" "},
        {"14.985 fps", " -r \"14.985\" "},
        {"15 fps", " -r \"15\" "},
        {"Auto", " "},
        {" Auto", " "}, // the start-up list's entry
        {"", ""},
        {"30", ""},
        {" fps", ""},
    };
    for (const TextCase& c : frame) {
        EXPECT_EQ(FrameRateFragment(c.text), c.fragment) << '"' << c.text << '"';
    }
    const TextCase sample[] = {
        {"44100 Hz", " -ar \"44100\""},
        {"22050 Hz", " -ar \"22050\""},
        {"8000  Hz", " -ar \"8000 \""},
        {"Auto", ""},
        {" Auto", " -ar \"\""}, // only the exact text means Auto
        {"", " -ar \"\""},      // an empty selector still writes the option
        {"H", " -ar \"\""},
    };
    for (const TextCase& c : sample) {
        EXPECT_EQ(SampleRateFragment(c.text), c.fragment) << '"' << c.text << '"';
    }
}

TEST(CodecFragments, VideoLowerCasedAudioAsIs) {
    EXPECT_EQ(VideoCodecFragment("MPEG4"), " -vcodec \"mpeg4\" ");
    EXPECT_EQ(VideoCodecFragment("XVid"), " -vcodec \"xvid\" ");
    EXPECT_EQ(VideoCodecFragment(" H264\t"), " -vcodec \"h264\" ");
    EXPECT_EQ(VideoCodecFragment(""), " -vcodec \"\" ");
    EXPECT_EQ(AudioCodecFragment("mpeg4aac"), " -acodec \"mpeg4aac\" ");
    EXPECT_EQ(AudioCodecFragment(" AMR_nb "), " -acodec \"AMR_nb\" ");
}

TEST(IndexFragments, AspectAndChannels) {
    EXPECT_EQ(AspectFragment(0), "");
    EXPECT_EQ(AspectFragment(1), " -aspect \"4:3\" ");
    EXPECT_EQ(AspectFragment(2), " -aspect \"16:9\" ");
    EXPECT_EQ(AspectFragment(-1), "");
    EXPECT_EQ(AspectFragment(3), "");
    EXPECT_EQ(ChannelsFragment(0), " -ac \"2 (stereo)\"");
    EXPECT_EQ(ChannelsFragment(1), " -ac \"1 (mono)\"");
    EXPECT_EQ(ChannelsFragment(-1), "");
    EXPECT_EQ(ChannelsFragment(2), "");
}

TEST(IsAudioOnlyOutput, ExactLowerCaseExtensions) {
    for (const char* extension :
         {"mp3", "mp2", "m4a", "wav", "ogg", "aac", "au", "wma", "ra", "ac3", "cda"}) {
        EXPECT_TRUE(IsAudioOnlyOutput(extension)) << extension;
    }
    for (const char* extension : {"mp4", "mov", "3gp", "3g2", "MP3", " mp3", "", "m4"}) {
        EXPECT_FALSE(IsAudioOnlyOutput(extension)) << extension;
    }
}

// The slider table, carried through the volume rule into the channels text as the builder
// joins it.
TEST(VolumeRule, SliderPositionsThroughToTheChannelsText) {
    struct Case {
        int position;
        const char* label;
        const char* level;
        const char* videoChannels; // Stereo, MP4 output
        const char* audioChannels; // Stereo, MP3 output
    };
    const Case cases[] = {
        {0, "0%", "0", " -ac \"2 (stereo)\" -an ", " -ac \"2 (stereo)\""},
        {1, "20%", "2", " -ac \"2 (stereo)\" -vol_factor \"2\"",
         " -ac \"2 (stereo)\" -vol_factor \"2\""},
        {2, "40%", "5", " -ac \"2 (stereo)\" -vol_factor \"5\"",
         " -ac \"2 (stereo)\" -vol_factor \"5\""},
        {3, "60%", "30", " -ac \"2 (stereo)\" -vol_factor \"30\"",
         " -ac \"2 (stereo)\" -vol_factor \"30\""},
        {4, "80%", "40", " -ac \"2 (stereo)\" -vol_factor \"40\"",
         " -ac \"2 (stereo)\" -vol_factor \"40\""},
        {5, "100%", "50", " -ac \"2 (stereo)\"", " -ac \"2 (stereo)\""},
        {6, "120%", "60", " -ac \"2 (stereo)\" -vol_factor \"60\"",
         " -ac \"2 (stereo)\" -vol_factor \"60\""},
        {7, "140%", "70", " -ac \"2 (stereo)\" -vol_factor \"70\"",
         " -ac \"2 (stereo)\" -vol_factor \"70\""},
        {8, "160%", "80", " -ac \"2 (stereo)\" -vol_factor \"80\"",
         " -ac \"2 (stereo)\" -vol_factor \"80\""},
        {9, "180%", "90", " -ac \"2 (stereo)\" -vol_factor \"90\"",
         " -ac \"2 (stereo)\" -vol_factor \"90\""},
        {10, "200%", "100", " -ac \"2 (stereo)\" -vol_factor \"100\"",
         " -ac \"2 (stereo)\" -vol_factor \"100\""},
        {11, "100%", "50", " -ac \"2 (stereo)\"", " -ac \"2 (stereo)\""},
        {-1, "100%", "50", " -ac \"2 (stereo)\"", " -ac \"2 (stereo)\""},
    };
    for (const Case& c : cases) {
        const VolumeChoice choice = VolumeForSliderPosition(c.position);
        EXPECT_EQ(choice.labelText, c.label) << c.position;
        EXPECT_EQ(choice.volumeLevel, c.level) << c.position;
        const VolumeFragments video = VolumeRule(choice.volumeLevel, IsAudioOnlyOutput("mp4"));
        EXPECT_EQ(ChannelsFragment(0) + video.NoAudioArg + video.VolumeArg, c.videoChannels)
            << c.position;
        const VolumeFragments audio = VolumeRule(choice.volumeLevel, IsAudioOnlyOutput("mp3"));
        EXPECT_EQ(ChannelsFragment(0) + audio.NoAudioArg + audio.VolumeArg, c.audioChannels)
            << c.position;
    }
    const VolumeFragments mono = VolumeRule(VolumeForSliderPosition(8).volumeLevel, false);
    EXPECT_EQ(ChannelsFragment(1) + mono.NoAudioArg + mono.VolumeArg,
              " -ac \"1 (mono)\" -vol_factor \"80\"");
}

} // namespace
