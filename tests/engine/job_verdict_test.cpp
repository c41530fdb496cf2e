#include "engine/job_verdict.h"
#include "engine/progress_monitor.h"

#include "report_feed.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

enum class Ending {
    NotStarted, // the encoder process did not start
    ByItself,   // the output closed, or the monitor ended the reading
    ExitFailed, // the output closed; the encoder's exit status was not 0, or a signal that
                // nobody here sent ended it
    Stopped,    // the user confirmed Stop
    Stalled,    // the watchdog ended the encoder
};

std::string ReportWith(const std::string& tail) {
    return ReportHeader("/x/clip.avi", "/y/clip.mp4", "00:00:04.00") +
           ProgressReport(50, 120, "2.00") + "\r\n" + tail;
}

// Reports that lead to each way a run can end. Those that get past the header show "50%"
// before their end.
const std::string kClean = ReportWith("");
const std::string kFailureWord = ReportWith("[mpeg4 @ 0x55d0] error: corrupt frame\r\n");
const std::string kUnsupportedCodec =
    ReportWith("Unsupported codec (id=86017) for input stream #0.1\r\n");
const std::string kWrongFirstLine = "zorir3e version 1.0\r\nInput #0, avi, from '/x/c.avi':\r\n";
const std::string kHandlingError = ReportWith("frame=60 q=2.0 time=oops bitrate=1\r\n");

struct Scenario {
    const char* name;
    const std::string* report;
    Ending ending;
    OutputFileState file;
    const char* firstRunProgress;
    std::optional<bool> firstRunRetry; // nullopt: the run ends, a retry does not matter
    const char* retryRunProgress;
};

struct JobResult {
    std::string progress;
    bool retryWanted;
};

// One encoder run as the job run would carry it out: the report through the monitor, a chunk
// per line, then the verdict on how it ended and what it left on disk.
JobResult RunJob(const Scenario& s, bool retryPass) {
    ShownRow row;
    row.progress = retryPass ? "Re-scan" : "";
    ProgressMonitor monitor({.retryPass = retryPass});
    if (s.ending != Ending::NotStarted) {
        std::vector<std::string> chunks;
        for (std::size_t start = 0; start < s.report->size();) {
            const std::size_t end = s.report->find("\r\n", start);
            const std::size_t stop = end == std::string::npos ? s.report->size() : end + 2;
            chunks.push_back(s.report->substr(start, stop - start));
            start = stop;
        }
        FeedChunks(monitor, chunks, row);
    }
    JobEndFacts facts;
    facts.started = s.ending != Ending::NotStarted;
    facts.failureSeen = monitor.FailureSeen();
    facts.retryPass = retryPass;
    facts.retryWanted = monitor.RetryWanted();
    facts.abortRequested = s.ending == Ending::Stopped;
    facts.stalled = s.ending == Ending::Stalled;
    // Stop and the watchdog end the encoder by a signal too.
    facts.exitFailed = s.ending == Ending::ExitFailed || s.ending == Ending::Stopped ||
                       s.ending == Ending::Stalled;
    facts.outputFile = s.file;
    facts.progressText = row.progress;
    const JobVerdict verdict = JudgeJob(facts);
    return {verdict.finalText, verdict.retryWanted};
}

