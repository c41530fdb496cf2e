#pragma once
// The controls and shared values the conversion engine works on. The main window fills this
// in; the engine never sees the window itself. Every pointer belongs to the user-interface
// thread and is touched only there.

#include <functional>

class ConversionState;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableWidget;
class QTimer;
class QWidget;
class RunDesktopFeedback;
struct StartupValues;

struct EngineControls {
    QWidget* MessageParent = nullptr; // owner of the message boxes (the main window)
    QTableWidget* ListView1 = nullptr;
    QAbstractButton* ConvertNowButton = nullptr;
    QAbstractButton* AddFileButton = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* SizePanel = nullptr; // the status bar's second panel: the output size
    QLineEdit* Edit1 = nullptr;  // the output folder
    QComboBox* ComboOutputFormat = nullptr;
    QComboBox* ComboVideoCodec = nullptr;
    QComboBox* ComboAudioCodec = nullptr;
    QComboBox* ComboVideoSize = nullptr;
    QComboBox* ComboVideoBitrate = nullptr;
    QComboBox* ComboAudioBitrate = nullptr;
    QComboBox* ComboVideoFramerate = nullptr;
    QComboBox* ComboSamplingRate = nullptr;
    QComboBox* ComboAudioChannel = nullptr;
    QComboBox* ComboAspectRatio = nullptr;
    QComboBox* ComboLetterBox = nullptr;
    QTimer* ConversionCountTimer = nullptr; // the stall watchdog's tick
    ConversionState* State = nullptr;
    StartupValues* Values = nullptr;               // AppDir, VolumeLevel, AnalysisDialogShown
    RunDesktopFeedback* DesktopFeedback = nullptr; // the launcher entry and notification; optional

    // Lock and unlock the option controls; callable from any thread.
    std::function<void()> DisableCombos;
    std::function<void()> EnableCombos;
    // Whether the job list's context menu opens.
    std::function<void(bool enabled)> SetJobListMenuEnabled;
    // The output-folder browser, offered after a folder message.
    std::function<void()> BrowseForFolder;
    // The hand-over to the power-off countdown at the end of a finished run; callable from any
    // thread (it sets ShutdownPending and CountdownSeconds itself).
    std::function<void()> StartCountdown;
};
