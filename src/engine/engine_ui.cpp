#include "engine/engine_ui.h"

#include "base/ui_thread.h"
#include "desktop/run_desktop_feedback.h"
#include "jobs/job_list.h"
#include "support/dialog_seam.h"
#include "support/startup_values.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Paths go to the file system in its own encoding, not as display text.
std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string SelectedText(const QComboBox* combo) {
    return combo != nullptr ? Utf8(combo->currentText()) : std::string();
}

int SelectedIndex(const QComboBox* combo) {
    return combo != nullptr ? combo->currentIndex() : -1;
}

} // namespace

EngineUi::EngineUi(EngineControls controls) : m_controls(std::move(controls)) {}

void EngineUi::AttachOptionCheckBoxes(QCheckBox* overwrite, QCheckBox* shutDown) {
    m_checkBoxOverWrite = overwrite;
    m_checkBoxShutDown = shutDown;
}

JobSettings EngineUi::ReadJobSettings() const {
    return ReadOnUiThread<JobSettings>([this] {
        const EngineControls& c = m_controls;
        JobSettings s;
        s.outputFormatText = SelectedText(c.ComboOutputFormat);
        s.videoCodecText = SelectedText(c.ComboVideoCodec);
        s.audioCodecText = SelectedText(c.ComboAudioCodec);
        s.videoSizeText = SelectedText(c.ComboVideoSize);
        s.videoBitrateText = SelectedText(c.ComboVideoBitrate);
        s.audioBitrateText = SelectedText(c.ComboAudioBitrate);
        s.frameRateText = SelectedText(c.ComboVideoFramerate);
        s.sampleRateText = SelectedText(c.ComboSamplingRate);
        s.audioChannelIndex = SelectedIndex(c.ComboAudioChannel);
        s.aspectRatioIndex = SelectedIndex(c.ComboAspectRatio);
        s.letterBoxIndex = SelectedIndex(c.ComboLetterBox);
        s.outputFolder = PathBytes(c.Edit1->text());
        s.overwriteExisting = m_checkBoxOverWrite && m_checkBoxOverWrite->isChecked();
        s.volumeLevel = c.Values->VolumeLevel;
        s.appDir = c.Values->AppDir;
        return s;
    });
}

int EngineUi::RowCount() const {
    return ReadOnUiThread<int>([this] { return m_controls.ListView1->rowCount(); });
}

bool EngineUi::AnyRowChecked() const {
    return ReadOnUiThread<bool>([this] {
        const QTableWidget* list = m_controls.ListView1;
        for (int row = 0; row < list->rowCount(); ++row) {
            if (IsJobChecked(list, row)) {
                return true;
            }
        }
        return false;
    });
}

JobRowSnapshot EngineUi::ReadRow(int row) const {
    return ReadOnUiThread<JobRowSnapshot>([this, row] {
        const QTableWidget* list = m_controls.ListView1;
        JobRowSnapshot snapshot;
        snapshot.sourcePath = PathBytes(JobCellText(list, row, kJobFileName));
        snapshot.outputText = Utf8(JobCellText(list, row, kJobOutput));
        snapshot.videoSize = Utf8(JobCellText(list, row, kJobVideoSize));
        snapshot.checked = IsJobChecked(list, row);
        return snapshot;
    });
}

std::string EngineUi::ProgressText(int row) const {
    return ReadOnUiThread<std::string>(
        [this, row] { return Utf8(JobCellText(m_controls.ListView1, row, kJobProgress)); });
}

bool EngineUi::ShutDownBoxChecked() const {
    return ReadOnUiThread<bool>(
        [this] { return m_checkBoxShutDown && m_checkBoxShutDown->isChecked(); });
}

std::string EngineUi::AppDir() const {
    return ReadOnUiThread<std::string>([this] { return m_controls.Values->AppDir; });
}

void EngineUi::EmptyProgressColumn() {
    RunOnUiThread([this] {
        QTableWidget* list = m_controls.ListView1;
        for (int row = 0; row < list->rowCount(); ++row) {
            SetJobCellText(list, row, kJobProgress, QString());
        }
    });
}

