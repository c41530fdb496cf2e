#include "stall_guard.h"

StallGuard::StallGuard(std::chrono::seconds limit, std::function<void()> onStall)
    : m_limit(limit), m_onStall(std::move(onStall)), m_lastTouchMs(NowMs()) {
    m_thread = std::thread([this] { Watch(); });
}

StallGuard::~StallGuard() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

int64_t StallGuard::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void StallGuard::Touch() {
    m_lastTouchMs.store(NowMs(), std::memory_order_relaxed);
    m_suspended.store(false);
}

bool StallGuard::Stalled() const {
    if (m_suspended.load()) {
        return false;
    }
    const int64_t limitMs = std::chrono::duration_cast<std::chrono::milliseconds>(m_limit).count();
    return NowMs() - m_lastTouchMs.load(std::memory_order_relaxed) > limitMs;
}

AVIOInterruptCB StallGuard::InterruptCallback() {
    AVIOInterruptCB callback;
    callback.callback = [](void* opaque) -> int {
        return static_cast<const StallGuard*>(opaque)->Stalled() ? 1 : 0;
    };
    callback.opaque = this;
    return callback;
}

void StallGuard::Watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_wake.wait_for(lock, std::chrono::milliseconds(250));
        if (m_stopping) {
            return;
        }
        // Give the interrupt callback a few seconds to unwind blocked I/O the orderly way.
        if (!m_suspended.load() &&
            NowMs() - m_lastTouchMs.load(std::memory_order_relaxed) >
                std::chrono::duration_cast<std::chrono::milliseconds>(m_limit).count() + 5000) {
            m_onStall();
        }
    }
}
