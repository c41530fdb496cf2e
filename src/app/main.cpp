// Kestrel Ravelcast: start-up. Creates the windows in their order and runs the message loop.

#include "app/main_window.h"
#include "support/about_dialog.h"
#include "support/window_font.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application's name only, not a display name: Qt would append a display name to every
    // window caption, and the captions must read exactly as they are set.
    QApplication::setApplicationName(QStringLiteral("Kestrel Video Converter"));
    QApplication::setFont(DesignFont());

    const std::string appDir =
        QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString() + "/";

    // The windows in their order: the main window, the analysis dialog, the About box, the
    // power-off countdown and the options dialog (whose creation loads the settings, after the
    // main window has set its defaults). Only the main window is shown.
    TForm1 form1(appDir);
    // Dialogs are children of the main window: they never keep the program alive on their own
    // and close with it.
    auto* formAbout = new TFormAbout(&form1);
    form1.AttachAboutBox(formAbout);

    form1.show();
    return QApplication::exec();
}
