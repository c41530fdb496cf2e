#include "settings_harness.h"

#include "profiles/profile_catalogue.h"

#include <QSpinBox>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

EnvironmentOverride::EnvironmentOverride(const char* name, std::optional<std::string> value)
    : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_saved = old;
    }
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

EnvironmentOverride::~EnvironmentOverride() {
    if (m_saved) {
        ::setenv(m_name.c_str(), m_saved->c_str(), 1);
    } else {
        ::unsetenv(m_name.c_str());
    }
}

MainWindowStub::MainWindowStub()
    : Edit1(new QLineEdit(&window)), ComboOutputFormat(new QComboBox(&window)),
      ComboLetterBox(new QComboBox(&window)) {
    window.setGeometry(100, 80, 765, 512);
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);
    for (std::string_view entry : OfferedFormatList) {
        ComboOutputFormat->addItem(QString::fromUtf8(entry.data(), qsizetype(entry.size())));
    }
    ComboOutputFormat->setCurrentIndex(0);
    ComboLetterBox->addItems({QStringLiteral("None"), QStringLiteral("LetterBox")});
    ComboLetterBox->setCurrentIndex(1);
}

SettingsControls MainWindowStub::Controls() {
    return {Edit1, ComboOutputFormat, ComboLetterBox};
}

TForm4& MainWindowStub::CreateOptions() {
    options = new TForm4(&window, &values, Controls(),
                         [this] { formatChanges.push_back(values.FormatDropDownCount); });
    return *options;
}

void SettingsTest::SetUp() {
    ASSERT_TRUE(m_configHome.isValid());
    m_xdg = std::make_unique<EnvironmentOverride>("XDG_CONFIG_HOME", ConfigHome());
    DialogSeam::SetMessageAnswerer([this](const MessageRequest& request) {
        m_questions.push_back(request);
        return m_answer;
    });
}

void SettingsTest::TearDown() {
    DialogSeam::ResetAnswerers();
    m_xdg.reset();
}

void SettingsTest::WriteSettingsFile(const std::string& text) const {
    std::filesystem::create_directories(ConfigHome() + "/Kestrel/Ravelcast");
    WriteWholeFile(SettingsPath(), text);
}

std::string SettingsTest::ReadSettingsFile() const {
    return ReadWholeFile(SettingsPath());
}

void SettingsTest::ExpectStartupState(const MainWindowStub& main) const {
    EXPECT_EQ(main.Edit1->text(), QString());
    EXPECT_FALSE(main.options->CheckBoxOverWrite->isChecked());
    EXPECT_FALSE(main.options->CheckBoxShutDown->isChecked());
    EXPECT_EQ(main.ComboOutputFormat->currentIndex(), 0);
    EXPECT_EQ(main.ComboLetterBox->currentIndex(), 1);
    EXPECT_EQ(main.options->SpinEdit1->value(), 30);
    EXPECT_EQ(main.values.FormatDropDownCount, 30);
    EXPECT_TRUE(main.formatChanges.empty());
    EXPECT_TRUE(m_questions.empty());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}
