// The media-information read on real files, made at test time with the ffmpeg program.

#include "analysis/analysis_texts.h"
#include "analysis/media_info.h"

#include "tools/test_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class MediaInfoTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_folder = new TestFolder; }
    static void TearDownTestSuite() {
        delete s_folder;
        s_folder = nullptr;
    }

    // Makes `name` with the ffmpeg program once for the whole suite.
    static std::string Make(const std::string& name, const std::string& ffmpegArguments) {
        const std::string path = s_folder->File(name);
        if (!std::filesystem::exists(path)) {
            const std::string command =
                "ffmpeg -nostdin -loglevel error -y " + ffmpegArguments + " '" + path + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
        }
        return path;
    }

    // Reads on a helper thread so a read that blocks fails the test instead of hanging it.
    static MediaInfo ReadWithin(const std::string& path, std::chrono::seconds limit) {
        auto reading = std::async(std::launch::async, [path] {
            MediaInfo info;
            info.SetFileName(path);
            info.Read();
            return info;
        });
        if (reading.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "reading " << path << " did not finish";
            std::quick_exit(1); // the blocked thread cannot be joined
        }
        return reading.get();
    }

    static TestFolder* s_folder;
};

TestFolder* MediaInfoTest::s_folder = nullptr;

TEST_F(MediaInfoTest, VideoGivesSizeRateAndDuration) {
    const std::string clip = Make("clip.avi", "-f lavfi -i testsrc=size=640x480:rate=25 -t 83 "
                                              "-c:v mpeg4 -q:v 31");
    const MediaInfo info = ReadWithin(clip, std::chrono::seconds(30));
    EXPECT_EQ(FrameSizeText(info.Width(), info.Height()), "640 x 480");
    EXPECT_EQ(FrameRateText(info.FrameRate()), "25");
    EXPECT_EQ(info.DurationText(), "01:23");
    EXPECT_EQ(FullDurationText(info.DurationText()), "00:01:23");
}

TEST_F(MediaInfoTest, AnHourOrMoreGivesHoursAndNtscRatesRound) {
    const std::string clip = Make("long.mp4", "-f lavfi -i testsrc=size=64x48:rate=1 -t 3723 "
                                              "-c:v mpeg4 -q:v 31");
    MediaInfo info = ReadWithin(clip, std::chrono::seconds(30));
    EXPECT_EQ(info.DurationText(), "01:02:03");
    EXPECT_EQ(FullDurationText(info.DurationText()), "01:02:03");

    const std::string ntsc = Make("ntsc.mp4", "-f lavfi -i testsrc=size=320x240:rate=30000/1001 "
                                              "-t 2 -c:v mpeg4 -q:v 31");
    info = ReadWithin(ntsc, std::chrono::seconds(30));
    EXPECT_NEAR(info.FrameRate(), 29.97, 0.01);
    EXPECT_EQ(FrameRateText(info.FrameRate()), "30");
}

// Wide pixels read at the width the picture is shown at; square ones exactly as stored.
TEST_F(MediaInfoTest, FrameSizeIsTheDisplayedSize) {
    struct Case {
        const char* name;
        const char* arguments;
        const char* size;
    };
    const Case cases[] = {
        {"wide.vob", "-f lavfi -i testsrc=size=720x576:rate=25 -t 1 -c:v mpeg2video -aspect 16:9",
         "1024 x 576"},
        {"standard.vob",
         "-f lavfi -i testsrc=size=720x576:rate=25 -t 1 -c:v mpeg2video -aspect 4:3", "768 x 576"},
        {"ntsc-wide.mpg",
         "-f lavfi -i testsrc=size=720x480:rate=30000/1001 -t 1 -c:v mpeg2video -aspect 16:9",
         "854 x 480"},
        {"odd.avi", "-f lavfi -i testsrc=size=321x241:rate=25 -t 1 -c:v mpeg4", "321 x 241"},
    };
    for (const Case& c : cases) {
        const MediaInfo info = ReadWithin(Make(c.name, c.arguments), std::chrono::seconds(30));
        EXPECT_EQ(FrameSizeText(info.Width(), info.Height()), c.size) << c.name;
    }
}

TEST_F(MediaInfoTest, AudioOnlyFilesHaveNoPicture) {
    const std::string mp3 =
        Make("tone.mp3", "-f lavfi -i sine=frequency=440:duration=5 -c:a libmp3lame");
    // Cover art is a still picture, not video.
    const std::string cover = s_folder->File("cover.png");
    Make("cover.png", "-f lavfi -i testsrc=size=64x64 -frames:v 1");
    const std::string withCover =
        Make("cover.mp3", "-i '" + mp3 + "' -i '" + cover +
                              "' -map 0 -map 1 -c copy -disposition:v attached_pic");
    for (const std::string& path : {mp3, withCover}) {
        const MediaInfo info = ReadWithin(path, std::chrono::seconds(30));
        EXPECT_EQ(info.Width(), 0) << path;
        EXPECT_EQ(info.Height(), 0) << path;
        EXPECT_EQ(FrameRateText(info.FrameRate()), "0") << path;
        EXPECT_EQ(info.DurationText(), "00:05") << path;
    }
}

TEST_F(MediaInfoTest, UnreadableSourcesGiveNoPictureWithoutBlocking) {
    const std::string text = s_folder->Write("notes.avi", "this is no video at all\n");
    const std::string empty = s_folder->Write("empty.mp4", "");
    const std::string fifo = s_folder->File("pipe.avi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = s_folder->File("socket.avi");
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 1), 0);
    for (const std::string& path :
         {text, empty, fifo, socketPath, s_folder->File("missing.avi"), s_folder->Path().string(),
          std::string("/dev/zero"), std::string()}) {
        const MediaInfo info = ReadWithin(path, std::chrono::seconds(20));
        EXPECT_EQ(FrameSizeText(info.Width(), info.Height()), "0 x 0") << path;
        EXPECT_EQ(FrameRateText(info.FrameRate()), "0") << path;
    }
    ::close(listening);
}

TEST_F(MediaInfoTest, AReadForgetsTheFileBefore) {
    const std::string clip = Make("clip.avi", "-f lavfi -i testsrc=size=640x480:rate=25 -t 83 "
                                              "-c:v mpeg4 -q:v 31");
    MediaInfo info;
    info.SetFileName(clip);
    info.Read();
    ASSERT_EQ(info.Width(), 640);
    info.SetFileName(s_folder->Write("junk.avi", "junk"));
    info.Read();
    EXPECT_EQ(info.Width(), 0);
    EXPECT_EQ(info.Height(), 0);
    EXPECT_EQ(info.FrameRate(), 0);
    EXPECT_EQ(info.DurationText(), "00:00");
}

TEST(MediaDurationText, MinutesUnderAnHourThenHours) {
    EXPECT_EQ(MediaDurationText(0), "00:00");
    EXPECT_EQ(MediaDurationText(83), "01:23");
    EXPECT_EQ(MediaDurationText(3599), "59:59");
    EXPECT_EQ(MediaDurationText(3600), "01:00:00");
    EXPECT_EQ(MediaDurationText(3723), "01:02:03");
    EXPECT_EQ(MediaDurationText(360000), "100:00:00");
}

} // namespace
