#include "fixtures.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
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

// Sets the first duration of the first sample table ("stts") whose first entry is
// `count` samples of `delta` to 2^32-1, as a broken muxer writes it.
void BreakFirstSampleDelta(const std::filesystem::path& file, uint32_t count, uint32_t delta) {
    std::vector<char> bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    auto be32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
    };
    const std::string tag = "stts";
    for (auto it = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
         it != bytes.end(); it = std::search(it + 1, bytes.end(), tag.begin(), tag.end())) {
        // type, version and flags, entry count, then the entries: count and delta.
        const auto at = static_cast<size_t>(it - bytes.begin());
        if (at + 20 <= bytes.size() && be32(at + 12) == count && be32(at + 16) == delta) {
            std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(at + 16),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + 20), '\xff');
            std::ofstream(file, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return;
        }
    }
    ADD_FAILURE() << "no sample table entry to break in " << file;
}

TimingSources MakeTiming() {
    const std::filesystem::path folder = SharedFixtures().folder / "timing";
    std::filesystem::create_directories(folder);
    TimingSources t;
    t.freeze = folder / "freeze.mp4";
    t.slideshow = folder / "slideshow.gif";
    t.half = folder / "half.mpg";
    t.joined = folder / "joined.mpg";
    t.leapt = folder / "leapt.mpg";
    t.wrap = folder / "wrap.ts";
    t.hole = folder / "hole.mkv";
    t.everyDeltaBroken = folder / "every-delta.3gp";
    t.firstDeltaBroken = folder / "first-delta.3gp";
    t.wide = folder / "wide.vob";
    t.standard = folder / "standard.vob";
    t.variable = folder / "variable.mkv";
    const std::vector<std::string> small = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25",
                                            "-f", "lavfi", "-i", "sine=sample_rate=44100",
                                            "-t", "5"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = small;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    MakeMedia(with({"-vf", "select='not(between(t,1,4))'", "-fps_mode", "passthrough", "-c:v",
                    "mpeg4", "-c:a", "aac", t.freeze.string()}));
    MakeMedia(
        {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=1/3", "-t", "9", t.slideshow.string()});
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "3", "-c:v", "mpeg2video", "-c:a", "mp2", "-f",
               "vob", t.half.string()});
    const auto later = folder / "later.mpg";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "3", "-c:v", "mpeg2video", "-c:a", "mp2", "-f",
               "vob", "-output_ts_offset", "60", later.string()});
    {
        auto bytesOf = [](const std::filesystem::path& file) {
            std::ifstream in(file, std::ios::binary);
            return std::string{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        };
        const std::string half = bytesOf(t.half);
        std::ofstream(t.joined, std::ios::binary) << half << half;
        std::ofstream(t.leapt, std::ios::binary) << half << bytesOf(later);
    }
    // 2^33 ticks of 90 kHz are 95443.7 s.
    MakeMedia(with(
        {"-c:v", "mpeg2video", "-c:a", "mp2", "-output_ts_offset", "95442.2", t.wrap.string()}));
    MakeMedia(with({"-af", "aselect='not(between(t,2,3))'", "-c:v", "libx264", "-preset",
                    "ultrafast", "-c:a", "aac", t.hole.string()}));
    // 15 frames a second in a 1/15360 time base: 1024 ticks a frame.
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "5", "-c:v", "mpeg4", "-c:a", "aac",
               t.everyDeltaBroken.string()});
    BreakFirstSampleDelta(t.everyDeltaBroken, 75, 1024);
    // The first frame held twice as long, so that it has a table entry of its own.
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "5", "-vf", "setpts='if(eq(N,0),0,(N+1)/15/TB)'",
               "-fps_mode", "passthrough", "-c:v", "mpeg4", "-c:a", "aac",
               t.firstDeltaBroken.string()});
    BreakFirstSampleDelta(t.firstDeltaBroken, 1, 2048);
    for (const auto& [file, aspect] : {std::pair{t.wide, "16:9"}, std::pair{t.standard, "4:3"}}) {
        MakeMedia({"-f", "lavfi", "-i", "testsrc=size=720x576:rate=25", "-f", "lavfi", "-i",
                   "sine=sample_rate=48000", "-t", "2", "-c:v", "mpeg2video", "-aspect", aspect,
                   "-c:a", "mp2", "-f", "vob", file.string()});
    }
    MakeMedia(with({"-vf", "select='not(mod(n\\,3))+not(mod(n\\,7))'", "-fps_mode", "passthrough",
                    "-c:v", "mpeg4", "-c:a", "aac", t.variable.string()}));
    return t;
}

} // namespace

std::vector<std::filesystem::path> TimingSources::All() const {
    return {freeze,           slideshow,        half, joined,   leapt,   wrap, hole,
            everyDeltaBroken, firstDeltaBroken, wide, standard, variable};
}

const TimingSources& SharedTimingSources() {
    static const TimingSources sources = MakeTiming();
    return sources;
}

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
