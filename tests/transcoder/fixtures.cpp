#include "fixtures.h"

#include <memory>

#include <gtest/gtest.h>

#include "encoder/command_line.h"

namespace {

class FixtureEnvironment : public ::testing::Environment {
public:
    void TearDown() override { folder.reset(); }
    std::unique_ptr<TempFolder> folder;
};

FixtureEnvironment* g_environment =
    static_cast<FixtureEnvironment*>(::testing::AddGlobalTestEnvironment(new FixtureEnvironment));

Fixtures Make() {
    g_environment->folder = std::make_unique<TempFolder>("zorir3e-fixtures");
    Fixtures f;
    f.folder = g_environment->folder->path();
    f.outFolder = f.folder / "out";
    std::filesystem::create_directories(f.outFolder);
    f.avi = f.folder / "clip.avi";
    f.mkv = f.folder / "clip.mkv";
    f.mov = f.folder / "clip.mov";
    f.silent = f.folder / "silent.mp4";
    f.song = f.folder / "song.wav";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=640x360:rate=25", "-f", "lavfi", "-i",
               "sine=frequency=440:sample_rate=48000", "-t", "2", "-c:v", "mpeg4", "-q:v", "5",
               "-c:a", "libmp3lame", "-ac", "2", f.avi.string()});
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=30000/1001", "-f", "lavfi", "-i",
               "sine=frequency=330:sample_rate=22050", "-t", "2", "-c:v", "libx264", "-preset",
               "ultrafast", "-c:a", "aac", "-ac", "1", f.mkv.string()});
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15", "-f", "lavfi", "-i",
               "sine=frequency=550:sample_rate=32000", "-t", "2", "-c:v", "mjpeg", "-c:a",
               "pcm_s16le", f.mov.string()});
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x180:rate=25", "-t", "2", "-c:v", "mpeg4",
               f.silent.string()});
    MakeMedia({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "2", "-ac", "2",
               "-metadata", "title=Song One", "-metadata", "artist=The Band", f.song.string()});
    return f;
}

} // namespace

const Fixtures& SharedFixtures() {
    static const Fixtures fixtures = Make();
    return fixtures;
}

std::vector<std::string> JobArguments(const std::string& input, const std::string& pieces,
                                      const std::string& output) {
    const std::string line =
        "\"" + EncoderPath() + "\" -@ -y  -i \"" + input + "\"" + pieces + " \"" + output + "\"";
    return SplitCommandLine(line);
}
