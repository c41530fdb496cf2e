#include "settings/profile_file.h"
#include "settings/settings_location.h"
#include "settings_harness.h"

#include <QCheckBox>
#include <QSpinBox>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST_F(SettingsTest, FolderFollowsTheConfigurationFolderAndFallsBackToTheRoot) {
    EXPECT_EQ(SettingsFolder(), ConfigHome() + "/Kestrel/Ravelcast/");
    EXPECT_EQ(SettingsFile(), ConfigHome() + "/Kestrel/Ravelcast/ravelcast.ini");
    {
        EnvironmentOverride xdg("XDG_CONFIG_HOME", std::nullopt);
        EnvironmentOverride home("HOME", ConfigHome());
        EXPECT_EQ(SettingsFolder(), ConfigHome() + "/.config/Kestrel/Ravelcast/");
    }
    {
        EnvironmentOverride xdg("XDG_CONFIG_HOME", std::nullopt);
        EnvironmentOverride home("HOME", std::nullopt);
        EXPECT_EQ(SettingsFolder(), "/Kestrel/Ravelcast/");
        EXPECT_EQ(SettingsFile(), "/Kestrel/Ravelcast/ravelcast.ini");
    }
}

TEST_F(SettingsTest, FirstRunStartsFromDefaultsAndTheFirstSaveCreatesFolderAndFile) {
    // The folder's parents do not exist either.
    EnvironmentOverride xdg("XDG_CONFIG_HOME", ConfigHome() + "/not/yet");
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    ExpectStartupState(main);

    main.Edit1->setText(QStringLiteral("/data/Converted"));
    SaveSettings(main.Controls(), options);
    EXPECT_EQ(ReadWholeFile(ConfigHome() + "/not/yet/Kestrel/Ravelcast/ravelcast.ini"),
              "[General]\n"
              "OutputDir=/data/Converted\n"
              "[CheckBoxes]\n"
              "OverwriteExistingFile=0\n"
              "ShutDown=0\n"
              "[Combo]\n"
              "OutputFormat=0\n"
              "LetterBox=1\n"
              "ComboDropItem=30\n");
}

struct LoadCase {
    const char* name;
    std::string file;
    std::string outputDir;
    bool overwrite;
    bool shutDown;
    int outputFormat;
    int letterBox;
    int dropDownCount;    // the field and FormatDropDownCount alike
    size_t formatChanges; // runs of the format change while loading
};

