#pragma once
// The output format selector and what happens when its entry changes. Works on the main
// window's controls handed in as plain pointers; the selector's text is the only record of the
// chosen profile, so nothing here keeps state of its own.

#include <string>

class QComboBox;
class QSlider;
class QTableWidget;
struct StartupValues;

// The selectors an option panel may fill or select in.
struct OptionPanelSelectors {
    QComboBox* ComboVideoCodec = nullptr;
    QComboBox* ComboVideoSize = nullptr;
    QComboBox* ComboVideoBitrate = nullptr;
    QComboBox* ComboVideoFramerate = nullptr;
    QComboBox* ComboAudioCodec = nullptr;
    QComboBox* ComboAudioBitrate = nullptr;
    QComboBox* ComboSamplingRate = nullptr;
    QComboBox* ComboAudioChannel = nullptr;
    QComboBox* ComboLetterBox = nullptr;
};

// Everything the format change touches.
struct FormatChangeControls {
    QComboBox* ComboOutputFormat = nullptr;
    QComboBox* ComboAspectRatio = nullptr;
    QSlider* TrackBar1 = nullptr; // its own change handler shows the percentage
    QTableWidget* ListView1 = nullptr;
    int OutputColumn = 0; // the job list column that shows each row's output extension
    OptionPanelSelectors Panel;
    StartupValues* Values = nullptr;
};

// Empties the format selector, adds the offered entries in order and selects the first one.
void FillOutputFormatList(QComboBox* comboOutputFormat);

// The selected profile's extension ("MP4", "3GP", …); `fallback` when the selector shows a
// separator.
std::string SelectedOutputExtension(const QComboBox* comboOutputFormat,
                                    const std::string& fallback = std::string());

// Whether the aspect ratio selector may be used with the selected profile.
bool AspectRatioAllowed(const QComboBox* comboOutputFormat);

// Puts the selected profile's option panel into the selectors. Does nothing while a separator
// is selected.
void InstallOptionPanel(const OptionPanelSelectors& selectors, const QComboBox* comboOutputFormat);

// The format change: resets channels, volume and aspect ratio, then either puts the previous
// entry back (a separator was picked) or installs the profile's panel and rewrites every job
// row's output column.
void ApplyOutputFormat(const FormatChangeControls& controls);
