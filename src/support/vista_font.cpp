#include "support/vista_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QWidget>

bool IsVistaOrLater() {
    return true;
}

void ApplyVistaFont(QWidget* form) {
    if (!IsVistaOrLater() || form == nullptr) {
        return;
    }
    const QString segoe = QStringLiteral("Segoe UI");
    QFont font = form->font();
    if (font.family().compare(segoe, Qt::CaseInsensitive) == 0 ||
        !QFontDatabase::families().contains(segoe, Qt::CaseInsensitive)) {
        return;
    }
    font.setPointSize(font.pointSize() + 1);
    font.setFamily(segoe);
    form->setFont(font);
}
