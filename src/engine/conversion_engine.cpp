#include "engine/conversion_engine.h"

#include "base/conversion_state.h"
#include "command/text_rules.h"
#include "encoder/encoder_contract.h"
#include "encoder/process_killer.h"
#include "engine/encoder_job.h"
#include "engine/job_loop.h"
#include "engine/watchdog_rule.h"
#include "jobs/job_list.h"
#include "support/dialog_seam.h"
#include "support/startup_values.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace {

bool FolderExists(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

ConversionEngine::ConversionEngine(EngineControls controls, QObject* parent)
    : QObject(parent), m_ui(std::move(controls)) {
    connect(m_ui.Controls().ConversionCountTimer, &QTimer::timeout, this,
            &ConversionEngine::ConversionCountTimerTimer);
}

ConversionEngine::~ConversionEngine() {
    if (m_worker.Running()) {
        ConversionState& state = *m_ui.Controls().State;
        state.StopRequested = true;
        state.AbortRequested = true;
        ProcessKiller(kEncoderFileName);
        m_worker.Stop();
        // The worker waits on this thread for every window it touches, so this thread keeps
        // serving it until the loop has returned.
        while (m_worker.Running()) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        QCoreApplication::sendPostedEvents();
    }
    m_worker.JoinFinished();
}

void ConversionEngine::AttachOptionCheckBoxes(QCheckBox* overwrite, QCheckBox* shutDown) {
    m_ui.AttachOptionCheckBoxes(overwrite, shutDown);
}

void ConversionEngine::ConvertNowButtonClick() {
    const EngineControls& c = m_ui.Controls();
    // Not while files are being analysed, and not during the power-off countdown: a power-off
    // in the middle of a conversion would cut the file in hand.
    if (c.Values->AnalysisDialogShown || c.State->ShutdownPending.load()) {
        return;
    }
    const QString folder = c.Edit1->text();
    if (TrimAscii(folder.toStdString()).empty()) {
        DialogSeam::InformWithIcon(c.MessageParent, QString::fromLatin1(kChooseFolderText));
        if (c.BrowseForFolder) {
            c.BrowseForFolder();
        }
        return;
    }
    // The folder as it stands: a Linux folder name may end in a blank, and the job writes
    // into exactly this folder.
    if (!FolderExists(folder)) {
        DialogSeam::InformWithIcon(c.MessageParent,
                                   QStringLiteral("The output folder \"") + folder +
                                       QStringLiteral("\"\n\rdoes not exist or has been deleted!"
                                                      "\n\rPlease choose a new output folder."));
        if (c.BrowseForFolder) {
            c.BrowseForFolder();
        }
        return;
    }
    // Does nothing while a run is under way, so a second press starts nothing.
    m_worker.Start([this] { JobLoop(m_ui, *m_ui.Controls().State); });
}

void ConversionEngine::StopConvertButtonClick() {
    const EngineControls& c = m_ui.Controls();
    ConversionState& state = *c.State;
    if (!state.Converting.load()) {
        return;
    }
    if (DialogSeam::Confirm(c.MessageParent, QString::fromLatin1(kStopQuestionText),
                            QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok) {
        return;
    }
    // The run may have ended while the question was open. Then there is nothing to stop, and
    // flags raised now would outlive the run and the encoders ended would be someone else's.
    // The job loop lowers Converting on this thread, so it cannot end between this look and
    // the flags below.
    if (!state.Converting.load()) {
        return;
    }
    // Both flags are up before the encoder dies, so the worker, which wakes up when its
    // encoder's output closes, can never go on to a retry or the next row. StopRequested goes
    // first: a job that starts in between clears AbortRequested and then looks at
    // StopRequested, and must find it.
    state.StopRequested = true;
    state.AbortRequested = true;
    ProcessKiller(kEncoderFileName);
    m_worker.Stop();
    c.ProgressBar1->setValue(0);
}

void ConversionEngine::ConversionCountTimerTimer() {
    const EngineControls& c = m_ui.Controls();
    ConversionState& state = *c.State;
    const QString frames = JobCellText(c.ListView1, state.CurrentRow.load(), kJobFrames);
    if (WatchdogTick(state, frames.toStdString()) == WatchdogAction::TerminateAndStopTimer) {
        ProcessKiller(kEncoderFileName);
        c.ConversionCountTimer->stop();
    }
}
