#include "analysis/add_files_flow.h"

#include "analysis/analysis_texts.h"
#include "analysis/analyzing_splash.h"
#include "analysis/media_info.h"
#include "analysis/open_dialog_filter.h"
#include "base/conversion_state.h"
#include "base/ui_thread.h"
#include "encoder/delay.h"
#include "support/check_required_files.h"
#include "support/dialog_seam.h"
#include "support/startup_values.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <atomic>
#include <future>
#include <memory>
#include <optional>

namespace {

QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

// Reads the media information on a helper thread while this thread keeps serving events: a
// large file or one on a slow disk can take seconds, and the windows must not freeze meanwhile.
MediaInfo ReadMediaInfo(const QString& path) {
    const std::string fileName = QFile::encodeName(path).toStdString();
    if (!OnUiThread()) {
        MediaInfo info;
        info.SetFileName(fileName);
        info.Read();
        return info;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::future<MediaInfo> reading = std::async(std::launch::async, [fileName, done] {
        MediaInfo info;
        info.SetFileName(fileName);
        info.Read();
        done->store(true);
        // Wakes the dispatcher below; posted after the flag, so the wake-up cannot be missed.
        PostToUiThread([] {});
        return info;
    });
    while (!done->load()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return reading.get();
}

} // namespace

AddFilesFlow::AddFilesFlow(AddFilesControls controls, TFormAnalyzingSplash* splash)
    : m_controls(std::move(controls)), m_splash(splash),
      m_probe(m_controls.Values->AppDir,
              SourceProbeHooks{[this](const QString& path, const QString& frameSize,
                                      const QString& frameRate, const QString& duration) {
                                   AddJobRowAndRemember(path, frameSize, frameRate, duration);
                               },
                               [this] { ShowNewRow(); }, [this] { return m_givenUp; }}) {}

void AddFilesFlow::AddSourceFiles() {
    StartupValues& values = *m_controls.Values;
    // Runs before the lock: it unlocks the controls on its way out.
    if (CheckRequiredFiles(values.AppDir, m_controls.MainWindow, m_controls.EnableCombos)) {
        return;
    }
    m_controls.DisableCombos();

    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    OpenFilesRequest request;
    request.filter = FromText(QtOpenDialogFilter());
    request.selectedFilter = FromText(QtFilterEntry(entries.at(m_filterIndex)));
    // Qt's own dialog shows the descriptions exactly as they are written; desktop dialogs
    // would cut them at the first parenthesis or append the pattern list.
    request.options = QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
    m_openDialogUp = true;
    const OpenFilesAnswer answer = DialogSeam::OpenFiles(m_controls.MainWindow, request);
    m_openDialogUp = false;
    if (answer.files.isEmpty()) {
        m_controls.EnableCombos();
        return;
    }
    m_filterIndex = OpenDialogFilterIndex(answer.selectedFilter.toStdString());
    AnalyseChosenFiles(answer.files);
}

bool AddFilesFlow::AcceptsDroppedFiles() const {
    const StartupValues& values = *m_controls.Values;
    return !m_openDialogUp && m_controls.AddFileButton->isEnabled() && !values.AnalysisRunning &&
           !values.AnalysisDialogShown && !m_controls.State->Converting.load();
}

void AddFilesFlow::AddDroppedFiles(const QStringList& paths) {
    if (paths.isEmpty() || !AcceptsDroppedFiles()) {
        return;
    }
    if (CheckRequiredFiles(m_controls.Values->AppDir, m_controls.MainWindow,
                           m_controls.EnableCombos)) {
        return;
    }
    m_controls.DisableCombos();
    AnalyseChosenFiles(paths);
}

void AddFilesFlow::AnalyseChosenFiles(const QStringList& paths) {
    StartupValues& values = *m_controls.Values;
    m_givenUp = false;
    values.AnalysisDialogShown = true;
    m_splash->ShowOverMainWindow();
    m_controls.ConvertNowButton->setEnabled(false);
    m_controls.AddFileButton->setEnabled(false);
    values.AnalysisRunning = true;

    std::optional<QString> failure;
    try {
        const qsizetype count = paths.size();
        for (qsizetype index = 0; index < count; ++index) {
            if (!AnalyseFile(paths.at(index))) {
                // Cancel has unlocked the controls already. The file in hand was finished;
                // end whatever encoder may still be running before anything new can start.
                SourceProbe::EndEncoders();
                CloseAnalysis(false);
                return;
            }
        }
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("The analysis of the chosen files failed.");
    }
    // The window is put back in order before the failure is reported.
    CloseAnalysis(true);
    if (failure) {
        ReportFailure(*failure);
    }
}

bool AddFilesFlow::AnalyseFile(const QString& path) {
    m_probe.ClearProbeFailed();
    m_splash->Panel1->setText(QFileInfo(path).fileName());
    if (!m_controls.Values->AnalysisRunning) {
        return false;
    }
    m_newRow = QPersistentModelIndex();
    Delay(kPauseMs);

    const MediaInfo info = ReadMediaInfo(path);
    if (m_givenUp) {
        return true;
    }
    const std::string localPath = QFile::encodeName(path).toStdString();
    const std::string frameSize = FrameSizeText(info.Width(), info.Height());
    const std::string frameRate = FrameRateText(info.FrameRate());
    std::string duration = FullDurationText(info.DurationText());
    const bool audioCdTrack = IsAudioCdTrack(localPath);
    if (audioCdTrack) {
        duration.clear();
    }

    // No picture means an audio-only file or one the read could not open: the encoder gets to
    // look at it. Audio CD track entries are only pointers to tracks and are never probed.
    if (frameSize == "0 x 0" && !audioCdTrack) {
        m_probe.ProbeSourceFile(path);
        if (m_probe.ProbeFailed()) {
            m_probe.ProbeSourceFileDirectShow(path);
        }
    } else {
        AddJobRowAndRemember(path, FromText(frameSize), FromText(frameRate), FromText(duration));
    }
    ShowNewRow();
    Delay(kPauseMs);
    return true;
}

void AddFilesFlow::EndForClose() {
    StartupValues& values = *m_controls.Values;
    if (!values.AnalysisDialogShown) {
        return;
    }
    m_givenUp = true;
    if (values.AnalysisRunning) {
        m_splash->Button2Click();
    }
    // The loop below is still on the stack, and the program only leaves its event loop once
    // the loop has returned: the dialog goes now, and the encoder is ended rather than waited
    // for.
    values.AnalysisDialogShown = false;
    m_splash->close();
    SourceProbe::EndEncoders();
}

void AddFilesFlow::AddJobRowAndRemember(const QString& path, const QString& frameSize,
                                        const QString& frameRate, const QString& duration) {
    m_controls.AddJobRow(path, frameSize, frameRate, duration);
    QTableWidget* list = m_controls.ListView1;
    m_newRow = QPersistentModelIndex(list->model()->index(list->rowCount() - 1, 0));
}

void AddFilesFlow::ShowNewRow() {
    if (!m_newRow.isValid()) {
        return;
    }
    QTableWidget* list = m_controls.ListView1;
    const QModelIndex row = m_newRow;
    // A row that shows even in part stays where it is.
    if (list->visualRect(row).intersects(list->viewport()->rect())) {
        return;
    }
    list->scrollTo(row, QAbstractItemView::EnsureVisible);
}

void AddFilesFlow::CloseAnalysis(bool enableCombos) {
    m_controls.Values->AnalysisDialogShown = false;
    m_splash->close();
    m_controls.ConvertNowButton->setEnabled(true);
    m_controls.AddFileButton->setEnabled(true);
    m_controls.Values->AnalysisRunning = false;
    if (enableCombos) {
        m_controls.EnableCombos();
    }
}

void AddFilesFlow::ReportFailure(const QString& text) {
    DialogSeam::Message(m_controls.MainWindow, {QStringLiteral("Kestrel Video Converter"), text,
                                                QMessageBox::Critical, QMessageBox::Ok});
}

void AddFilesFlow::ButtonBrowseForFolderClick() {
    if (m_splash->isVisible() || m_controls.State->Converting.load()) {
        return;
    }
    const QString start = !m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir()
                              ? m_lastFolder
                              : QDir::homePath();
    const QString chosen = DialogSeam::ChooseFolder(m_controls.MainWindow, BrowseHeadline(), start);
    if (chosen.isEmpty()) {
        return;
    }
    m_lastFolder = chosen;
    m_controls.Edit1->setText(chosen);
}
