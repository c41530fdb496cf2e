#pragma once
// A D-Bus daemon of the test's own, in a temporary folder, for stand-ins of the desktop's and
// the system's services: nothing a test does on it can reach the real buses. The daemon, and
// every helper started through StartHelper, dies with the test even if the test crashes.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <vector>

class PrivateBus {
public:
    PrivateBus() {
        if (!m_dir.isValid()) {
            return;
        }
        const QString configPath = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile config(configPath);
        if (!config.open(QIODevice::WriteOnly)) {
            return;
        }
        config.write(QByteArray(kConfig).replace("@DIR@", QFile::encodeName(m_dir.path())));
        config.close();
        m_daemon.setChildProcessModifier(DieWithParent);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + configPath, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted(5000)) {
            return;
        }
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

    ~PrivateBus() {
        EndHelpers();
        End(m_daemon);
    }

    void EndHelpers() {
        for (auto& helper : m_helpers) {
            End(*helper);
        }
        m_helpers.clear();
    }

    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when no daemon could be started (package dbus missing).
    const QString& Address() const { return m_address; }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }

    // Starts `program` and waits for its first line, which it prints once its names are on the
    // bus; returns that line ("" when it did not come).
    QByteArray StartHelper(const QString& program, const QStringList& arguments) {
        m_helpers.push_back(std::make_unique<QProcess>());
        QProcess& helper = *m_helpers.back();
        helper.setChildProcessModifier(DieWithParent);
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(program, arguments);
        if (!helper.waitForStarted(5000)) {
            return {};
        }
        while (!helper.canReadLine() && helper.waitForReadyRead(5000)) {
        }
        return helper.readLine().trimmed();
    }

private:
    static void DieWithParent() { prctl(PR_SET_PDEATHSIG, SIGKILL); }

    static void End(QProcess& process) {
        if (process.state() == QProcess::NotRunning) {
            return;
        }
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    static constexpr const char* kConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=@DIR@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/>
    <allow eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
};
