#include "power/countdown_dialog.h"

#include "base/conversion_state.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kClientWidth = 365;
constexpr int kClientHeight = 186;
constexpr int kLabelPointSize = 10;

QFont BoldLabelFont(QFont font) {
    font.setBold(true);
    font.setPointSize(kLabelPointSize);
    return font;
}
} // namespace

TForm3::TForm3(ConversionState* state, QWidget* parent)
    : QDialog(parent), m_state(state), m_label1(new QLabel(this)), m_label2(new QLabel(this)),
      m_speedButton1(new QPushButton(this)) {
    setObjectName(QStringLiteral("Form3"));
    // A fixed dialog frame: a close box but nothing to resize, minimise or maximise with.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Warning"));
    setFixedSize(kClientWidth, kClientHeight);

    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setText(QStringLiteral("Your PC will be turned off in 30 seconds"));
    m_label1->setFont(BoldLabelFont(m_label1->font()));
    m_label1->setAlignment(Qt::AlignCenter);

    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setText(QStringLiteral("1"));
    m_label2->setFont(BoldLabelFont(m_label2->font()));
    m_label2->setAlignment(Qt::AlignCenter);
    QPalette red = m_label2->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_label2->setPalette(red);

    m_speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_speedButton1->setText(QStringLiteral("Do Not Turn Off"));
    // Enter declines too: the safe answer is the one the keyboard reaches first.
    m_speedButton1->setDefault(true);
    m_speedButton1->setMinimumWidth(m_speedButton1->sizeHint().width() + 24);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 20, 12, 20);
    layout->addWidget(m_label1);
    layout->addSpacing(12);
    layout->addWidget(m_label2);
    layout->addStretch(1);
    layout->addWidget(m_speedButton1, 0, Qt::AlignHCenter);
}

bool TForm3::MayClose() const {
    return m_state == nullptr || !m_state->ShutdownPending.load();
}

void TForm3::FormCloseQuery(bool& canClose) const {
    canClose = MayClose();
}

void TForm3::FormClose(CloseAction& action) const {
    if (!MayClose()) {
        action = CloseAction::None;
    }
}

void TForm3::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    CloseAction action = CloseAction::Hide;
    if (canClose) {
        FormClose(action);
    }
    if (!canClose || action == CloseAction::None) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm3::reject() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) {
        QDialog::reject();
    }
}

void TForm3::CentreOn(const QWidget* mainWindow) {
    // Client areas rather than frames: a window's frame is not known before the window
    // manager has decorated it, and both windows carry the same decoration anyway.
    QRect area;
    if (mainWindow != nullptr) {
        area = mainWindow->geometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    } else {
        return;
    }
    QRect client(QPoint(), size());
    client.moveCenter(area.center());
    setGeometry(client);
}
