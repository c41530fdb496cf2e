// A conversion run as the desktop sees it: the program's real notification and launcher-entry
// senders on a private bus, a stand-in desktop session on it recording what arrives, and runs
// of the scripted fake encoder through the real window and job loop. The real session bus is
// never used: its address is pointed at nothing before Qt starts.

#include "engine_harness.h"

#include "analysis/job_list_drop.h"
#include "desktop/run_desktop_feedback.h"
#include "desktop/session_desktop.h"
#include "jobs/job_list.h"
#include "tools/private_bus.h"
#include "tools/test_folder.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::string kHeader = "write Input #0, avi, from 'in.avi':\\r\\n  Duration: 00:00:02.00, "
                            "start: 0.000000, bitrate: 100 kb/s\\r\\nOutput #0, mp4, to "
                            "'out.mp4':\\r\\n\n";
// Half way (1 of 2 seconds), a pause the window sees, then the end.
const std::string kClean = kHeader + "output-write converted\n" +
                           "write frame=25 q=2.0 size=10kB time=1.00 bitrate=80.0kbits/s\\r\n"
                           "sleep 400\n"
                           "write frame=50 q=2.0 size=20kB time=2.00 bitrate=80.0kbits/s\\r\\n\n";
const std::string kFailing = kHeader + "write Error while opening file\\r\\n\n";

const QString kUri = QStringLiteral("application://org.kestrel.Ravelcast.desktop");

class DesktopRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_bus.Address().isEmpty()) << "dbus-daemon (package dbus) not found";
        m_record = m_bus.FilePath(QStringLiteral("session-record.txt"));
        fs::create_directories(m_folder.Path() / "app");
        fs::create_directories(m_folder.Path() / "out");
        fs::copy_file(RC_FAKE_ENCODER, m_folder.File("app/zorir3e.exe"));
        m_script = m_folder.File("script.txt");
        ::setenv("RC_FAKE_ENCODER_SCRIPT", m_script.c_str(), 1);
    }

    void TearDown() override {
        m_harness.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    }

    void StartSession(bool withNotifications) {
        QStringList args{m_bus.Address(), m_record};
        if (!withNotifications) {
            args << QStringLiteral("no-notifications");
        }
        ASSERT_EQ(m_bus.StartHelper(QStringLiteral(RC_TEST_TOOLS_DIR "fake_desktop_session"), args),
                  "ready");
    }

    // The program with its real senders on the private bus, and `rows` checked rows.
    void StartProgram(int rows) {
        QDBusConnection bus = QDBusConnection::connectToBus(m_bus.Address(), "program");
        ASSERT_TRUE(bus.isConnected());
        m_notifier = std::make_unique<FreedesktopNotifier>(bus);
        m_taskbar = std::make_unique<LauncherEntryProgress>(bus);
        m_harness = std::make_unique<EngineHarness>(
            m_folder.File("app/"), DesktopServices{m_notifier.get(), m_taskbar.get()});
        m_harness->SetOutputFolder(m_folder.File("out"));
        for (int row = 0; row < rows; ++row) {
            const std::string source = m_folder.File("clip" + std::to_string(row) + ".avi");
            std::ofstream(source) << "source";
            m_harness->AddRow(source);
        }
        m_harness->Form().show();
    }

    void WriteScript(const std::string& body) { std::ofstream(m_script) << body; }

    // Makes the main window the active one, or another window of the desktop.
    void SetMainWindowActive(bool active) {
        if (active) {
            m_harness->Form().activateWindow();
        } else {
            m_other.show();
            m_other.activateWindow();
        }
        EngineHarness::WaitUntil([&] { return m_harness->Form().isActiveWindow() == active; },
                                 std::chrono::milliseconds(3000));
        ASSERT_EQ(m_harness->Form().isActiveWindow(), active);
    }

    // Converts, then waits until the launcher has been cleared: everything the run sent before
    // has arrived by then, in the order sent.
    void ConvertAndWaitForTheClear() {
        ASSERT_TRUE(m_harness->ConvertAndWait());
        const bool cleared = EngineHarness::WaitUntil([&] {
            const QList<QStringList> updates = Lines(QStringLiteral("Update"));
            return !updates.isEmpty() && updates.back().value(3) == QLatin1String("false");
        });
        ASSERT_TRUE(cleared) << "the launcher entry was not cleared";
    }

    QList<QStringList> Lines(const QString& kind) const {
        QList<QStringList> lines;
        QFile record(m_record);
        if (record.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QString& line : QString::fromUtf8(record.readAll()).split('\n')) {
                const QStringList fields = line.split(QLatin1Char('|'));
                if (fields.first() == kind) {
                    lines << fields;
                }
            }
        }
        return lines;
    }

    PrivateBus m_bus;
    TestFolder m_folder;
    QString m_record;
    std::string m_script;
    QWidget m_other;
    std::unique_ptr<FreedesktopNotifier> m_notifier;
    std::unique_ptr<LauncherEntryProgress> m_taskbar;
    std::unique_ptr<EngineHarness> m_harness;
};

