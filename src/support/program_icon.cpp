#include "support/program_icon.h"

#include <QGuiApplication>
#include <QString>

// Outside any namespace: the resource's registration function is a global symbol, and naming
// it here keeps the linker from dropping the resource out of the static library.
static void InitProgramIconResource() {
    Q_INIT_RESOURCE(program_icon);
}

QIcon ProgramIcon() {
    InitProgramIconResource();
    // The PNGs are drawn for their sizes: small ones are not scaled down from the large one.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(
            QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(kApplicationId)),
            QSize(size, size));
    }
    return icon;
}

void ApplyProgramIcon() {
    QGuiApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
}