TEST_F(SettingsTest, LoadingRestoresEveryControlInOrder) {
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[=]\xff\xfe;\n=\n[\n", 27);
    const LoadCase cases[] = {
        {"every value",
         "[General]\nOutputDir=/srv/video out\n[CheckBoxes]\nOverwriteExistingFile=0\n"
         "ShutDown=1\n[Combo]\nOutputFormat=16\nLetterBox=0\nComboDropItem=40\n",
         "/srv/video out", false, true, 16, 0, 40, 1},
        {"drop-down count below the range", "[Combo]\nComboDropItem=10\n", "", true, true, 1, 1, 26,
         1},
        {"drop-down count above the range", "[Combo]\nComboDropItem=99\n", "", true, true, 1, 1, 47,
         1},
        {"drop-down count as at start-up: no format change", "[Combo]\nComboDropItem=30\n", "",
         true, true, 1, 1, 30, 0},
        {"empty file: the defaults of the file, both booleans on", "", "", true, true, 1, 1, 26, 1},
        {"no ShutDown key: on, and nothing is asked",
         "[CheckBoxes]\nOverwriteExistingFile=0\n[Combo]\nComboDropItem=30\n", "", false, true, 1,
         1, 30, 0},
        {"a separator entry is restored as it is (the show handler steps back)",
         "[Combo]\nOutputFormat=3\nComboDropItem=30\n", "", true, true, 3, 1, 30, 0},
        {"an output folder that no longer exists loads unchanged",
         "[General]\nOutputDir=/no/such/folder/any/more\n[Combo]\nComboDropItem=30\n",
         "/no/such/folder/any/more", true, true, 1, 1, 30, 0},
        {"indices beyond the selectors count as missing",
         "[Combo]\nOutputFormat=19\nLetterBox=2\nComboDropItem=30\n", "", true, true, 1, 1, 30, 0},
        {"negative indices count as missing",
         "[Combo]\nOutputFormat=-1\nLetterBox=-5\nComboDropItem=30\n", "", true, true, 1, 1, 30, 0},
        {"keys in any letter case",
         "[GENERAL]\noutputdir=/x\n[checkboxes]\nOVERWRITEEXISTINGFILE=0\nshutdown=0\n"
         "[combo]\noutputformat=12\nLETTERBOX=0\ncombodropitem=27\n",
         "/x", false, false, 12, 0, 27, 1},
        {"hexadecimal numbers",
         "[CheckBoxes]\nOverwriteExistingFile=$1\nShutDown=0x0\n"
         "[Combo]\nOutputFormat=$C\nLetterBox=0X0\nComboDropItem=0x20\n",
         "", true, false, 12, 0, 32, 1},
        {"numbers that are not whole numbers give the defaults",
         "[CheckBoxes]\nOverwriteExistingFile=off\nShutDown=yes\n"
         "[Combo]\nOutputFormat=twelve\nLetterBox=0.5\nComboDropItem=\n",
         "", true, true, 1, 1, 26, 1},
        {"binary garbage: the defaults of the file", garbage, "", true, true, 1, 1, 26, 1},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_questions.clear();
        WriteSettingsFile(c.file);
        MainWindowStub main;
        TForm4& options = main.CreateOptions();
        EXPECT_EQ(main.Edit1->text().toStdString(), c.outputDir);
        EXPECT_EQ(options.CheckBoxOverWrite->isChecked(), c.overwrite);
        EXPECT_EQ(options.CheckBoxShutDown->isChecked(), c.shutDown);
        EXPECT_EQ(main.ComboOutputFormat->currentIndex(), c.outputFormat);
        EXPECT_EQ(main.ComboLetterBox->currentIndex(), c.letterBox);
        EXPECT_EQ(options.SpinEdit1->value(), c.dropDownCount);
        EXPECT_EQ(main.values.FormatDropDownCount, c.dropDownCount);
        EXPECT_EQ(main.formatChanges.size(), c.formatChanges);
        if (!main.formatChanges.empty()) {
            EXPECT_EQ(main.formatChanges.back(), c.dropDownCount);
        }
        // Restoring the power-off option asks nothing; the start-up flag is used up only when
        // the box changed.
        EXPECT_TRUE(m_questions.empty());
        EXPECT_EQ(main.values.SuppressShutdownPrompt, !c.shutDown);
    }
}

TEST_F(SettingsTest, EveryValueSurvivesASaveAndTheNextStart) {
    struct Values {
        std::string outputDir;
        bool overwrite, shutDown;
        int outputFormat, letterBox, dropDownCount;
    };
    const Values rounds[] = {
        {" /home/jürgen/Видео/with blanks ", true, true, 18, 0, 47},
        {"\"/quoted\"", false, false, 0, 1, 26},
        {"", true, false, 7, 1, 33},
    };
    // The drop-down count is a number in the file whatever digits the desktop's language
    // shows numbers with.
    struct RestoreLocale {
        QLocale saved;
        ~RestoreLocale() { QLocale::setDefault(saved); }
    } restoreLocale;
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::Arabic, QLocale::Egypt)};
    for (const QLocale& locale : locales) {
        QLocale::setDefault(locale);
        for (const Values& v : rounds) {
            SCOPED_TRACE(locale.name().toStdString() + " " + v.outputDir);
            {
                MainWindowStub before;
                TForm4& options = before.CreateOptions();
                before.values.SuppressShutdownPrompt = false;
                before.Edit1->setText(QString::fromStdString(v.outputDir));
                options.CheckBoxOverWrite->setChecked(v.overwrite);
                options.CheckBoxShutDown->setChecked(v.shutDown); // answered Yes
                before.ComboOutputFormat->setCurrentIndex(v.outputFormat);
                before.ComboLetterBox->setCurrentIndex(v.letterBox);
                options.SpinEdit1->setValue(v.dropDownCount);
                SaveSettings(before.Controls(), options);
            }
            MainWindowStub after;
            TForm4& options = after.CreateOptions();
            EXPECT_EQ(after.Edit1->text().toStdString(), v.outputDir);
            EXPECT_EQ(options.CheckBoxOverWrite->isChecked(), v.overwrite);
            EXPECT_EQ(options.CheckBoxShutDown->isChecked(), v.shutDown);
            EXPECT_EQ(after.ComboOutputFormat->currentIndex(), v.outputFormat);
            EXPECT_EQ(after.ComboLetterBox->currentIndex(), v.letterBox);
            EXPECT_EQ(options.SpinEdit1->value(), v.dropDownCount);
            EXPECT_EQ(after.values.FormatDropDownCount, v.dropDownCount);
            EXPECT_NE(ReadSettingsFile().find("ComboDropItem=" + std::to_string(v.dropDownCount)),
                      std::string::npos);
        }
    }
}

