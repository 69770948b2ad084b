#include "box/display/InputQueue.h"

#include <utility>

namespace box {

bool InputQueue::push(host::InputEvent event)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_events.size() >= m_capacity)
            return false;
        m_events.push_back(std::move(event));
    }
    m_arrived.notify_one();
    return true;
}

host::InputEvent InputQueue::pop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_arrived.wait(lock, [this] { return !m_events.empty(); });
    host::InputEvent e = std::move(m_events.front());
    m_events.pop_front();
    return e;
}

std::optional<host::InputEvent> InputQueue::popFor(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_events.empty(); }))
        return std::nullopt;
    host::InputEvent e = std::move(m_events.front());
    m_events.pop_front();
    return e;
}

std::size_t InputQueue::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events.size();
}

} // namespace box
