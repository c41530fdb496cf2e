// The console report, checked the way the main program's parsers read it: header lines,
// the duration and stream lines of a probe, progress values, CR LF line ends, paths only in
// the headers, and failure words exactly when a run fails.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "analysis/probe_parser.h"
#include "encoder/output_lines.h"
#include "engine/progress_monitor.h"
#include "fixtures.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text.size()) {
                lines.push_back(text.substr(start));
            }
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

// The probe parser's reading of a video line: the second comma field is the frame size, and
// the text in front of " fps" in the rest is the rate, "25.00" shown as "25".
struct VideoLine {
    std::string size;
    std::string rate;
};

VideoLine ReadVideoLine(const std::string& line) {
    std::string rest = line.substr(line.find("Video: ") + 7);
    rest = rest.substr(std::min(rest.size(), rest.find(',') + 2));
    const size_t comma = rest.find(',');
    const std::string field = rest.substr(0, comma);
    rest = comma == std::string::npos ? "" : rest.substr(comma + 2);
    VideoLine v;
    const size_t x = field.find('x');
    v.size = x == std::string::npos || x == 0 || x + 1 == field.size()
                 ? "0 x 0"
                 : field.substr(0, x) + " x " + field.substr(x + 1);
    const size_t fps = rest.find("fps");
    v.rate = fps == std::string::npos ? "" : rest.substr(0, fps - 1);
    const size_t point = v.rate.find('.');
    if (point != std::string::npos && v.rate.substr(point + 1, 2) == "00") {
        v.rate = v.rate.substr(0, point);
    }
    return v;
}

const char* kIpod =
    R"~( -vcodec "mpeg4"  -b "512"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 320x240)~";

TEST(Report, ProbeDescribesTheInputForTheProbeParser) {
    const Fixtures& f = SharedFixtures();
    struct Case {
        std::filesystem::path source;
        std::string format;
        std::string size;
        std::string rate;
        bool audio;
    };
    const Case cases[] = {{f.avi, "avi", "640 x 360", "25", true},
                          {f.mkv, "matroska,webm", "320 x 240", "29.97", true},
                          {f.silent, "mov,mp4,m4a,3gp,3g2,mj2", "320 x 180", "25", false},
                          {f.song, "wav", "", "", true}};
    for (const Case& c : cases) {
        const RunResult run = RunProgram({EncoderPath(), "-@", "-y", "-i", c.source.string()});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const auto lines = Lines(run.output);
        ASSERT_GE(lines.size(), 3u) << run.output;
        EXPECT_EQ(lines[0], "Input #0, " + c.format + ", from '" + c.source.string() + "':");
        EXPECT_TRUE(std::regex_match(
            lines[1],
            std::regex(
                R"~(  Duration: 00:00:0[12]\.\d\d, start: \d+\.\d{6}, bitrate: (\d+ kb/s|N/A))~")))
            << lines[1];
        int videoLines = 0;
        int audioLines = 0;
        for (const std::string& line : lines) {
            if (line.find("Video:") != std::string::npos) {
                ++videoLines;
                const VideoLine v = ReadVideoLine(line);
                EXPECT_EQ(v.size, c.size) << line;
                EXPECT_EQ(v.rate, c.rate) << line;
            }
            if (line.find("Audio:") != std::string::npos) {
                ++audioLines;
                EXPECT_TRUE(std::regex_match(
                    line,
                    std::regex(
                        R"~(    Stream #0\.\d: Audio: \w+, \d+ Hz, (mono|stereo)(, \d+ kb/s)?)~")))
                    << line;
            }
        }
        EXPECT_EQ(videoLines, c.size.empty() ? 0 : 1) << run.output;
        EXPECT_EQ(audioLines, c.audio ? 1 : 0) << run.output;
        EXPECT_FALSE(HasFailureWord(run.output));
        EXPECT_EQ(run.output.find("time"), std::string::npos);
    }
}

