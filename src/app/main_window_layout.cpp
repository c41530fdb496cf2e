// The main window's controls: what they are, where they sit, what they say. Behaviour lives in
// main_window.cpp.

#include "app/accessible_controls.h"
#include "app/main_window.h"
#include "jobs/job_list.h"
#include "support/window_font.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Band heights of the window's client area, top to bottom; the settings band takes the rest.
constexpr int kClientWidth = 765;
constexpr int kClientHeight = 512;
constexpr int kToolbarBandHeight = 40;
constexpr int kOutputBandHeight = 54;
constexpr int kListBandHeight = 201;
constexpr int kOutputFormatWidth = 330;
constexpr int kSelectorHeight = 21;

QString Text(const char* text) {
    return QString::fromLatin1(text);
}

template <typename Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(Text(name));
    return widget;
}

// A desktop theme icon where the desktop has one, else one of Qt's own.
QIcon ThemeIcon(const QWidget* owner, const char* themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(Text(themeName), owner->style()->standardIcon(fallback));
}

QFrame* Separator(QWidget* parent, const char* name) {
    auto* line = Named(new QFrame(parent), name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QComboBox* Selector(QWidget* parent, const char* name) {
    auto* combo = Named(new QComboBox(parent), name);
    combo->setEditable(false);
    combo->setFixedHeight(kSelectorHeight);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(1);
    return combo;
}

// A label that names `buddy`, so the selector is announced by it and reached from it.
QLabel* Caption(QWidget* parent, const char* name, const char* text, QWidget* buddy) {
    auto* label = Named(new QLabel(Text(text), parent), name);
    label->setBuddy(buddy);
    buddy->setAccessibleName(label->text().trimmed());
    return label;
}

void AddSelectorRow(QGridLayout* grid, int row, QLabel* label, QWidget* selector) {
    grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(selector, row, 1);
}

QGridLayout* GroupGrid(QGroupBox* box) {
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

void TForm1::BuildControls() {
    setFont(DesignFont());
    auto* central = Named(new QWidget(this), "ClientArea");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(BuildToolbarBand());
    column->addWidget(BuildOutputBand());
    column->addWidget(BuildListBand());
    column->addWidget(BuildSettingsBand(), 1);
    setCentralWidget(central);
    BuildMenus();
    BuildStatusBar();

    ConversionCountTimer = Named(new QTimer(this), "ConversionCountTimer");
    ConversionCountTimer->setInterval(2000);

    // The menu bar sits outside the client area, as it does on the desktop the layout was
    // made for, so the client area keeps its size.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

QWidget* TForm1::BuildToolbarBand() {
    auto* band = Named(new QWidget(this), "ToolbarBand");
    band->setFixedHeight(kToolbarBandHeight);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);

    QFont boldFont = DesignFont();
    boldFont.setBold(true);
    auto button = [&](const char* name, const char* text, const char* icon,
                      QStyle::StandardPixmap fallback) {
        auto* tool = Named(new QToolButton(band), name);
        tool->setText(Text(text));
        tool->setIcon(ThemeIcon(this, icon, fallback));
        tool->setIconSize(QSize(24, 24));
        tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        tool->setAutoRaise(true);
        tool->setFont(boldFont);
        tool->setFixedHeight(kToolbarBandHeight - 4);
        row->addWidget(tool);
        return tool;
    };
    AddFileButton = button("AddFileButton", "Add File", "list-add", QStyle::SP_FileIcon);
    RemoveButton = button("RemoveButton", "Remove File", "list-remove", QStyle::SP_TrashIcon);
    ClearAllButton =
        button("ClearAllButton", "Clear All ", "edit-clear", QStyle::SP_DialogResetButton);
    row->addWidget(Separator(band, "Bevel1"));
    StopConvertButton =
        button("StopConvertButton", "Stop Convert", "media-playback-stop", QStyle::SP_MediaStop);
    row->addWidget(Separator(band, "Bevel2"));
    ConvertNowButton =
        button("ConvertNowButton", "Go Convert ", "media-playback-start", QStyle::SP_MediaPlay);
    row->addStretch(1);
    return band;
}

QWidget* TForm1::BuildOutputBand() {
    auto* band = Named(new QWidget(this), "OutputBand");
    band->setFixedHeight(kOutputBandHeight);
    auto* grid = new QGridLayout(band);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    Edit1 = Named(new QLineEdit(band), "Edit1");
    // Only the browse button fills the output folder.
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);
    Edit1->setFixedHeight(kSelectorHeight);

    ButtonBrowseForFolder = Named(new QToolButton(band), "ButtonBrowseForFolder");
    ButtonBrowseForFolder->setIcon(ThemeIcon(this, "folder-open", QStyle::SP_DirOpenIcon));
    ButtonBrowseForFolder->setIconSize(QSize(16, 16));
    ButtonBrowseForFolder->setFixedSize(26, 24);
    ButtonBrowseForFolder->setAccessibleName(Text("Browse for the output folder"));

    ComboOutputFormat = Selector(band, "ComboOutputFormat");
    ComboOutputFormat->setFixedWidth(kOutputFormatWidth);

    grid->addWidget(Caption(band, "Label1", "Output Folder :", Edit1), 0, 0);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(ButtonBrowseForFolder, 1, 1);
    grid->addWidget(Separator(band, "Bevel3"), 0, 2, 2, 1);
    grid->addWidget(Caption(band, "Label2", "Set Output Format :", ComboOutputFormat), 0, 3);
    grid->addWidget(ComboOutputFormat, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(2, 12);
    return band;
}

QWidget* TForm1::BuildListBand() {
    auto* band = Named(new QWidget(this), "ListBand");
    band->setFixedHeight(kListBandHeight);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(4, 0, 4, 0);
    ListView1 = Named(new QTableWidget(band), "ListView1");
    SetUpJobList(ListView1);
    MarkAsJobList(ListView1);
    row->addWidget(ListView1);

    PopupListView1 = Named(new QMenu(this), "PopupListView1");
    CheckAllItems1 = Named(PopupListView1->addAction(Text("Check All Items")), "CheckAllItems1");
    UncheckAllItems1 =
        Named(PopupListView1->addAction(Text("Uncheck All Items")), "UncheckAllItems1");
    PopupListView1->addSeparator();
    RemoveSelectedItem1 =
        Named(PopupListView1->addAction(Text("Remove Selected Item")), "RemoveSelectedItem1");
    ClearAllItems1 = Named(PopupListView1->addAction(Text("Clear All Items")), "ClearAllItems1");
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    return band;
}

QWidget* TForm1::BuildSettingsBand() {
    auto* band = Named(new QWidget(this), "SettingsBand");
    auto* column = new QVBoxLayout(band);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(4);
    auto* groups = new QHBoxLayout();
    groups->setSpacing(4);
    column->addLayout(groups, 1);

    GroupBox1 = Named(new QGroupBox(Text(" Audio Settings "), band), "GroupBox1");
    ComboAudioCodec = Selector(GroupBox1, "ComboAudioCodec");
    ComboAudioBitrate = Selector(GroupBox1, "ComboAudioBitrate");
    ComboAudioChannel = Selector(GroupBox1, "ComboAudioChannel");
    ComboSamplingRate = Selector(GroupBox1, "ComboSamplingRate");
    QGridLayout* audio = GroupGrid(GroupBox1);
    AddSelectorRow(audio, 0, Caption(GroupBox1, "Label3", "Audio Codec : ", ComboAudioCodec),
                   ComboAudioCodec);
    AddSelectorRow(audio, 1, Caption(GroupBox1, "Label4", "Audio Bitrate :", ComboAudioBitrate),
                   ComboAudioBitrate);
    AddSelectorRow(audio, 2, Caption(GroupBox1, "Label5", "Audio Channels :", ComboAudioChannel),
                   ComboAudioChannel);
    AddSelectorRow(audio, 3, Caption(GroupBox1, "Label6", "Sampling Rate : ", ComboSamplingRate),
                   ComboSamplingRate);
    groups->addWidget(GroupBox1, 240);

    GroupBox2 = Named(new QGroupBox(Text(" Video Settings "), band), "GroupBox2");
    ComboVideoCodec = Selector(GroupBox2, "ComboVideoCodec");
    ComboVideoSize = Selector(GroupBox2, "ComboVideoSize");
    ComboVideoBitrate = Selector(GroupBox2, "ComboVideoBitrate");
    ComboVideoFramerate = Selector(GroupBox2, "ComboVideoFramerate");
    QGridLayout* video = GroupGrid(GroupBox2);
    AddSelectorRow(video, 0, Caption(GroupBox2, "Label7", "Video Codec : ", ComboVideoCodec),
                   ComboVideoCodec);
    AddSelectorRow(video, 1, Caption(GroupBox2, "Label8", "Video Size : ", ComboVideoSize),
                   ComboVideoSize);
    AddSelectorRow(video, 2, Caption(GroupBox2, "Label9", "Video Bitrate : ", ComboVideoBitrate),
                   ComboVideoBitrate);
    AddSelectorRow(video, 3,
                   Caption(GroupBox2, "Label10", "Video Framerate : ", ComboVideoFramerate),
                   ComboVideoFramerate);
    groups->addWidget(GroupBox2, 265);

    GroupBox3 = Named(new QGroupBox(Text(" General Settings "), band), "GroupBox3");
    ComboLetterBox = Selector(GroupBox3, "ComboLetterBox");
    ComboLetterBox->setToolTip(Text("Add a letterbox to keep video aspect ratio"));
    ComboAspectRatio = Selector(GroupBox3, "ComboAspectRatio");
    TrackBar1 = Named(new QSlider(Qt::Horizontal, GroupBox3), "TrackBar1");
    TrackBar1->setRange(0, 10);
    TrackBar1->setValue(5);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setToolTip(Text("100% is the original video volume"));
    Label14 = Named(new QLabel(Text("100%"), GroupBox3), "Label14");
    Label14->setAlignment(Qt::AlignCenter);
    QGridLayout* general = GroupGrid(GroupBox3);
    AddSelectorRow(general, 0, Caption(GroupBox3, "Label11", "Video Zoom : ", ComboLetterBox),
                   ComboLetterBox);
    AddSelectorRow(general, 1, Caption(GroupBox3, "Label12", "Aspect Ratio : ", ComboAspectRatio),
                   ComboAspectRatio);
    // The percentage sits right under the slider it describes.
    auto* volume = new QVBoxLayout();
    volume->setSpacing(0);
    volume->addWidget(TrackBar1);
    volume->addWidget(Label14);
    volume->addStretch(1);
    general->addWidget(Caption(GroupBox3, "Label13", "Volume : ", TrackBar1), 2, 0,
                       Qt::AlignLeft | Qt::AlignTop);
    general->addLayout(volume, 2, 1);
    groups->addWidget(GroupBox3, 245);

    auto* progressRow = new QHBoxLayout();
    progressRow->setSpacing(4);
    ProgressBar1 = Named(new QProgressBar(band), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(18);
    ButtonStopSmall = Named(new QPushButton(Text("Stop"), band), "ButtonStopSmall");
    ButtonStopSmall->setFixedSize(60, 22);
    progressRow->addWidget(ProgressBar1, 1);
    progressRow->addWidget(ButtonStopSmall);
    column->addLayout(progressRow);
    return band;
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(Text("MainMenu1"));
    QMenu* file = Named(bar->addMenu(Text("File")), "File1");
    AddFiles1 = Named(file->addAction(Text("Add Files")), "AddFiles1");
    file->addSeparator();
    Convert1 = Named(file->addAction(Text("Convert")), "Convert1");
    file->addSeparator();
    Exit1 = Named(file->addAction(Text("Exit")), "Exit1");

    QMenu* options = Named(bar->addMenu(Text("Options")), "Options1");
    SetOptions1 = Named(options->addAction(Text("Set Options")), "SetOptions1");

    QMenu* help = Named(bar->addMenu(Text("Help")), "Help1");
    OpenHelpFile1 = Named(help->addAction(Text("Open Help File")), "OpenHelpFile1");
    help->addSeparator();
    VisitKestrelWebsite1 =
        Named(help->addAction(Text("Visit Kestrel Website")), "VisitKestrelWebsite1");
    help->addSeparator();
    About1 = Named(help->addAction(Text("About")), "About1");
}

void TForm1::BuildStatusBar() {
    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    constexpr std::array<int, 3> kPanelWidths{150, 300, 50};
    const std::array<const char*, 3> texts{"Ready", "", ""};
    for (std::size_t i = 0; i < kPanelWidths.size(); ++i) {
        auto* panel = new QLabel(Text(texts[i]), StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setFixedWidth(kPanelWidths[i]);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
        StatusBar1Panels[i] = panel;
    }
    setStatusBar(StatusBar1);
}

// What the selectors hold before the selected profile's panel replaces it during start-up.
void TForm1::SetInitialSelectorContents() {
    auto fill = [](QComboBox* combo, std::initializer_list<const char*> entries, int selected) {
        combo->clear();
        for (const char* entry : entries) {
            combo->addItem(Text(entry));
        }
        combo->setCurrentIndex(selected);
    };
    fill(ComboOutputFormat, {"iPod - 320 x 240 (*.mp4)"}, 0);
    fill(ComboVideoCodec, {"MPEG4", "XVid", "H264"}, 0);
    fill(ComboVideoSize,
         {"Original Video Size", "128 x 96   (SQCIF)", "160 x 120 (QVGA)", "176 x 120",
          "176 x 144 (QCIF)",    "192 x 144",          "208 x 176",        "220 x 176",
          "240 x 180",           "320 x 200",          "320 x 240 (VGA)",  "352 x 240",
          "352 x 288 (CIF)",     "480 x 272",          "480 x 360",        "480 x 480",
          "480 x 576",           "624 x 352",          "640 x 352",        "640 x 480",
          "704 x 576 (CIF)",     "720 x 480",          "720 x 576"},
         0);
    ComboVideoSize->setMaxVisibleItems(22);
    fill(ComboVideoBitrate,
         {"128 Kbps", "192 Kbps", "200 Kbps", "216 Kbps", "384 Kbps", "512 Kbps", "640 Kbps",
          "768 Kbps", "1000 Kbps", "1200 Kbps", "1500 Kbps", "2000 Kbps", "2500 Kbps"},
         5);
    fill(ComboVideoFramerate,
         {" Auto", "10.0 fps", "14.985 fps", "15.0 fps", "23.976 fps", "25.0 fps", "29.97 fps",
          "30.0 fps"},
         0);
    fill(ComboAudioCodec, {}, -1);
    fill(ComboAudioBitrate,
         {"32 Kbps", "48 Kbps", "56 Kbps", "64 Kbps", "80 Kbps", "96 Kbps", "112 Kbps", "128 Kbps",
          "160 Kbps", "192 Kbps"},
         7);
    fill(ComboAudioChannel, {"Stereo", "Mono"}, 0);
    fill(ComboSamplingRate,
         {"11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz"}, 5);
    fill(ComboLetterBox, {"None", "LetterBox"}, 0);
    fill(ComboAspectRatio, {"Original ", "4:3   (Standard)", "16:9 (Wide Screen)"}, 0);
}
