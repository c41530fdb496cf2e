// The main window offscreen: its start-up state, its layout, locking, closing, the job list
// and the commands that lead elsewhere.

#include "app/main_window.h"
#include "jobs/job_list.h"
#include "support/help.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <thread>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appDir.isValid());
        m_form = std::make_unique<TForm1>(AppDir());
    }
    void TearDown() override { SetExternalUrlOpener(nullptr); }

    std::string AppDir() const { return m_appDir.path().toStdString() + "/"; }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            m_form->AddJobRow(QStringLiteral("/media/clip %1.avi").arg(i),
                              QStringLiteral("640 x 480"), QStringLiteral("30"),
                              QStringLiteral("00:00:%1").arg(10 + i));
        }
    }
    std::vector<bool> Checks() const {
        std::vector<bool> checks;
        for (int row = 0; row < m_form->ListView1->rowCount(); ++row) {
            checks.push_back(IsJobChecked(m_form->ListView1, row));
        }
        return checks;
    }
    std::vector<QString> Captions() const {
        std::vector<QString> captions;
        for (int row = 0; row < m_form->ListView1->rowCount(); ++row) {
            captions.push_back(JobCellText(m_form->ListView1, row, kJobFileName));
        }
        return captions;
    }

    QTemporaryDir m_appDir;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(MainWindow, StartsUpWithoutSettingsAsDesigned) {
    TForm1& form = *m_form;
    EXPECT_EQ(form.ComboLetterBox->currentText(), "LetterBox");
    EXPECT_EQ(form.Label14->text(), "100%");
    EXPECT_EQ(form.TrackBar1->value(), 5);
    EXPECT_EQ(form.Edit1->text(), "");
    EXPECT_TRUE(form.Edit1->isReadOnly());
    EXPECT_FALSE(form.Edit1->isEnabled());
    EXPECT_EQ(form.ComboOutputFormat->currentText(), "iPod (*.mp4)");
    EXPECT_EQ(form.ComboOutputFormat->count(), 19);
    EXPECT_EQ(form.ComboOutputFormat->maxVisibleItems(), 30);
    EXPECT_EQ(form.ComboAspectRatio->currentText(), "Original ");
    EXPECT_EQ(form.ComboAudioChannel->currentText(), "Stereo");
    EXPECT_EQ(form.windowTitle(), "Kestrel Ravelcast");
    EXPECT_EQ(form.Values().AppDir, AppDir());
    EXPECT_EQ(form.Values().VolumeLevel, "50");
    EXPECT_EQ(form.Values().LastFormatIndex, 0);
    EXPECT_EQ(form.Values().FormatDropDownCount, 30);
    EXPECT_TRUE(form.Values().SuppressShutdownPrompt);
    EXPECT_FALSE(form.Values().AnalysisRunning);
    EXPECT_FALSE(form.ConversionCountTimer->isActive());
    EXPECT_EQ(form.ConversionCountTimer->interval(), 2000);
    EXPECT_EQ(form.ListView1->rowCount(), 0);
    EXPECT_EQ(form.ProgressBar1->minimum(), 0);
    EXPECT_EQ(form.ProgressBar1->maximum(), 100);

    form.show();
    EXPECT_FALSE(form.Values().SuppressShutdownPrompt);
    EXPECT_EQ(form.ComboVideoSize->currentText(), "320 x 240");
}

TEST_F(MainWindow, FixedClientAreaAndBands) {
    m_form->show();
    QApplication::processEvents();
    // The client area below the menu bar: the bands and the status bar.
    EXPECT_EQ(m_form->width(), 765);
    EXPECT_EQ(m_form->centralWidget()->height() + m_form->StatusBar1->height(), 512);
    EXPECT_EQ(m_form->minimumSize(), m_form->maximumSize());
    EXPECT_FALSE(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_form->findChild<QWidget*>("ToolbarBand")->height(), 40);
    EXPECT_EQ(m_form->findChild<QWidget*>("OutputBand")->height(), 54);
    EXPECT_EQ(m_form->findChild<QWidget*>("ListBand")->height(), 201);
    EXPECT_EQ(m_form->ComboOutputFormat->width(), 330);
}

