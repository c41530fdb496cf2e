#pragma once
// Damaged media must never hang the converter. Every stage touches the guard when it gets
// somewhere; FFmpeg's I/O asks it through the interrupt callback whether to give up, and a
// watchdog thread ends the process with a failure line if nothing moves for too long (a
// demuxer or decoder can spin without doing I/O, where the callback is never asked).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

extern "C" {
#include <libavformat/avio.h>
}

class StallGuard {
public:
    // onStall runs on the watchdog thread and must not return (it ends the process).
    StallGuard(std::chrono::seconds limit, std::function<void()> onStall);
    ~StallGuard();
    StallGuard(const StallGuard&) = delete;
    StallGuard& operator=(const StallGuard&) = delete;

    void Touch();
    // For long work that is known to end, such as moving the index to the front of a large
    // output: no stall is seen until the next Touch.
    void Suspend() { m_suspended.store(true); }
    bool Stalled() const;
    AVIOInterruptCB InterruptCallback();

private:
    static int64_t NowMs();
    void Watch();

    std::chrono::seconds m_limit;
    std::function<void()> m_onStall;
    std::atomic<int64_t> m_lastTouchMs;
    std::atomic<bool> m_suspended = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
