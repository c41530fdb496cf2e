// Kestrel Ravelcast: start-up. Creates the windows in their order and runs the message loop.

#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "desktop/session_desktop.h"
#include "power/logind_power_off.h"
#include "power/shutdown_countdown.h"
#include "support/folders.h"
#include "support/program_icon.h"
#include "support/window_font.h"

#include <QApplication>
#include <QDBusConnection>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application's name only, not a display name: Qt would append a display name to every
    // window caption, and the captions must read exactly as they are set.
    QApplication::setApplicationName(QStringLiteral("Kestrel Video Converter"));
    QApplication::setFont(DesignFont());
    ApplyProgramIcon();

    // Installed, the program is started through a link in bin/; its encoder and help page lie
    // beside the real file.
    const std::string appDir = ProgramFolder();

    LogindPowerOff powerOff(QDBusConnection::systemBus());
    FreedesktopNotifier notifier(QDBusConnection::sessionBus());
    LauncherEntryProgress taskbar(QDBusConnection::sessionBus());
    RavelcastApp app(appDir, &powerOff, &ShutdownCountdown::EndProgram, {&notifier, &taskbar});
    app.Form1().show();
    return QApplication::exec();
}
