#pragma once
// The main window: toolbar, output folder and format, the job list, the three settings groups,
// the progress row and the status bar. It owns the start-up values and the conversion state and
// wires every command to the code that carries it out. Subsystems that work on its controls
// get the controls they touch (FormatControls() and the public control pointers), not the
// window itself.

#include "base/conversion_state.h"
#include "profiles/format_change.h"
#include "support/startup_values.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTableWidget;
class QTimer;
class QToolButton;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `appDir` is the program's folder with a trailing "/": where the encoder, the help page and
    // the start-up script are looked for.
    explicit TForm1(std::string appDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, each also findable by its objectName (the same name).
    QToolButton* AddFileButton = nullptr;
    QToolButton* RemoveButton = nullptr;
    QToolButton* ClearAllButton = nullptr;
    QToolButton* StopConvertButton = nullptr;
    QToolButton* ConvertNowButton = nullptr;
    QLineEdit* Edit1 = nullptr; // the output folder; only the program writes it
    QToolButton* ButtonBrowseForFolder = nullptr;
    QComboBox* ComboOutputFormat = nullptr;
    QTableWidget* ListView1 = nullptr; // columns: jobs/job_list.h
    QMenu* PopupListView1 = nullptr;
    QAction* CheckAllItems1 = nullptr;
    QAction* UncheckAllItems1 = nullptr;
    QAction* RemoveSelectedItem1 = nullptr;
    QAction* ClearAllItems1 = nullptr;
    QGroupBox* GroupBox1 = nullptr; // " Audio Settings "
    QGroupBox* GroupBox2 = nullptr; // " Video Settings "
    QGroupBox* GroupBox3 = nullptr; // " General Settings "
    QComboBox* ComboAudioCodec = nullptr;
    QComboBox* ComboAudioBitrate = nullptr;
    QComboBox* ComboAudioChannel = nullptr;
    QComboBox* ComboSamplingRate = nullptr;
    QComboBox* ComboVideoCodec = nullptr;
    QComboBox* ComboVideoSize = nullptr;
    QComboBox* ComboVideoBitrate = nullptr;
    QComboBox* ComboVideoFramerate = nullptr;
    QComboBox* ComboLetterBox = nullptr;
    QComboBox* ComboAspectRatio = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label14 = nullptr; // the volume percentage under the slider
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* ButtonStopSmall = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 3> StatusBar1Panels{}; // "Ready", the output size, unused
    QAction* AddFiles1 = nullptr;
    QAction* Convert1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* SetOptions1 = nullptr;
    QAction* OpenHelpFile1 = nullptr;
    QAction* VisitKestrelWebsite1 = nullptr;
    QAction* About1 = nullptr;
    QTimer* ConversionCountTimer = nullptr; // the stall watchdog's 2 s tick, stopped at start
    // The power-off countdown's 1 s timer, TimerShutdown2, belongs to the countdown, which the
    // main window owns as a child (power/shutdown_countdown.h).

    StartupValues& Values() { return m_values; }
    ConversionState& State() { return m_state; }

    // Lock and unlock the option controls while the program is busy. Callable from any thread;
    // the work is done on the user-interface thread before these return.
    void DisableCombos();
    void EnableCombos();

    // Appends a checked job row with the selected profile's output extension.
    void AddJobRow(const QString& sourcePath, const QString& frameSize, const QString& frameRate,
                   const QString& duration);

    // The format change for the entry now selected.
    void ApplyOutputFormat();
    FormatChangeControls FormatControls();

    // A conversion run switches the job list's context menu off.
    void SetJobListMenuEnabled(bool enabled) { m_jobListMenuEnabled = enabled; }
    bool JobListMenuEnabled() const { return m_jobListMenuEnabled; }

    // Attach points for the windows made after this one. The options dialog is shown without
    // blocking by "Set Options"; its two check boxes are locked with the option controls.
    void AttachOptionsDialog(QDialog* dialog, QCheckBox* checkBoxOverWrite,
                             QCheckBox* checkBoxShutDown);
    void AttachAboutBox(QDialog* aboutBox);

    // Called when the window closes (not on "Exit"); a failure inside is swallowed.
    void SetSaveSettingsHook(std::function<void()> hook) { m_saveSettings = std::move(hook); }
    // Called when the window closes, before the settings are saved: ends an analysis of added
    // files that is under way.
    void SetEndAnalysisHook(std::function<void()> hook) { m_endAnalysis = std::move(hook); }

    // The commands other parts of the program carry out.
    void SetAddFileHandler(std::function<void()> handler) { m_addFile = std::move(handler); }
    void SetConvertNowHandler(std::function<void()> handler) { m_convertNow = std::move(handler); }
    void SetStopConvertHandler(std::function<void()> handler) {
        m_stopConvert = std::move(handler);
    }
    void SetBrowseForFolderHandler(std::function<void()> handler) {
        m_browseForFolder = std::move(handler);
    }

    // Whether the window may close now: not while a job runs or the power-off countdown runs.
    bool FormCloseQuery() const;

public slots:
    void AddFileButtonClick();
    void ConvertNowButtonClick();
    void StopConvertButtonClick();
    void ButtonBrowseForFolderClick();
    void RemoveButtonClick();
    void ClearAllButtonClick();
    void CheckAllItems1Click();
    void UncheckAllItems1Click();
    void ComboOutputFormatChange();
    void TrackBar1Change(int position);
    void SetOptions1Click();
    void OpenHelpFile1Click();
    void VisitKestrelWebsite1Click();
    void About1Click();
    void Exit1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildToolbarBand();
    QWidget* BuildOutputBand();
    QWidget* BuildListBand();
    QWidget* BuildSettingsBand();
    void BuildMenus();
    void BuildStatusBar();
    void SetInitialSelectorContents();
    void ConnectCommands();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FillLetterBoxList();
    void SetOptionControlsEnabled(bool enabled);
    void ShowJobListMenu(const QPoint& position);

    StartupValues m_values;
    ConversionState m_state;
    bool m_shownOnce = false;
    bool m_jobListMenuEnabled = true;
    QPointer<QDialog> m_optionsDialog;
    QPointer<QCheckBox> m_checkBoxOverWrite;
    QPointer<QCheckBox> m_checkBoxShutDown;
    QPointer<QDialog> m_aboutBox;
    std::function<void()> m_saveSettings;
    std::function<void()> m_endAnalysis;
    std::function<void()> m_addFile;
    std::function<void()> m_convertNow;
    std::function<void()> m_stopConvert;
    std::function<void()> m_browseForFolder;
};