TEST(Report, ConversionReportReadsAsTheMonitorExpects) {
    const Fixtures& f = SharedFixtures();
    // Long enough for several progress reports.
    const auto source = f.folder / "long.mp4";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "20", "-c:v", "mpeg4", "-c:a", "aac",
               source.string()});
    const auto output = f.outFolder / "report.mp4";
    const auto started = std::chrono::steady_clock::now();
    const RunResult run = RunProgram(JobArguments(
        source.string(),
        R"~( -vcodec "h264"  -b "1200"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
        output.string()));
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string& out = run.output;
    EXPECT_FALSE(HasFailureWord(out));

    // Every LF belongs to a CR LF and every CR to a CR LF: progress reports are lines too.
    for (size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(out[at - 1], '\r');
    }
    for (size_t at = out.find('\r'); at != std::string::npos; at = out.find('\r', at + 1)) {
        ASSERT_LT(at + 1, out.size());
        EXPECT_EQ(out[at + 1], '\n') << "a lone CR at " << at;
    }
    ASSERT_TRUE(out.ends_with("\r\n"));

    const auto lines = Lines(out);
    EXPECT_EQ(lines[0].rfind("Input #0, mov,mp4,m4a,3gp,3g2,mj2, from '", 0), 0u);
    EXPECT_EQ(lines[1].rfind("  Duration: 00:00:20.0", 0), 0u) << lines[1];
    int pathLines = 0;
    int reports = 0;
    double lastSeconds = -1;
    for (const std::string& line : lines) {
        if (line.find(source.string()) != std::string::npos ||
            line.find(output.string()) != std::string::npos) {
            ++pathLines;
            EXPECT_TRUE(line.starts_with("Input #0,") || line.starts_with("Output #0,")) << line;
        }
        if (line.find("frame=") == std::string::npos) {
            EXPECT_EQ(line.find("time"), std::string::npos) << line;
            EXPECT_EQ(line.find("size="), std::string::npos) << line;
            continue;
        }
        // One report a line.
        ++reports;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(
            line, m,
            std::regex(
                R"~(frame=(\d+) q=\d+\.\d size=(\d+)kB time=(\d+\.\d\d) bitrate=\d+\.\dkbits/s)~")))
            << line;
        const size_t size = line.find("size=");
        EXPECT_NE(line.substr(size, 13).find("kB"), std::string::npos);
        const double seconds = std::strtod(m[3].str().c_str(), nullptr);
        EXPECT_GE(seconds, lastSeconds);
        lastSeconds = seconds;
        EXPECT_LT(line.size(), 120u);
    }
    EXPECT_EQ(pathLines, 2);
    EXPECT_GE(reports, 1);
    // About twice a second, never a flood that would fill the pipe.
    EXPECT_LE(reports, static_cast<int>(wallSeconds * 2) + 2);
    EXPECT_LE(out.size() / std::max(wallSeconds, 1.0), 700.0);
    const std::string last = lines[lines.size() - 2];
    EXPECT_NE(last.find("frame=500 "), std::string::npos) << last;
    EXPECT_NE(last.find("time=20.0"), std::string::npos) << last;
}

// The main program reads the report 255 bytes at a time and looks at each read on its own, so
// a line cut between two reads is misread: a video line cut in two leaves the probe without a
// frame size, and a cut time value ends the reading of a job that is still converting.
TEST(Report, EveryReadOfTheMainProgramHoldsWholeLines) {
    const Fixtures& f = SharedFixtures();

    // A probe of a source whose name makes the first read end inside the frame size of the
    // video line.
    const RunResult plain = RunProgram({EncoderPath(), "-@", "-y", "-i", f.avi.string()});
    const size_t frameSize = plain.output.find("640x360");
    ASSERT_NE(frameSize, std::string::npos) << plain.output;
    ASSERT_LT(frameSize, 253u);
    const auto longName =
        f.folder / (std::string(253 - frameSize, 'n') + f.avi.filename().string());
    std::filesystem::copy_file(f.avi, longName, std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> chunks;
    const RunResult probe = RunProgramReadInChunks(
        {EncoderPath(), "-@", "-y", "-i", longName.string()}, PacedReading{500, 500, 255}, chunks);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    LineBuffer log;
    for (const std::string& chunk : chunks) {
        log.AppendChunk(chunk);
    }
    const ProbeResult described = ParseProbeOutput(log.Lines());
    EXPECT_EQ(described.frameSizeText, "640 x 360") << probe.output;
    EXPECT_EQ(described.frameRateText, "25");
    EXPECT_EQ(described.durationText, "00:00:02");

    // A job whose reader falls behind at the start, as a busy main program does: the header
    // and the first reports pile up in the pipe.
    const auto source = f.folder / "paced.mp4";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "20", "-c:v", "mpeg4", "-c:a", "aac",
               source.string()});
    chunks.clear();
    const RunResult job = RunProgramReadInChunks(
        JobArguments(
            source.string(),
            R"~( -vcodec "h264"  -b "1200"  -acodec "mpeg4aac" -ab "64" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
            (f.outFolder / "paced.mp4").string()),
        PacedReading{2000, 360, 255}, chunks);
    ASSERT_EQ(job.exitCode, 0) << job.output;
    ProgressMonitor monitor(MonitorSetup{});
    std::string lastProgress;
    std::string lastFrames;
    const std::regex report(
        R"~(frame=\d+ q=\d+\.\d size=\d+kB time=\d+\.\d\d bitrate=\d+\.\dkbits/s)~");
    for (const std::string& chunk : chunks) {
        const ChunkOutcome outcome = monitor.FeedChunk(SplitChunkIntoLines(chunk));
        ASSERT_EQ(outcome.decision, ReadDecision::KeepReading) << chunk;
        for (const MonitorUpdate& update : outcome.updates) {
            if (update.target == MonitorUpdate::Target::ProgressColumn) {
                lastProgress = update.text;
            }
            if (update.target == MonitorUpdate::Target::FramesColumn) {
                lastFrames = update.text;
            }
        }
        for (const std::string& line : SplitChunkIntoLines(chunk)) {
            if (line.find("frame=") != std::string::npos ||
                line.find("kbits/s") != std::string::npos) {
                EXPECT_TRUE(std::regex_match(line, report)) << "cut or shared: " << line;
            }
        }
    }
    EXPECT_EQ(lastProgress, "100%");
    // The Frames column ends with the encoder's last count, not an earlier report's.
    EXPECT_EQ(lastFrames, "500");
}

