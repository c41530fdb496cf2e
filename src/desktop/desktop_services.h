#pragma once
// What the program tells the desktop beyond its own windows: a notification when a run ends
// behind other windows, and the run's progress on the launcher entry in the taskbar or dock.
// Each sits behind an interface so that the program can be exercised with recording stand-ins;
// only main() ever hands in the session bus's real services.

#include "support/program_icon.h"

#include <QString>
#include <QtGlobal>

// The desktop entry's file name: docks find the program's launcher by it.
inline constexpr char kDesktopEntryId[] = "org.kestrel.Ravelcast.desktop";

class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Shows one notification and returns at once; a desktop without a notification service
    // shows nothing.
    virtual void Notify(const QString& summary, const QString& body) = 0;
};

class TaskbarProgress {
public:
    virtual ~TaskbarProgress() = default;
    // `progress` from 0 to 1; `count` is shown as a badge beside it.
    virtual void ShowProgress(double progress, qint64 count) = 0;
    // Takes both the progress and the badge away.
    virtual void Clear() = 0;
};

// Either may be missing: then the program simply does not tell the desktop.
struct DesktopServices {
    DesktopNotifier* notifier = nullptr;
    TaskbarProgress* taskbar = nullptr;
};
