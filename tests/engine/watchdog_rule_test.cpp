#include "engine/watchdog_rule.h"

#include "base/conversion_state.h"

#include <gtest/gtest.h>

namespace {

// What the job run does at each frame report: the Frames column and, trimmed, the shared text.
struct Job {
    ConversionState state;
    std::string framesColumn;

    Job() { ResetStallWatch(state); }
    void Report(const std::string& frames) {
        framesColumn = frames;
        state.SetLastFrameText(frames);
    }
    WatchdogAction Tick() { return WatchdogTick(state, framesColumn); }
};

TEST(StallWatchdog, JobStartResetsTheWatch) {
    ConversionState state;
    state.StallTicks = 5;
    state.SetWatchedFrameText("300");
    state.SetLastFrameText("300");
    ResetStallWatch(state);
    EXPECT_EQ(state.StallTicks.load(), 0);
    EXPECT_EQ(state.WatchedFrameText(), "0");
    EXPECT_EQ(state.LastFrameText(), "2");
}

TEST(StallWatchdog, FrameCountThatStopsIsStalledAfterExactlyEightTicks) {
    Job job;
    job.Report("100");
    EXPECT_EQ(job.Tick(), WatchdogAction::KeepWatching); // first sight of "100" is a change
    for (int tick = 1; tick < kStallTickLimit; ++tick) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(job.Tick(), WatchdogAction::KeepWatching);
        EXPECT_EQ(job.state.StallTicks.load(), tick);
        EXPECT_FALSE(job.state.Stalled.load());
    }
    EXPECT_EQ(job.Tick(), WatchdogAction::TerminateAndStopTimer);
    EXPECT_TRUE(job.state.Stalled.load());
    EXPECT_EQ(job.state.WatchedFrameText(), "100");
}

TEST(StallWatchdog, NewFrameCountStartsTheCountAgain) {
    Job job;
    job.Report("100");
    job.Tick();
    for (int tick = 1; tick < kStallTickLimit; ++tick) {
        job.Tick();
    }
    job.Report("101");
    EXPECT_EQ(job.Tick(), WatchdogAction::KeepWatching);
    EXPECT_EQ(job.state.StallTicks.load(), 0);
    for (int tick = 1; tick < kStallTickLimit; ++tick) {
        EXPECT_EQ(job.Tick(), WatchdogAction::KeepWatching);
    }
    EXPECT_EQ(job.Tick(), WatchdogAction::TerminateAndStopTimer);
}

TEST(StallWatchdog, BlanksAroundTheFramesColumnDoNotCountAsChange) {
    Job job;
    job.state.SetLastFrameText("7");
    job.framesColumn = " 7 ";
    for (int tick = 0; tick < kStallTickLimit; ++tick) {
        EXPECT_EQ(job.Tick(), WatchdogAction::KeepWatching);
    }
    EXPECT_EQ(job.Tick(), WatchdogAction::TerminateAndStopTimer);
}

TEST(StallWatchdog, JobThatNeverReportsFramesIsNeverStalled) {
    // An audio-only output prints no frame count: "2" is compared with the empty column.
    Job job;
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_EQ(job.Tick(), WatchdogAction::KeepWatching) << "tick " << tick;
    }
    EXPECT_EQ(job.state.StallTicks.load(), 0);
    EXPECT_FALSE(job.state.Stalled.load());
}

TEST(StallWatchdog, FiresOnlyOnTheEighthTick) {
    // Should the timer tick on after firing, the count goes past the limit without firing again.
    Job job;
    job.Report("5");
    job.Tick();
    int fired = 0;
    for (int tick = 0; tick < 20; ++tick) {
        if (job.Tick() == WatchdogAction::TerminateAndStopTimer) {
            ++fired;
        }
    }
    EXPECT_EQ(fired, 1);
}

} // namespace