TEST_F(SettingsTest, SavingKeepsTheOtherSectionsKeysAndComments) {
    WriteSettingsFile("; written by hand\n"
                      "[General]\n"
                      "OutputDir=/old\n"
                      "Theme=dark\n"
                      "\n"
                      "[Extra]\n"
                      "; keep me\n"
                      "Colour = blue\n"
                      "[combo]\n"
                      "letterbox=0\n");
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    main.Edit1->setText(QStringLiteral("/new"));
    options.CheckBoxOverWrite->setChecked(false);
    options.CheckBoxShutDown->setChecked(false);
    main.ComboOutputFormat->setCurrentIndex(5);
    main.ComboLetterBox->setCurrentIndex(1);
    options.SpinEdit1->setValue(30);
    SaveSettings(main.Controls(), options);
    EXPECT_EQ(ReadSettingsFile(), "; written by hand\n"
                                  "[General]\n"
                                  "OutputDir=/new\n"
                                  "Theme=dark\n"
                                  "\n"
                                  "[Extra]\n"
                                  "; keep me\n"
                                  "Colour = blue\n"
                                  "[combo]\n"
                                  "letterbox=1\n"
                                  "OutputFormat=5\n"
                                  "ComboDropItem=30\n"
                                  "[CheckBoxes]\n"
                                  "OverwriteExistingFile=0\n"
                                  "ShutDown=0\n");
}

TEST_F(SettingsTest, SavingOverGarbageKeepsItAndTheValuesComeBack) {
    const std::string garbage("\x7f"
                              "ELF\x02\x01\x01\0\0\0[x\r\n=\xff\n\0",
                              18);
    WriteSettingsFile(garbage);
    {
        MainWindowStub main;
        TForm4& options = main.CreateOptions();
        main.Edit1->setText(QStringLiteral("/out"));
        options.CheckBoxShutDown->setChecked(false);
        main.ComboOutputFormat->setCurrentIndex(14);
        SaveSettings(main.Controls(), options);
    }
    EXPECT_EQ(ReadSettingsFile().substr(0, garbage.size()), garbage);
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    EXPECT_EQ(main.Edit1->text(), QStringLiteral("/out"));
    EXPECT_FALSE(options.CheckBoxShutDown->isChecked());
    EXPECT_EQ(main.ComboOutputFormat->currentIndex(), 14);
}

TEST_F(SettingsTest, AnOutputFolderThatCannotLiveOnOneLineEndsTheSave) {
    for (const bool fileExists : {false, true}) {
        SCOPED_TRACE(fileExists);
        fs::remove_all(ConfigHome() + "/Kestrel");
        if (fileExists) {
            WriteSettingsFile("[Combo]\nOutputFormat=2\n");
        }
        MainWindowStub main;
        TForm4& options = main.CreateOptions();
        main.Edit1->setText(QStringLiteral("/x\n[Combo]\nOutputFormat=7"));
        SaveSettings(main.Controls(), options);
        if (fileExists) {
            EXPECT_EQ(ReadSettingsFile(), "[Combo]\nOutputFormat=2\n");
        } else {
            EXPECT_FALSE(fs::exists(SettingsPath()));
        }
    }
}

// Something at the settings path, or on the way to it, that is no readable or writable file.
struct BrokenCase {
    const char* name;
    std::function<bool(const std::string& path)> prepare; // false: cannot be shown here
    std::function<void(const std::string& path)> expectUntouched;
};

