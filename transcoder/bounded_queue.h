#pragma once
// A small blocking queue between two of the converter's threads (reading, picture, sound).
// Bounded, so that a fast decoder cannot pile up frames in memory while a slow encoder catches up.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

template <typename T> class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : m_capacity(capacity) {}

    // False when the queue was closed: the other side has given up.
    bool Push(T item) {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this] { return m_closed || m_items.size() < m_capacity; });
        if (m_closed) {
            return false;
        }
        m_items.push_back(std::move(item));
        m_notEmpty.notify_one();
        return true;
    }

    // Empty when the queue is closed and drained.
    std::optional<T> Pop() {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [this] { return m_closed || !m_items.empty(); });
        if (m_items.empty()) {
            return std::nullopt;
        }
        T item = std::move(m_items.front());
        m_items.pop_front();
        // A producer blocked on a full queue is woken only once half of it is free: waking it
        // for every item taken would switch threads for every frame, which costs more than
        // the work of a small frame.
        if (m_items.size() <= m_capacity / 2) {
            m_notFull.notify_one();
        }
        return item;
    }

    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_notFull.notify_all();
        m_notEmpty.notify_all();
    }

private:
    size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::condition_variable m_notEmpty;
    std::deque<T> m_items;
    bool m_closed = false;
};
