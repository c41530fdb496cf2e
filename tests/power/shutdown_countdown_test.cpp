// The countdown dialog and its timer, on real widgets offscreen. Ticks are driven directly;
// the power-off request is a recording stand-in, so nothing here can power anything off.

#include "base/conversion_state.h"
#include "power/countdown_dialog.h"
#include "power/power_off_request.h"
#include "power/shutdown_countdown.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Events = std::vector<std::string>;

class RecordingPowerOff : public PowerOffRequest {
public:
    explicit RecordingPowerOff(Events* events) : m_events(events) {}
    bool ShutDownPC() override {
        m_events->push_back("power-off");
        return true;
    }

private:
    Events* m_events;
};

// A main window that, like the real one during a countdown, refuses every close.
class RefusingWindow : public QWidget {
public:
    int closeAttempts = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeAttempts;
        event->ignore();
    }
};

class ShutdownCountdownTest : public ::testing::Test {
protected:
    ShutdownCountdownTest() {
        m_mainWindow.setGeometry(120, 80, 765, 512);
        m_mainWindow.show();
    }

    ShutdownCountdown* MakeCountdown(std::function<void()> endProgram) {
        // Owned by the main window, as in the program.
        return new ShutdownCountdown(&m_mainWindow, &m_state, m_form3, &m_powerOff,
                                     std::move(endProgram));
    }
    ShutdownCountdown* MakeRecordingCountdown() {
        return MakeCountdown([this] { m_events.push_back("end"); });
    }

    QString Shown() const { return m_form3->Label2()->text(); }

    Events m_events;
    ConversionState m_state;
    RecordingPowerOff m_powerOff{&m_events};
    RefusingWindow m_mainWindow;
    TForm3* m_form3 = new TForm3(&m_state, &m_mainWindow);
};

TEST_F(ShutdownCountdownTest, DialogAndTimerAtStart) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    EXPECT_EQ(countdown->TimerShutdown2()->objectName(), "TimerShutdown2");
    EXPECT_EQ(countdown->TimerShutdown2()->interval(), 1000);
    EXPECT_FALSE(countdown->TimerShutdown2()->isSingleShot());
    EXPECT_FALSE(countdown->TimerShutdown2()->isActive());
    EXPECT_FALSE(m_form3->isVisible());

    EXPECT_EQ(m_form3->windowTitle(), "Warning");
    EXPECT_EQ(m_form3->minimumSize(), QSize(365, 186));
    EXPECT_EQ(m_form3->maximumSize(), QSize(365, 186));
    EXPECT_TRUE(m_form3->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(m_form3->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(m_form3->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    EXPECT_EQ(m_form3->Label1()->text(), "Your PC will be turned off in 30 seconds");
    EXPECT_EQ(Shown(), "1");
    EXPECT_EQ(m_form3->SpeedButton1()->text(), "Do Not Turn Off");
    for (QLabel* label : {m_form3->Label1(), m_form3->Label2()}) {
        EXPECT_TRUE(label->font().bold()) << label->objectName().toStdString();
        EXPECT_EQ(label->font().pointSize(), 10) << label->objectName().toStdString();
    }
    EXPECT_EQ(m_form3->Label2()->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(m_form3->findChild<QLabel*>("Label1"), m_form3->Label1());
    EXPECT_EQ(m_form3->findChild<QPushButton*>("SpeedButton1"), m_form3->SpeedButton1());

    // Every text whole, with the fonts this machine really has, and in top-to-bottom order.
    m_form3->show();
    QApplication::processEvents();
    EXPECT_EQ(m_form3->size(), QSize(365, 186));
    for (QLabel* label : {m_form3->Label1(), m_form3->Label2()}) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << label->objectName().toStdString();
        EXPECT_TRUE(m_form3->rect().contains(label->geometry()));
    }
    QPushButton* button = m_form3->SpeedButton1();
    EXPECT_GE(button->width(), button->sizeHint().width());
    EXPECT_TRUE(m_form3->rect().contains(button->geometry()));
    EXPECT_LT(m_form3->Label1()->geometry().bottom(), m_form3->Label2()->geometry().top());
    EXPECT_LT(m_form3->Label2()->geometry().bottom(), button->geometry().top());
}

TEST_F(ShutdownCountdownTest, CountsToThirtyThenEndsTheProgramAndRequestsPowerOffOnce) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    countdown->StartCountdown();
    EXPECT_TRUE(m_state.ShutdownPending);
    EXPECT_EQ(m_state.CountdownSeconds, 0);
    EXPECT_TRUE(m_form3->isVisible());
    EXPECT_FALSE(m_form3->isModal());
    EXPECT_TRUE(countdown->TimerShutdown2()->isActive());
    EXPECT_EQ(Shown(), "1");

    for (int second = 1; second < 30; ++second) {
        countdown->TimerShutdown2Timer();
        ASSERT_EQ(Shown(), QString::number(second));
        ASSERT_TRUE(m_events.empty()) << "at second " << second;
    }
    countdown->TimerShutdown2Timer();
    EXPECT_EQ(Shown(), "30");
    // Ending is asked for before the request, so a slow request cannot keep the program alive.
    EXPECT_EQ(m_events, (Events{"end", "power-off"}));

    for (int second = 31; second <= 33; ++second) {
        countdown->TimerShutdown2Timer();
    }
    EXPECT_EQ(Shown(), "33");
    EXPECT_EQ(m_events, (Events{"end", "power-off"}));
}

TEST_F(ShutdownCountdownTest, DoNotTurnOffAtTwelveAndASecondCountdownStartsFromOne) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    countdown->StartCountdown();
    for (int second = 1; second <= 12; ++second) {
        countdown->TimerShutdown2Timer();
    }
    m_form3->SpeedButton1()->click();
    EXPECT_FALSE(m_form3->isVisible());
    EXPECT_FALSE(countdown->TimerShutdown2()->isActive());
    EXPECT_FALSE(m_state.ShutdownPending);
    EXPECT_EQ(m_state.CountdownSeconds, 12);
    EXPECT_TRUE(m_events.empty());

    // The declined count stays on show until the new countdown's first second.
    countdown->StartCountdown();
    EXPECT_TRUE(m_form3->isVisible());
    EXPECT_TRUE(m_state.ShutdownPending);
    EXPECT_TRUE(countdown->TimerShutdown2()->isActive());
    EXPECT_EQ(Shown(), "12");
    countdown->TimerShutdown2Timer();
    EXPECT_EQ(Shown(), "1");
    EXPECT_TRUE(m_events.empty());
}

