#pragma once
// The stall watchdog's rule, apart from its timer: every tick compares the latest frame count
// the job run read with the count the previous tick saw in the row. Eight ticks in a row
// without a change mean the encoder is stuck.

#include <string_view>

class ConversionState;

inline constexpr int kStallTickLimit = 8;

enum class WatchdogAction {
    KeepWatching,
    TerminateAndStopTimer, // end every encoder by name and stop the timer; Stalled is set
};

// At the start of every job run, once the encoder has started. The two texts differ so that
// the first tick always counts as a change.
void ResetStallWatch(ConversionState& state);

// One tick. `framesColumnText` is the Frames column of the current row as the tick reads it.
WatchdogAction WatchdogTick(ConversionState& state, std::string_view framesColumnText);
