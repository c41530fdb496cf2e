#include "power/shutdown_countdown.h"

#include "base/conversion_state.h"
#include "base/ui_thread.h"
#include "power/countdown_dialog.h"
#include "power/power_off_request.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

void ShutdownCountdown::EndProgram() {
    QCoreApplication::exit(0);
}

ShutdownCountdown::ShutdownCountdown(QWidget* mainWindow, ConversionState* state, TForm3* form3,
                                     PowerOffRequest* powerOff, std::function<void()> endProgram)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_state(state), m_form3(form3),
      m_powerOff(powerOff), m_endProgram(std::move(endProgram)),
      m_timerShutdown2(new QTimer(this)) {
    setObjectName(QStringLiteral("ShutdownCountdown"));
    m_timerShutdown2->setObjectName(QStringLiteral("TimerShutdown2"));
    m_timerShutdown2->setInterval(kTickMs);
    m_timerShutdown2->stop();
    connect(m_timerShutdown2, &QTimer::timeout, this, &ShutdownCountdown::TimerShutdown2Timer);
    connect(m_form3->SpeedButton1(), &QPushButton::clicked, this,
            &ShutdownCountdown::SpeedButton1Click);
}

void ShutdownCountdown::StartCountdown() {
    m_state->ShutdownPending = true;
    m_state->CountdownSeconds = 0;
    if (QThread::currentThread() == thread()) {
        ShowCountdown();
        return;
    }
    // The job loop's worker hands over as its last act; it must not wait for the window, and
    // the call is dropped if the main window is already gone.
    QPointer<ShutdownCountdown> self(this);
    PostToUiThread([self] {
        if (self) {
            self->ShowCountdown();
        }
    });
}

void ShutdownCountdown::ShowCountdown() {
    // Changing window flags hides a visible window, so only touch them when they differ.
    if (!m_form3->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        m_form3->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    m_timerShutdown2->start();
    if (!m_form3->isVisible()) {
        m_form3->CentreOn(m_mainWindow);
    }
    m_form3->show();
}

void ShutdownCountdown::TimerShutdown2Timer() {
    const int seconds = ++m_state->CountdownSeconds;
    m_form3->Label2()->setText(QString::number(seconds));
    if (seconds == kSecondsToPowerOff) {
        // Ending first: the event loop stops once this tick returns, so whatever the power-off
        // request does meanwhile, the program is already on its way out.
        m_endProgram();
        m_powerOff->ShutDownPC();
    }
}

void ShutdownCountdown::SpeedButton1Click() {
    m_timerShutdown2->stop();
    m_state->ShutdownPending = false;
    m_form3->close();
}