TEST_F(ShutdownCountdownTest, ClosingTheDialogDoesNothingWhileCounting) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    countdown->StartCountdown();

    EXPECT_FALSE(m_form3->close());
    EXPECT_TRUE(m_form3->isVisible());
    m_form3->reject();
    EXPECT_TRUE(m_form3->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_form3, &escape);
    EXPECT_TRUE(m_form3->isVisible());
    // What the window manager's close box and Alt+F4 deliver.
    QCloseEvent closeBox;
    QApplication::sendEvent(m_form3, &closeBox);
    EXPECT_FALSE(closeBox.isAccepted());
    EXPECT_TRUE(m_form3->isVisible());

    EXPECT_TRUE(m_state.ShutdownPending);
    EXPECT_TRUE(countdown->TimerShutdown2()->isActive());
    bool canClose = true;
    m_form3->FormCloseQuery(canClose);
    EXPECT_FALSE(canClose);

    // Once declined, the dialog closes like any other.
    countdown->SpeedButton1Click();
    m_form3->show();
    EXPECT_TRUE(m_form3->close());
    EXPECT_FALSE(m_form3->isVisible());
}

TEST_F(ShutdownCountdownTest, HandOverFromTheWorkerThreadShowsTheDialogOnTheUiThread) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    m_state.CountdownSeconds = 7;
    std::thread worker([countdown] { countdown->StartCountdown(); });
    worker.join();
    // Pending at once, so the main window cannot be closed before the dialog appears.
    EXPECT_TRUE(m_state.ShutdownPending);
    EXPECT_EQ(m_state.CountdownSeconds, 0);

    QApplication::processEvents();
    EXPECT_TRUE(m_form3->isVisible());
    EXPECT_TRUE(countdown->TimerShutdown2()->isActive());
    EXPECT_EQ(countdown->TimerShutdown2()->thread(), QApplication::instance()->thread());
    const QPoint offset = m_form3->geometry().center() - m_mainWindow.geometry().center();
    EXPECT_LE(offset.manhattanLength(), 1);
}

TEST_F(ShutdownCountdownTest, TheTimerReallyTicksOnceASecond) {
    ShutdownCountdown* countdown = MakeRecordingCountdown();
    countdown->StartCountdown();
    QTimer giveUp;
    giveUp.start(3000);
    while (m_state.CountdownSeconds == 0 && giveUp.isActive()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_EQ(m_state.CountdownSeconds, 1);
    EXPECT_EQ(Shown(), "1");
}

// The program's own way out leaves the event loop even though its main window refuses to
// close during the countdown, and without asking that window at all.
TEST_F(ShutdownCountdownTest, ProgramEndsDespiteItsOwnCloseQueries) {
    ShutdownCountdown* countdown = MakeCountdown(&ShutdownCountdown::EndProgram);
    countdown->StartCountdown();
    for (int second = 1; second < 30; ++second) {
        countdown->TimerShutdown2Timer();
    }
    countdown->TimerShutdown2()->stop(); // only the tick below may reach thirty
    QTimer::singleShot(0, countdown, &ShutdownCountdown::TimerShutdown2Timer);
    QObject guard; // the safety net goes with this test
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(m_events, Events{"power-off"});
    EXPECT_EQ(m_mainWindow.closeAttempts, 0);
}

} // namespace

int main(int argc, char** argv) {
    // Nothing here talks to D-Bus; should anything try, it finds no bus at all.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ravelcast-test-no-system-bus", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
