#pragma once
// The desktop services of the session bus: the freedesktop notification service and the
// launcher-entry signal that KDE Plasma's task manager and the common GNOME docks read.

#include "desktop/desktop_services.h"

#include <QDBusConnection>

class FreedesktopNotifier : public DesktopNotifier {
public:
    // The program passes QDBusConnection::sessionBus(); any other bus serves for trying it out.
    explicit FreedesktopNotifier(QDBusConnection bus);

    // Sent without waiting for an answer: a slow or missing service must never hold up the
    // window, and there is nothing to do about a refusal.
    void Notify(const QString& summary, const QString& body) override;

private:
    QDBusConnection m_bus;
};

class LauncherEntryProgress : public TaskbarProgress {
public:
    explicit LauncherEntryProgress(QDBusConnection bus);

    void ShowProgress(double progress, qint64 count) override;
    void Clear() override;

private:
    void SendUpdate(double progress, bool progressVisible, qint64 count, bool countVisible);

    QDBusConnection m_bus;
};