TEST_F(MainWindow, ControlsCarryTheirNamesAndTexts) {
    struct Named {
        const char* name;
        const char* text; // nullptr: no text to compare
    };
    const Named controls[] = {
        {"AddFileButton", "Add File"},
        {"RemoveButton", "Remove File"},
        {"ClearAllButton", "Clear All "},
        {"StopConvertButton", "Stop Convert"},
        {"ConvertNowButton", "Go Convert "},
        {"ButtonStopSmall", "Stop"},
        {"ButtonBrowseForFolder", nullptr},
        {"Edit1", nullptr},
        {"ListView1", nullptr},
        {"TrackBar1", nullptr},
        {"Label14", "100%"},
        {"ProgressBar1", nullptr},
        {"StatusBar1", nullptr},
        {"ComboOutputFormat", nullptr},
        {"ComboVideoCodec", nullptr},
        {"ComboVideoSize", nullptr},
        {"ComboVideoBitrate", nullptr},
        {"ComboVideoFramerate", nullptr},
        {"ComboAudioCodec", nullptr},
        {"ComboAudioBitrate", nullptr},
        {"ComboAudioChannel", nullptr},
        {"ComboSamplingRate", nullptr},
        {"ComboLetterBox", nullptr},
        {"ComboAspectRatio", nullptr},
    };
    for (const Named& control : controls) {
        SCOPED_TRACE(control.name);
        auto* widget = m_form->findChild<QWidget*>(QString::fromLatin1(control.name));
        ASSERT_NE(widget, nullptr);
        if (control.text == nullptr) {
            continue;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), control.text);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), control.text);
        }
    }
    for (auto* button : {m_form->AddFileButton, m_form->RemoveButton, m_form->ClearAllButton,
                         m_form->StopConvertButton, m_form->ConvertNowButton}) {
        EXPECT_TRUE(button->autoRaise());
        EXPECT_TRUE(button->font().bold());
        EXPECT_FALSE(button->icon().isNull());
    }
    EXPECT_EQ(m_form->GroupBox1->title(), " Audio Settings ");
    EXPECT_EQ(m_form->GroupBox2->title(), " Video Settings ");
    EXPECT_EQ(m_form->GroupBox3->title(), " General Settings ");
}

TEST_F(MainWindow, LabelsNameTheirSelectors) {
    const std::pair<const char*, QWidget*> captions[] = {
        {"Output Folder :", m_form->Edit1},
        {"Set Output Format :", m_form->ComboOutputFormat},
        {"Audio Codec : ", m_form->ComboAudioCodec},
        {"Audio Bitrate :", m_form->ComboAudioBitrate},
        {"Audio Channels :", m_form->ComboAudioChannel},
        {"Sampling Rate : ", m_form->ComboSamplingRate},
        {"Video Codec : ", m_form->ComboVideoCodec},
        {"Video Size : ", m_form->ComboVideoSize},
        {"Video Bitrate : ", m_form->ComboVideoBitrate},
        {"Video Framerate : ", m_form->ComboVideoFramerate},
        {"Video Zoom : ", m_form->ComboLetterBox},
        {"Aspect Ratio : ", m_form->ComboAspectRatio},
        {"Volume : ", m_form->TrackBar1},
    };
    const QList<QLabel*> labels = m_form->findChildren<QLabel*>();
    for (const auto& [text, buddy] : captions) {
        SCOPED_TRACE(text);
        auto found = std::find_if(labels.begin(), labels.end(),
                                  [&](QLabel* label) { return label->text() == text; });
        ASSERT_NE(found, labels.end());
        EXPECT_EQ((*found)->buddy(), buddy);
    }
}

