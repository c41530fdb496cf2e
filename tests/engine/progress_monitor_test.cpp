#include "engine/progress_monitor.h"

#include "report_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Target = MonitorUpdate::Target;

const std::string kFirstLine = "Input #0, avi, from '/x/clip.avi':";

// Feeds one chunk made of a valid first line and the given lines.
struct SingleChunk {
    explicit SingleChunk(std::vector<std::string> lines, MonitorSetup setup = {}) : monitor(setup) {
        lines.insert(lines.begin(), kFirstLine);
        outcome = monitor.FeedChunk(lines);
        row.Apply(outcome.updates);
    }
    ProgressMonitor monitor;
    ChunkOutcome outcome;
    ShownRow row;
};

struct ValueCase {
    const char* name;
    std::vector<std::string> lines;
    std::string progress;
    std::string frames;
    std::string sizePanel;
    std::int64_t durationSeconds;
};

TEST(ProgressMonitorValues, RowShowsWhatTheReportSays) {
    const ValueCase cases[] = {
        {"duration N/A counts as one second",
         {"  Duration: N/A, start: 0.000000, bitrate: N/A",
          "frame=3 q=2.0 size=1kB time=1.00 bitrate=8.0kbits/s\r"},
         "100%",
         "3",
         "Output File Size : 1 KB",
         1},
        {"a duration under one second counts as one",
         {"  Duration: 00:00:00.40, start: 0.000000, bitrate: 64 kb/s",
          "frame=5 q=2.0 size=2kB time=0.50 bitrate=8.0kbits/s\r"},
         "50%",
         "5",
         "Output File Size : 2 KB",
         1},
        {"three-digit hours count as none",
         {"  Duration: 100:00:10.00, start: 0.000000",
          "frame=5 q=2.0 size=2kB time=5.00 bitrate=8.0kbits/s\r"},
         "50%",
         "5",
         "Output File Size : 2 KB",
         10},
        {"hours, minutes and seconds",
         {"  Duration: 01:02:03.99, start: 0.000000",
          "frame=5 q=2.0 size=2kB time=3723.00 bitrate=8.0kbits/s\r"},
         "100%",
         "5",
         "Output File Size : 2 KB",
         3723},
        {"seven-digit size does not fit the window",
         {"  Duration: 00:00:10.00, start: 0.000000",
          "frame=9 q=2.0 size=1234567kB time=1.00 bitrate=8.0kbits/s\r"},
         "10%",
         "9",
         "Output File Size :  KB",
         10},
        {"six-digit size just fits",
         {"  Duration: 00:00:10.00, start: 0.000000",
          "frame=9 q=2.0 size=123456kB time=1.00 bitrate=8.0kbits/s\r"},
         "10%",
         "9",
         "Output File Size : 123456 KB",
         10},
        {"frame= followed by a blank leaves the Frames column empty",
         {"  Duration: 00:00:10.00, start: 0.000000",
          "frame= 9 q=2.0 size=1kB time=1.00 bitrate=8.0kbits/s\r"},
         "10%",
         "",
         "Output File Size : 1 KB",
         10},
        {"a frame count without a blank after it is empty", {"frame=12"}, "", "", "", 0},
        {"above 100 percent shows 100%",
         {"  Duration: 00:00:04.90, start: 0.000000",
          "frame=120 q=2.0 size=9kB time=4.80 bitrate=8.0kbits/s\r"},
         "100%",
         "120",
         "Output File Size : 9 KB",
         4},
        {"a half rounds down to even",
         {"  Duration: 00:00:08.00, start: 0.000000", "frame=1 time=1.00 x"},
         "12%",
         "1",
         "",
         8},
        {"a half rounds up to even",
         {"  Duration: 00:00:08.00, start: 0.000000", "frame=1 time=3.00 x"},
         "38%",
         "1",
         "",
         8},
        {"only the first report of a line counts",
         {"  Duration: 00:00:04.00, start: 0.000000",
          "frame=10 q=2.0 size=5kB time=1.00 bitrate=8.0kbits/s\r"
          "frame=20 q=2.0 size=9kB time=2.00 bitrate=8.0kbits/s\r"},
         "25%",
         "10",
         "Output File Size : 5 KB",
         4},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        SingleChunk run(c.lines);
        EXPECT_EQ(run.outcome.decision, ReadDecision::KeepReading);
        EXPECT_EQ(run.row.progress, c.progress);
        EXPECT_EQ(run.row.frames, c.frames);
        EXPECT_EQ(run.row.sizePanel, c.sizePanel);
        EXPECT_EQ(run.monitor.DurationSeconds(), c.durationSeconds);
        EXPECT_FALSE(run.monitor.FailureSeen());
    }
}

