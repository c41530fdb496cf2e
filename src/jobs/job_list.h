#pragma once
// The job list: one row per source file, the only store of jobs. A job is known by its row
// index during a run, so rows are never added or removed while a run is busy.
//
// Everything here touches the list widget and therefore runs on the user-interface thread; the
// conversion worker reaches these through RunOnUiThread.

#include <QString>

class QTableWidget;

// Columns left to right. The file name column carries the row's check box.
enum JobColumn : int {
    kJobFileName = 0,
    kJobVideoSize,
    kJobFrameRate,
    kJobDuration,
    kJobOutput,
    kJobProgress,
    kJobFrames,
    kJobColumnCount,
};

// Headers, widths and behaviour: grid lines, whole-row single selection, read-only cells, and a
// selection that stays visible when the list loses the focus.
void SetUpJobList(QTableWidget* list);

// Appends a checked row: the source path, the three analysis texts, the output extension, an
// empty progress and an empty frame count. One repaint for the whole row.
void AppendJobRow(QTableWidget* list, const QString& sourcePath, const QString& frameSize,
                  const QString& frameRate, const QString& duration, const QString& extension);

void CheckAllJobs(QTableWidget* list);
void UncheckAllJobs(QTableWidget* list);
// Does nothing without a selected row.
void RemoveSelectedJob(QTableWidget* list);
void ClearAllJobs(QTableWidget* list);

// Cell access for the flows that read and write rows. An out-of-range row or column reads as
// empty and is not written.
QString JobCellText(const QTableWidget* list, int row, JobColumn column);
void SetJobCellText(QTableWidget* list, int row, JobColumn column, const QString& text);
bool IsJobChecked(const QTableWidget* list, int row);
void SetJobChecked(QTableWidget* list, int row, bool checked);
