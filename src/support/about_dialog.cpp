#include "support/about_dialog.h"

#include "support/help.h"
#include "support/vista_font.h"
#include "support/window_font.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef RC_VERSION
#define RC_VERSION "1.0.0"
#endif

namespace {

QLabel* MakeLinkLabel(QWidget* parent, const char* objectName, const QString& caption,
                      const char* url) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    const QString address = QString::fromLatin1(url);
    label->setText(QStringLiteral("%1 <a href=\"%2\">%2</a>").arg(caption, address));
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // Through the program's own opener, so the tests can see the address without a browser.
    QObject::connect(label, &QLabel::linkActivated, label,
                     [](const QString& link) { OpenExternalUrl(QUrl(link)); });
    return label;
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About Kestrel Ravelcast"));
    setFont(DesignFont());
    if (IsVistaOrLater()) {
        ApplyVistaFont(this);
    }

    LabelProduct = new QLabel(QStringLiteral("Kestrel Ravelcast"), this);
    LabelProduct->setObjectName(QStringLiteral("LabelProduct"));
    QFont productFont = font();
    productFont.setPointSize(productFont.pointSize() + 4);
    productFont.setBold(true);
    LabelProduct->setFont(productFont);

    LabelVersion = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(RC_VERSION)), this);
    LabelVersion->setObjectName(QStringLiteral("LabelVersion"));

    auto* description =
        new QLabel(QStringLiteral("A batch converter for video and audio files:\n"
                                  "MP4 for players and phones, 3GP, 3G2, MOV, M4A, MP3 and WAV."),
                   this);
    description->setObjectName(QStringLiteral("LabelDescription"));

    LabelWebsite =
        MakeLinkLabel(this, "LabelWebsite", QStringLiteral("Web site:"), kKestrelWebsite);
    LabelSupport = MakeLinkLabel(this, "LabelSupport", QStringLiteral("Support:"), kKestrelSupport);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("ButtonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 10);
    layout->setSpacing(6);
    layout->addWidget(LabelProduct);
    layout->addWidget(LabelVersion);
    layout->addSpacing(6);
    layout->addWidget(description);
    layout->addSpacing(6);
    layout->addWidget(LabelWebsite);
    layout->addWidget(LabelSupport);
    layout->addStretch(1);
    layout->addWidget(buttons);

    setFixedSize(sizeHint().expandedTo(QSize(340, 200)));
}