TEST(ProgressMonitorValues, UpdatesComeInReportOrderAndBarStopsAtHundred) {
    SingleChunk run({"  Duration: 00:00:02.00, start: 0.000000",
                     "frame= 42 q=2.0 size=  120kB time=2.50 bitrate=983.0kbits/s\r"},
                    {.retryPass = false, .cdaSource = true});
    const std::vector<MonitorUpdate> expected = {
        {Target::DurationColumn, "00:00:02"}, {Target::FramesColumn, ""},
        {Target::LastFrameText, ""},          {Target::SizePanel, "Output File Size :   120 KB"},
        {Target::ProgressBar, "", 100},       {Target::ProgressColumn, "100%"},
    };
    EXPECT_EQ(run.outcome.updates, expected);
}

TEST(ProgressMonitorValues, FrameTextForWatchdogIsTrimmed) {
    // A control character before the blank stays in the column but not in the watchdog's text.
    SingleChunk run({"frame=7\t q=2.0"});
    EXPECT_EQ(run.row.frames, "7\t");
    EXPECT_EQ(run.row.lastFrameText, "7");
}

TEST(ProgressMonitorValues, CdaSourceRewritesDurationColumn) {
    struct Case {
        const char* durationLine;
        bool cda;
        std::string shown;
    } cases[] = {
        {"  Duration: 00:03:25.40, start: 0.000000", true, "00:03:25"},
        {"  Duration: 00:03:25.40, start: 0.000000", false, ""},
        {"  Duration: 123:00:07.00, start: 0.000000", true, "0:00:07"},
        {"  Duration: N/A, start: 0.000000", true, ""},
        {"  Duration: 00:00:00.40, start: 0.000000", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.durationLine);
        SingleChunk run({c.durationLine}, {.retryPass = false, .cdaSource = c.cda});
        EXPECT_EQ(run.row.duration, c.shown);
        EXPECT_EQ(run.outcome.decision, ReadDecision::KeepReading);
    }
}

TEST(ProgressMonitorErrors, ValueThatIsNotANumberStopsTheValuesButNotTheReading) {
    const std::string durationLine = "  Duration: 00:00:10.00, start: 0.000000";
    const std::string goodReport = "frame=4 q=2.0 size=3kB time=1.00 bitrate=8.0kbits/s\r";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::string progress; // from the lines before the fault
        std::string frames;   // the faulty line's frame count, read before its bad value
    } cases[] = {
        {"time before any duration", {"frame=5 q=2.0 size=3kB time=0.20 x"}, "", "5"},
        {"minutes not a number",
         {"frame=5 q=2.0", "  Duration: 00:xx:05.00, start: 0.000000"},
         "",
         "5"},
        {"no comma within twenty characters",
         {"  Duration: 00:00:05.00 start: 0.000000 bitrate"},
         "",
         ""},
        {"empty hours", {"  Duration: :00:05.00, start: 0.000000"}, "", ""},
        {"time not a number", {durationLine, goodReport, "frame=6 time=abc x"}, "10%", "6"},
        {"time value without a blank after it",
         {durationLine, goodReport, "frame=6 time=2.00"},
         "10%",
         "6"},
        {"time value with an exponent",
         {durationLine, goodReport, "frame=6 time=1e1 x"},
         "10%",
         "6"},
        {"word holding time", {durationLine, goodReport, "frame=6 sometimes it says "}, "10%", "6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SingleChunk run(c.lines);
        EXPECT_EQ(run.outcome.decision, ReadDecision::KeepReading);
        EXPECT_TRUE(run.monitor.ValuesIgnored());
        EXPECT_EQ(run.row.progress, c.progress);
        EXPECT_EQ(run.row.frames, c.frames);
        // Judged by how the encoder ends: no failure, no retry asked for yet.
        EXPECT_FALSE(run.monitor.FailureSeen());
        EXPECT_FALSE(run.monitor.RetryWanted());

        // The encoder is read to its end: frame counts still reach the row (the watchdog
        // follows them), percentages and sizes no longer do, failure words still count.
        const std::string sizeBefore = run.row.sizePanel;
        const ChunkOutcome later = run.monitor.FeedChunk(
            {"frame=100 q=2.0 size=99kB time=9.00 x", "  Duration: 00:00:01.00, start: 0"});
        run.row.Apply(later.updates);
        EXPECT_EQ(later.decision, ReadDecision::KeepReading);
        EXPECT_EQ(run.row.frames, "100");
        EXPECT_EQ(run.row.lastFrameText, "100");
        EXPECT_EQ(run.row.progress, c.progress);
        EXPECT_EQ(run.row.sizePanel, sizeBefore);
        const ChunkOutcome failing = run.monitor.FeedChunk({"[aac @ 0x1] error: bad packet"});
        EXPECT_EQ(failing.decision, ReadDecision::TerminateAndEnd);
        EXPECT_EQ(failing.cause, ReadingEndCause::FailureWord);
        EXPECT_TRUE(run.monitor.RetryWanted());
    }
}

