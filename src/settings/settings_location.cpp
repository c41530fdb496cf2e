#include "settings/settings_location.h"

#include "support/folders.h"

std::string SettingsFolder() {
    return LocalAppDataFolder() + "/Kestrel/Ravelcast/";
}

std::string SettingsFile() {
    return SettingsFolder() + "ravelcast.ini";
}
