#include "desktop/run_desktop_feedback.h"

#include "base/conversion_state.h"
#include "jobs/job_list.h"

#include <QProgressBar>
#include <QTableWidget>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

bool IsVerdict(const QString& progress) {
    return progress == QLatin1String("Done") || progress == QLatin1String("Failed") ||
           progress == QLatin1String("Aborted");
}

} // namespace

QString RunDoneBody(int doneCount, int failedCount) {
    const QString files = doneCount == 1 ? QStringLiteral("file") : QStringLiteral("files");
    return QStringLiteral("%1 %2 done, %3 failed.").arg(doneCount).arg(files).arg(failedCount);
}

RunDesktopFeedback::RunDesktopFeedback(RunFeedbackControls controls, DesktopServices services,
                                       QObject* parent)
    : QObject(parent), m_controls(controls), m_services(services) {
    if (m_services.taskbar == nullptr) {
        return;
    }
    // The bar moves with every report of the encoder; a row's verdict or a check box the user
    // changes during the run alters the rows still to go.
    connect(m_controls.ProgressBar1, &QProgressBar::valueChanged, this, [this] { ShowProgress(); });
    connect(m_controls.ListView1, &QTableWidget::itemChanged, this, [this] { ShowProgress(); });
}

void RunDesktopFeedback::RunStarted() {
    m_running = true;
    m_shownPermille = -1;
    m_shownCount = -1;
    ShowProgress();
}

void RunDesktopFeedback::RunEnded() {
    if (!m_running) {
        return;
    }
    m_running = false;
    if (m_services.taskbar != nullptr) {
        m_services.taskbar->Clear();
    }
}

void RunDesktopFeedback::RunCompleted() {
    if (m_services.notifier == nullptr || m_controls.MainWindow->isActiveWindow()) {
        return;
    }
    const QTableWidget* list = m_controls.ListView1;
    int done = 0;
    int failed = 0;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString progress = JobCellText(list, row, kJobProgress);
        done += progress == QLatin1String("Done") ? 1 : 0;
        failed += progress == QLatin1String("Failed") ? 1 : 0;
    }
    m_services.notifier->Notify(QString::fromLatin1(kRunDoneSummary), RunDoneBody(done, failed));
}

void RunDesktopFeedback::ShowProgress() {
    if (!m_running || m_services.taskbar == nullptr) {
        return;
    }
    // Rows above the one in hand are finished or were skipped; from it on, every checked row
    // without a verdict is still to convert, the one in hand included. The run's progress is
    // the finished jobs plus the part of the one in hand, over all of them.
    const QTableWidget* list = m_controls.ListView1;
    const int currentRow = m_controls.State->CurrentRow.load();
    int finished = 0;
    qint64 remaining = 0;
    double inHand = 0.0;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString progress = JobCellText(list, row, kJobProgress);
        if (IsVerdict(progress)) {
            ++finished;
        } else if (row >= currentRow && IsJobChecked(list, row)) {
            ++remaining;
            if (row == currentRow && m_controls.State->Converting.load()) {
                inHand = std::clamp(m_controls.ProgressBar1->value(), 0, 100) / 100.0;
            }
        }
    }
    const qint64 jobs = finished + remaining;
    const double progress = jobs > 0 ? (finished + inHand) / static_cast<double>(jobs) : 0.0;
    const int permille = static_cast<int>(std::lround(progress * 1000.0));
    if (permille == m_shownPermille && remaining == m_shownCount) {
        return;
    }
    m_shownPermille = permille;
    m_shownCount = remaining;
    m_services.taskbar->ShowProgress(permille / 1000.0, remaining);
}