// Linux fonts are wider than the ones the fixed layout was first drawn for: every caption must
// still show whole.
TEST_F(MainWindow, EveryTextShowsWhole) {
    m_form->show();
    QApplication::processEvents();
    for (QLabel* label : m_form->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) {
            continue;
        }
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->objectName().toStdString();
    }
    for (QToolButton* button : m_form->findChildren<QToolButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) {
            EXPECT_GE(button->width(), button->sizeHint().width())
                << button->objectName().toStdString();
        }
    }
    EXPECT_GE(m_form->ButtonStopSmall->width(),
              m_form->ButtonStopSmall->fontMetrics().horizontalAdvance("Stop") + 8);
    const QHeaderView* header = m_form->ListView1->horizontalHeader();
    for (int column = 0; column < kJobColumnCount; ++column) {
        const QString title = m_form->ListView1->horizontalHeaderItem(column)->text();
        EXPECT_GE(header->sectionSize(column), header->fontMetrics().horizontalAdvance(title) + 6)
            << title.toStdString();
    }
    // Every entry any profile puts into a selector fits beside the drop-down arrow.
    for (int format = 0; format < m_form->ComboOutputFormat->count(); ++format) {
        m_form->ComboOutputFormat->setCurrentIndex(format);
        m_form->ApplyOutputFormat();
        for (QComboBox* combo : m_form->findChildren<QComboBox*>()) {
            for (int i = 0; i < combo->count(); ++i) {
                EXPECT_LE(combo->fontMetrics().horizontalAdvance(combo->itemText(i)) + 24,
                          combo->width())
                    << combo->objectName().toStdString() << ": "
                    << combo->itemText(i).toStdString();
            }
        }
    }
}

TEST_F(MainWindow, JobListColumnsAndBehaviour) {
    const std::pair<const char*, int> columns[] = {
        {"Video File Name", 310}, {"Video Size", 90}, {"FrameRate", 80}, {"Duration", 60},
        {"Output", 65},           {"Progress", 57},   {"Frames", 60}};
    QTableWidget* list = m_form->ListView1;
    ASSERT_EQ(list->columnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(list->horizontalHeaderItem(column)->text(), columns[column].first);
        EXPECT_EQ(list->columnWidth(column), columns[column].second);
    }
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(MainWindow, StatusBarPanelsAndTooltips) {
    const std::pair<const char*, int> panels[] = {{"Ready", 150}, {"", 300}, {"", 50}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_form->StatusBar1Panels[i]->text(), panels[i].first);
        EXPECT_EQ(m_form->StatusBar1Panels[i]->width(), panels[i].second);
    }
    EXPECT_EQ(m_form->ComboLetterBox->toolTip(), "Add a letterbox to keep video aspect ratio");
    EXPECT_EQ(m_form->TrackBar1->toolTip(), "100% is the original video volume");
    EXPECT_EQ(m_form->ComboLetterBox->toolTipDuration(), 30000);
    EXPECT_EQ(m_form->TrackBar1->toolTipDuration(), 30000);
}

TEST_F(MainWindow, MenusInOrder) {
    auto texts = [](const QMenu* menu) {
        std::vector<QString> items;
        for (const QAction* action : menu->actions()) {
            items.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return items;
    };
    const QList<QAction*> bar = m_form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->text(), "File");
    EXPECT_EQ(bar[1]->text(), "Options");
    EXPECT_EQ(bar[2]->text(), "Help");
    EXPECT_EQ(texts(bar[0]->menu()),
              (std::vector<QString>{"Add Files", "-", "Convert", "-", "Exit"}));
    EXPECT_EQ(texts(bar[1]->menu()), (std::vector<QString>{"Set Options"}));
    EXPECT_EQ(texts(bar[2]->menu()),
              (std::vector<QString>{"Open Help File", "-", "Visit Kestrel Website", "-", "About"}));
    EXPECT_EQ(texts(m_form->PopupListView1),
              (std::vector<QString>{"Check All Items", "Uncheck All Items", "-",
                                    "Remove Selected Item", "Clear All Items"}));
}

