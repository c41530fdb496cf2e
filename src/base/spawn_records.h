#pragma once
// posix_spawn's two option records, released however a start ends.

#include <spawn.h>

class SpawnFileActions {
public:
    SpawnFileActions() { m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnFileActions() {
        if (m_ok) {
            ::posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ok = false;
};

class SpawnAttributes {
public:
    SpawnAttributes() { m_ok = ::posix_spawnattr_init(&m_attributes) == 0; }
    ~SpawnAttributes() {
        if (m_ok) {
            ::posix_spawnattr_destroy(&m_attributes);
        }
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawnattr_t* Get() { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes{};
    bool m_ok = false;
};
