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

#include <sys/stat.h>

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
        try {
            ChunkOutcome outcome = m_monitor.FeedChunk(SplitChunkIntoLines(chunk));
            for (const MonitorUpdate& update : outcome.updates) {
                if (update.target == MonitorUpdate::Target::LastFrameText) {
                    m_state.SetLastFrameText(update.text);
                }
            }
            m_ui.ShowMonitorUpdates(m_row, std::move(outcome.updates));
            if (outcome.decision == ReadDecision::KeepReading) {
                return RunnerStep::Continue;
            }
        } catch (...) {
            // Nothing the report holds can get here; should it happen anyway, the job is
            // judged on its output like one whose reading went wrong.
        }
        // No encoder is left writing while the verdict, the retry or the next row follows.
        ProcessKiller(kEncoderFileName);
        return RunnerStep::EndRun;
    }

    const ProgressMonitor& Monitor() const { return m_monitor; }

private:
    EngineUi& m_ui;
    ConversionState& m_state;
    int m_row;
    ProgressMonitor m_monitor;
};

} // namespace

void RunEncoderJob(EngineUi& ui, ConversionState& state, const EncoderJob& job) {
    state.RetryWanted = false;
    state.Stalled = false;
    // A Stop confirmed in the moment between the job loop's last look at StopRequested and
    // this start still aborts the job.
    state.AbortRequested = state.StopRequested.load();

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

    JobEndFacts facts;
    facts.started = run.started;
    facts.failureSeen = reading.Monitor().FailureSeen();
    facts.retryPass = state.RetryPass.load();
    facts.retryWanted = reading.Monitor().RetryWanted();
    facts.abortRequested = state.AbortRequested.load();
    facts.stalled = state.Stalled.load();
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
