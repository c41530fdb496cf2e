#pragma once
#include <string>

// Values set at start-up and kept while the program runs. One instance, owned by the main
// window and handed by pointer to the subsystems that read or write them. Touched on the
// user-interface thread only; the conversion worker gets copies in its job snapshot.
struct StartupValues {
    std::string AppDir;                 // the program's folder, ending in "/"
    std::string VolumeLevel = "50";     // "50" leaves the volume unchanged
    int LastFormatIndex = 0;            // the format entry whose panel was installed last
    int FormatDropDownCount = 30;       // entries the format list shows when dropped down
    bool SuppressShutdownPrompt = true; // restoring the power-off option at start asks nothing
    bool AnalysisRunning = false;       // the add-files analysis loop runs; Cancel clears it
    bool AnalysisDialogShown = false;   // the analysis dialog is up; conversions wait for it
};
