#pragma once
// A frontend that plays a script of inputs to the modal loops and counts frames.
#include "host/gui/Frontend.h"

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

class FakeFrontend : public host::Frontend {
public:
    FakeFrontend() { host::setFrontend(this); }
    ~FakeFrontend() override { host::setFrontend(nullptr); }

    FakeFrontend& key(eRCKey k)
    {
        host::InputEvent e;
        e.kind = host::InputEvent::Kind::Key;
        e.key = k;
        m_script.push_back(e);
        return *this;
    }
    FakeFrontend& text(const std::string& t)
    {
        host::InputEvent e;
        e.kind = host::InputEvent::Kind::Text;
        e.text = t;
        m_script.push_back(e);
        return *this;
    }
    // Runs before the next input is handed out (inspect the screen between keys).
    FakeFrontend& then(std::function<void()> f)
    {
        m_hooks.emplace_back(m_taken + m_script.size(), std::move(f)); // counted from the first input
        return *this;
    }

    void present(const host::FrameView&) override { ++presented; }
    host::InputEvent nextInput() override
    {
        while (!m_hooks.empty() && m_hooks.front().first <= m_taken) {
            auto f = std::move(m_hooks.front().second);
            m_hooks.pop_front();
            f();
        }
        if (m_script.empty()) {
            // The script ran out while a loop still waits: end it the way a user would.
            if (++overrun > 50)
                std::abort(); // a loop that exit does not end would spin for ever
            host::InputEvent e;
            e.key = eRCKey::Exit;
            return e;
        }
        host::InputEvent e = m_script.front();
        m_script.pop_front();
        ++m_taken;
        return e;
    }
    size_t pending() const { return m_script.size(); }

    int presented = 0;
    int overrun = 0;

private:
    std::deque<host::InputEvent> m_script;
    std::deque<std::pair<size_t, std::function<void()>>> m_hooks;
    size_t m_taken = 0;
};
