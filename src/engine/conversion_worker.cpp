#include "engine/conversion_worker.h"

ConversionWorker::~ConversionWorker() {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool ConversionWorker::Start(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    // The flag goes up before the thread exists, so that two presses in a row can never both
    // see "no worker".
    bool expected = false;
    if (!m_running.compare_exchange_strong(expected, true)) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join(); // the previous run's thread, already done with its work
    }
    m_terminateRequested.store(false);
    try {
        m_thread = std::thread([this, work = std::move(work)] {
            try {
                work();
            } catch (...) {
                // The work catches its own errors; nothing may escape a thread.
            }
            m_running.store(false);
        });
    } catch (...) {
        m_running.store(false);
        return false;
    }
    return true;
}

void ConversionWorker::JoinFinished() {
    std::lock_guard lock(m_mutex);
    if (!m_running.load() && m_thread.joinable()) {
        m_thread.join();
    }
}
