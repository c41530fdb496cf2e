// Renders the program's windows to PNG files without a display (run with
// QT_QPA_PLATFORM=offscreen), so the layout can be checked anywhere: scripts/screenshots.
//
//   ravelcast-screenshots <output folder> <AppDir>

#include "analysis/analyzing_splash.h"
#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "power/countdown_dialog.h"
#include "power/power_off_request.h"
#include "settings/options_dialog.h"
#include "support/about_dialog.h"
#include "support/window_font.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool Save(QWidget* widget, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!widget->grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The pictures never end in a power-off.
class NoPowerOff : public PowerOffRequest {
public:
    bool ShutDownPC() override { return false; }
};

void PickFormat(TForm1& form, const QString& entry) {
    const int index = form.ComboOutputFormat->findText(entry);
    form.ComboOutputFormat->setCurrentIndex(index);
    emit form.ComboOutputFormat->activated(index);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel Video Converter"));
    QApplication::setFont(DesignFont());
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <AppDir>\n", argv[0]);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    // A settings folder of its own, so the pictures show the start-up state and the user's
    // settings are neither read nor written.
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());

    NoPowerOff noPowerOff;
    RavelcastApp app(argv[2], &noPowerOff, [] {});
    TForm1& form = app.Form1();
    form.show();

    form.Edit1->setText(QStringLiteral("/home/user/Videos/Converted"));
    form.AddJobRow(QStringLiteral("/home/user/Videos/holiday at the lake.avi"),
                   QStringLiteral("640 x 480"), QStringLiteral("30"), QStringLiteral("00:03:12"));
    form.AddJobRow(QStringLiteral("/home/user/Videos/concert.mpg"), QStringLiteral("720 x 576"),
                   QStringLiteral("25"), QStringLiteral("01:12:40"));
    form.AddJobRow(QStringLiteral("/home/user/Music/interview.mp3"), QStringLiteral("0 x 0"),
                   QStringLiteral("0"), QStringLiteral("00:45:03"));
    form.ListView1->item(0, 5)->setText(QStringLiteral("Done"));
    form.ListView1->item(0, 6)->setText(QStringLiteral("5760"));
    form.ListView1->item(1, 5)->setText(QStringLiteral("42%"));
    form.ListView1->item(1, 6)->setText(QStringLiteral("45812"));
    form.ListView1->selectRow(1);

    bool ok = Save(&form, folder, QStringLiteral("main-window.png"));

    PickFormat(form, QStringLiteral("3GP - 3rd Generation Partnership Project (*.3gp)"));
    ok = Save(&form, folder, QStringLiteral("main-window-3gp.png")) && ok;
    PickFormat(form, QStringLiteral("WAV - Waveform Audio (*.wav)"));
    ok = Save(&form, folder, QStringLiteral("main-window-wav.png")) && ok;
    PickFormat(form, QStringLiteral("MOV - QuickTime Video (*.mov)"));
    form.DisableCombos();
    ok = Save(&form, folder, QStringLiteral("main-window-busy.png")) && ok;
    form.EnableCombos();

    form.PopupListView1->popup(form.mapToGlobal(QPoint(200, 200)));
    ok = Save(form.PopupListView1, folder, QStringLiteral("job-list-menu.png")) && ok;
    form.PopupListView1->hide();

    app.FormAbout().show();
    ok = Save(&app.FormAbout(), folder, QStringLiteral("about-box.png")) && ok;
    app.FormAbout().hide();

    app.Form4().show();
    ok = Save(&app.Form4(), folder, QStringLiteral("options-dialog.png")) && ok;
    app.Form4().hide();

    app.Form3().Label2()->setText(QStringLiteral("12"));
    app.Form3().show();
    ok = Save(&app.Form3(), folder, QStringLiteral("countdown-dialog.png")) && ok;
    app.Form3().hide();

    TFormAnalyzingSplash& splash = app.FormAnalyzingSplash();
    splash.Panel1->setText(QStringLiteral("holiday at the lake.avi"));
    splash.show();
    ok = Save(&splash, folder, QStringLiteral("analysis-dialog.png")) && ok;
    splash.hide();
    return ok ? 0 : 1;
}