TEST(Report, NamesWithLineBreaksStayInsideTheirHeaderLines) {
    const Fixtures& f = SharedFixtures();
    const auto source = f.folder / "clip\r\nfailed time.avi";
    std::filesystem::copy_file(f.avi, source);
    const auto output = f.outFolder / "clip\r\nUnexpected time=x.mp4";
    const RunResult run = RunProgram({EncoderPath(), "-@", "-y", "-i", source.string(), "-vcodec",
                                      "mpeg4", "-s", "320x240", output.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& line : Lines(run.output)) {
        if (line.find("failed") != std::string::npos ||
            line.find("Unexpected") != std::string::npos) {
            EXPECT_TRUE(line.starts_with("Input #0,") || line.starts_with("Output #0,")) << line;
        }
    }
}

TEST(Report, AudioOnlyProgressHasNoFrameCount) {
    const Fixtures& f = SharedFixtures();
    const auto output = f.outFolder / "report.mp3";
    const RunResult run = RunProgram(JobArguments(
        f.avi.string(), R"~( -id3v1 -id3v2 -acodec "mp3" -ab "192" -ar "48000" -ac "2 (stereo)")~",
        output.string()));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("frame="), std::string::npos);
    EXPECT_TRUE(std::regex_search(run.output, std::regex(R"~(size=\d+kB time=2\.\d\d )~")))
        << run.output;
}

TEST(Report, FailuresAreSaidWithAFailureWordAndANonZeroStatus) {
    const Fixtures& f = SharedFixtures();
    const auto text = f.folder / "notes.avi";
    std::ofstream(text) << "This is not a video file, only a few words of text.\n";
    const std::string existing = f.avi.string();
    const std::string out = (f.outFolder / "failure.mp4").string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool inputLineFirst;
    };
    const Case cases[] = {
        {"missing file", JobArguments((f.folder / "absent.avi").string(), kIpod, out), false},
        {"unknown format", JobArguments(text.string(), kIpod, out), false},
        {"unwritable output", JobArguments(existing, kIpod, existing + "/inside/a/file.mp4"), true},
        {"H.263 at 320x240",
         JobArguments(
             existing,
             R"~( -vcodec "h263"  -b "128"  -bt "60"  -acodec "amr_nb" -ab "48" -ar "8000 " -ac "1 (mono)" -s 320x240)~",
             (f.outFolder / "h263.3gp").string()),
         true},
        {"unknown codec", JobArguments(existing, R"~( -vcodec "theora" -s 320x240)~", out), true},
        {"option not understood", JobArguments(existing, " -vfilter \"x\"", out), false},
        {"output format unknown", JobArguments(existing, kIpod, out + ".xyz"), true},
    };
    for (const Case& c : cases) {
        const RunResult run = RunProgram(c.args);
        ASSERT_TRUE(run.started);
        EXPECT_NE(run.exitCode, 0) << c.name << "\n" << run.output;
        EXPECT_EQ(run.signal, 0) << c.name;
        EXPECT_TRUE(HasFailureWord(run.output)) << c.name << "\n" << run.output;
        EXPECT_EQ(run.output.rfind("Input #0,", 0) == 0, c.inputLineFirst) << c.name;
        EXPECT_TRUE(run.output.ends_with("\r\n")) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(f.outFolder / "h263.3gp"));
}

