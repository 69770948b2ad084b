#pragma once
// Remote input from any number of producers (HTTP threads), taken in arrival order
// by the GUI thread.
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
    void push(host::InputEvent event);
    // Blocks until an event is there.
    host::InputEvent pop();
    // Waits at most `timeout`; nothing when none came.
    std::optional<host::InputEvent> popFor(std::chrono::milliseconds timeout);
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<host::InputEvent> m_events;
};

} // namespace box
