#include "app/main_window.h"

#include "base/ui_thread.h"
#include "command/volume.h"
#include "jobs/job_list.h"
#include "support/help.h"
#include "support/registration_batch.h"
#include "support/vista_font.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kHintDurationMs = 30000;
constexpr int kFormatDropDownCount = 30;
} // namespace

TForm1::TForm1(std::string appDir, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    // A fixed single border: a title, a system menu, minimize and close; no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_values.AppDir = std::move(appDir);
    BuildControls();
    SetInitialSelectorContents();
    ConnectCommands();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::ConnectCommands() {
    connect(AddFileButton, &QToolButton::clicked, this, &TForm1::AddFileButtonClick);
    connect(RemoveButton, &QToolButton::clicked, this, &TForm1::RemoveButtonClick);
    connect(ClearAllButton, &QToolButton::clicked, this, &TForm1::ClearAllButtonClick);
    connect(StopConvertButton, &QToolButton::clicked, this, &TForm1::StopConvertButtonClick);
    connect(ConvertNowButton, &QToolButton::clicked, this, &TForm1::ConvertNowButtonClick);
    connect(ButtonBrowseForFolder, &QToolButton::clicked, this,
            &TForm1::ButtonBrowseForFolderClick);
    connect(ButtonStopSmall, &QPushButton::clicked, StopConvertButton, &QToolButton::click);

    // The user's pick only: filling or selecting from the program raises `currentIndexChanged`
    // too, and the format change itself selects entries.
    connect(ComboOutputFormat, &QComboBox::activated, this, &TForm1::ComboOutputFormatChange);
    // The slider's handler runs for program moves as well: the format change relies on it to
    // show "100%" again.
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);

    connect(ListView1, &QWidget::customContextMenuRequested, this, &TForm1::ShowJobListMenu);
    connect(CheckAllItems1, &QAction::triggered, this, &TForm1::CheckAllItems1Click);
    connect(UncheckAllItems1, &QAction::triggered, this, &TForm1::UncheckAllItems1Click);
    connect(RemoveSelectedItem1, &QAction::triggered, this, &TForm1::RemoveButtonClick);
    connect(ClearAllItems1, &QAction::triggered, this, &TForm1::ClearAllButtonClick);

    connect(AddFiles1, &QAction::triggered, AddFileButton, &QToolButton::click);
    connect(Convert1, &QAction::triggered, ConvertNowButton, &QToolButton::click);
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(SetOptions1, &QAction::triggered, this, &TForm1::SetOptions1Click);
    connect(OpenHelpFile1, &QAction::triggered, this, &TForm1::OpenHelpFile1Click);
    connect(VisitKestrelWebsite1, &QAction::triggered, this, &TForm1::VisitKestrelWebsite1Click);
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

// The creation steps, in the order the rest of the program relies on.
void TForm1::FormCreate() {
    if (IsVistaOrLater()) {
        ApplyVistaFont(this);
    }
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->setToolTipDuration(kHintDurationMs);
    }
    // AppDir came with the constructor.
    FillLetterBoxList();
    ComboLetterBox->setCurrentIndex(1); // letterboxing is on until a setting turns it off
    m_values.VolumeLevel = "50";
    // (The job list keeps its selection visible without the focus: SetUpJobList.)
    FillOutputFormatList(ComboOutputFormat);
    m_values.SuppressShutdownPrompt = true;
    m_values.AnalysisRunning = false;
    setWindowTitle(QStringLiteral("Kestrel Ravelcast"));
    // (The help page is AppDir + "help.html": ShowHelpContents.)
    // (Fixed border and read-only list: the constructor and SetUpJobList.)
    m_values.LastFormatIndex = ComboOutputFormat->currentIndex();
    ApplyOutputFormat();
    ComboOutputFormat->setMaxVisibleItems(kFormatDropDownCount);
    m_values.FormatDropDownCount = kFormatDropDownCount;
    ComboAspectRatio->setCurrentIndex(0);
    RunRegistrationBatch(m_values.AppDir);
}

void TForm1::FillLetterBoxList() {
    ComboLetterBox->clear();
    ComboLetterBox->addItems({QStringLiteral("None"), QStringLiteral("LetterBox")});
    ComboLetterBox->setCurrentIndex(0);
}

// By the time the window is first shown the stored settings are in the selectors: install the
// restored profile's panel.
void TForm1::FormShow() {
    m_values.SuppressShutdownPrompt = false;
    ApplyOutputFormat();
}

void TForm1::showEvent(QShowEvent* event) {
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        if (QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - frameGeometry().center() + pos());
        }
        FormShow();
    }
    QMainWindow::showEvent(event);
}

bool TForm1::FormCloseQuery() const {
    return !m_state.Converting.load() && !m_state.ShutdownPending.load();
}