// A chunk may end anywhere in a line. Every cut-off piece of a duration or progress line gives
// a value or a clean handling error, never a read past its end.
TEST(ProgressMonitorErrors, EveryCutOffPieceOfAValueLineIsHandled) {
    const std::string lines[] = {
        "  Duration: 00:00:05.00, start: 0.000000, bitrate: 1205 kb/s",
        "  Duration: N/A, start: 0.000000, bitrate: N/A",
        "frame=25 q=2.0 size=120kB time=1.00 bitrate=983.0kbits/s\r",
    };
    for (const std::string& line : lines) {
        for (std::size_t length = 0; length <= line.size(); ++length) {
            SCOPED_TRACE(line.substr(0, length));
            SingleChunk run({"  Duration: 00:00:05.00, start: 0", line.substr(0, length)});
            EXPECT_EQ(run.outcome.decision, ReadDecision::KeepReading);
            EXPECT_FALSE(run.monitor.FailureSeen());
        }
    }
}

TEST(ProgressMonitorFailures, EveryFailureWordEndsTheRunAndAsksForRetryOnFirstPassOnly) {
    const char* words[] = {"xpxframe",
                           "clntcore.dll",
                           "failed",
                           "Unexpected",
                           "error:",
                           "Error while opening file",
                           "exception encounter",
                           "Unknown format"};
    for (const bool retryPass : {false, true}) {
        for (const char* word : words) {
            SCOPED_TRACE(std::string(word) + (retryPass ? " (retry)" : " (first run)"));
            SingleChunk run({std::string("[mpeg4 @ 0x55d0] something ") + word + " here"},
                            {.retryPass = retryPass});
            EXPECT_EQ(run.outcome.decision, ReadDecision::TerminateAndEnd);
            EXPECT_EQ(run.outcome.cause, ReadingEndCause::FailureWord);
            EXPECT_TRUE(run.monitor.FailureSeen());
            EXPECT_EQ(run.monitor.RetryWanted(), !retryPass);
        }
    }
}

TEST(ProgressMonitorFailures, SearchIsCaseSensitive) {
    SingleChunk run({"Failed attempts: 0", "ERROR: none", "unexpected nothing"});
    EXPECT_EQ(run.outcome.decision, ReadDecision::KeepReading);
    EXPECT_FALSE(run.monitor.FailureSeen());
}

TEST(ProgressMonitorFailures, FailureInFourthLineLeavesEarlierLinesShown) {
    SingleChunk run({"  Duration: 00:00:10.00, start: 0.000000",
                     "frame=25 q=2.0 size=100kB time=3.00 bitrate=8.0kbits/s\r",
                     "[aac @ 0x1] error: bad packet",
                     "frame=50 q=2.0 size=200kB time=6.00 bitrate=8.0kbits/s\r"});
    // The chunk's lines: first line, duration, progress, then the failure as the fourth.
    EXPECT_EQ(run.outcome.cause, ReadingEndCause::FailureWord);
    EXPECT_EQ(run.row.progress, "30%");
    EXPECT_EQ(run.row.frames, "25");
    EXPECT_EQ(run.row.sizePanel, "Output File Size : 100 KB");
}

TEST(ProgressMonitorFailures, ValuesOfTheFailingLineAreStillShown) {
    SingleChunk run(
        {"  Duration: 00:00:10.00, start: 0.000000", "frame=25 q=2.0 size=100kB time=5.00 failed"});
    EXPECT_EQ(run.outcome.cause, ReadingEndCause::FailureWord);
    EXPECT_EQ(run.row.progress, "50%");
}

