#pragma once
// The one way for the conversion worker to reach the user-interface thread. The worker never
// touches a widget itself: it hands the work over here.

#include <functional>

// True on the thread that owns the application object. False when there is none.
bool OnUiThread();

// Runs `work` on the user-interface thread and returns when it is done; called on that thread
// it runs the work at once.
void RunOnUiThread(const std::function<void()>& work);

// Queues `work` for the user-interface thread and returns at once, from any thread.
void PostToUiThread(std::function<void()> work);

// Runs `work` on the user-interface thread and returns its result.
template <typename T> T ReadOnUiThread(const std::function<T()>& work) {
    T result{};
    RunOnUiThread([&] { result = work(); });
    return result;
}
