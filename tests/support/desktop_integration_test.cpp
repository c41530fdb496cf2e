// How the program meets the desktop: it finds its folder through the links it is started by,
// its windows carry its own icon, and its desktop entry, metainfo and icons agree on one name.

#include "support/folders.h"
#include "support/program_icon.h"

#include "../tools/test_folder.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kFolderPrinter = std::string(RC_TEST_TOOLS_DIR) + "print_program_folder";

// Runs `command` through the shell and returns what it printed.
std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return text;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    ::pclose(pipe);
    return text;
}

// The launcher in bin/ is a link into the program's folder; a user may add links of their own.
TEST(ProgramFolder, IsTheRealFolderWhateverLinkStartedTheProgram) {
    TestFolder root;
    const fs::path bin = root.Path() / "bin";
    fs::create_directories(bin);
    fs::create_symlink(kFolderPrinter, bin / "launcher");
    // A relative link to a link, as a user's ~/bin entry pointing at the installed launcher.
    fs::create_symlink("launcher", bin / "mine");
    const std::string expected = fs::canonical(kFolderPrinter).parent_path().string() + "/";

    EXPECT_EQ(Output("'" + kFolderPrinter + "'"), expected);
    EXPECT_EQ(Output("'" + (bin / "launcher").string() + "'"), expected);
    EXPECT_EQ(Output("cd '" + bin.string() + "' && ./mine"), expected);
    EXPECT_EQ(Output("PATH='" + bin.string() + "' mine"), expected);
}

TEST(ProgramIcon, EveryWindowGetsTheIconInEverySize) {
    ApplyProgramIcon();
    QWidget window;
    const QIcon icon = window.windowIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        // Each size comes from its own drawing, not scaled from another.
        EXPECT_EQ(icon.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    }
    EXPECT_EQ(QGuiApplication::desktopFileName(), QLatin1String(kApplicationId));
}

QString ReadSource(const QString& relativePath) {
    QFile file(QString::fromLatin1(RC_SOURCE_DIR) + relativePath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A dock finds the icon and the software centre the entry only when every file uses the name
// the program gives its windows.
TEST(DesktopFiles, ShareTheProgramsApplicationId) {
    const QString id = QLatin1String(kApplicationId);
    const QString entry = ReadSource("desktop/" + id + ".desktop");
    const QString metainfo = ReadSource("desktop/" + id + ".metainfo.xml");
    ASSERT_FALSE(entry.isEmpty());
    ASSERT_FALSE(metainfo.isEmpty());
    EXPECT_TRUE(entry.contains("\nIcon=" + id + "\n"));
    EXPECT_TRUE(metainfo.contains("<id>" + id + "</id>"));
    EXPECT_TRUE(
        metainfo.contains("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"));
    EXPECT_TRUE(QFile::exists(QString::fromLatin1(RC_SOURCE_DIR) + "desktop/" + id + ".svg"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
