#include "encoder/delay.h"

#include "base/ui_thread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

void Delay(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms > 0 ? ms : 0);
    if (!OnUiThread()) {
        std::this_thread::sleep_until(deadline);
        return;
    }
    // The timer only wakes the dispatcher when the time is up; processEvents with
    // WaitForMoreEvents sleeps until then unless some other event arrives first. The
    // two-argument processEvents would not do: it drops WaitForMoreEvents and would spin.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline) {
            return;
        }
        if (!wake.isActive()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            wake.start(static_cast<int>(left));
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
