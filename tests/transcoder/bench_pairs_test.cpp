// The encoder benchmark compares our encoder with the ffmpeg CLI; its figures mean something
// only if the CLI command does the same work. Each transcode of the benchmark is run once on
// both sides on a short clip, and the two files must agree in everything the settings decide:
// container, codecs, profile, level, references, B-frames, key-frame spacing, frame size and
// bars, rate, sound format, tags, and (within a margin) size.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "media_tools.h"
#include "transcode_pairs.h"

namespace {

namespace fs = std::filesystem;

struct Sources {
    TempFolder folder{"zorir3e-bench-pairs"};
    BenchSources paths;
    Sources() {
        paths.standard = (folder / "standard.mp4").string();
        paths.wide = (folder / "wide.mp4").string();
        for (const auto& [path, size] :
             {std::pair{paths.standard, "640x480"}, std::pair{paths.wide, "640x360"}}) {
            MakeMedia(
                {"-f",      "lavfi", "-i",       std::string("testsrc2=size=") + size + ":rate=25",
                 "-f",      "lavfi", "-i",       "sine=frequency=440:sample_rate=44100",
                 "-t",      "2",     "-c:v",     "libx264",
                 "-preset", "fast",  "-pix_fmt", "yuv420p",
                 "-c:a",    "aac",   "-ac",      "2",
                 path});
        }
    }
};

const Sources& SharedSources() {
    static const Sources sources;
    return sources;
}

// Everything ffprobe knows of a file's format and first video and audio streams.
struct FullProbe {
    ProbeSection format;
    std::map<std::string, ProbeSection> streams; // by codec_type, the first of each
};

FullProbe ProbeAll(const fs::path& file) {
    const RunResult run = RunProgram(
        {"ffprobe", "-v", "error", "-show_format", "-show_streams", "-of", "flat", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::map<std::string, ProbeSection> byIndex;
    FullProbe probe;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        const std::string key = line.substr(0, equals);
        const std::string streamPrefix = "streams.stream.";
        if (key.rfind("format.", 0) == 0) {
            probe.format[key.substr(7)] = value;
        } else if (key.rfind(streamPrefix, 0) == 0) {
            const size_t dot = key.find('.', streamPrefix.size());
            byIndex[key.substr(streamPrefix.size(), dot - streamPrefix.size())]
                   [key.substr(dot + 1)] = value;
        }
    }
    for (const auto& [index, stream] : byIndex) {
        probe.streams.emplace(stream.count("codec_type") ? stream.at("codec_type") : "", stream);
    }
    return probe;
}

const ProbeSection* StreamOf(const FullProbe& probe, const char* type) {
    const auto it = probe.streams.find(type);
    return it == probe.streams.end() ? nullptr : &it->second;
}

std::string Value(const ProbeSection* section, const char* key) {
    if (section == nullptr) {
        return "(no stream)";
    }
    const auto it = section->find(key);
    return it == section->end() ? std::string() : it->second;
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// x264 writes every setting it coded with into the stream ("options: cabac=0 ref=1 ...").
std::string X264Settings(const fs::path& file) {
    const std::string text = FileText(file);
    const size_t at = text.find("options: ");
    return at == std::string::npos ? std::string() : text.substr(at, text.find('\0', at) - at);
}

// The packet numbers of the key frames.
std::string KeyFrames(const fs::path& file) {
    const RunResult run =
        RunProgram({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                    "packet=flags", "-of", "csv=p=0", file.string()});
    std::istringstream lines(run.output);
    std::string keys;
    int index = 0;
    for (std::string line; std::getline(lines, line); ++index) {
        if (line.find('K') != std::string::npos) {
            keys += std::to_string(index) + " ";
        }
    }
    return keys;
}

size_t PairCount() {
    return TranscodePairs({"a", "b", ""}).size();
}

class BenchPairTest : public ::testing::TestWithParam<size_t> {};

TEST_P(BenchPairTest, TheCliCommandDoesTheSameWorkAsOurs) {
    const Sources& sources = SharedSources();
    const TranscodePair t = TranscodePairs(sources.paths).at(GetParam());
    SCOPED_TRACE(t.name);
    const fs::path ours =
        sources.folder / ("ours-" + std::to_string(GetParam()) + "." + t.extension);
    const fs::path cli = sources.folder / ("cli-" + std::to_string(GetParam()) + "." + t.extension);

    std::vector<std::string> args = {EncoderPath(), "-@", "-y", "-i", t.source};
    args.insert(args.end(), t.ours.begin(), t.ours.end());
    args.push_back(ours.string());
    const RunResult oursRun = RunProgram(args);
    ASSERT_EQ(oursRun.exitCode, 0) << oursRun.output;
    args = {"ffmpeg", "-nostdin", "-hide_banner", "-y", "-i", t.source};
    args.insert(args.end(), t.cli.begin(), t.cli.end());
    args.push_back(cli.string());
    const RunResult cliRun = RunProgram(args);
    ASSERT_EQ(cliRun.exitCode, 0) << cliRun.output;

    const FullProbe a = ProbeAll(ours);
    const FullProbe b = ProbeAll(cli);
    for (const char* key : {"format_name", "tags.major_brand", "tags.compatible_brands"}) {
        EXPECT_EQ(Value(&a.format, key), Value(&b.format, key)) << key;
    }

    const ProbeSection* videoA = StreamOf(a, "video");
    const ProbeSection* videoB = StreamOf(b, "video");
    EXPECT_EQ(videoA == nullptr, t.picture.width == 0);
    EXPECT_EQ(videoB == nullptr, t.picture.width == 0);
    if (videoA != nullptr && videoB != nullptr) {
        for (const char* key : {"codec_name", "profile", "level", "width", "height", "pix_fmt",
                                "has_b_frames", "refs", "sample_aspect_ratio", "r_frame_rate"}) {
            EXPECT_FALSE(Value(videoA, key).empty()) << key;
            EXPECT_EQ(Value(videoA, key), Value(videoB, key)) << key;
        }
        EXPECT_NEAR(std::atoi(Value(videoA, "nb_frames").c_str()),
                    std::atoi(Value(videoB, "nb_frames").c_str()), 1);
        EXPECT_EQ(KeyFrames(ours), KeyFrames(cli));
        EXPECT_EQ(X264Settings(ours), X264Settings(cli));
    }

    const ProbeSection* audioA = StreamOf(a, "audio");
    const ProbeSection* audioB = StreamOf(b, "audio");
    ASSERT_TRUE(audioA != nullptr && audioB != nullptr);
    for (const char* key : {"sample_rate", "channels", "channel_layout"}) {
        EXPECT_EQ(Value(audioA, key), Value(audioB, key)) << key;
    }
    if (!t.otherAudioCodec) {
        for (const char* key : {"codec_name", "profile", "sample_fmt"}) {
            EXPECT_EQ(Value(audioA, key), Value(audioB, key)) << key;
        }
        // A measured rate: at a few kilobits a second it moves a little with the samples.
        EXPECT_NEAR(std::atof(Value(audioA, "bit_rate").c_str()) /
                        std::atof(Value(audioB, "bit_rate").c_str()),
                    1.0, 0.05);
    }

    // Same settings at the same rates: the files come out about the same size.
    const double sizeRatio =
        static_cast<double>(fs::file_size(ours)) / static_cast<double>(fs::file_size(cli));
    EXPECT_NEAR(sizeRatio, 1.0, 0.1);

    if (t.extension == "mp3") {
        // An ID3 version 2.3 tag in front and a version 1 tag at the end, on both sides.
        for (const fs::path& file : {ours, cli}) {
            const std::string text = FileText(file);
            EXPECT_EQ(text.substr(0, 4), std::string("ID3\x03", 4)) << file;
            ASSERT_GT(text.size(), 128u);
            EXPECT_EQ(text.substr(text.size() - 128, 3), "TAG") << file;
        }
    }
    if (!t.cliWithoutEncoding.empty()) {
        args = {"ffmpeg", "-nostdin", "-hide_banner", "-y", "-i", t.source};
        args.insert(args.end(), t.cliWithoutEncoding.begin(), t.cliWithoutEncoding.end());
        args.push_back("-");
        const RunResult decodeOnly = RunProgram(args);
        EXPECT_EQ(decodeOnly.exitCode, 0) << decodeOnly.output;
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, BenchPairTest, ::testing::Range<size_t>(0, PairCount()),
                         [](const auto& info) {
                             std::string name = TranscodePairs({"a", "b", ""}).at(info.param).name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

} // namespace