TEST(ProgressMonitorFailures, UnsupportedCodecAndWrongFirstLineEndAtOnce) {
    struct Case {
        const char* name;
        std::vector<std::string> firstChunk;
        ReadingEndCause cause;
    } cases[] = {
        {"unsupported codec",
         {kFirstLine, "Unsupported codec (id=86017) for input stream #0.1", "frame=1 x"},
         ReadingEndCause::UnsupportedCodec},
        {"banner first line",
         {"zorir3e version 1.0, Copyright (c) the authors", kFirstLine},
         ReadingEndCause::WrongFirstLine},
        {"unknown format first line", {"Unknown format", ""}, ReadingEndCause::WrongFirstLine},
        {"empty first line", {"", kFirstLine}, ReadingEndCause::WrongFirstLine},
        {"header not at the start",
         {" Input #0, avi, from '/x/clip.avi':"},
         ReadingEndCause::WrongFirstLine},
        {"nothing in the first chunk", {}, ReadingEndCause::WrongFirstLine},
    };
    for (const bool retryPass : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (retryPass ? " (retry)" : " (first run)"));
            ProgressMonitor monitor({.retryPass = retryPass});
            const ChunkOutcome outcome = monitor.FeedChunk(c.firstChunk);
            EXPECT_EQ(outcome.decision, ReadDecision::TerminateAndEnd);
            EXPECT_EQ(outcome.cause, c.cause);
            EXPECT_TRUE(monitor.FailureSeen());
            EXPECT_EQ(monitor.RetryWanted(), !retryPass);
        }
    }
}

TEST(ProgressMonitorFailures, FirstLineTestLooksAtFirstChunkOnly) {
    ProgressMonitor monitor({});
    EXPECT_EQ(monitor.FeedChunk({kFirstLine, "  Duration: 00:00:10.00, start: 0"}).decision,
              ReadDecision::KeepReading);
    EXPECT_EQ(
        monitor.FeedChunk({"    Stream #0.0: Video: mpeg4, 320x240, 25.00 fps(r)", ""}).decision,
        ReadDecision::KeepReading);
    EXPECT_FALSE(monitor.FailureSeen());
}

// Paths quoted in the two header lines hold whatever the user named the files and folders.
TEST(ProgressMonitorHeaders, HostilePathsInHeaderLinesAreNeitherValuesNorFailures) {
    const char* paths[] = {
        "/home/u/failed/clip.avi",
        "/home/u/v/timelapse.mp4",
        "/home/u/v/Christmas time.avi",
        "/home/u/size=1kB frame=3 time=x/clip.avi",
        "/home/u/Unsupported codec/error: Unknown format.avi",
        "/home/u/  Duration: nonsense/clip.avi",
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        std::string report = ReportHeader(path, std::string(path) + ".mp4");
        for (int k = 1; k <= 5; ++k) {
            report += ProgressReport(25 * k, 60 * k, std::to_string(k) + ".00");
        }
        report += "\r\n";
        // One chunk per line as the encoder writes them when the pipe is read faster.
        std::vector<std::string> chunks;
        for (std::size_t start = 0; start < report.size();) {
            std::size_t end = report.find('\r', start);
            end = (end == std::string::npos) ? report.size() : end + 1;
            if (end < report.size() && report[end] == '\n') {
                ++end;
            }
            chunks.push_back(report.substr(start, end - start));
            start = end;
        }
        ProgressMonitor monitor({});
        ShownRow row;
        const FeedResult fed = FeedChunks(monitor, chunks, row);
        EXPECT_EQ(fed.cause, ReadingEndCause::None);
        EXPECT_EQ(fed.chunksRead, chunks.size());
        EXPECT_FALSE(monitor.FailureSeen());
        EXPECT_EQ(monitor.DurationSeconds(), 5);
        EXPECT_EQ(row.progress, "100%");
        EXPECT_EQ(row.frames, "125");
        EXPECT_EQ(row.sizePanel, "Output File Size : 300 KB");
    }
}

