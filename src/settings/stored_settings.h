#pragma once
// The six values the settings file keeps, with the defaults a missing key gives, and the order
// in which they are written.

#include "settings/profile_document.h"

#include <cstdint>
#include <string>

struct StoredSettings {
    std::string outputDir;             // [General] OutputDir
    bool overwriteExistingFile = true; // [CheckBoxes] OverwriteExistingFile
    bool shutDown = true;              // [CheckBoxes] ShutDown
    int32_t outputFormat = 1;          // [Combo] OutputFormat: index in the format selector
    int32_t letterBox = 1;             // [Combo] LetterBox: 0 "None", 1 "LetterBox"
    int32_t comboDropItem = 1;         // [Combo] ComboDropItem: the drop-down count field
};

// Each key read on its own; a missing key, or a number that is not a whole number, gives the
// default above. Both booleans are on when missing: that is how the program always read them.
StoredSettings ReadStoredSettings(const ProfileDocument& file);

// Writes the six keys in file order: OutputDir, OverwriteExistingFile, ShutDown, OutputFormat,
// LetterBox, ComboDropItem. Stops at the first key that cannot be written (an output folder
// with a line break in its name) and answers false; the keys before it stay written.
bool WriteStoredSettings(ProfileDocument& file, const StoredSettings& values);

// A stored selector index that the selector does not have would leave it with no selection,
// and every later command line empty: such an index counts as missing.
int32_t SelectorIndexOrDefault(int32_t storedIndex, int32_t itemCount, int32_t defaultIndex);