TEST_F(SettingsTest, BrokenFilesGiveTheStartupStateAndSavingLeavesThemAlone) {
    const std::string huge = [] {
        std::string text = "[Combo]\nComboDropItem=40\nOutputFormat=5\n";
        text.resize(kMaxProfileFileBytes + 1, 'x');
        return text;
    }();
    // Readable, and holding what the controls show at start-up anyway.
    const std::string startupValues = "[General]\nOutputDir=\n[CheckBoxes]\n"
                                      "OverwriteExistingFile=0\nShutDown=0\n[Combo]\n"
                                      "OutputFormat=0\nLetterBox=1\nComboDropItem=30\n";
    const BrokenCase cases[] = {
        {"a folder in place of the file",
         [](const std::string& path) { return fs::create_directories(path); },
         [](const std::string& path) { EXPECT_TRUE(fs::is_directory(path)); }},
        {"a named pipe in place of the file (must not wait for a writer)",
         [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; },
         [](const std::string& path) { EXPECT_TRUE(fs::is_fifo(path)); }},
        {"a file too big to be a settings file",
         [&](const std::string& path) {
             WriteWholeFile(path, huge);
             return true;
         },
         [&](const std::string& path) { EXPECT_TRUE(ReadWholeFile(path) == huge); }},
        {"a file without read permission",
         [](const std::string& path) {
             WriteWholeFile(path, "[Combo]\nComboDropItem=40\n");
             ::chmod(path.c_str(), 0);
             // Root reads it anyway: the case cannot be shown then.
             return ::access(path.c_str(), R_OK) != 0;
         },
         [](const std::string& path) {
             ::chmod(path.c_str(), 0600);
             EXPECT_EQ(ReadWholeFile(path), "[Combo]\nComboDropItem=40\n");
         }},
        {"a file without write permission in a writable folder",
         [&](const std::string& path) {
             WriteWholeFile(path, startupValues);
             ::chmod(path.c_str(), 0444);
             // Root writes it anyway: the case cannot be shown then.
             return ::access(path.c_str(), W_OK) != 0;
         },
         [&](const std::string& path) {
             EXPECT_EQ(ReadWholeFile(path), startupValues);
             ::chmod(path.c_str(), 0600);
         }},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(ConfigHome() + "/Kestrel");
        fs::create_directories(ConfigHome() + "/Kestrel/Ravelcast");
        if (!c.prepare(SettingsPath())) {
            std::cout << "[  SKIPPED ] " << c.name << ": cannot be shown as this user\n";
            continue;
        }
        m_questions.clear();
        MainWindowStub main;
        TForm4& options = main.CreateOptions();
        ExpectStartupState(main);
        main.Edit1->setText(QStringLiteral("/would/be/saved"));
        SaveSettings(main.Controls(), options);
        c.expectUntouched(SettingsPath());
        EXPECT_TRUE(m_questions.empty());
    }
}

TEST_F(SettingsTest, AnUnwritableFolderMakesTheSaveFailQuietly) {
    // A file named like the folder the settings need: neither root nor anyone can create it.
    WriteWholeFile(ConfigHome() + "/Kestrel", "not a folder");
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    ExpectStartupState(main);
    main.Edit1->setText(QStringLiteral("/out"));
    SaveSettings(main.Controls(), options);
    EXPECT_EQ(ReadWholeFile(ConfigHome() + "/Kestrel"), "not a folder");
    EXPECT_TRUE(m_questions.empty());
    EXPECT_EQ(fs::directory_iterator(ConfigHome())->path().filename(), "Kestrel");
}

TEST_F(SettingsTest, WithoutAnyConfigurationFolderLoadingKeepsTheStartupState) {
    EnvironmentOverride xdg("XDG_CONFIG_HOME", std::nullopt);
    EnvironmentOverride home("HOME", std::nullopt);
    if (fs::exists("/Kestrel/Ravelcast/ravelcast.ini")) {
        GTEST_SKIP() << "this machine has a settings file at the root";
    }
    // Saving would create the folder at the root of this machine, so only loading is run.
    MainWindowStub main;
    main.CreateOptions();
    ExpectStartupState(main);
}

} // namespace
