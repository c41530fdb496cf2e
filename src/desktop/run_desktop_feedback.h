#pragma once
// A conversion run as the desktop sees it: its progress and the rows still to convert on the
// launcher entry while it runs, cleared when it ends, and a notification when it completes
// while the user is working in another window.
//
// User-interface thread only; the job loop reaches it through the engine's window calls.

#include "desktop/desktop_services.h"

#include <QObject>
#include <QPointer>

class ConversionState;
class QProgressBar;
class QTableWidget;
class QWidget;

inline constexpr char kRunDoneSummary[] = "All Conversion Jobs Done!";

struct RunFeedbackControls {
    QWidget* MainWindow = nullptr; // whether it is the active window decides the notification
    QTableWidget* ListView1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr; // the file in hand, 0 to 100
    const ConversionState* State = nullptr;
};

// "2 files done, 1 failed."
QString RunDoneBody(int doneCount, int failedCount);

class RunDesktopFeedback : public QObject {
    Q_OBJECT
public:
    RunDesktopFeedback(RunFeedbackControls controls, DesktopServices services,
                       QObject* parent = nullptr);

    // From the moment the run locks the window until it unlocks it again.
    void RunStarted();
    void RunEnded();
    // Every row has been worked through (not stopped): tells the user if they are elsewhere.
    void RunCompleted();

private:
    void ShowProgress();

    RunFeedbackControls m_controls;
    DesktopServices m_services;
    bool m_running = false;
    // What the launcher shows now; a new signal only when this changes.
    int m_shownPermille = -1;
    qint64 m_shownCount = -1;
};