void EngineUi::SetProgressText(int row, const std::string& text) {
    RunOnUiThread([this, row, &text] {
        SetJobCellText(m_controls.ListView1, row, kJobProgress, FromUtf8(text));
    });
}

void EngineUi::SetProgressBar(int value) {
    RunOnUiThread([this, value] { m_controls.ProgressBar1->setValue(value); });
}

void EngineUi::LockForRun() {
    RunOnUiThread([this] {
        m_controls.ConvertNowButton->setEnabled(false);
        m_controls.AddFileButton->setEnabled(false);
        if (m_controls.SetJobListMenuEnabled) {
            m_controls.SetJobListMenuEnabled(false);
        }
        if (m_controls.DesktopFeedback) {
            m_controls.DesktopFeedback->RunStarted();
        }
    });
}

void EngineUi::UnlockAfterRun() {
    RunOnUiThread([this] {
        m_controls.ConvertNowButton->setEnabled(true);
        if (m_controls.SetJobListMenuEnabled) {
            m_controls.SetJobListMenuEnabled(true);
        }
        m_controls.AddFileButton->setEnabled(true);
        if (m_controls.DesktopFeedback) {
            m_controls.DesktopFeedback->RunEnded();
        }
    });
}

void EngineUi::ScrollToRow(int row) {
    RunOnUiThread([this, row] {
        QTableWidget* list = m_controls.ListView1;
        if (QTableWidgetItem* cell = list->item(row, kJobFileName)) {
            list->scrollToItem(cell);
        }
    });
}

void EngineUi::StartWatchdog() {
    RunOnUiThread([this] { m_controls.ConversionCountTimer->start(); });
}

void EngineUi::StopWatchdog() {
    RunOnUiThread([this] { m_controls.ConversionCountTimer->stop(); });
}

void EngineUi::DisableCombos() {
    if (m_controls.DisableCombos) {
        m_controls.DisableCombos();
    }
}

void EngineUi::EnableCombos() {
    if (m_controls.EnableCombos) {
        m_controls.EnableCombos();
    }
}

void EngineUi::StartCountdown() {
    if (m_controls.StartCountdown) {
        m_controls.StartCountdown();
    }
}

void EngineUi::AnnounceRunCompleted() {
    RunOnUiThread([this] {
        if (m_controls.DesktopFeedback) {
            m_controls.DesktopFeedback->RunCompleted();
        }
    });
}

void EngineUi::Inform(const std::string& text) {
    RunOnUiThread([this, &text] { DialogSeam::Inform(m_controls.MessageParent, FromUtf8(text)); });
}

void EngineUi::ShowMonitorUpdates(int row, std::vector<MonitorUpdate> updates) {
    if (updates.empty()) {
        return;
    }
    // Queued, not waited for: the worker goes back to the pipe at once. The list is asked for
    // again when the work runs, in case the window is already gone.
    QPointer<QTableWidget> list = m_controls.ListView1;
    QPointer<QProgressBar> bar = m_controls.ProgressBar1;
    QPointer<QLabel> sizePanel = m_controls.SizePanel;
    PostToUiThread([list, bar, sizePanel, row, updates = std::move(updates)] {
        using Target = MonitorUpdate::Target;
        for (const MonitorUpdate& update : updates) {
            switch (update.target) {
            case Target::FramesColumn:
                if (list) {
                    SetJobCellText(list, row, kJobFrames, FromUtf8(update.text));
                }
                break;
            case Target::DurationColumn:
                if (list) {
                    SetJobCellText(list, row, kJobDuration, FromUtf8(update.text));
                }
                break;
            case Target::ProgressColumn:
                if (list) {
                    SetJobCellText(list, row, kJobProgress, FromUtf8(update.text));
                }
                break;
            case Target::SizePanel:
                if (sizePanel) {
                    sizePanel->setText(FromUtf8(update.text));
                }
                break;
            case Target::ProgressBar:
                if (bar) {
                    bar->setValue(std::clamp(update.barValue, 0, 100));
                }
                break;
            case Target::LastFrameText:
                break; // kept in the shared state by the worker itself
            }
        }
    });
}
