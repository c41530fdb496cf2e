#pragma once
// The one way for the conversion worker to reach the user-interface thread. The worker never
// touches a widget itself: it hands the work over here. Called on the user-interface thread
// these run the work at once.

#include <functional>

// Runs `work` on the user-interface thread and returns when it is done.
void RunOnUiThread(const std::function<void()>& work);

// Queues `work` for the user-interface thread and returns at once.
void PostToUiThread(std::function<void()> work);

// Runs `work` on the user-interface thread and returns its result.
template <typename T> T ReadOnUiThread(const std::function<T()>& work) {
    T result{};
    RunOnUiThread([&] { result = work(); });
    return result;
}
