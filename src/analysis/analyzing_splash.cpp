#include "analysis/analyzing_splash.h"

#include "support/startup_values.h"
#include "support/window_font.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kClientWidth = 275;
constexpr int kClientHeight = 138;
} // namespace

TFormAnalyzingSplash::TFormAnalyzingSplash(StartupValues* values,
                                           std::function<void()> enableCombos, QWidget* parent)
    : QDialog(parent), m_values(values), m_enableCombos(std::move(enableCombos)) {
    setObjectName(QStringLiteral("FormAnalyzingSplash"));
    // A fixed dialog frame that stays above the main window while the user works in it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Analyzing Video Files"));
    setFont(DesignFont());
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(QStringLiteral("Analyzing File.......Please Wait."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(8, 14, kClientWidth - 16, 20);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // File names may contain "<b>" or "&lt;"; a label left to guess would render them as markup.
    Panel1->setTextFormat(Qt::PlainText);
    Panel1->setAlignment(Qt::AlignCenter);
    QFont bold = font();
    bold.setBold(true);
    Panel1->setFont(bold);
    Panel1->setGeometry(12, 44, kClientWidth - 24, 32);

    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    const int buttonWidth = std::max(90, Button2->sizeHint().width());
    const int buttonHeight = std::max(28, Button2->sizeHint().height());
    Button2->setGeometry((kClientWidth - buttonWidth) / 2, 94, buttonWidth, buttonHeight);
    connect(Button2, &QPushButton::clicked, this, &TFormAnalyzingSplash::Button2Click);
}

void TFormAnalyzingSplash::ShowOverMainWindow() {
    // Client areas rather than frames: a frame is not known before the window manager has
    // decorated the window.
    if (const QWidget* mainWindow = parentWidget()) {
        QRect client(QPoint(), size());
        client.moveCenter(mainWindow->geometry().center());
        setGeometry(client);
    }
    show();
    raise();
}

bool TFormAnalyzingSplash::FormCloseQuery() const {
    return !m_values->AnalysisDialogShown;
}

void TFormAnalyzingSplash::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormAnalyzingSplash::reject() {
    if (FormCloseQuery()) {
        QDialog::reject();
    }
}

void TFormAnalyzingSplash::Button2Click() {
    m_values->AnalysisRunning = false;
    if (m_enableCombos) {
        m_enableCombos();
    }
}
