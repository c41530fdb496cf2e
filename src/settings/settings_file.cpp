#include "settings/settings_file.h"

#include "settings/options_dialog.h"
#include "settings/profile_file.h"
#include "settings/settings_location.h"
#include "settings/stored_settings.h"
#include "support/startup_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>

namespace {

void ApplyStoredSettings(const StoredSettings& stored, const SettingsControls& controls,
                         TForm4& options, StartupValues& values) {
    const StoredSettings defaults;
    if (controls.Edit1 != nullptr) {
        controls.Edit1->clear();
        controls.Edit1->setText(QString::fromUtf8(stored.outputDir));
    }
    options.CheckBoxOverWrite->setChecked(stored.overwriteExistingFile);
    options.CheckBoxShutDown->setChecked(stored.shutDown);

    // The field holds only 26..47; when bringing the stored count into range changes its text,
    // its change handler runs the format change with the new count.
    values.FormatDropDownCount =
        std::clamp(stored.comboDropItem, TForm4::kMinDropDownCount, TForm4::kMaxDropDownCount);
    options.SpinEdit1->setValue(values.FormatDropDownCount);

    // Selecting from here raises no change event: the main window's show handler applies the
    // restored format (and steps back from a separator entry).
    if (controls.ComboOutputFormat != nullptr) {
        controls.ComboOutputFormat->setCurrentIndex(SelectorIndexOrDefault(
            stored.outputFormat, controls.ComboOutputFormat->count(), defaults.outputFormat));
    }
    if (controls.ComboLetterBox != nullptr) {
        controls.ComboLetterBox->setCurrentIndex(SelectorIndexOrDefault(
            stored.letterBox, controls.ComboLetterBox->count(), defaults.letterBox));
    }
}

} // namespace

void LoadSettings(const SettingsControls& controls, TForm4& options, StartupValues& values) {
    try {
        const std::string file = SettingsFile();
        if (!IsExistingFile(file)) {
            return;
        }
        const std::optional<ProfileDocument> document = ReadProfileFile(file);
        if (!document) {
            return;
        }
        ApplyStoredSettings(ReadStoredSettings(*document), controls, options, values);
    } catch (...) {
        // A settings file that cannot be read leaves what was restored so far.
    }
}

void SaveSettings(const SettingsControls& controls, const TForm4& options) {
    try {
        StoredSettings stored;
        if (controls.Edit1 != nullptr) {
            stored.outputDir = controls.Edit1->text().toStdString();
        }
        stored.overwriteExistingFile = options.CheckBoxOverWrite->isChecked();
        stored.shutDown = options.CheckBoxShutDown->isChecked();
        if (controls.ComboOutputFormat != nullptr) {
            stored.outputFormat = controls.ComboOutputFormat->currentIndex();
        }
        if (controls.ComboLetterBox != nullptr) {
            stored.letterBox = controls.ComboLetterBox->currentIndex();
        }
        stored.comboDropItem = options.SpinEdit1Value();

        const std::string file = SettingsFile();
        ProfileDocument document;
        if (IsExistingFile(file)) {
            // A file we cannot read whole is left alone rather than replaced by our six keys.
            std::optional<ProfileDocument> existing = ReadProfileFile(file);
            if (!existing) {
                return;
            }
            document = std::move(*existing);
        } else if (!CreateFolderWithParents(SettingsFolder())) {
            return;
        }
        // Only the output folder can fail to be written, and it comes first: the save then ends
        // with nothing written.
        if (WriteStoredSettings(document, stored)) {
            WriteProfileFile(file, document);
        }
    } catch (...) {
        // Closing the program must not fail here, and nothing is reported.
    }
}
