#include "support/folders.h"

#include <cstdlib>

std::string LocalAppDataFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        std::string folder(xdg);
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        std::string folder(home);
        while (!folder.empty() && folder.back() == '/') {
            folder.pop_back();
        }
        return folder + "/.config";
    }
    return {};
}