// The encoder prints the whole header at once, so the reads cut it every 255 bytes, often in
// the middle of the output path; the rest of that header line arrives as the next chunk's first
// line. Sliding the output path across the cut puts "failed" and "time" on either side of it.
TEST(ProgressMonitorHeaders, HeaderLineCutByTheChunkSizeStaysExempt) {
    int cutsInsideOutputLine = 0;
    for (int pad = 0; pad < 300; ++pad) {
        SCOPED_TRACE("padding " + std::to_string(pad));
        const std::string output =
            "/home/u/" + std::string(pad, 'x') + "/failed/Christmas time/timelapse.mp4";
        const std::string header = ReportHeader("/x/clip.avi", output);
        const std::size_t outputLineStart = header.find("Output #0,");
        const std::size_t outputLineEnd = header.find("\r\n", outputLineStart);
        if (outputLineStart < 255 && 255 < outputLineEnd) {
            ++cutsInsideOutputLine;
        }

        std::vector<std::string> chunks = CutIntoChunks(header);
        for (int k = 1; k <= 4; ++k) {
            chunks.push_back(ProgressReport(25 * k, 60 * k, std::to_string(k) + ".25"));
        }
        chunks.push_back(ProgressReport(125, 300, "5.00") + "\r\n");

        ProgressMonitor monitor({});
        ShownRow row;
        const FeedResult fed = FeedChunks(monitor, chunks, row);
        EXPECT_EQ(fed.cause, ReadingEndCause::None);
        EXPECT_FALSE(monitor.FailureSeen());
        EXPECT_EQ(row.progress, "100%");
        EXPECT_EQ(row.frames, "125");
    }
    EXPECT_GT(cutsInsideOutputLine, 40); // the sweep really crosses the output line
}

// The cut can also fall between the CR and the LF that end the source's header line: the next
// chunk then begins with the LF and the duration line, which must still be read, or the first
// time value would have no duration to be a percentage of.
TEST(ProgressMonitorHeaders, SourceLineCutAnywhereStillGivesTheDuration) {
    bool cutBetweenCrAndLf = false;
    // From a cut just before the duration line's marker to one well inside the source line.
    for (int pad = 211; pad < 260; ++pad) {
        SCOPED_TRACE("padding " + std::to_string(pad));
        const std::string source = "/home/u/" + std::string(pad, 'x') + "/clip.avi";
        const std::string header = ReportHeader(source, "/y/clip.mp4");
        cutBetweenCrAndLf = cutBetweenCrAndLf || (header[254] == '\r' && header[255] == '\n');

        std::vector<std::string> chunks = CutIntoChunks(header);
        chunks.push_back(ProgressReport(50, 120, "2.50"));
        chunks.push_back(ProgressReport(125, 300, "5.00") + "\r\n");

        ProgressMonitor monitor({});
        ShownRow row;
        const FeedResult fed = FeedChunks(monitor, chunks, row);
        EXPECT_EQ(fed.cause, ReadingEndCause::None);
        EXPECT_EQ(monitor.DurationSeconds(), 5);
        EXPECT_EQ(row.progressHistory, (std::vector<std::string>{"50%", "100%"}));
    }
    EXPECT_TRUE(cutBetweenCrAndLf); // the sweep really reaches that cut
}

// The report exactly as the encoder prints it, read 255 bytes at a time from a full pipe.
TEST(ProgressMonitorReport, RealLookingReportInFullPipeChunks) {
    std::string report = ReportHeader("/x/clip.avi", "/y/clip.mp4");
    std::vector<std::string> reportedPercentages;
    for (int k = 1; k <= 10; ++k) {
        const int hundredths = 50 * k;
        const std::string time =
            std::to_string(hundredths / 100) + "." + (hundredths % 100 == 0 ? "00" : "50");
        report += ProgressReport(12 * k + k / 2, 60 * k, time);
        reportedPercentages.push_back(std::to_string(10 * k) + "%");
    }
    report += "\r\n";

    ProgressMonitor monitor({});
    ShownRow row;
    const std::vector<std::string> chunks = CutIntoChunks(report);
    ASSERT_GE(chunks.size(), 3u);
    const FeedResult fed = FeedChunks(monitor, chunks, row);
    EXPECT_EQ(fed.cause, ReadingEndCause::None);
    EXPECT_EQ(fed.chunksRead, chunks.size());
    EXPECT_FALSE(monitor.FailureSeen());
    EXPECT_FALSE(monitor.RetryWanted());
    EXPECT_EQ(monitor.DurationSeconds(), 5);

    // Several reports share one line when the pipe is full; only the first of each line shows,
    // so the column steps forward through some of the reported percentages.
    ASSERT_FALSE(row.progressHistory.empty());
    int previous = -1;
    for (const std::string& shown : row.progressHistory) {
        SCOPED_TRACE(shown);
        EXPECT_NE(std::find(reportedPercentages.begin(), reportedPercentages.end(), shown),
                  reportedPercentages.end());
        const int value = std::stoi(shown);
        EXPECT_GT(value, previous);
        previous = value;
    }
    EXPECT_FALSE(row.frames.empty());
    EXPECT_EQ(row.frames, row.lastFrameText);
    EXPECT_TRUE(row.sizePanel.starts_with("Output File Size : "));
    EXPECT_TRUE(row.sizePanel.ends_with("0 KB"));
}

} // namespace
