#pragma once
// What the conversion worker does with the windows, each named after its purpose. The worker
// never touches a widget: every call here hands its work to the user-interface thread through
// RunOnUiThread (where the worker needs an answer or must see the change done) or
// PostToUiThread (progress shown while the encoder runs). Both go through the same queue, so
// the user-interface thread carries the work out in the order the worker asked for it.

#include "command/job_command.h"
#include "engine/engine_controls.h"
#include "engine/progress_monitor.h"

#include <QPointer>

#include <string>
#include <vector>

class QCheckBox;

// One row as the job loop reads it when it reaches the row.
struct JobRowSnapshot {
    std::string sourcePath; // the caption, as it stands, in the file system's encoding
    std::string outputText; // the Output column
    std::string videoSize;  // the Video Size column
    bool checked = false;
};

class EngineUi {
public:
    explicit EngineUi(EngineControls controls);

    // The options dialog's two check boxes; either may be missing (counts as unchecked).
    // User-interface thread only.
    void AttachOptionCheckBoxes(QCheckBox* overwrite, QCheckBox* shutDown);

    const EngineControls& Controls() const { return m_controls; }

    // Reading.
    JobSettings ReadJobSettings() const;
    int RowCount() const;
    bool AnyRowChecked() const;
    JobRowSnapshot ReadRow(int row) const;
    std::string ProgressText(int row) const;
    bool ShutDownBoxChecked() const;
    std::string AppDir() const;

    // Writing, done before these return.
    void EmptyProgressColumn();
    void SetProgressText(int row, const std::string& text);
    void SetProgressBar(int value);
    void LockForRun();     // "Go Convert ", "Add File" and the list's context menu off
    void UnlockAfterRun(); // and on again
    void ScrollToRow(int row);
    void StartWatchdog();
    void StopWatchdog();
    void DisableCombos();
    void EnableCombos();
    void StartCountdown();
    // Every row has been worked through; the desktop hears of it if the user is elsewhere.
    void AnnounceRunCompleted();
    // The plain message box; returns once the user has closed it.
    void Inform(const std::string& text);

    // The row and status bar changes of one chunk of the encoder's report, queued as one
    // piece of work. LastFrameText is not among them: the caller keeps that in the state.
    void ShowMonitorUpdates(int row, std::vector<MonitorUpdate> updates);

private:
    EngineControls m_controls;
    QPointer<QCheckBox> m_checkBoxOverWrite;
    QPointer<QCheckBox> m_checkBoxShutDown;
};
