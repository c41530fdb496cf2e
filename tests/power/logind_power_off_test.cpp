// The power-off request against a private D-Bus bus started here, with a fake logind on it.
// The system bus is never used: its address is pointed at nothing before Qt starts.

#include "power/logind_power_off.h"

#include "tools/private_bus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>

#include <cstdlib>

namespace {

class LogindPowerOffTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_bus.Address().isEmpty()) << "dbus-daemon (package dbus) could not start";
        m_recordPath = m_bus.FilePath(QStringLiteral("poweroff-calls.txt"));
    }

    void TearDown() override {
        m_bus.EndHelpers();
        for (const QString& name : m_connections) {
            QDBusConnection::disconnectFromBus(name);
        }
    }

    void StartFakeLogind(const QString& canAnswer, const QString& mode = {}) {
        QStringList args{m_bus.Address(), canAnswer, m_recordPath};
        if (!mode.isEmpty()) {
            args << mode;
        }
        ASSERT_EQ(m_bus.StartHelper(QStringLiteral(RC_TEST_TOOLS_DIR "fake_logind"), args),
                  "ready");
    }

    QDBusConnection Bus() {
        const QString name = QStringLiteral("private-bus-%1").arg(m_connections.size());
        m_connections << name;
        return QDBusConnection::connectToBus(m_bus.Address(), name);
    }

    QStringList RecordedCalls() const {
        QFile record(m_recordPath);
        if (!record.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return {};
        }
        return QString::fromUtf8(record.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    PrivateBus m_bus;
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
        m_bus.EndHelpers();
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
        QStringLiteral("unix:path=") + m_bus.FilePath(QStringLiteral("no-such-socket")), name));
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
