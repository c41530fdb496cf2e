#include "engine/watchdog_rule.h"

#include "base/conversion_state.h"
#include "command/text_rules.h"

void ResetStallWatch(ConversionState& state) {
    state.StallTicks.store(0);
    state.SetWatchedFrameText("0");
    state.SetLastFrameText("2");
}

WatchdogAction WatchdogTick(ConversionState& state, std::string_view framesColumnText) {
    // Only this tick writes StallTicks while the job runs, so load and store need no loop.
    if (state.LastFrameText() == state.WatchedFrameText()) {
        state.StallTicks.store(state.StallTicks.load() + 1);
    } else {
        state.StallTicks.store(0);
    }
    WatchdogAction action = WatchdogAction::KeepWatching;
    if (state.StallTicks.load() == kStallTickLimit) {
        state.Stalled.store(true);
        action = WatchdogAction::TerminateAndStopTimer;
    }
    // An encoder that never reports a frame count leaves LastFrameText at "2", which a fresh
    // row's Frames column does not hold, so such a job is never taken for stuck.
    state.SetWatchedFrameText(std::string(TrimAscii(framesColumnText)));
    return action;
}
