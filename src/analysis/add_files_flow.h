#pragma once
// The add-files command: the open dialog, then each chosen file analysed under the analysis
// dialog and turned into a checked job row; and the output-folder browse command beside it.
//
// Everything here runs on the user-interface thread. The long work waits with Delay, so the
// windows stay alive: the user can press Cancel, move windows and work in the job list (whose
// rows may therefore be checked, unchecked or removed while files are analysed).

#include "analysis/source_probe.h"

#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class ConversionState;
class QAbstractButton;
class QLineEdit;
class QTableWidget;
class QWidget;
class TFormAnalyzingSplash;
struct StartupValues;

// The main window's parts the command works on.
struct AddFilesControls {
    QWidget* MainWindow = nullptr; // owner of the dialogs
    QLineEdit* Edit1 = nullptr;    // the output folder
    QTableWidget* ListView1 = nullptr;
    QAbstractButton* AddFileButton = nullptr;
    QAbstractButton* ConvertNowButton = nullptr;
    StartupValues* Values = nullptr;
    const ConversionState* State = nullptr;
    std::function<void()> DisableCombos;
    std::function<void()> EnableCombos;
    // Appends a checked row with the selected profile's output extension.
    std::function<void(const QString&, const QString&, const QString&, const QString&)> AddJobRow;
};

class AddFilesFlow {
public:
    static constexpr int kPauseMs = 100;

    AddFilesFlow(AddFilesControls controls, TFormAnalyzingSplash* splash);

    void AddSourceFiles();
    void ButtonBrowseForFolderClick();

    // The main window is closing while files are analysed: the analysis ends as Cancel would
    // end it, except that the file in hand is not finished (a probe's encoder is ended, its
    // row is not added), and the analysis dialog closes now. Nothing when no analysis runs.
    void EndForClose();

    // Files dropped onto the job list go the same way as files chosen in the open dialog, in
    // the order given. Refused, like "Add File", while files are analysed or a run converts.
    bool AcceptsDroppedFiles() const;
    void AddDroppedFiles(const QStringList& paths);

    // How long one probe may wait for the encoder before it counts as rejected.
    void SetProbeTimeLimitMs(int ms) { m_probe.SetTimeLimitMs(ms); }
    const SourceProbe& Probe() const { return m_probe; }

    static QString BrowseHeadline() {
        return QStringLiteral("Choose the required output folder below :");
    }

private:
    // From the analysis dialog to the closing steps, for files chosen either way; the option
    // controls are locked on entry.
    void AnalyseChosenFiles(const QStringList& paths);
    // Analyses one file and adds its row. False when Cancel was pressed before it began.
    bool AnalyseFile(const QString& path);
    void AddJobRowAndRemember(const QString& path, const QString& frameSize,
                              const QString& frameRate, const QString& duration);
    void ShowNewRow();
    void CloseAnalysis(bool enableCombos);
    void ReportFailure(const QString& text);

    AddFilesControls m_controls;
    TFormAnalyzingSplash* m_splash;
    SourceProbe m_probe;
    bool m_givenUp = false; // the main window closed during the analysis
    bool m_openDialogUp = false;
    int m_filterIndex = 0; // the open dialog's entry the user last opened files with
    QString m_lastFolder;  // the folder the browse command chose last
    // The row added for the file in hand. A persistent index follows the row when rows above
    // it are removed, and becomes invalid when the row itself goes.
    QPersistentModelIndex m_newRow;
};
