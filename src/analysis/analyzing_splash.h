#pragma once
// The small "Analyzing Video Files" window that names the file being analysed while files are
// added. It is made once at start-up and only shown and hidden. While the add-files command
// keeps it up, the user cannot close it; Cancel is the only way to stop the analysis.

#include <QDialog>

#include <functional>

class QCloseEvent;
class QLabel;
class QPushButton;
struct StartupValues;

class TFormAnalyzingSplash : public QDialog {
    Q_OBJECT
public:
    // `values` must outlive the dialog: its AnalysisDialogShown decides whether the dialog may
    // close, and Cancel clears its AnalysisRunning. `enableCombos` unlocks the main window.
    TFormAnalyzingSplash(StartupValues* values, std::function<void()> enableCombos,
                         QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Panel1 = nullptr; // the name, without folder, of the file in hand
    QPushButton* Button2 = nullptr;

    // Shows the dialog without blocking, on top of the other windows and at the centre of
    // the main window.
    void ShowOverMainWindow();

    bool FormCloseQuery() const;

    // Escape lands here rather than in closeEvent, so it has to ask the same question.
    void reject() override;

public slots:
    // Cancel: the analysis loop stops before its next file, and the main window's controls
    // come back at once.
    void Button2Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    StartupValues* m_values;
    std::function<void()> m_enableCombos;
};