void TForm1::FormClose() {
    // Files still being analysed would otherwise go on into a list nobody sees, and keep the
    // program from leaving its event loop until the last one is done.
    try {
        if (m_endAnalysis) {
            m_endAnalysis();
        }
    } catch (...) {
        // The settings are saved all the same.
    }
    if (!m_saveSettings) {
        return;
    }
    try {
        m_saveSettings();
    } catch (...) {
        // Settings that cannot be saved must not keep the window open.
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::SetOptionControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ComboOutputFormat, ComboVideoSize, ComboVideoBitrate, ComboVideoFramerate,
             ComboAudioBitrate, ComboAudioChannel, ComboVideoCodec, ComboLetterBox,
             ComboSamplingRate, ComboAudioCodec, ClearAllButton, RemoveButton, TrackBar1,
             ComboAspectRatio}) {
        control->setEnabled(enabled);
    }
    if (m_checkBoxOverWrite) {
        m_checkBoxOverWrite->setEnabled(enabled);
    }
    if (m_checkBoxShutDown) {
        m_checkBoxShutDown->setEnabled(enabled);
    }
    for (QAction* item :
         {AddFiles1, Convert1, Exit1, OpenHelpFile1, VisitKestrelWebsite1, About1, SetOptions1}) {
        item->setEnabled(enabled);
    }
}

void TForm1::DisableCombos() {
    RunOnUiThread([this] { SetOptionControlsEnabled(false); });
}

void TForm1::EnableCombos() {
    RunOnUiThread([this] {
        SetOptionControlsEnabled(true);
        ComboAspectRatio->setEnabled(::AspectRatioAllowed(ComboOutputFormat));
    });
}

void TForm1::AddJobRow(const QString& sourcePath, const QString& frameSize,
                       const QString& frameRate, const QString& duration) {
    const QString extension = QString::fromStdString(SelectedOutputExtension(ComboOutputFormat));
    AppendJobRow(ListView1, sourcePath, frameSize, frameRate, duration, extension);
}

FormatChangeControls TForm1::FormatControls() {
    FormatChangeControls controls;
    controls.ComboOutputFormat = ComboOutputFormat;
    controls.ComboAspectRatio = ComboAspectRatio;
    controls.TrackBar1 = TrackBar1;
    controls.ListView1 = ListView1;
    controls.OutputColumn = kJobOutput;
    controls.Panel = {ComboVideoCodec,     ComboVideoSize,    ComboVideoBitrate,
                      ComboVideoFramerate, ComboAudioCodec,   ComboAudioBitrate,
                      ComboSamplingRate,   ComboAudioChannel, ComboLetterBox};
    controls.Values = &m_values;
    return controls;
}

void TForm1::ApplyOutputFormat() {
    ::ApplyOutputFormat(FormatControls());
}

void TForm1::AttachOptionsDialog(QDialog* dialog, QCheckBox* checkBoxOverWrite,
                                 QCheckBox* checkBoxShutDown) {
    m_optionsDialog = dialog;
    m_checkBoxOverWrite = checkBoxOverWrite;
    m_checkBoxShutDown = checkBoxShutDown;
}

void TForm1::AttachAboutBox(QDialog* aboutBox) {
    m_aboutBox = aboutBox;
}

void TForm1::ShowJobListMenu(const QPoint& position) {
    if (!m_jobListMenuEnabled) {
        return;
    }
    PopupListView1->popup(ListView1->viewport()->mapToGlobal(position));
}

void TForm1::AddFileButtonClick() {
    if (m_addFile) {
        m_addFile();
    }
}

void TForm1::ConvertNowButtonClick() {
    if (m_convertNow) {
        m_convertNow();
    }
}

void TForm1::StopConvertButtonClick() {
    if (m_stopConvert) {
        m_stopConvert();
    }
}

void TForm1::ButtonBrowseForFolderClick() {
    if (m_browseForFolder) {
        m_browseForFolder();
    }
}

void TForm1::RemoveButtonClick() {
    RemoveSelectedJob(ListView1);
}

void TForm1::ClearAllButtonClick() {
    ClearAllJobs(ListView1);
}

void TForm1::CheckAllItems1Click() {
    CheckAllJobs(ListView1);
}

void TForm1::UncheckAllItems1Click() {
    UncheckAllJobs(ListView1);
}

void TForm1::ComboOutputFormatChange() {
    ApplyOutputFormat();
}

void TForm1::TrackBar1Change(int position) {
    const VolumeChoice choice = VolumeForSliderPosition(position);
    Label14->setText(QString::fromStdString(choice.labelText));
    m_values.VolumeLevel = choice.volumeLevel;
}

void TForm1::SetOptions1Click() {
    if (m_optionsDialog) {
        m_optionsDialog->show();
        m_optionsDialog->raise();
        m_optionsDialog->activateWindow();
    }
}

void TForm1::OpenHelpFile1Click() {
    ShowHelpContents(m_values.AppDir);
}

void TForm1::VisitKestrelWebsite1Click() {
    VisitKestrelWebsite();
}

void TForm1::About1Click() {
    if (m_aboutBox) {
        m_aboutBox->show();
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
    }
}

// Leaves at once: no close query, no saving. (QCoreApplication::quit would ask every window
// to close first.)
void TForm1::Exit1Click() {
    QCoreApplication::exit(0);
}
