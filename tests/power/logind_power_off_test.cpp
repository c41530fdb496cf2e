// The power-off request against a private D-Bus bus started here, with a fake logind on it.
// The system bus is never used: its address is pointed at nothing before Qt starts.

#include "power/logind_power_off.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/prctl.h>

namespace {

// Children die with the test even if it crashes, so no bus or fake is ever left behind.
void DieWithParent() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void EndProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=@DIR@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

class LogindPowerOffTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const QString configPath = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile config(configPath);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QByteArray(kBusConfig).replace("@DIR@", QFile::encodeName(m_dir.path())));
        config.close();

        m_daemon.setChildProcessModifier(DieWithParent);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + configPath, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        ASSERT_TRUE(m_daemon.waitForStarted(5000)) << "dbus-daemon (package dbus) not found";
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(m_address.isEmpty()) << m_daemon.readAllStandardError().toStdString();
        m_recordPath = m_dir.filePath(QStringLiteral("poweroff-calls.txt"));
    }

    void TearDown() override {
        EndProcess(m_fake);
        EndProcess(m_daemon);
        for (const QString& name : m_connections) {
            QDBusConnection::disconnectFromBus(name);
        }
    }

    void StartFakeLogind(const QString& canAnswer, const QString& mode = {}) {
        QStringList args{m_address, canAnswer, m_recordPath};
        if (!mode.isEmpty()) {
            args << mode;
        }
        m_fake.setChildProcessModifier(DieWithParent);
        m_fake.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_fake.start(QStringLiteral(RC_TEST_TOOLS_DIR "fake_logind"), args);
        ASSERT_TRUE(m_fake.waitForStarted(5000));
        while (!m_fake.canReadLine() && m_fake.waitForReadyRead(5000)) {
        }
        ASSERT_EQ(m_fake.readLine().trimmed(), "ready");
    }

    QDBusConnection Bus() {
        const QString name = QStringLiteral("private-bus-%1").arg(m_connections.size());
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

    QStringList RecordedCalls() const {
        QFile record(m_recordPath);
        if (!record.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return {};
        }
        return QString::fromUtf8(record.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_fake;
    QString m_address;
    QString m_recordPath;
    QStringList m_connections;
};

TEST_F(LogindPowerOffTest, YesLeadsToOneNonInteractivePowerOff) {
    StartFakeLogind(QStringLiteral("yes"));
    LogindPowerOff powerOff(Bus());
    EXPECT_TRUE(powerOff.ShutDownPC());
    EXPECT_EQ(RecordedCalls(), QStringList{QStringLiteral("PowerOff interactive=false")});
}

// Every answer but exactly "yes" keeps the computer on without asking for the power-off.
TEST_F(LogindPowerOffTest, AnyOtherAnswerAsksNothing) {
    for (const char* answer : {"no", "challenge", "na", "", "Yes", "yes "}) {
        SCOPED_TRACE(answer);
        StartFakeLogind(QString::fromUtf8(answer));
        LogindPowerOff powerOff(Bus());
        EXPECT_FALSE(powerOff.ShutDownPC());
        EXPECT_TRUE(RecordedCalls().isEmpty());
        EndProcess(m_fake);
    }
}

TEST_F(LogindPowerOffTest, RefusedPowerOffIsFalse) {
    StartFakeLogind(QStringLiteral("yes"), QStringLiteral("refuse"));
    LogindPowerOff powerOff(Bus());
    EXPECT_FALSE(powerOff.ShutDownPC());
    EXPECT_EQ(RecordedCalls().size(), 1);
}

TEST_F(LogindPowerOffTest, NoLogindOnTheBusIsFalse) {
    LogindPowerOff powerOff(Bus());
    EXPECT_FALSE(powerOff.ShutDownPC());
}

// A logind that never answers must not hold the window beyond the call timeout.
TEST_F(LogindPowerOffTest, SilentLogindGivesUpAfterTheTimeout) {
    StartFakeLogind(QStringLiteral("yes"), QStringLiteral("hang"));
    LogindPowerOff powerOff(Bus(), 300);
    EXPECT_FALSE(powerOff.ShutDownPC());
    EXPECT_TRUE(RecordedCalls().isEmpty());
}

TEST_F(LogindPowerOffTest, NoBusIsFalse) {
    const QString name = QStringLiteral("no-bus");
    m_connections << name;
    LogindPowerOff powerOff(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-such-socket")), name));
    EXPECT_FALSE(powerOff.ShutDownPC());
}

} // namespace

int main(int argc, char** argv) {
    // Belt and braces: even a stray systemBus() in this process finds no bus at all.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ravelcast-test-no-system-bus", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/ravelcast-test-no-session-bus", 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
