#include "engine/job_loop.h"

#include "base/conversion_state.h"
#include "base/ui_thread.h"
#include "command/job_command.h"
#include "command/text_rules.h"
#include "engine/encoder_job.h"
#include "engine/engine_ui.h"
#include "support/check_required_files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A source is converted only while something other than a folder is there.
bool SourceFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void DeleteOutputFile(const std::string& path) {
    // unlink, not a recursive remove: only ever a file goes, and a failure is of no concern
    // (the retry's command names its output anew).
    ::unlink(path.c_str());
}

struct RowJob {
    int row = 0;
    std::string sourcePath;
    std::string videoSize;
    std::string outputExtension;
};

JobCommand BuildCommand(EngineUi& ui, const RowJob& job, const InputRoute& route,
                        std::string& appDir) {
    const JobSettings settings = ui.ReadJobSettings();
    appDir = settings.appDir;
    JobRequest request;
    request.route = route;
    request.sourcePath = job.sourcePath;
    request.rowVideoSize = job.videoSize;
    request.outputExtension = job.outputExtension;
    JobCommand command;
    BuildJobCommand(settings, request, command);
    return command;
}

void RunJob(EngineUi& ui, ConversionState& state, const RowJob& job, const JobCommand& command,
            const std::string& appDir) {
    EncoderJob encoderJob;
    encoderJob.commandLine = command.commandLine;
    encoderJob.row = job.row;
    encoderJob.sourcePath = job.sourcePath;
    encoderJob.outputFilePath = command.outputFilePath;
    encoderJob.appDir = appDir;
    RunEncoderJob(ui, state, encoderJob);
}

enum class RowEnd { Next, EndRun };

// The second run of a row, with the source read the other way. There is never a third.
RowEnd RetryRow(EngineUi& ui, ConversionState& state, const RowJob& job,
                const InputRoute& firstRoute, const JobCommand& firstCommand) {
    DeleteOutputFile(firstCommand.outputFilePath);
    if (state.StopRequested.load()) {
        return RowEnd::EndRun;
    }
    std::string appDir;
    const JobCommand command =
        BuildCommand(ui, job, RetryRoute(job.sourcePath, firstRoute), appDir);
    ui.SetProgressText(job.row, "Re-scan");
    state.RetryPass = true;
    RunJob(ui, state, job, command, appDir);
    state.RetryWanted = false;
    // A stop during the retry of the last row would otherwise run out of rows and close with
    // "All Conversion Jobs Done!", as if nothing had been stopped.
    return state.StopRequested.load() ? RowEnd::EndRun : RowEnd::Next;
}

RowEnd ConvertRow(EngineUi& ui, ConversionState& state, int row) {
    const JobRowSnapshot snapshot = ui.ReadRow(row);
    RowJob job;
    job.row = row;
    job.outputExtension = LowerAscii(TrimAscii(snapshot.outputText));
    state.AbortRequested = false;
    // Linux file names may begin or end with a blank: the caption is the path as it stands.
    job.sourcePath = snapshot.sourcePath;
    job.videoSize = snapshot.videoSize;
    ui.SetProgressBar(0);
    state.RetryPass = false;
    state.CurrentRow = row;
    if (state.StopRequested.load()) {
        state.Converting = false;
        return RowEnd::EndRun;
    }

    const InputRoute firstRoute = FirstPassRoute(job.sourcePath);
    std::string appDir;
    const JobCommand command = BuildCommand(ui, job, firstRoute, appDir);
    if (!snapshot.checked || !SourceFileExists(job.sourcePath)) {
        return RowEnd::Next;
    }

    state.Converting = true;
    ui.DisableCombos();
    ui.ScrollToRow(row);
    if (state.StopRequested.load()) {
        return RowEnd::EndRun;
    }
    state.RetryPass = false;
    state.AnyJobRan = true;
    RunJob(ui, state, job, command, appDir);
    if (state.StopRequested.load()) {
        return RowEnd::EndRun;
    }
    if (state.RetryWanted.load()) {
        return RetryRow(ui, state, job, firstRoute, command);
    }
    return RowEnd::Next;
}

void ConvertCheckedRows(EngineUi& ui, ConversionState& state) {
    const int rowCount = ui.RowCount();
    if (rowCount == 0) {
        ui.Inform(kNoFileText);
        state.AnyJobRan = false;
        return;
    }
    if (!ui.AnyRowChecked()) {
        ui.Inform(kNothingCheckedText);
        return;
    }
    ui.EmptyProgressColumn();
    ui.LockForRun();
    // Rows are neither added nor removed while the run is busy, so the count taken now holds.
    for (int row = 0; row < rowCount; ++row) {
        if (ConvertRow(ui, state, row) == RowEnd::EndRun) {
            return;
        }
    }
    // Told before the message box, which would make the window the active one.
    ui.AnnounceRunCompleted();
    // With the power-off option the countdown says it all.
    if (!ui.ShutDownBoxChecked()) {
        ui.Inform(kAllDoneText);
    }
}

void EndRun(EngineUi& ui, ConversionState& state) {
    ui.UnlockAfterRun();
    // Lowered on the user-interface thread, where Stop looks at it after its question: a Stop
    // either comes in before this and is handled by the steps below, or finds the run over.
    RunOnUiThread([&state] { state.Converting = false; });
    state.RetryPass = false;
    state.RetryWanted = false;
    ui.EnableCombos();
    if (ui.ShutDownBoxChecked() && !state.StopRequested.load() && state.AnyJobRan.load()) {
        ui.StartCountdown();
    }
    state.StopRequested = false;
}

} // namespace

void JobLoop(EngineUi& ui, ConversionState& state) {
    ui.SetProgressBar(0);
    state.Converting = false;
    state.StopRequested = false;
    state.AbortRequested = false;
    state.RetryWanted = false;
    state.AnyJobRan = false;
    // The launcher entry counts the rows still to go from here; a stale row of the last run
    // would leave the rows above it out until the first row is reached.
    state.CurrentRow = 0;

    // The check has told the user and unlocked the window itself; nothing else follows.
    if (CheckRequiredFiles(ui.AppDir(), ui.Controls().MessageParent,
                           [&ui] { ui.EnableCombos(); })) {
        return;
    }
    try {
        ConvertCheckedRows(ui, state);
    } catch (...) {
        // Whatever went wrong, the window must come back unlocked; the remaining rows wait
        // for the next run.
    }
    EndRun(ui, state);
}
