#pragma once
// The conversion worker: one thread that runs the job loop and ends with it. It keeps three
// promises the rest of the program relies on:
//   - Start runs the given work on a new thread, which ends when the work returns.
//   - Start does nothing while a worker exists, so a second "Go Convert " press while a run
//     is under way (or is just being set up) starts nothing.
//   - Stop only sets the terminate request; the work decides itself when to end.
// The thread of a finished run is joined by the next Start or by the destructor.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class ConversionWorker {
public:
    ConversionWorker() = default;
    // Waits for a running work to return; the owner asks it to end first (a job loop only
    // ends once its encoder has been stopped).
    ~ConversionWorker();

    ConversionWorker(const ConversionWorker&) = delete;
    ConversionWorker& operator=(const ConversionWorker&) = delete;

    // Returns whether a new thread was started.
    bool Start(std::function<void()> work);

    void Stop() { m_terminateRequested.store(true); }
    bool TerminateRequested() const { return m_terminateRequested.load(); }

    // True from a successful Start until the work has returned.
    bool Running() const { return m_running.load(); }

    // Joins the thread of a finished work. Does nothing while the work runs.
    void JoinFinished();

private:
    std::mutex m_mutex; // guards m_thread between Start, JoinFinished and the destructor
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_terminateRequested{false};
};
