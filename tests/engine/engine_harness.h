#pragma once
// The whole program offscreen, driven the way a user drives it: rows in the job list, an
// output folder, "Go Convert ". Message boxes are answered and recorded; the power-off request
// is a recording stand-in that no test can get past.

#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "power/power_off_request.h"
#include "settings/options_dialog.h"
#include "support/dialog_seam.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class RecordingPowerOff : public PowerOffRequest {
public:
    bool ShutDownPC() override {
        ++requests;
        return false;
    }
    int requests = 0;
};

struct ShownMessage {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class EngineHarness {
public:
    // `appDir` ends in "/" and holds the encoder the run is to use. `desktop` hears of runs.
    explicit EngineHarness(const std::string& appDir, DesktopServices desktop = {});
    ~EngineHarness();

    TForm1& Form() { return m_app->Form1(); }
    RavelcastApp& App() { return *m_app; }
    ConversionState& State() { return Form().State(); }

    void SetOutputFolder(const std::string& folder);
    // Selects an entry of the output format list the way a user does, panel and all.
    void SelectFormat(const std::string& formatText);
    // Appends a checked row as the add-files flow does.
    void AddRow(const std::string& sourcePath, const std::string& videoSize = "320 x 240");

    // Presses "Go Convert " and serves events until the run is over (or the limit passes;
    // then the test fails). Returns false on the time limit.
    bool ConvertAndWait(std::chrono::seconds limit = std::chrono::seconds(120));
    // Serves events until `done` or the limit; returns `done()`.
    static bool WaitUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(30000));

    std::string Cell(int row, int column) const;
    bool RunActive();

    // Every text the Progress column of `row` went through since the row was added (or the
    // history cleared), repeats left out.
    const std::vector<std::string>& ProgressHistory(int row);
    void ClearProgressHistory() { m_progress.clear(); }
    // Called on the user-interface thread whenever a Progress cell changes.
    void OnProgressChange(std::function<void(int row, const std::string& text)> handler) {
        m_progressHandler = std::move(handler);
    }

    // Messages shown so far, and how the next confirmation is answered.
    std::vector<ShownMessage> messages;
    QMessageBox::StandardButton confirmAnswer = QMessageBox::Ok;
    // Called from inside the message answerer, on the user-interface thread.
    std::function<void(const ShownMessage&)> onMessage;

    // The options dialog's boxes, both off at the start whatever the settings file held.
    QCheckBox* OverwriteBox();
    QCheckBox* ShutDownBox();
    RecordingPowerOff powerOff;
    int endProgramCalls = 0;
    int browseRequests = 0;

private:
    std::unique_ptr<RavelcastApp> m_app;
    std::vector<std::vector<std::string>> m_progress;
    std::function<void(int, const std::string&)> m_progressHandler;
};

// Processes still running the program at `exePath`, zombies included.
std::vector<int> ProcessesRunning(const std::string& exePath);
// Children of this test program that are still there (running or not yet reaped).
std::vector<int> ChildProcessesLeft();
// Waits briefly for the background reaper and checks that no encoder and no child is left.
::testing::AssertionResult NothingLeftRunning(const std::string& encoderPath);

// The names of everything inside `folder`, recursively, relative to it.
std::vector<std::string> FolderListing(const std::filesystem::path& folder);
