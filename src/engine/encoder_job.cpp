#include "engine/encoder_job.h"

#include "analysis/analysis_texts.h"
#include "base/conversion_state.h"
#include "encoder/delay.h"
#include "encoder/encoder_contract.h"
#include "encoder/encoder_runner.h"
#include "encoder/file_size.h"
#include "encoder/output_lines.h"
#include "encoder/process_killer.h"
#include "engine/engine_ui.h"
#include "engine/job_verdict.h"
#include "engine/progress_monitor.h"
#include "engine/watchdog_rule.h"

#include <functional>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace {

bool FileExistsAt(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The output as the verdict sees it right now.
OutputFileState OutputFileNow(const std::string& path) {
    std::string sizeText;
    FileSizeText(path, sizeText);
    return OutputFileStateFrom(FileExistsAt(path), sizeText);
}

// The run's reading of the pipe, in the order the runner calls it: the stop check before each
// read, then the chunk.
class JobReading {
public:
    JobReading(EngineUi& ui, ConversionState& state, const EncoderJob& job)
        : m_ui(ui), m_state(state), m_row(job.row),
          m_monitor(MonitorSetup{state.RetryPass.load(), IsAudioCdTrack(job.sourcePath)}) {}

    RunnerStep BeforeRead() {
        if (m_state.AbortRequested.load()) {
            ProcessKiller(kEncoderFileName);
            return RunnerStep::EndRun;
        }
        return RunnerStep::Continue;
    }

    RunnerStep ConsumeChunk(std::string_view chunk) {
        if (m_broken) {
            return RunnerStep::Continue;
        }
        try {
            std::string text = std::move(m_unfinished);
            m_unfinished.clear();
            text += chunk;
            // A chunk ends wherever the pipe read stopped, often inside a report: read as it
            // stands, that report's last figures would be lost (a size cut to "size=" shows as
            // nothing) and the rest would start the next chunk without its markers. Such a
            // piece waits for the next chunk once a line end (CR LF, or the CR of a report)
            // has come before it. Text without any line end goes on whole, so the first
            // line is always judged at once; so does a piece that has grown as long as a
            // chunk.
            std::size_t lineEnd = text.rfind('\r');
            if (lineEnd != std::string::npos && lineEnd + 1 < text.size() &&
                text[lineEnd + 1] == '\n') {
                ++lineEnd; // a CR LF ends its line with the LF, which stays with it
            }
            if (lineEnd != std::string::npos && text.size() - (lineEnd + 1) < kLongestHeldPiece) {
                m_unfinished = text.substr(lineEnd + 1);
                text.resize(lineEnd + 1);
            }
            if (text.empty()) {
                return RunnerStep::Continue;
            }
            if (Feed(text) == ReadDecision::KeepReading) {
                return RunnerStep::Continue;
            }
        } catch (...) {
            // Nothing the report holds can get here; should it happen anyway, the rest of the
            // report is passed over and the encoder judged by how it ends.
            m_broken = true;
            return RunnerStep::Continue;
        }
        // No encoder is left writing while the verdict, the retry or the next row follows.
        ProcessKiller(kEncoderFileName);
        return RunnerStep::EndRun;
    }

    // The output has closed: a last piece still held back is the end of the report.
    void FinishReading() {
        if (m_broken || m_unfinished.empty() || m_monitor.EndCause() != ReadingEndCause::None) {
            return;
        }
        try {
            Feed(std::exchange(m_unfinished, std::string()));
        } catch (...) {
            m_broken = true;
        }
    }

    const ProgressMonitor& Monitor() const { return m_monitor; }

private:
    ReadDecision Feed(std::string_view text) {
        ChunkOutcome outcome = m_monitor.FeedChunk(SplitChunkIntoLines(text));
        for (const MonitorUpdate& update : outcome.updates) {
            if (update.target == MonitorUpdate::Target::LastFrameText) {
                m_state.SetLastFrameText(update.text);
            }
        }
        m_ui.ShowMonitorUpdates(m_row, std::move(outcome.updates));
        return outcome.decision;
    }

    // A report line is far shorter; a longer piece is not a report and is passed on as it is.
    static constexpr std::size_t kLongestHeldPiece = 255;

    EngineUi& m_ui;
    ConversionState& m_state;
    int m_row;
    ProgressMonitor m_monitor;
    bool m_broken = false;
    std::string m_unfinished; // the end of the last chunk, after its last line end
};

std::function<void()>& JobStartProbe() {
    static std::function<void()> probe;
    return probe;
}

} // namespace

void SetJobStartProbe(std::function<void()> probe) {
    JobStartProbe() = std::move(probe);
}

void RunEncoderJob(EngineUi& ui, ConversionState& state, const EncoderJob& job) {
    state.RetryWanted = false;
    state.Stalled = false;
    // A Stop confirmed in the moment between the job loop's last look at StopRequested and
    // this start still aborts the job. Stop raises StopRequested before AbortRequested, so
    // whenever it lands, either its AbortRequested comes after this clearing or its
    // StopRequested is seen by the look that follows it.
    state.AbortRequested = false;
    if (const auto& probe = JobStartProbe()) {
        probe();
    }
    if (state.StopRequested.load()) {
        state.AbortRequested = true;
    }

    JobReading reading(ui, state, job);
    // The watchdog is armed just before the start: the runner gives no word between starting
    // the encoder and its first read, and a tick comes 2 s later at the earliest. A start that
    // fails disarms it again below.
    ResetStallWatch(state);
    ui.StartWatchdog();

    EncoderRunSettings settings;
    settings.pollDelayMs = kJobPollDelayMs;
    settings.beforeRead = [&reading] { return reading.BeforeRead(); };
    settings.consumeChunk = [&reading](std::string_view chunk) {
        return reading.ConsumeChunk(chunk);
    };
    settings.waitAfterEnd = true;
    settings.appDir = job.appDir;
    const EncoderRunResult run = EncoderRunner(job.commandLine, settings);
    if (run.end == EncoderRunEnd::OutputClosed) {
        reading.FinishReading();
    }

    JobEndFacts facts;
    facts.started = run.started;
    facts.failureSeen = reading.Monitor().FailureSeen();
    facts.retryPass = state.RetryPass.load();
    facts.retryWanted = reading.Monitor().RetryWanted();
    facts.abortRequested = state.AbortRequested.load();
    facts.stalled = state.Stalled.load();
    facts.exitFailed = run.exit == ChildExit::NonZero || run.exit == ChildExit::Signalled;
    facts.outputFile = OutputFileNow(job.outputFilePath);
    // Read after the queued progress of the last chunk: the same queue carries both.
    facts.progressText = ui.ProgressText(job.row);
    const JobVerdict verdict = JudgeJob(facts);
    state.RetryWanted = verdict.retryWanted;

    if (verdict.pauseThenEmptyBar) {
        ui.SetProgressText(job.row, verdict.judgedText);
        if (verdict.fillBarBeforePause) {
            ui.SetProgressBar(100);
        }
        Delay(kVerdictPauseMs);
        ui.SetProgressBar(0);
    }
    // The final look at the output, after the pause: a file that is not there now is a failure
    // whatever came before.
    if (!FileExistsAt(job.outputFilePath)) {
        ui.SetProgressText(job.row, "Failed");
    }
    ui.StopWatchdog();
    state.Stalled = false;
}