using F = OutputFileState;
const Scenario kOutcomes[] = {
    {"not started, no output", &kClean, Ending::NotStarted, F::Missing, "Failed", false, "Failed"},
    {"not started, output left from before", &kClean, Ending::NotStarted, F::NonEmpty, "", false,
     "Re-scan"},
    {"ended by itself, output written", &kClean, Ending::ByItself, F::NonEmpty, "Done", false,
     "Done"},
    {"ended by itself, output empty", &kClean, Ending::ByItself, F::Empty, "50%", true, "Failed"},
    {"ended by itself, no output", &kClean, Ending::ByItself, F::Missing, "Failed", true, "Failed"},
    {"failure word, output written", &kFailureWord, Ending::ByItself, F::NonEmpty, "", true,
     "Failed"},
    {"failure word, output empty", &kFailureWord, Ending::ByItself, F::Empty, "", true, "Failed"},
    {"failure word, no output", &kFailureWord, Ending::ByItself, F::Missing, "Failed", true,
     "Failed"},
    // A retry that fails through these exits has failed twice and says so.
    {"unsupported codec, output written", &kUnsupportedCodec, Ending::ByItself, F::NonEmpty, "",
     true, "Failed"},
    {"unsupported codec, output empty", &kUnsupportedCodec, Ending::ByItself, F::Empty, "", true,
     "Failed"},
    {"unsupported codec, no output", &kUnsupportedCodec, Ending::ByItself, F::Missing, "Failed",
     true, "Failed"},
    {"wrong first line, output written", &kWrongFirstLine, Ending::ByItself, F::NonEmpty, "", true,
     "Failed"},
    {"wrong first line, no output", &kWrongFirstLine, Ending::ByItself, F::Missing, "Failed", true,
     "Failed"},
    {"stopped, output written", &kClean, Ending::Stopped, F::NonEmpty, "Aborted", std::nullopt,
     "Aborted"},
    {"stopped, output empty", &kClean, Ending::Stopped, F::Empty, "Aborted", std::nullopt,
     "Aborted"},
    {"stopped, no output", &kClean, Ending::Stopped, F::Missing, "Failed", std::nullopt, "Failed"},
    {"stalled, output written", &kClean, Ending::Stalled, F::NonEmpty, "Failed", false, "Failed"},
    {"stalled, output empty", &kClean, Ending::Stalled, F::Empty, "Failed", true, "Failed"},
    {"stalled, no output", &kClean, Ending::Stalled, F::Missing, "Failed", true, "Failed"},
    {"handling error, output written", &kHandlingError, Ending::ByItself, F::NonEmpty, "Done",
     false, "Done"},
    {"handling error, output empty", &kHandlingError, Ending::ByItself, F::Empty, "50%", true,
     "Failed"},
    {"handling error, no output", &kHandlingError, Ending::ByItself, F::Missing, "Failed", true,
     "Failed"},
    // However large the file, an encoder that did not end well did not finish it.
    {"failing exit, output written", &kClean, Ending::ExitFailed, F::NonEmpty, "", true, "Failed"},
    {"failing exit, output empty", &kClean, Ending::ExitFailed, F::Empty, "", true, "Failed"},
    {"failing exit, no output", &kClean, Ending::ExitFailed, F::Missing, "Failed", true, "Failed"},
    {"handling error, then a failing exit", &kHandlingError, Ending::ExitFailed, F::NonEmpty, "",
     true, "Failed"},
};

TEST(JobOutcome, FirstRun) {
    for (const Scenario& s : kOutcomes) {
        SCOPED_TRACE(s.name);
        const JobResult result = RunJob(s, false);
        EXPECT_EQ(result.progress, s.firstRunProgress);
        if (s.firstRunRetry) {
            EXPECT_EQ(result.retryWanted, *s.firstRunRetry);
        }
    }
}

TEST(JobOutcome, RetryRun) {
    for (const Scenario& s : kOutcomes) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(RunJob(s, true).progress, s.retryRunProgress);
    }
}

TEST(JobOutcome, ReportsLeadToTheIntendedEnding) {
    const std::pair<const std::string*, ReadingEndCause> cases[] = {
        {&kClean, ReadingEndCause::None},
        {&kFailureWord, ReadingEndCause::FailureWord},
        {&kUnsupportedCodec, ReadingEndCause::UnsupportedCodec},
        {&kWrongFirstLine, ReadingEndCause::WrongFirstLine},
        {&kHandlingError, ReadingEndCause::None},
    };
    for (const auto& [report, cause] : cases) {
        ProgressMonitor monitor({});
        ShownRow row;
        EXPECT_EQ(FeedChunks(monitor, CutIntoChunks(*report), row).cause, cause);
        EXPECT_EQ(monitor.ValuesIgnored(), report == &kHandlingError);
    }
}

TEST(JobVerdictBar, StoppedRunDoesNotFillTheBarAndNotStartedRunDoesNotPause) {
    JobEndFacts facts;
    facts.started = true;
    facts.outputFile = OutputFileState::NonEmpty;
    JobVerdict done = JudgeJob(facts);
    EXPECT_TRUE(done.pauseThenEmptyBar);
    EXPECT_TRUE(done.fillBarBeforePause);

    facts.abortRequested = true;
    facts.outputFile = OutputFileState::Missing;
    const JobVerdict stopped = JudgeJob(facts);
    EXPECT_TRUE(stopped.pauseThenEmptyBar);
    EXPECT_FALSE(stopped.fillBarBeforePause);
    // "Aborted" shows during the pause; the missing output turns it into "Failed" after it.
    EXPECT_EQ(stopped.judgedText, "Aborted");
    EXPECT_EQ(stopped.finalText, "Failed");

    facts.started = false;
    const JobVerdict notStarted = JudgeJob(facts);
    EXPECT_FALSE(notStarted.pauseThenEmptyBar);
    EXPECT_FALSE(notStarted.fillBarBeforePause);
}

TEST(JobVerdictFile, SizeLookupTextGivesTheFileState) {
    EXPECT_EQ(OutputFileStateFrom(false, ""), OutputFileState::Missing);
    EXPECT_EQ(OutputFileStateFrom(true, "0"), OutputFileState::Empty);
    EXPECT_EQ(OutputFileStateFrom(true, "1048576"), OutputFileState::NonEmpty);
    // A failed lookup of an existing file does not count as empty.
    EXPECT_EQ(OutputFileStateFrom(true, "nil"), OutputFileState::NonEmpty);
}

} // namespace
