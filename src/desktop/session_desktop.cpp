#include "desktop/session_desktop.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

namespace {
const QString kAppName = QStringLiteral("Kestrel Ravelcast");
// Notifications that the user does not dismiss go away after the server's own time.
constexpr int kServerDefaultTimeout = -1;
} // namespace

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

void FreedesktopNotifier::Notify(const QString& summary, const QString& body) {
    if (!m_bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The desktop-entry hint lets the server show the program's name and icon and group the
    // notification with the program's window.
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QString::fromLatin1(kApplicationId)},
    };
    call << kAppName << uint(0) << QString::fromLatin1(kApplicationId) << summary << body
         << QStringList() << hints << kServerDefaultTimeout;
    m_bus.send(call);
}

LauncherEntryProgress::LauncherEntryProgress(QDBusConnection bus) : m_bus(std::move(bus)) {}

void LauncherEntryProgress::ShowProgress(double progress, qint64 count) {
    SendUpdate(std::clamp(progress, 0.0, 1.0), true, count, count > 0);
}

void LauncherEntryProgress::Clear() {
    SendUpdate(0.0, false, 0, false);
}

void LauncherEntryProgress::SendUpdate(double progress, bool progressVisible, qint64 count,
                                       bool countVisible) {
    if (!m_bus.isConnected()) {
        return;
    }
    // Readers match the signal by interface and member; the path is ours to choose.
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/kestrel/Ravelcast/LauncherEntry"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties{
        {QStringLiteral("progress"), progress},
        {QStringLiteral("progress-visible"), progressVisible},
        {QStringLiteral("count"), count},
        {QStringLiteral("count-visible"), countVisible},
    };
    signal << QStringLiteral("application://") + QString::fromLatin1(kDesktopEntryId) << properties;
    m_bus.send(signal);
}
