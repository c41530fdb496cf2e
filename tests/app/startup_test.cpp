// The whole program as start-up assembles it: the options dialog restores the settings file
// into the main window, the first show installs the restored profile, closing the window saves,
// and "Exit" leaves the file alone.

#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "power/power_off_request.h"
#include "settings/options_dialog.h"

#include "../tools/test_folder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

class NoPowerOff : public PowerOffRequest {
public:
    bool ShutDownPC() override {
        ++requests;
        return false;
    }
    int requests = 0;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_home.Path().empty());
        ::setenv("XDG_CONFIG_HOME", m_home.Path().c_str(), 1);
        m_settingsFile = m_home.File("Kestrel/Ravelcast/ravelcast.ini");
    }

    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(m_home.Path() / "Kestrel/Ravelcast");
        m_home.Write("Kestrel/Ravelcast/ravelcast.ini", text);
    }

    // Creates the program as main() does and shows its main window.
    TForm1& Start() {
        m_app = std::make_unique<RavelcastApp>(m_appDir.Path().string() + "/", &m_powerOff,
                                               [] { QCoreApplication::exit(0); });
        m_app->Form1().show();
        QApplication::processEvents();
        return m_app->Form1();
    }

    void Pick(TForm1& form, const QString& entry) {
        const int index = form.ComboOutputFormat->findText(entry);
        ASSERT_GE(index, 0);
        form.ComboOutputFormat->setCurrentIndex(index);
        emit form.ComboOutputFormat->activated(index);
    }

    TestFolder m_home;
    TestFolder m_appDir;
    std::string m_settingsFile;
    NoPowerOff m_powerOff;
    std::unique_ptr<RavelcastApp> m_app;
};

TEST_F(Startup, FirstRunShowsTheDefaultsAndClosingWritesTheSixKeys) {
    TForm1& form = Start();
    EXPECT_EQ(form.ComboOutputFormat->currentText(), "iPod (*.mp4)");
    EXPECT_EQ(form.ComboLetterBox->currentText(), "LetterBox");
    EXPECT_EQ(form.Label14->text(), "100%");
    EXPECT_TRUE(form.Edit1->text().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(m_settingsFile));

    form.Edit1->setText(QStringLiteral("/srv/out"));
    Pick(form, QStringLiteral("MP3 - Mpeg Layer3 Audio (*.mp3)"));
    ASSERT_TRUE(form.close());
    EXPECT_EQ(ReadFile(m_settingsFile), "[General]\n"
                                        "OutputDir=/srv/out\n"
                                        "[CheckBoxes]\n"
                                        "OverwriteExistingFile=0\n"
                                        "ShutDown=0\n"
                                        "[Combo]\n"
                                        "OutputFormat=17\n"
                                        "LetterBox=1\n"
                                        "ComboDropItem=30\n");
}

struct RestoreCase {
    const char* name;
    const char* outputFormat; // the stored index
    const char* expectedFormat;
    const char* expectedAudioCodec; // shows which panel the first show installed
    int expectedLastFormatIndex;
};

class RestoredFormat : public Startup, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoredFormat, FirstShowInstallsTheRestoredProfile) {
    const RestoreCase& c = GetParam();
    WriteSettings(std::string("[Combo]\nOutputFormat=") + c.outputFormat + "\nLetterBox=0\n");
    TForm1& form = Start();
    EXPECT_EQ(form.ComboOutputFormat->currentText(), c.expectedFormat);
    EXPECT_EQ(form.ComboAudioCodec->currentText(), c.expectedAudioCodec);
    EXPECT_EQ(form.Values().LastFormatIndex, c.expectedLastFormatIndex);
    // Both check boxes read as on when their keys are missing; restoring asks nothing.
    EXPECT_TRUE(m_app->Form4().CheckBoxShutDown->isChecked());
    EXPECT_TRUE(m_app->Form4().CheckBoxOverWrite->isChecked());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RestoredFormat,
    ::testing::Values(RestoreCase{"Mov", "15", "MOV - QuickTime Video (*.mov)", "mpeg4aac_qt", 15},
                      RestoreCase{"Separator", "3", "iPod (*.mp4)", "mpeg4aac", 0},
                      RestoreCase{"Hexadecimal3gp", "0xC",
                                  "3GP - 3rd Generation Partnership Project (*.3gp)", "amr_nb", 12},
                      RestoreCase{"OutOfRange", "19", "iPod Extra (640 x 480) (*.mp4)", "mpeg4aac",
                                  1}),
    [](const ::testing::TestParamInfo<RestoreCase>& info) { return info.param.name; });

TEST_F(Startup, ExitAfterAChangeLeavesTheFileAsItWas) {
    const std::string stored = "; kept\n[General]\nOutputDir=/srv/out\n[Combo]\nOutputFormat=0\n";
    WriteSettings(stored);
    TForm1& form = Start();
    Pick(form, QStringLiteral("WAV - Waveform Audio (*.wav)"));
    form.Edit1->setText(QStringLiteral("/elsewhere"));

    QTimer::singleShot(0, form.Exit1, &QAction::trigger);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(ReadFile(m_settingsFile), stored);
    EXPECT_EQ(m_powerOff.requests, 0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel Video Converter"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
