#pragma once
// What the settings tests share: a private configuration folder for every test, the main
// window's three controls the settings touch, and the message boxes answered through the seam.

#include "settings/options_dialog.h"
#include "support/dialog_seam.h"
#include "support/startup_values.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Sets or unsets an environment variable and puts the old value back.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, std::optional<std::string> value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

// The main window as the settings see it, in its start-up state.
struct MainWindowStub {
    MainWindowStub();
    SettingsControls Controls();
    // Creates the options dialog as start-up does, which loads the settings file.
    TForm4& CreateOptions();

    QWidget window;
    QLineEdit* Edit1;
    QComboBox* ComboOutputFormat;
    QComboBox* ComboLetterBox;
    StartupValues values;
    std::vector<int> formatChanges; // FormatDropDownCount seen by each format change
    TForm4* options = nullptr;      // owned by `window`
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string ConfigHome() const { return m_configHome.path().toStdString(); }
    std::string SettingsPath() const { return ConfigHome() + "/Kestrel/Ravelcast/ravelcast.ini"; }
    void WriteSettingsFile(const std::string& text) const;
    std::string ReadSettingsFile() const;
    void ExpectStartupState(const MainWindowStub& main) const;

    QTemporaryDir m_configHome;
    std::unique_ptr<EnvironmentOverride> m_xdg;
    std::vector<MessageRequest> m_questions;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
