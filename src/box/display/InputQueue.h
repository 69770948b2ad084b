#pragma once
// Remote input from any number of producers (HTTP threads), taken in arrival order
// by the GUI thread. Bounded: while the GUI thread is busy (a long table read)
// a flood of requests is refused instead of growing the box without limit.
#include "host/gui/Frontend.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace box {

class InputQueue {
public:
    static constexpr std::size_t kDefaultCapacity = 256;
    explicit InputQueue(std::size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

    // False, and nothing queued, when the queue is full.
    bool push(host::InputEvent event);
    // Blocks until an event is there.
    host::InputEvent pop();
    // Waits at most `timeout`; nothing when none came.
    std::optional<host::InputEvent> popFor(std::chrono::milliseconds timeout);
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<host::InputEvent> m_events;
    std::size_t m_capacity;
};

} // namespace box
