#include "support/folders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <filesystem>
#include <system_error>

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

std::string ProgramFolder() {
    // /proc/self/exe names the file the kernel started, whatever link or relative path the
    // program was started through.
    std::error_code error;
    std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
    if (error) {
        // Without /proc, Qt falls back to argv[0] and the search path, which may still name a
        // link: resolve it here.
        const QString path = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        program = std::filesystem::path(QFile::encodeName(path).toStdString());
    }
    std::string folder = program.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}
