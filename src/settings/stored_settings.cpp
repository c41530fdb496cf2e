#include "settings/stored_settings.h"

namespace {
constexpr std::string_view kGeneral = "General";
constexpr std::string_view kCheckBoxes = "CheckBoxes";
constexpr std::string_view kCombo = "Combo";
} // namespace

StoredSettings ReadStoredSettings(const ProfileDocument& file) {
    const StoredSettings defaults;
    StoredSettings values;
    values.outputDir = file.ReadString(kGeneral, "OutputDir", defaults.outputDir);
    values.overwriteExistingFile =
        file.ReadBool(kCheckBoxes, "OverwriteExistingFile", defaults.overwriteExistingFile);
    values.shutDown = file.ReadBool(kCheckBoxes, "ShutDown", defaults.shutDown);
    values.comboDropItem = file.ReadInteger(kCombo, "ComboDropItem", defaults.comboDropItem);
    values.outputFormat = file.ReadInteger(kCombo, "OutputFormat", defaults.outputFormat);
    values.letterBox = file.ReadInteger(kCombo, "LetterBox", defaults.letterBox);
    return values;
}

bool WriteStoredSettings(ProfileDocument& file, const StoredSettings& values) {
    if (!file.WriteString(kGeneral, "OutputDir", values.outputDir)) {
        return false;
    }
    file.WriteBool(kCheckBoxes, "OverwriteExistingFile", values.overwriteExistingFile);
    file.WriteBool(kCheckBoxes, "ShutDown", values.shutDown);
    file.WriteInteger(kCombo, "OutputFormat", values.outputFormat);
    file.WriteInteger(kCombo, "LetterBox", values.letterBox);
    file.WriteInteger(kCombo, "ComboDropItem", values.comboDropItem);
    return true;
}

int32_t SelectorIndexOrDefault(int32_t storedIndex, int32_t itemCount, int32_t defaultIndex) {
    return (storedIndex >= 0 && storedIndex < itemCount) ? storedIndex : defaultIndex;
}
