// Renders the program's windows to PNG files without a display (run with
// QT_QPA_PLATFORM=offscreen), so the layout can be checked anywhere: scripts/screenshots.
//
//   ravelcast-screenshots <output folder> <AppDir>

#include "app/main_window.h"
#include "support/about_dialog.h"
#include "support/window_font.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QTableWidget>

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

    TForm1 form(argv[2]);
    auto* about = new TFormAbout(&form);
    form.AttachAboutBox(about);
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

    about->show();
    ok = Save(about, folder, QStringLiteral("about-box.png")) && ok;
    return ok ? 0 : 1;
}
