#pragma once
// One encoder run for one row: start the encoder, watch its report, show the progress, judge
// the result. Runs on the conversion worker; the windows are reached through EngineUi.

#include <functional>
#include <string>

class ConversionState;
class EngineUi;

inline constexpr int kJobPollDelayMs = 360;
// The finished job's verdict and full bar stay up this long before the bar empties.
inline constexpr int kVerdictPauseMs = 260;

struct EncoderJob {
    std::string commandLine;
    int row = 0;
    std::string sourcePath;     // the row's caption; a ".cda" source gets its Duration rewritten
    std::string outputFilePath; // the file the command writes
    std::string appDir;         // where the runner looks for the encoder first
};

// Returns when the job has ended and the row shows its verdict. Leaves RetryWanted in the
// state for the job loop.
void RunEncoderJob(EngineUi& ui, ConversionState& state, const EncoderJob& job);

// Called on the worker at the start of every job run, between the clearing of AbortRequested
// and the look at StopRequested that follows it, so that tests can land a Stop exactly there.
// Not set in the program.
void SetJobStartProbe(std::function<void()> probe);
