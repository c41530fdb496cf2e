#include "settings/options_dialog.h"

#include "settings/profile_document.h"
#include "settings/wrapping_check_box.h"
#include "support/dialog_seam.h"
#include "support/startup_values.h"
#include "support/vista_font.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
const QString kShutdownQuestion =
    QStringLiteral("Your computer will automatically shutdown after all \n\r"
                   "conversions jobs are completed. Do you want to continue?");
}

TForm4::TForm4(QWidget* mainWindow, StartupValues* values, SettingsControls controls,
               std::function<void()> applyOutputFormat)
    : QDialog(mainWindow), m_values(values), m_applyOutputFormat(std::move(applyOutputFormat)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Additional Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    // Laid out for the desktop's sans-serif font at 8 points, the size the modern-font rule
    // starts from.
    QFont designFont = QApplication::font();
    designFont.setPointSize(8);
    setFont(designFont);
    setFixedSize(370, 237);

    GroupBox1 = new QGroupBox(QStringLiteral(" Additional Options "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 9, 355, 144);

    CheckBoxOverWrite = new WrappingCheckBox(
        QStringLiteral("Overwrite Existing File With The Same Name"), GroupBox1);
    CheckBoxOverWrite->setObjectName(QStringLiteral("CheckBoxOverWrite"));
    CheckBoxOverWrite->setGeometry(16, 28, 230, 38);

    CheckBoxShutDown = new WrappingCheckBox(
        QStringLiteral("Shut Down Computer After All Conversion Jobs Are Done "), GroupBox1);
    CheckBoxShutDown->setObjectName(QStringLiteral("CheckBoxShutDown"));
    CheckBoxShutDown->setGeometry(16, 76, 230, 38);

    // The drop-down count field and its label sit beyond the frame's right edge: nobody sees
    // them, yet the field is still loaded, saved and reachable with Tab.
    SpinEdit1 = new QSpinBox(GroupBox1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(410, 138, 49, 22);
    // Plain digits whatever the desktop's language: the field's text is read back as the
    // number the settings file stores.
    SpinEdit1->setLocale(QLocale::c());
    SpinEdit1->setRange(kMinDropDownCount, kMaxDropDownCount);
    SpinEdit1->setValue(30);
    // Leaving the field with a number out of range brings it to the nearer bound.
    SpinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);

    Label1 = new QLabel(QStringLiteral("Drop Down Items in Output Format List"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(364, 141);
    Label1->adjustSize();

    Button1 = new QPushButton(QStringLiteral("Done"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(288, 200, 75, 25);

    setTabOrder(CheckBoxOverWrite, CheckBoxShutDown);
    setTabOrder(CheckBoxShutDown, SpinEdit1);
    setTabOrder(SpinEdit1, Button1);

    connect(CheckBoxShutDown, &QCheckBox::toggled, this, &TForm4::CheckBoxShutDownClick);
    // The field's text is what counts. The spin box reports text that is a number in range
    // (also when set from here); its editor also reports what the user types on the way there.
    // Both may report the same change, which runs the handler once.
    m_spinText = SpinEdit1->text();
    connect(SpinEdit1, &QSpinBox::textChanged, this, &TForm4::SpinEdit1TextChanged);
    if (auto* edit = SpinEdit1->findChild<QLineEdit*>()) {
        connect(edit, &QLineEdit::textChanged, this, &TForm4::SpinEdit1TextChanged);
    }
    // The correction on leaving the field rewrites the text without either report.
    connect(SpinEdit1, &QSpinBox::editingFinished, this, &TForm4::SpinEdit1TextChanged);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);

    if (IsVistaOrLater()) {
        ApplyVistaFont(this);
    }
    LoadSettings(controls, *this, *m_values);
}

TForm4::~TForm4() {
    // The controls are destroyed after this object has stopped being a TForm4, and the field
    // reports losing the focus on its way out: nothing may reach the handlers any more.
    for (QObject* control : findChildren<QObject*>()) {
        disconnect(control, nullptr, this, nullptr);
    }
}

int TForm4::SpinEdit1Value() const {
    const QByteArray text = SpinEdit1->cleanText().toUtf8();
    return ParseWholeNumber(std::string_view(text.constData(), static_cast<size_t>(text.size())))
        .value_or(kMinDropDownCount);
}

void TForm4::CheckBoxShutDownClick() {
    // Set during start-up, so that restoring the option from the settings file asks nothing.
    if (m_values->SuppressShutdownPrompt) {
        m_values->SuppressShutdownPrompt = false;
        return;
    }
    if (!CheckBoxShutDown->isChecked()) {
        return;
    }
    const QMessageBox::StandardButton answer =
        DialogSeam::Confirm(this, kShutdownQuestion, QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        // Runs this handler again; with the box off it asks nothing.
        CheckBoxShutDown->setChecked(false);
    }
}

void TForm4::SpinEdit1TextChanged() {
    const QString text = SpinEdit1->text();
    if (text == m_spinText) {
        return;
    }
    m_spinText = text;
    SpinEdit1Change();
}

void TForm4::SpinEdit1Change() {
    m_values->FormatDropDownCount = SpinEdit1Value();
    if (m_applyOutputFormat) {
        m_applyOutputFormat();
    }
}

void TForm4::Button1Click() {
    hide();
}

void TForm4::showEvent(QShowEvent* event) {
    if (const QWidget* mainWindow = parentWidget()) {
        QRect area(QPoint(0, 0), size());
        area.moveCenter(mainWindow->mapToGlobal(mainWindow->rect().center()));
        setGeometry(area);
    }
    QDialog::showEvent(event);
}

void TForm4::closeEvent(QCloseEvent* event) {
    // The close box only hides the dialog, as Done does; it lives as long as the program.
    hide();
    event->accept();
}
