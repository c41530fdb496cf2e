#pragma once
// The whole program: the main window, its dialogs and the flows between them, created in
// start-up order. main() makes one for the real desktop; tests make one with a recording
// power-off request, so no test can reach the real one.

#include "desktop/desktop_services.h"

#include <functional>
#include <memory>
#include <string>

class AddFilesFlow;
class ConversionEngine;
class PowerOffRequest;
class RunDesktopFeedback;
struct EngineControls;
class ShutdownCountdown;
class TForm1;
class TForm3;
class TFormAbout;
class TForm4;
class TFormAnalyzingSplash;

// What the conversion works on, from the main window; the end of a finished run with the
// power-off option hands over to `countdown`. `desktopFeedback` may be missing.
EngineControls ConversionControls(TForm1& form1, ShutdownCountdown* countdown,
                                  RunDesktopFeedback* desktopFeedback = nullptr);

class RavelcastApp {
public:
    // `appDir` ends in "/". `powerOff` must outlive the application. `endProgram` is how the
    // countdown ends the program at its thirtieth second (the program leaves its event loop).
    // `desktop` (each service optional, each outliving the application) hears of runs.
    RavelcastApp(std::string appDir, PowerOffRequest* powerOff, std::function<void()> endProgram,
                 DesktopServices desktop = {});
    ~RavelcastApp();

    RavelcastApp(const RavelcastApp&) = delete;
    RavelcastApp& operator=(const RavelcastApp&) = delete;

    TForm1& Form1() { return *m_form1; }
    TFormAnalyzingSplash& FormAnalyzingSplash() { return *m_formAnalyzingSplash; }
    AddFilesFlow& AddFiles() { return *m_addFiles; }
    TFormAbout& FormAbout() { return *m_formAbout; }
    TForm3& Form3() { return *m_form3; }
    ShutdownCountdown& Countdown() { return *m_countdown; }
    TForm4& Form4() { return *m_form4; }
    ConversionEngine& Engine() { return *m_engine; }

private:
    std::unique_ptr<TForm1> m_form1;
    // The dialogs and flows are children of the main window: they close with it and never
    // keep the program alive on their own.
    TFormAnalyzingSplash* m_formAnalyzingSplash = nullptr;
    TFormAbout* m_formAbout = nullptr;
    TForm3* m_form3 = nullptr;
    ShutdownCountdown* m_countdown = nullptr;
    RunDesktopFeedback* m_desktopFeedback = nullptr;
    TForm4* m_form4 = nullptr;
    // Works on the main window's controls, so it goes before the window does.
    std::unique_ptr<AddFilesFlow> m_addFiles;
    // Goes before the main window: a run still going is ended while its controls exist.
    std::unique_ptr<ConversionEngine> m_engine;
};
