// A stand-in for systemd-logind on a private bus, so that the power-off request can be tried
// without any chance of reaching the real one.
//
//   fake_logind <bus address> <CanPowerOff answer> <record file> [refuse|hang]
//
// Answers CanPowerOff with the given text and appends one line per PowerOff call to the record
// file ("PowerOff interactive=false"). With "refuse" it answers PowerOff with an error, as
// logind does when an inhibitor or the authorisation says no; with "hang" it never answers
// CanPowerOff at all. Prints "ready" once the name is registered.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <cstdio>

class FakeManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    FakeManager(QString canAnswer, QString recordPath, QString mode)
        : m_canAnswer(std::move(canAnswer)), m_recordPath(std::move(recordPath)),
          m_mode(std::move(mode)) {}

public slots:
    QString CanPowerOff() {
        if (m_mode == QLatin1String("hang")) {
            setDelayedReply(true); // and never reply
            return {};
        }
        return m_canAnswer;
    }

    void PowerOff(bool interactive) {
        // The record is closed, and so on disk, before any reply leaves: the test reads it as
        // soon as the answer arrives.
        {
            QFile record(m_recordPath);
            if (record.open(QIODevice::Append | QIODevice::Text)) {
                record.write(interactive ? "PowerOff interactive=true\n"
                                         : "PowerOff interactive=false\n");
            }
        }
        if (m_mode == QLatin1String("refuse")) {
            sendErrorReply(QStringLiteral("org.freedesktop.login1.OperationInProgress"),
                           QStringLiteral("refused by the test"));
        }
    }

private:
    QString m_canAnswer;
    QString m_recordPath;
    QString m_mode;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: fake_logind <address> <answer> <record file> [refuse|hang]\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(args[1], QStringLiteral("fake-logind"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fake_logind: cannot connect to %s\n", qPrintable(args[1]));
        return 1;
    }
    FakeManager manager(args[2], args[3], args.size() > 4 ? args[4] : QString());
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fprintf(stderr, "fake_logind: cannot register\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    // Never outlive a test that forgot to end us.
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    return app.exec();
}

#include "fake_logind.moc"
