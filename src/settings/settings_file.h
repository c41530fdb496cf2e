#pragma once
// Loading and saving the user's choices: the output folder, the output format and letterbox
// selectors of the main window, and the options dialog's two check boxes and drop-down count.

class QComboBox;
class QLineEdit;
class TForm4;
struct StartupValues;

// The main window's controls the settings touch.
struct SettingsControls {
    QLineEdit* Edit1 = nullptr; // output folder
    QComboBox* ComboOutputFormat = nullptr;
    QComboBox* ComboLetterBox = nullptr;
};

// Restores the controls from the settings file, in this order: the output folder, the
// overwrite box, the power-off box (its click handler runs when it changes), the drop-down
// count (its change handler runs when the field's text changes), the output format index and
// the letterbox index; the two selector changes raise no change event. Without a file the
// controls keep their start-up state. Reading problems end the load silently.
void LoadSettings(const SettingsControls& controls, TForm4& options, StartupValues& values);

// Writes the six values to the settings file, creating its folder first when the file does not
// exist yet. Every failure is swallowed: closing the program must not stop here or report.
void SaveSettings(const SettingsControls& controls, const TForm4& options);