TEST_F(MainWindow, VolumeSliderShowsItsPercentage) {
    const std::tuple<int, const char*, const char*> positions[] = {
        {0, "0%", "0"},    {1, "20%", "2"},     {2, "40%", "5"},
        {3, "60%", "30"},  {4, "80%", "40"},    {6, "120%", "60"},
        {9, "180%", "90"}, {10, "200%", "100"}, {5, "100%", "50"}};
    for (const auto& [position, label, level] : positions) {
        m_form->TrackBar1->setValue(position);
        EXPECT_EQ(m_form->Label14->text(), label) << position;
        EXPECT_EQ(m_form->Values().VolumeLevel, level) << position;
    }
}

struct LockedControls {
    std::vector<QWidget*> widgets;
    std::vector<QAction*> actions;
};

LockedControls LockedBy(TForm1& form) {
    return {{form.ComboOutputFormat, form.ComboVideoSize, form.ComboVideoBitrate,
             form.ComboVideoFramerate, form.ComboAudioBitrate, form.ComboAudioChannel,
             form.ComboVideoCodec, form.ComboLetterBox, form.ComboSamplingRate,
             form.ComboAudioCodec, form.ClearAllButton, form.RemoveButton, form.TrackBar1,
             form.ComboAspectRatio},
            {form.AddFiles1, form.Convert1, form.Exit1, form.OpenHelpFile1,
             form.VisitKestrelWebsite1, form.About1, form.SetOptions1}};
}

TEST_F(MainWindow, DisableAndEnableCombosTouchExactlyTheirControls) {
    QDialog options;
    QCheckBox overwrite(&options);
    QCheckBox shutDown(&options);
    m_form->AttachOptionsDialog(&options, &overwrite, &shutDown);
    const LockedControls locked = LockedBy(*m_form);

    m_form->DisableCombos();
    for (QWidget* widget : locked.widgets) {
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    }
    for (QAction* action : locked.actions) {
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    }
    EXPECT_FALSE(overwrite.isEnabled());
    EXPECT_FALSE(shutDown.isEnabled());
    // The callers look after these themselves.
    for (QWidget* widget : {static_cast<QWidget*>(m_form->AddFileButton),
                            static_cast<QWidget*>(m_form->ConvertNowButton),
                            static_cast<QWidget*>(m_form->StopConvertButton),
                            static_cast<QWidget*>(m_form->ButtonBrowseForFolder),
                            static_cast<QWidget*>(m_form->ListView1)}) {
        EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
    }

    m_form->EnableCombos();
    for (QWidget* widget : locked.widgets) {
        EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
    }
    for (QAction* action : locked.actions) {
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    }
    EXPECT_TRUE(overwrite.isEnabled());
    EXPECT_TRUE(shutDown.isEnabled());
}

TEST_F(MainWindow, EnableCombosFollowsTheAspectRule) {
    const std::pair<int, bool> formats[] = {{16, false}, {17, false}, {18, false}, {0, true},
                                            {12, true},  {15, true},  {14, true}};
    for (const auto& [index, allowed] : formats) {
        m_form->ComboOutputFormat->setCurrentIndex(index);
        m_form->ApplyOutputFormat();
        m_form->DisableCombos();
        m_form->EnableCombos();
        EXPECT_EQ(m_form->ComboAspectRatio->isEnabled(), allowed) << index;
    }
}

