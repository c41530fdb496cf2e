// A stand-in for a desktop session's services on a private bus, so that the program's
// notifications and launcher-entry signals can be watched without reaching the real ones.
//
//   fake_desktop_session <bus address> <record file> [no-notifications]
//
// Owns org.freedesktop.Notifications (unless told not to) and appends one line per Notify call
// to the record file:  Notify|app name|replaces id|icon|summary|body|desktop-entry hint|timeout
// Listens to every com.canonical.Unity.LauncherEntry Update signal and appends:
//   Update|uri|progress|progress-visible|count|count-visible|type of count
// Prints "ready" once it is on the bus.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>

class FakeSession : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit FakeSession(QString recordPath) : m_recordPath(std::move(recordPath)) {}

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        Q_UNUSED(actions);
        Record(QStringList{QStringLiteral("Notify"), appName, QString::number(replacesId), icon,
                           summary, body, hints.value(QStringLiteral("desktop-entry")).toString(),
                           QString::number(timeout)});
        return ++m_lastId;
    }

    void Update(const QString& uri, const QVariantMap& properties) {
        const QVariant count = properties.value(QStringLiteral("count"));
        Record(QStringList{
            QStringLiteral("Update"), uri,
            QString::number(properties.value(QStringLiteral("progress")).toDouble(), 'f', 3),
            properties.value(QStringLiteral("progress-visible")).toString(), count.toString(),
            properties.value(QStringLiteral("count-visible")).toString(),
            QString::fromLatin1(count.metaType().name())});
    }

private:
    void Record(const QStringList& fields) {
        QFile record(m_recordPath);
        if (record.open(QIODevice::Append | QIODevice::Text)) {
            record.write(fields.join(QLatin1Char('|')).toUtf8() + '\n');
        }
    }

    QString m_recordPath;
    uint m_lastId = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: fake_desktop_session <address> <record> [no-notifications]\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(args[1], QStringLiteral("fake-session"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fake_desktop_session: cannot connect to %s\n", qPrintable(args[1]));
        return 1;
    }
    FakeSession session(args[2]);
    const bool notifications = !(args.size() > 3 && args[3] == QLatin1String("no-notifications"));
    if (notifications && (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                              &session, QDBusConnection::ExportAllSlots) ||
                          !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))) {
        std::fprintf(stderr, "fake_desktop_session: cannot register\n");
        return 1;
    }
    if (!bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                     QStringLiteral("Update"), &session, SLOT(Update(QString, QVariantMap)))) {
        std::fprintf(stderr, "fake_desktop_session: cannot listen\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    // Never outlive a test that forgot to end us.
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    return app.exec();
}

#include "fake_desktop_session.moc"
