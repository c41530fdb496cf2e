#pragma once
// The thirty-second countdown that follows a finished run when the power-off option is on.
// The main window creates one and hands over to it at the end of a run; the timer, the
// dialog and the power-off request all live on the user-interface thread.

#include <QObject>

#include <functional>

class ConversionState;
class PowerOffRequest;
class QTimer;
class QWidget;
class TForm3;

class ShutdownCountdown : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 1000;
    static constexpr int kSecondsToPowerOff = 30;

    // The program's way to end at the thirtieth second. It leaves the event loop directly:
    // QCoreApplication::quit() would first ask every window to close, and the main window's
    // close query refuses while the countdown is pending, so the program would refuse its own
    // power-off. Leaving this way also skips the close handler, so settings are not written.
    static void EndProgram();

    // Parented to `mainWindow`, which owns the countdown and its timer. `state`, `form3` and
    // `powerOff` must outlive it. `endProgram` is called at the thirtieth second, just before
    // the power-off request (the program passes EndProgram).
    ShutdownCountdown(QWidget* mainWindow, ConversionState* state, TForm3* form3,
                      PowerOffRequest* powerOff, std::function<void()> endProgram);

    // The hand-over at the end of a run; callable from any thread. ShutdownPending is set at
    // once, so that the main window cannot be closed in the moment before the dialog shows;
    // the timer and the dialog are started on the user-interface thread.
    void StartCountdown();

    // One second of the countdown.
    void TimerShutdown2Timer();

    // "Do Not Turn Off".
    void SpeedButton1Click();

    QTimer* TimerShutdown2() const { return m_timerShutdown2; }

private:
    void ShowCountdown();

    QWidget* m_mainWindow;
    ConversionState* m_state;
    TForm3* m_form3;
    PowerOffRequest* m_powerOff;
    std::function<void()> m_endProgram;
    QTimer* m_timerShutdown2;
};