TEST_F(MainWindow, LockingFromAWorkerThreadHappensOnTheUiThread) {
    bool disabledSeen = false;
    std::thread worker([&] {
        m_form->DisableCombos();
        // DisableCombos returns once the work is done on the user-interface thread.
        disabledSeen = !m_form->ComboVideoSize->isEnabled();
        m_form->EnableCombos();
    });
    // Serve the worker's requests until it is finished.
    while (!m_form->ComboVideoSize->isEnabled() || !disabledSeen) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_TRUE(disabledSeen);
    EXPECT_TRUE(m_form->ComboVideoSize->isEnabled());
}

TEST_F(MainWindow, CloseIsRefusedWhileAJobRunsOrThePowerOffCountdownRuns) {
    int saves = 0;
    m_form->SetSaveSettingsHook([&] { ++saves; });
    m_form->show();
    const std::tuple<bool, bool, bool> cases[] = {
        {true, false, false}, {false, true, false}, {true, true, false}};
    for (const auto& [converting, shutdownPending, closes] : cases) {
        m_form->State().Converting = converting;
        m_form->State().ShutdownPending = shutdownPending;
        EXPECT_EQ(m_form->close(), closes);
        EXPECT_TRUE(m_form->isVisible());
    }
    EXPECT_EQ(saves, 0);

    m_form->State().Converting = false;
    m_form->State().ShutdownPending = false;
    EXPECT_TRUE(m_form->close());
    EXPECT_EQ(saves, 1);
}

TEST_F(MainWindow, FailingSaveDoesNotKeepTheWindowOpen) {
    m_form->SetSaveSettingsHook([] { throw std::runtime_error("disk full"); });
    m_form->show();
    EXPECT_TRUE(m_form->close());
    EXPECT_FALSE(m_form->isVisible());
}

TEST_F(MainWindow, ExitEndsTheProgramWithoutCloseQueryOrSaving) {
    int saves = 0;
    m_form->SetSaveSettingsHook([&] { ++saves; });
    m_form->State().Converting = false;
    m_form->show();
    QTimer::singleShot(0, m_form->Exit1, &QAction::trigger);
    // A watchdog so that a broken Exit fails the test instead of hanging it.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(m_form->isVisible());
}

TEST_F(MainWindow, JobListOperationsOnEmptyAndFullLists) {
    // Empty list: nothing happens, nothing breaks.
    m_form->CheckAllItems1->trigger();
    m_form->UncheckAllItems1->trigger();
    m_form->RemoveButton->click();
    m_form->ClearAllItems1->trigger();
    EXPECT_EQ(m_form->ListView1->rowCount(), 0);

    AddRows(4);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true, true}));
    m_form->UncheckAllItems1->trigger();
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false}));
    m_form->CheckAllItems1->trigger();
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true, true}));

    // No selection: Remove does nothing.
    m_form->ListView1->clearSelection();
    m_form->RemoveButton->click();
    m_form->RemoveSelectedItem1->trigger();
    EXPECT_EQ(m_form->ListView1->rowCount(), 4);

    m_form->ListView1->selectRow(1);
    m_form->RemoveButton->click();
    EXPECT_EQ(Captions(), (std::vector<QString>{"/media/clip 0.avi", "/media/clip 2.avi",
                                                "/media/clip 3.avi"}));
    // The removed row takes the selection with it: a second click (a double click on the
    // button) must not remove the row that moved up into its place.
    m_form->RemoveButton->click();
    EXPECT_EQ(m_form->ListView1->rowCount(), 3);
    m_form->ListView1->selectRow(2);
    m_form->RemoveSelectedItem1->trigger();
    EXPECT_EQ(Captions(), (std::vector<QString>{"/media/clip 0.avi", "/media/clip 2.avi"}));

    m_form->ClearAllButton->click();
    EXPECT_EQ(m_form->ListView1->rowCount(), 0);
    AddRows(2);
    m_form->ClearAllItems1->trigger();
    EXPECT_EQ(m_form->ListView1->rowCount(), 0);
}

