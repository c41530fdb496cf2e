#pragma once
// The "Additional Options" dialog: whether existing output files may be overwritten, whether
// the computer powers off after the run, and the hidden drop-down count of the format list.
// Created once at start-up, where it restores the settings file, and only shown and hidden
// after that; its check boxes are the live values the conversion reads.

#include "settings/settings_file.h"
#include "settings/wrapping_check_box.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
struct StartupValues;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog (hidden), switches it to the modern font where that applies, then runs
    // LoadSettings. `applyOutputFormat` is the main window's format change.
    TForm4(QWidget* mainWindow, StartupValues* values, SettingsControls controls,
           std::function<void()> applyOutputFormat);
    ~TForm4() override;

    // The drop-down count as the field's text gives it; text that is not a whole number counts
    // as the lower bound, 26.
    int SpinEdit1Value() const;

    QGroupBox* GroupBox1 = nullptr;
    WrappingCheckBox* CheckBoxOverWrite = nullptr;
    WrappingCheckBox* CheckBoxShutDown = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;

    static constexpr int kMinDropDownCount = 26;
    static constexpr int kMaxDropDownCount = 47;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CheckBoxShutDownClick();
    void SpinEdit1TextChanged();
    void SpinEdit1Change();
    void Button1Click();

    StartupValues* m_values;
    std::function<void()> m_applyOutputFormat;
    QString m_spinText; // the field's text when its change handler last ran
};
