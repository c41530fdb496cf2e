#pragma once
#include <string>

// The folder of the settings file, ending in "/": the user's configuration folder followed by
// "/Kestrel/Ravelcast/". When no configuration folder can be found the base is empty and the
// folder lies at the root of the file system; the program has always behaved that way.
std::string SettingsFolder();

// SettingsFolder() followed by "ravelcast.ini".
std::string SettingsFile();