// A named pipe would block the converter until someone writes to it and /dev/zero never ends:
// what is not a regular file is refused at once, by the probe and by a job alike.
TEST(Report, InputsThatAreNotFilesAreRefusedAtOnce) {
    const Fixtures& f = SharedFixtures();
    const auto fifo = f.folder / "pipe.avi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto socketPath = f.folder / "socket.avi";
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.string().size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto out = f.outFolder / "not-a-file.mp4";
    for (const std::string input :
         {fifo.string(), socketPath.string(), std::string("/dev/zero"), f.folder.string()}) {
        for (const bool probe : {true, false}) {
            const RunResult run =
                RunProgram(probe ? std::vector<std::string>{EncoderPath(), "-@", "-y", "-i", input}
                                 : JobArguments(input, kIpod, out.string()),
                           10);
            EXPECT_FALSE(run.timedOut) << input;
            EXPECT_NE(run.exitCode, 0) << input << "\n" << run.output;
            EXPECT_TRUE(HasFailureWord(run.output)) << input << "\n" << run.output;
            EXPECT_NE(run.output.rfind("Input #0,", 0), 0u) << input;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    ::close(listening);
}

// A mapped picture stream that gives no frame is no sound-only success.
TEST(Report, AVideoStreamWithoutFramesIsAFailure) {
    const Fixtures& f = SharedFixtures();
    const auto source = f.folder / "no-frames.mkv";
    // The picture stream is there, with its size, but not one frame in it.
    MakeMedia({"-i", f.avi.string(), "-vf", "select='gte(t,100)'", "-c:v", "mpeg4", "-c:a", "copy",
               source.string()});
    const auto out = f.outFolder / "no-frames.mp4";
    const RunResult run = RunProgram(JobArguments(source.string(), kIpod, out.string()));
    EXPECT_EQ(run.output.rfind("Input #0, matroska,webm,", 0), 0u) << run.output;
    EXPECT_NE(run.exitCode, 0) << run.output;
    EXPECT_TRUE(HasFailureWord(run.output)) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The output stops taking data halfway, as on a full disk: the file size limit makes every
// further write fail.
TEST(Report, AnOutputThatCannotBeWrittenToItsEndIsAFailure) {
    const Fixtures& f = SharedFixtures();
    if (RunProgram({"prlimit", "--fsize=1000000", "true"}, 10).exitCode != 0) {
        GTEST_SKIP() << "prlimit cannot set a file size limit here";
    }
    const auto source = f.folder / "full-disk.mp4";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
               "sine=sample_rate=44100", "-t", "10", "-c:v", "mpeg4", "-c:a", "aac",
               source.string()});
    struct Job {
        const char* pieces;
        const char* extension;
    };
    // Picture and sound are written from threads of their own: the failure may come from
    // either, and a sound-only job has no picture thread at all.
    const Job jobs[] = {
        {R"~( -vcodec "mpeg4"  -b "1200"  -acodec "mpeg4aac" -ab "128" -ar "44100" -ac "2 (stereo)" -s 640x480)~",
         ".mp4"},
        {R"~( -id3v1 -id3v2 -acodec "mp3" -ab "192" -ar "48000" -ac "2 (stereo)")~", ".mp3"},
    };
    for (const Job& job : jobs) {
        const auto whole = f.outFolder / (std::string("full-disk-whole") + job.extension);
        ASSERT_EQ(RunProgram(JobArguments(source.string(), job.pieces, whole.string())).exitCode,
                  0);
        const auto size = static_cast<long long>(std::filesystem::file_size(whole));
        // Full from the start, halfway through, and just before the index at the end.
        for (const long long limit : {40000LL, size / 2, size - 100}) {
            const std::string name = std::to_string(limit) + job.extension;
            const auto out = f.outFolder / ("full-" + name);
            std::vector<std::string> args = {"prlimit", "--fsize=" + std::to_string(limit), "--"};
            const std::vector<std::string> command =
                JobArguments(source.string(), job.pieces, out.string());
            args.insert(args.end(), command.begin(), command.end());
            const RunResult run = RunProgram(args, 60);
            EXPECT_FALSE(run.timedOut) << name;
            EXPECT_EQ(run.signal, 0) << name;
            EXPECT_NE(run.exitCode, 0) << name << "\n" << run.output;
            EXPECT_TRUE(HasFailureWord(run.output)) << name << "\n" << run.output;
            EXPECT_FALSE(std::filesystem::exists(out)) << name;
        }
    }
}

TEST(Report, ExistingOutputIsKeptWithoutOverwriteSwitch) {
    const Fixtures& f = SharedFixtures();
    const auto out = f.outFolder / "kept.mp4";
    std::ofstream(out) << "keep me";
    std::vector<std::string> args = JobArguments(f.avi.string(), kIpod, out.string());
    args.erase(std::find(args.begin(), args.end(), "-y"));
    const RunResult run = RunProgram(args);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(HasFailureWord(run.output));
    std::ifstream in(out);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
}

} // namespace
