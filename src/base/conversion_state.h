#pragma once
// The flags and counters that the job loop (worker thread), and the watchdog, Stop, the close
// query and the power-off countdown (user-interface thread) share. Flags and counters are
// atomic; the two frame texts are exchanged whole under a lock.

#include <atomic>
#include <mutex>
#include <string>

class ConversionState {
public:
    std::atomic<bool> Converting{false};      // a job of the current run has started
    std::atomic<bool> StopRequested{false};   // the user confirmed Stop
    std::atomic<bool> AbortRequested{false};  // the running job is being aborted
    std::atomic<bool> RetryWanted{false};     // the job just run is to be run once more
    std::atomic<bool> RetryPass{false};       // the job now running is the retry
    std::atomic<bool> AnyJobRan{false};       // at least one job of the run was started
    std::atomic<int> CurrentRow{0};           // the row being worked on
    std::atomic<bool> Stalled{false};         // the watchdog ended the encoder
    std::atomic<bool> ShutdownPending{false}; // the power-off countdown runs
    std::atomic<int> CountdownSeconds{0};     // seconds counted by the countdown
    std::atomic<int> StallTicks{0};           // watchdog ticks without a new frame count

    std::string LastFrameText() const {
        std::lock_guard lock(m_frameMutex);
        return m_lastFrameText;
    }
    void SetLastFrameText(std::string text) {
        std::lock_guard lock(m_frameMutex);
        m_lastFrameText = std::move(text);
    }
    std::string WatchedFrameText() const {
        std::lock_guard lock(m_frameMutex);
        return m_watchedFrameText;
    }
    void SetWatchedFrameText(std::string text) {
        std::lock_guard lock(m_frameMutex);
        m_watchedFrameText = std::move(text);
    }

private:
    mutable std::mutex m_frameMutex;
    std::string m_lastFrameText;
    std::string m_watchedFrameText;
};
