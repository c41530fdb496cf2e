#pragma once
// The conversion commands of the main window: "Go Convert " with its output-folder checks,
// "Stop Convert", and the stall watchdog's tick. The job loop runs on the engine's worker
// thread; these handlers run on the user-interface thread.

#include "engine/conversion_worker.h"
#include "engine/engine_controls.h"
#include "engine/engine_ui.h"

#include <QObject>

class QCheckBox;

inline constexpr char kChooseFolderText[] = "Please choose an output folder.";
inline constexpr char kStopQuestionText[] = "Stop all the file conversions?";

class ConversionEngine : public QObject {
    Q_OBJECT
public:
    explicit ConversionEngine(EngineControls controls, QObject* parent = nullptr);
    // A run still going is ended like a confirmed Stop, without the question, and waited for
    // while the user-interface thread keeps serving the worker.
    ~ConversionEngine() override;

    // The options dialog's "overwrite" and "power off" boxes; missing ones count as unchecked.
    void AttachOptionCheckBoxes(QCheckBox* overwrite, QCheckBox* shutDown);

    void ConvertNowButtonClick();
    void StopConvertButtonClick();
    void ConversionCountTimerTimer();

    // A job loop runs (from "Go Convert " until the loop has returned).
    bool RunActive() const { return m_worker.Running(); }
    const ConversionWorker& Worker() const { return m_worker; }

private:
    EngineUi m_ui;
    ConversionWorker m_worker;
};