TEST_F(MainWindow, AddJobRowAppendsACheckedRowWithTheSelectedExtension) {
    AddRows(1);
    SetJobChecked(m_form->ListView1, 0, false);
    m_form->ComboOutputFormat->setCurrentIndex(13); // 3G2
    m_form->ApplyOutputFormat();
    m_form->AddJobRow(QStringLiteral("/media/a \"quoted\" name.mpg"), QStringLiteral("0 x 0"),
                      QStringLiteral("0"), QString());

    ASSERT_EQ(m_form->ListView1->rowCount(), 2);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true}));
    const std::pair<JobColumn, const char*> cells[] = {
        {kJobFileName, "/media/a \"quoted\" name.mpg"},
        {kJobVideoSize, "0 x 0"},
        {kJobFrameRate, "0"},
        {kJobDuration, ""},
        {kJobOutput, "3G2"},
        {kJobProgress, ""},
        {kJobFrames, ""}};
    for (const auto& [column, text] : cells) {
        EXPECT_EQ(JobCellText(m_form->ListView1, 1, column), text) << column;
    }
    EXPECT_EQ(JobCellText(m_form->ListView1, 0, kJobOutput), "3G2");
    // Users cannot edit a cell.
    EXPECT_FALSE(m_form->ListView1->item(1, kJobFileName)->flags() & Qt::ItemIsEditable);
}

TEST_F(MainWindow, ContextMenuCanBeSwitchedOff) {
    m_form->show();
    AddRows(1);
    const QPoint inside(20, 5);
    m_form->SetJobListMenuEnabled(false);
    emit m_form->ListView1->customContextMenuRequested(inside);
    EXPECT_FALSE(m_form->PopupListView1->isVisible());
    m_form->SetJobListMenuEnabled(true);
    emit m_form->ListView1->customContextMenuRequested(inside);
    EXPECT_TRUE(m_form->PopupListView1->isVisible());
    m_form->PopupListView1->hide();
}

TEST_F(MainWindow, CommandsReachTheirHandlers) {
    int addFile = 0, convert = 0, stop = 0, browse = 0;
    m_form->SetAddFileHandler([&] { ++addFile; });
    m_form->SetConvertNowHandler([&] { ++convert; });
    m_form->SetStopConvertHandler([&] { ++stop; });
    m_form->SetBrowseForFolderHandler([&] { ++browse; });

    m_form->AddFiles1->trigger();
    m_form->AddFileButton->click();
    m_form->Convert1->trigger();
    m_form->ButtonStopSmall->click();
    m_form->StopConvertButton->click();
    m_form->ButtonBrowseForFolder->click();
    EXPECT_EQ(addFile, 2);
    EXPECT_EQ(convert, 1);
    EXPECT_EQ(stop, 2);
    EXPECT_EQ(browse, 1);

    // The menu item clicks the button, so a disabled button keeps the item from working.
    m_form->ConvertNowButton->setEnabled(false);
    m_form->Convert1->trigger();
    EXPECT_EQ(convert, 1);
}

TEST_F(MainWindow, DialogsOpenWithoutBlocking) {
    QDialog options(m_form.get());
    QCheckBox overwrite(&options);
    QCheckBox shutDown(&options);
    QDialog about(m_form.get());
    m_form->AttachOptionsDialog(&options, &overwrite, &shutDown);
    m_form->AttachAboutBox(&about);
    m_form->show();

    m_form->SetOptions1->trigger();
    EXPECT_TRUE(options.isVisible());
    EXPECT_FALSE(options.isModal());
    m_form->About1->trigger();
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
}

TEST_F(MainWindow, HelpAndWebsiteOpenThroughTheDesktop) {
    std::vector<QUrl> opened;
    SetExternalUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    m_form->OpenHelpFile1->trigger();
    m_form->VisitKestrelWebsite1->trigger();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(AppDir() + "help.html")));
    EXPECT_EQ(opened[1], QUrl(QString::fromLatin1(kKestrelWebsite)));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel Video Converter"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
