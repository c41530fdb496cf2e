#pragma once
// The conversion run: every checked row of the job list, top to bottom, converted on the
// worker thread; a failed job is tried once more with the source read the other way.

class ConversionState;
class EngineUi;

inline constexpr char kNoFileText[] = "There is no file to convert!";
inline constexpr char kNothingCheckedText[] =
    "Please check the checkbox of the file you want to convert!";
inline constexpr char kAllDoneText[] = "All Conversion Jobs Done!";

// Runs on the worker thread and returns when the run is over and the window unlocked again.
void JobLoop(EngineUi& ui, ConversionState& state);