TEST_F(DesktopRunTest, ARunEndingBehindOtherWindowsIsNotifiedOnce) {
    StartSession(true);
    StartProgram(3);
    // Row 0 converts, row 1 fails on both routes, row 2 is left unchecked.
    WriteScript(kClean);
    SetJobChecked(m_harness->Form().ListView1, 2, false);
    m_harness->OnProgressChange([this](int row, const std::string& text) {
        if (row == 0 && text == "Done") {
            WriteScript(kFailing);
        }
    });
    SetMainWindowActive(false);
    ConvertAndWaitForTheClear();

    EXPECT_EQ(m_harness->Cell(0, kJobProgress), "Done");
    EXPECT_EQ(m_harness->Cell(1, kJobProgress), "Failed");
    const QList<QStringList> notes = Lines(QStringLiteral("Notify"));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0], (QStringList{"Notify", "Kestrel Ravelcast", "0", "org.kestrel.Ravelcast",
                                     "All Conversion Jobs Done!", "1 file done, 1 failed.",
                                     "org.kestrel.Ravelcast", "-1"}));
    // The message box is shown as ever.
    ASSERT_EQ(m_harness->messages.size(), 1u);
    EXPECT_EQ(m_harness->messages[0].text, "All Conversion Jobs Done!");
}

TEST_F(DesktopRunTest, NoNotificationWhileTheUserIsInTheWindowOrWithoutAService) {
    for (const bool withService : {true, false}) {
        SCOPED_TRACE(withService ? "active window" : "no notification service");
        StartSession(withService);
        StartProgram(2);
        WriteScript(kClean);
        SetMainWindowActive(withService);
        ConvertAndWaitForTheClear();
        EXPECT_EQ(m_harness->Cell(1, kJobProgress), "Done");
        EXPECT_TRUE(Lines(QStringLiteral("Notify")).isEmpty());
        EXPECT_EQ(m_harness->messages.size(), 1u);
        m_harness.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        m_bus.EndHelpers();
        QFile::remove(m_record);
    }
}

// The launcher shows the whole run's progress and the rows still to convert, and is cleared at
// the end; files dropped meanwhile are refused like "Add File".
TEST_F(DesktopRunTest, TheLauncherFollowsTheRunAndIsClearedAtItsEnd) {
    StartSession(true);
    StartProgram(2);
    WriteScript(kClean);
    std::pair<bool, bool> dropDuringRun{true, true};
    m_harness->OnProgressChange([&](int row, const std::string& text) {
        if (row == 1 && text == "50%") {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(m_folder.File("clip0.avi").c_str())});
            QWidget* viewport = m_harness->Form().ListView1->viewport();
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &drop);
            dropDuringRun = {enter.isAccepted(), drop.isAccepted()};
        }
    });
    ConvertAndWaitForTheClear();

    EXPECT_FALSE(dropDuringRun.first);
    EXPECT_FALSE(dropDuringRun.second);
    EXPECT_EQ(m_harness->Form().ListView1->rowCount(), 2);

    QList<QStringList> updates = Lines(QStringLiteral("Update"));
    ASSERT_GE(updates.size(), 3);
    const QStringList clear = updates.takeLast();
    EXPECT_EQ(clear, (QStringList{"Update", kUri, "0.000", "false", "0", "false", "qlonglong"}));
    // Every update while converting: the run's part done, shown, and the rows still to go,
    // shown while there are any.
    QStringList shown;
    double lastProgress = 0.0;
    for (const QStringList& update : updates) {
        ASSERT_EQ(update.size(), 7);
        EXPECT_EQ(update[1], kUri);
        EXPECT_EQ(update[3], "true");
        EXPECT_EQ(update[5], update[4] != "0" ? "true" : "false");
        EXPECT_EQ(update[6], "qlonglong");
        EXPECT_GE(update[2].toDouble(), lastProgress);
        lastProgress = update[2].toDouble();
        shown << update[2] + "/" + update[4];
    }
    // Half of the first file is a quarter of the run; half of the second, three quarters.
    EXPECT_EQ(shown.first(), "0.000/2");
    EXPECT_TRUE(shown.contains("0.250/2")) << shown.join(' ').toStdString();
    EXPECT_TRUE(shown.contains("0.500/1")) << shown.join(' ').toStdString();
    EXPECT_TRUE(shown.contains("0.750/1")) << shown.join(' ').toStdString();
    EXPECT_EQ(shown.last(), "1.000/0");
}

} // namespace

int main(int argc, char** argv) {
    // Belt and braces: even a stray sessionBus() in this process finds no bus at all.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ravelcast-test-no-system-bus", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/ravelcast-test-no-session-bus", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
