// Damaged media: truncated and byte-flipped copies of the fixtures never crash or hang the
// converter; each run ends with a file ffprobe reads or with a failure line. And the tolerant
// route ("DS:\\" before the path) reads what the plain route gives up on.

#include <cstdint>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "fixtures.h"

namespace {

constexpr int kRunLimitSeconds = 120;
const char* kIpod =
    R"~( -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 320x240)~";
const std::string kTolerantPrefix = "DS:\\\\";

std::vector<char> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& file, const std::vector<char>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fixed pseudo-random sequence, so every run damages the same bytes.
struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

struct Damaged {
    std::filesystem::path file;
    std::string how;
};

std::vector<Damaged> MakeDamagedCopies(const std::filesystem::path& source) {
    const std::vector<char> bytes = ReadAll(source);
    std::vector<Damaged> copies;
    const std::string stem = source.stem().string();
    const std::string ext = source.extension().string();
    std::filesystem::create_directories(source.parent_path() / "damaged");
    int n = 0;
    auto add = [&](const std::vector<char>& data, const std::string& how) {
        const auto file =
            source.parent_path() / "damaged" / (stem + "-" + std::to_string(n++) + ext);
        WriteAll(file, data);
        copies.push_back({file, source.filename().string() + " " + how});
    };
    for (const int eighths : {1, 4, 7}) {
        add(std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() * eighths / 8),
            "cut to " + std::to_string(eighths) + "/8");
    }
    for (const uint32_t seed : {1u, 2u, 3u}) {
        std::vector<char> data = bytes;
        Lcg lcg{seed};
        for (int i = 0; i < 40; ++i) {
            data[lcg.Next() % data.size()] ^= static_cast<char>(1 + lcg.Next() % 255);
        }
        add(data, "40 bytes flipped, seed " + std::to_string(seed));
    }
    {
        std::vector<char> data = bytes;
        Lcg lcg{9};
        for (size_t i = 0; i < std::min<size_t>(data.size(), 256); i += 1 + lcg.Next() % 7) {
            data[i] = static_cast<char>(lcg.Next());
        }
        add(data, "header scrambled");
    }
    return copies;
}

void ExpectCleanEnding(const RunResult& run, const std::filesystem::path& output,
                       const std::string& how) {
    ASSERT_TRUE(run.started) << how;
    EXPECT_FALSE(run.timedOut) << how << ": hung";
    EXPECT_EQ(run.signal, 0) << how << ": crashed\n" << run.output;
    EXPECT_EQ(run.output.find("Sanitizer"), std::string::npos) << how << "\n" << run.output;
    EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << how << "\n" << run.output;
    if (run.exitCode == 0) {
        const ProbeInfo info = Probe(output);
        EXPECT_TRUE(info.ok) << how;
        EXPECT_FALSE(info.streams.empty()) << how;
        EXPECT_FALSE(HasFailureWord(run.output)) << how << "\n" << run.output;
    } else {
        EXPECT_TRUE(HasFailureWord(run.output)) << how << "\n" << run.output;
        EXPECT_FALSE(std::filesystem::exists(output)) << how << ": broken output left behind";
    }
}

TEST(Damage, DamagedCopiesEndCleanlyByBothRoutes) {
    const Fixtures& f = SharedFixtures();
    std::filesystem::create_directories(f.folder / "damaged");
    const auto mp3 = f.folder / "song.mp3";
    MakeMedia({"-i", f.song.string(), "-c:a", "libmp3lame", mp3.string()});
    std::vector<std::filesystem::path> sources = {f.avi, f.mkv, f.silent, mp3};
    // Odd timing and wide pixels, damaged on top.
    for (const auto& odd : SharedTimingSources().All()) {
        sources.push_back(odd);
    }
    int n = 0;
    for (const auto& source : sources) {
        for (const Damaged& copy : MakeDamagedCopies(source)) {
            for (const bool tolerant : {false, true}) {
                const auto output = f.outFolder / ("damaged-" + std::to_string(n++) + ".mp4");
                const std::string input = (tolerant ? kTolerantPrefix : "") + copy.file.string();
                const RunResult run =
                    RunProgram(JobArguments(input, kIpod, output.string()), kRunLimitSeconds);
                ExpectCleanEnding(run, output, copy.how + (tolerant ? " (tolerant)" : ""));
            }
        }
    }
}

TEST(Damage, TolerantRouteReadsAStreamBehindAJunkLeadIn) {
    const Fixtures& f = SharedFixtures();
    const auto ts = f.folder / "clip.ts";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "2", "-c:v", "mpeg2video", "-c:a", "mp2",
               ts.string()});
    // More junk than the plain route's probe looks at, then the stream.
    std::vector<char> bytes(6 * 1024 * 1024);
    Lcg lcg{7};
    for (char& b : bytes) {
        b = static_cast<char>(lcg.Next());
    }
    const std::vector<char> stream = ReadAll(ts);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    const auto damaged = f.folder / "lead-in.dat";
    WriteAll(damaged, bytes);

    const RunResult plain = RunProgram({EncoderPath(), "-@", "-y", "-i", damaged.string()});
    EXPECT_NE(plain.exitCode, 0);
    EXPECT_NE(plain.output.rfind("Input #0,", 0), 0u) << plain.output;
    EXPECT_TRUE(HasFailureWord(plain.output));

    const auto output = f.outFolder / "lead-in.mp4";
    const RunResult tolerant =
        RunProgram(JobArguments(kTolerantPrefix + damaged.string(), kIpod, output.string()));
    ASSERT_EQ(tolerant.exitCode, 0) << tolerant.output;
    EXPECT_EQ(tolerant.output.rfind("Input #0, mpegts, from '" + damaged.string() + "':", 0), 0u)
        << tolerant.output;
    const ProbeInfo info = Probe(output);
    EXPECT_NE(info.Stream("video"), nullptr);
    EXPECT_NE(info.Stream("audio"), nullptr);
    EXPECT_NEAR(info.Duration(), 2.0, 0.1);
}

TEST(Damage, TolerantRouteReadsEverythingThePlainRouteReads) {
    const Fixtures& f = SharedFixtures();
    for (const auto& source : {f.avi, f.mkv, f.mov, f.silent, f.song}) {
        const RunResult plain = RunProgram({EncoderPath(), "-@", "-y", "-i", source.string()});
        const RunResult tolerant =
            RunProgram({EncoderPath(), "-@", "-y", "-i", kTolerantPrefix + source.string()});
        ASSERT_EQ(plain.exitCode, 0) << source;
        EXPECT_EQ(tolerant.exitCode, 0) << source;
        // Same description, path included: the prefix is not part of the path.
        EXPECT_EQ(tolerant.output, plain.output) << source;
    }
}

} // namespace
